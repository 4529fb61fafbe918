#pragma once

#include <string>
#include <vector>

#include "tools/MushafSources.h"

namespace pagora::pack {

struct VerifyReport {
    std::vector<std::string> problems;  // empty when the archives are sound
    int pagesChecked = 0;
    int versesSeen = 0;
    // Verse lines that write the open tanween in Unicode (U+08F0..U+08F2, none of quran-json's
    // private marks) and join their number with a no-break space.
    int versesInMushafForm = 0;
    int membersDecoded = 0;
};

// Checks the eleven archives in `dir` the way the reader will use them: every member decodes
// with a matching checksum, every directory fits the reader's 5000-byte buffer, the support
// tables are complete and agree with the page texts, and the pages, extracted one by one with
// ExtractArchiveMember, hold all 6,236 verses once and in order. With `sources`, the verse
// texts, sura names and juz starts are also compared with the data they were built from.
VerifyReport VerifyArchives(const std::string& dir, const MushafSources* sources);

}  // namespace pagora::pack
