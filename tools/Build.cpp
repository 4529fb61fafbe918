#include "tools/Build.h"

#include <filesystem>
#include <fstream>

#include "tools/FrameArt.h"
#include "tools/PageText.h"

namespace pagora::pack {

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Single-byte text of the index files: pieces joined by a separator, none after the last.
std::string Join(const std::vector<std::string>& pieces, const std::string& separator) {
    std::string out;
    for (size_t k = 0; k < pieces.size(); ++k) {
        if (k > 0) {
            out += separator;
        }
        out += pieces[k];
    }
    return out;
}

void RequirePrintableAscii(const std::string& text, const std::string& what) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) {
            throw PackError(what + " is not plain ASCII text: \"" + text + "\"");
        }
    }
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        if (!line.empty()) {
            return line;
        }
    }
    return "";
}

std::string CreditsText(const MushafSources& src, const std::string& nodeModules) {
    const std::string jsonLicence = FirstLine(nodeModules + "/quran-json/LICENSE.txt");
    const std::string metaLicence = FirstLine(nodeModules + "/quran-meta/LICENSE");
    std::vector<std::string> lines = {
        "Tamrit Pagora: sources of the mushaf data",
        "",
        "Quran text: npm package " + src.quranJson.name + " " + src.quranJson.version +
            " by Risan Bagja Pradana, https://github.com/risan/quran-json",
        "  The Uthmani text of The Noble Qur'an Encyclopedia (https://quranenc.com), as the",
        "  package's README says. One line per verse, followed by the verse number in",
        "  Arabic-Indic digits; the sura headers use its Arabic sura names. Changed: the",
        "  open tanween is written with Unicode's U+08F0..U+08F2 instead of the package's",
        "  U+0657, U+065E and U+0656, and a thin space inside a word of 2:72 is removed.",
        "  Licence: " + (jsonLicence.empty() ? std::string("see the package") : jsonLicence) +
            " (the package's LICENSE.txt and README: CC BY-SA 4.0;",
        "  its package.json names \"" + src.quranJson.license + "\").",
        "",
        "Page layout: npm package " + src.quranMeta.name + " " + src.quranMeta.version +
            " by Quran-Center, https://github.com/quran-center/quran-meta",
        "  Hafs riwaya, 604-page Madani mushaf: the first verse of every page, the juz",
        "  starts, the verse counts and the transliterated sura names.",
        "  Licence: " + (metaLicence.empty() ? src.quranMeta.license : metaLicence) +
            ", Copyright (c) 2020 Quran-Center.",
        "",
        "The page frame (border.html and its eight images) is drawn by pagora-pack.",
    };
    for (const std::string& line : lines) {
        RequirePrintableAscii(line, "a credits line");
    }
    return Join(lines, "\r\n");
}

}  // namespace

std::string PageKey(int page) {
    std::string key = std::to_string(page);
    while (key.size() < 3) {
        key.insert(key.begin(), '0');
    }
    return key;
}

const std::vector<std::string>& SupportTextNames() {
    static const std::vector<std::string> names = {
        "quranpageindex.txt", "juzpageindex.txt", "suranamesenglish.txt", "pagestartsuraverse.txt",
        "surat.txt",          "border.html",      "verse-count.txt",      "hizbquarterindex.txt"};
    return names;
}

std::vector<ArchiveMember> SupportMembers(const MushafSources& src,
                                          const std::string& nodeModules) {
    std::vector<std::string> suraPages;
    std::vector<std::string> names;
    std::vector<std::string> verseCounts;
    for (const Sura& s : src.suras) {
        const int page = PageOfVerse(src, {s.number, 1});
        if (page != s.startPage) {
            throw PackError("sura " + std::to_string(s.number) + " begins on page " +
                            std::to_string(page) + " by the page starts, but quran-meta says " +
                            std::to_string(s.startPage));
        }
        suraPages.push_back(std::to_string(page));
        RequirePrintableAscii(s.transliteration, "the name of sura " + std::to_string(s.number));
        names.push_back(std::to_string(s.number) + ". " + s.transliteration);
        verseCounts.push_back(std::to_string(s.verses.size()));
    }
    // The first page of each juz or hizb quarter, as the page starts place its first verse.
    auto startPages = [&src](const std::vector<Juz>& starts, const std::string& what) {
        std::vector<std::string> pages;
        for (size_t j = 0; j < starts.size(); ++j) {
            const int page = PageOfVerse(src, starts[j].start);
            if (page != starts[j].page) {
                throw PackError(what + " " + std::to_string(j + 1) + " begins on page " +
                                std::to_string(page) + " by the page starts, but quran-meta says " +
                                std::to_string(starts[j].page));
            }
            pages.push_back(std::to_string(page));
        }
        return pages;
    };
    const std::vector<std::string> juzPages = startPages(src.juzStarts, "juz");
    const std::vector<std::string> quarterPages = startPages(src.hizbQuarterStarts, "hizb quarter");
    std::vector<std::string> pageStarts;
    for (const VerseRef& r : src.pageStarts) {
        pageStarts.push_back(std::to_string(r.sura) + "," + std::to_string(r.verse));
    }

    std::vector<ArchiveMember> members = {
        {"quranpageindex.txt", Bytes(Join(suraPages, "\r\n"))},
        {"juzpageindex.txt", Bytes(Join(juzPages, "\r\n"))},
        {"suranamesenglish.txt", Bytes(Join(names, "\r\n"))},
        {"pagestartsuraverse.txt", Bytes(Join(pageStarts, ";"))},
        {"surat.txt", ToUtf16Le(kSuraMarker)},
        {"border.html", Bytes(BorderHtml())},
        {"verse-count.txt", Bytes(Join(verseCounts, "\r\n"))},
        {"hizbquarterindex.txt", Bytes(Join(quarterPages, "\r\n"))},
    };
    for (ArchiveMember& image : DrawFrameImages()) {
        members.push_back(std::move(image));
    }
    members.push_back({"credits.txt", Bytes(CreditsText(src, nodeModules))});
    return members;
}

std::vector<ArchiveMember> PageArchiveMembers(const MushafSources& src, int digit) {
    std::vector<ArchiveMember> members;
    for (int page = digit == 0 ? 10 : digit; page <= kPageCount; page += 10) {
        members.push_back({PageKey(page), PageMember(src, page)});
    }
    return members;
}

std::vector<std::string> ArchiveFileNames() {
    std::vector<std::string> names = {"support.dat"};
    for (int d = 0; d <= 9; ++d) {
        names.push_back("order" + std::to_string(d) + ".dat");
    }
    return names;
}

void BuildArchives(const MushafSources& src, const std::string& nodeModules,
                   const std::string& outDir) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec || !std::filesystem::is_directory(outDir)) {
        throw PackError("cannot create the output folder " + outDir +
                        (ec ? ": " + ec.message() : std::string()));
    }
    // Everything is built in memory first, so that a fault in the data leaves no archive
    // half-replaced.
    std::vector<std::vector<ArchiveMember>> contents;
    contents.push_back(SupportMembers(src, nodeModules));
    for (int d = 0; d <= 9; ++d) {
        contents.push_back(PageArchiveMembers(src, d));
    }
    const std::vector<std::string> names = ArchiveFileNames();
    for (size_t k = 0; k < names.size(); ++k) {
        WriteArchive((std::filesystem::path(outDir) / names[k]).string(), contents[k]);
    }
}

}  // namespace pagora::pack
