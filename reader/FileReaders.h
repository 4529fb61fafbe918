#pragma once

#include <QString>

namespace pagora {

// The whole file as text, one character per byte (the single-byte index files and the page
// frame); empty text when no such file exists. Throws pagora::Error when it cannot be read.
QString ReadTextFile(const QString& strFileName);

// The whole file as UTF-16LE text, low byte first, with no byte-order mark handling (the page
// texts and the sura-header marker); a trailing odd byte is dropped. Throws pagora::Error when
// the file is missing or cannot be read.
QString GetFileDataU(const QString& strFileName);

// Deletes the file; throws pagora::Error when it cannot (a missing file included).
void DeleteFile(const QString& path, const char* source);

}  // namespace pagora
