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

// Everything the archives are built from: the text of quran-json and the Hafs layout of
// quran-meta, cross-checked against each other.
struct MushafSources {
    std::vector<Sura> suras;             // kSuraCount
    std::vector<VerseRef> pageStarts;    // kPageCount, page 1 first
    std::vector<Juz> juzStarts;          // kJuzCount
    std::vector<Juz> hizbQuarterStarts;  // the 240 quarters of the 60 hizb, in order
    PackageInfo quranJson;
    PackageInfo quranMeta;

    int VerseCount() const;
};

// Builds the sources from the installed packages and the layout document written by
// tools/export-quran-meta.mjs. Throws PackError when anything is missing or inconsistent.
MushafSources LoadSources(const std::string& nodeModules, const nlohmann::json& layout);

// Runs the export script with `node` and parses its output.
nlohmann::json ExportLayout(const std::string& script, const std::string& nodeModules);

// Reads a layout document that the export script wrote to a file.
nlohmann::json ReadLayoutFile(const std::string& path);

}  // namespace pagora::pack
