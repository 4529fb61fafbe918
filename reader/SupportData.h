#pragma once

#include <QString>
#include <array>

#include "reader/QuranIndex.h"

namespace pagora {

// The frame images the page frame refers to, in the order start-up extracts them. They stay in
// the working folder while a reader runs.
inline constexpr std::array<const char*, 8> kFrameImages = {
    "left_bottom.gif", "left_top.gif", "left-s.jpg", "right_bottom.gif",
    "right_top.gif",   "right-s.jpg",  "top.gif",    "bottom.gif"};

// The folder that holds the reader's archives for a program in `executableFolder` (symbolic
// links resolved): that folder itself when support.dat lies there (the build tree), else
// "../share/pagora" beside it when support.dat lies there (an installed tree, wherever its
// prefix was moved), else the executable's folder, for start-up to report the missing archive.
QString ArchiveFolder(const QString& executableFolder);

// Unpacks the support files of `archive` into `workingFolder` (which ends with "/"), reads the
// index tables, the sura-header marker and the page frame from them and deletes them again;
// only the frame images stay. Throws pagora::Error naming the archive (and the member) when the
// archive is missing or damaged or lacks a member, after removing the text files it extracted
// (the frame images extracted by then may be shared with another reader and stay).
QuranIndex UnpackSupportFiles(const QString& archive, const QString& workingFolder);

// Deletes the frame images from the working folder; a failure only skips that image.
void RemoveFrameImages(const QString& workingFolder);

}  // namespace pagora
