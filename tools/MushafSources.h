#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "base/Book.h"

namespace pagora::pack {

// A failure of the data build or of a check, with a message fit for the user.
class PackError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct VerseRef {
    int sura = 0;
    int verse = 0;
    bool operator==(const VerseRef&) const = default;
};

struct Sura {
    int number = 0;
    std::string arabicName;       // from quran-json, UTF-8
    std::string transliteration;  // from quran-meta, ASCII
    int startPage = 0;
    std::vector<std::string> verses;  // Uthmani text, UTF-8, verse 1 first
};

struct Juz {
    VerseRef start;
    int page = 0;
};

struct PackageInfo {
    std::string name;
    std::string version;
    std::string license;
};

// What turning quran-json's text into the text the page view shows changed.
struct TextMapping {
    int versesChanged = 0;
    int versesWithOpenTanween = 0;
    int openTanween = 0;  // marks rewritten as U+08F0..U+08F2
    int thinSpaces = 0;   // U+2009 removed from inside words
};

// Everything the archives are built from: the text of quran-json (in its mushaf form, see
// MushafText) and the Hafs layout of quran-meta, cross-checked against each other.
struct MushafSources {
    std::vector<Sura> suras;             // kSuraCount
    std::vector<VerseRef> pageStarts;    // kPageCount, page 1 first
    std::vector<Juz> juzStarts;          // kJuzCount
    std::vector<Juz> hizbQuarterStarts;  // the 240 quarters of the 60 hizb, in order
    PackageInfo quranJson;
    PackageInfo quranMeta;
    TextMapping mapping;

    int VerseCount() const;
};

// The verse text of quran-json that was reviewed for this program: the SHA-256 of its 6,236
// verse texts, each followed by "\n", and its number of words split at Unicode white space.
inline constexpr char kReviewedTextSha256[] =
    "05905855a83f5d9bd0f88945f04467774a2c9f4fcd10dd3e3bb56299ef4bfda5";
inline constexpr int kReviewedWordCount = 77429;

// Throws PackError unless `verses` (UTF-8, in order) are the reviewed text; the message names
// the check that failed and what a new text needs before it is used.
void RequireReviewedText(const std::vector<std::string>& verses, const std::string& package);

// A verse as the page view shows it. quran-json writes the open (sequential) tanween with
// code points that only its own font draws that way (U+0657, U+065E, U+0656); they become
// Unicode's OPEN FATHATAN, OPEN DAMMATAN and OPEN KASRATAN (U+08F0..U+08F2). A thin space
// (U+2009) that splits a word for the source font's sake is removed. `mapping` counts the
// changes.
std::string MushafText(const std::string& verse, TextMapping& mapping);

// Builds the sources from the installed packages and the layout document written by
// tools/export-quran-meta.mjs. Throws PackError when anything is missing or inconsistent.
MushafSources LoadSources(const std::string& nodeModules, const nlohmann::json& layout);

// Runs the export script with `node` and parses its output.
nlohmann::json ExportLayout(const std::string& script, const std::string& nodeModules);

// Reads a layout document that the export script wrote to a file.
nlohmann::json ReadLayoutFile(const std::string& path);

}  // namespace pagora::pack
