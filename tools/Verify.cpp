#include "tools/Verify.h"

#include <QByteArray>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/clsCompress.h"
#include "data/ArchiveFormat.h"
#include "data/Module1.h"
#include "tools/Build.h"
#include "tools/FrameArt.h"
#include "tools/PageText.h"

namespace pagora::pack {

namespace {

constexpr size_t kMaxProblems = 60;
const char* const kSource = "pagora-pack verify";

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(separator, from);
        pieces.push_back(
            text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) {
            return pieces;
        }
        from = at + separator.size();
    }
}

bool ToNumber(const std::string& text, int& value) {
    const std::optional<int64_t> number = DigitsToNumber(text);
    if (!number || *number > 999999) {
        return false;
    }
    value = static_cast<int>(*number);
    return true;
}

std::string Ref(int sura, int verse) {
    return std::to_string(sura) + ":" + std::to_string(verse);
}

class Verifier {
  public:
    Verifier(std::string dir, const MushafSources* src) : dir_(std::move(dir)), src_(src) {}

    VerifyReport Run() {
        CheckContainers();
        if (!report_.problems.empty()) {
            return Finish();  // the reader's view of broken containers tells nothing more
        }
        TemporaryFolder scratch("pagora-verify");
        UseWorkingFolder(scratch.Path());
        if (CheckSupport()) {
            CheckPages();
        }
        return Finish();
    }

  private:
    std::string Archive(const std::string& name) const {
        return (std::filesystem::path(dir_) / name).string();
    }

    void Problem(const std::string& text) {
        if (report_.problems.size() < kMaxProblems) {
            report_.problems.push_back(text);
        } else if (report_.problems.size() == kMaxProblems) {
            report_.problems.push_back("... further problems not listed");
        }
    }

    VerifyReport Finish() { return std::move(report_); }

    // Directory limits, member lists and checksums, read straight from the files.
    void CheckContainers() {
        std::vector<std::string> supportNames = SupportTextNames();
        for (const std::string& n : FrameImageNames()) {
            supportNames.push_back(n);
        }
        supportNames.push_back("credits.txt");
        for (const std::string& name : ArchiveFileNames()) {
            const std::string path = Archive(name);
            ArchiveDirectory dir;
            try {
                dir = ReadArchiveDirectory(path, DirectoryReading::kStrict, kSource);
            } catch (const std::exception& e) {
                Problem(e.what());
                continue;
            }
            if (dir.directorySize > kDirectoryLimit) {
                Problem(name + ": directory of " + std::to_string(dir.directorySize) +
                        " bytes does not fit the reader's " + std::to_string(kDirectoryLimit) +
                        "-byte buffer");
            }
            std::vector<std::string> expected;
            if (name == "support.dat") {
                expected = supportNames;
            } else {
                const int digit = name[5] - '0';
                for (int page = digit == 0 ? 10 : digit; page <= kPageCount; page += 10) {
                    expected.push_back(PageKey(page));
                }
            }
            std::vector<std::string> actual;
            std::set<std::string> seen;
            for (const ArchiveEntry& e : dir.entries) {
                actual.push_back(e.name);
                const std::string member = name + ": member \"" + Escaped(e.name) + "\"";
                if (!seen.insert(e.name).second) {
                    Problem(member + " is listed twice");
                }
                try {
                    std::vector<uint8_t> stream = ReadStoredStream(path, e, kSource);
                    const char* flaw = clsCompress().DecodeStream(stream).Flaw();
                    ++report_.membersDecoded;
                    if (flaw != nullptr) {
                        Problem(member + " is corrupt: " + flaw);
                    }
                } catch (const std::exception& err) {
                    Problem(member + " does not decode: " + err.what());
                }
            }
            if (actual != expected) {
                Problem(name + ": holds " + std::to_string(actual.size()) + " members, expected " +
                        std::to_string(expected.size()) +
                        (name == "support.dat" ? " support files in their order"
                                               : " pages in page order"));
            }
        }
    }

    // Extracts a member as the reader does and returns its bytes; the file is removed again.
    bool Extract(const std::string& archive, const std::string& member,
                 std::vector<uint8_t>& bytes) {
        try {
            if (ExtractArchiveMember(Archive(archive), member) == "filenotfound") {
                Problem(archive + ": the reader does not find member \"" + member + "\"");
                return false;
            }
            const std::string file = WorkingFolder() + member;
            bytes = ReadWholeFile(file, kSource);
            std::filesystem::remove(file);
            return true;
        } catch (const Error& e) {
            Problem(archive + ": extracting \"" + member + "\" fails: " + e.Description());
        } catch (const PackError& e) {
            Problem(e.what());
        }
        return false;
    }

    bool Table(const std::string& member, const std::string& separator, size_t entries,
               std::vector<std::string>& table) {
        std::vector<uint8_t> bytes;
        if (!Extract("support.dat", member, bytes)) {
            return false;
        }
        table = Split(std::string(bytes.begin(), bytes.end()), separator);
        if (table.size() != entries) {
            Problem(member + ": " + std::to_string(table.size()) + " entries, expected " +
                    std::to_string(entries));
            return false;
        }
        return true;
    }

    bool NumberTable(const std::string& member, size_t entries, int low, int high,
                     std::vector<int>& numbers) {
        std::vector<std::string> table;
        if (!Table(member, "\r\n", entries, table)) {
            return false;
        }
        for (size_t k = 0; k < table.size(); ++k) {
            int v = 0;
            if (!ToNumber(table[k], v) || v < low || v > high) {
                Problem(member + ": entry " + std::to_string(k + 1) + " \"" + table[k] +
                        "\" is not a number from " + std::to_string(low) + " to " +
                        std::to_string(high));
                return false;
            }
            numbers.push_back(v);
        }
        return true;
    }

    // A juz or hizb quarter that starts with verse `at`, found on `page`, must have that page in
    // its table.
    void CheckStartPage(const std::vector<Juz>& starts, const std::vector<int>& table,
                        const VerseRef& at, int page, const std::string& what) {
        for (size_t j = 0; j < starts.size(); ++j) {
            if (starts[j].start == at && table.size() > j && table[j] != page) {
                Problem(what + " " + std::to_string(j + 1) + " begins at " +
                        Ref(at.sura, at.verse) + " on page " + std::to_string(page) +
                        ", the table says " + std::to_string(table[j]));
            }
        }
    }

    bool CheckSupport() {
        bool ok = NumberTable("quranpageindex.txt", kSuraCount, 1, kPageCount, suraPages_);
        ok = NumberTable("juzpageindex.txt", kJuzCount, 1, kPageCount, juzPages_) && ok;
        ok = NumberTable("hizbquarterindex.txt", kHizbQuarterCount, 1, kPageCount, quarterPages_) &&
             ok;
        ok = NumberTable("verse-count.txt", kSuraCount, 1, 286, verseCounts_) && ok;

        std::vector<std::string> names;
        if (Table("suranamesenglish.txt", "\r\n", kSuraCount, names)) {
            for (size_t k = 0; k < names.size(); ++k) {
                const std::string prefix = std::to_string(k + 1) + ". ";
                if (names[k].rfind(prefix, 0) != 0 || names[k].size() == prefix.size()) {
                    Problem("suranamesenglish.txt: line " + std::to_string(k + 1) + " \"" +
                            names[k] + "\" is not \"" + prefix + "<name>\"");
                }
            }
        } else {
            ok = false;
        }

        std::vector<std::string> starts;
        if (Table("pagestartsuraverse.txt", ";", kPageCount, starts)) {
            for (size_t k = 0; k < starts.size(); ++k) {
                const std::vector<std::string> pair = Split(starts[k], ",");
                VerseRef r;
                if (pair.size() != 2 || !ToNumber(pair[0], r.sura) || !ToNumber(pair[1], r.verse) ||
                    r.sura < 1 || r.sura > kSuraCount || r.verse < 1) {
                    Problem("pagestartsuraverse.txt: entry " + std::to_string(k + 1) + " \"" +
                            starts[k] + "\" is not sura,verse");
                    ok = false;
                    break;
                }
                pageStarts_.push_back(r);
            }
        } else {
            ok = false;
        }

        int total = 0;
        for (int c : verseCounts_) {
            total += c;
        }
        if (!verseCounts_.empty() && total != kVerseCount) {
            Problem("verse-count.txt: the counts add up to " + std::to_string(total) + ", not " +
                    std::to_string(kVerseCount));
            ok = false;
        }
        if (src_ != nullptr && verseCounts_.size() == src_->suras.size()) {
            for (size_t k = 0; k < verseCounts_.size(); ++k) {
                if (verseCounts_[k] != static_cast<int>(src_->suras[k].verses.size())) {
                    Problem("verse-count.txt: sura " + std::to_string(k + 1) + " has " +
                            std::to_string(verseCounts_[k]) + " verses, the source " +
                            std::to_string(src_->suras[k].verses.size()));
                }
            }
        }
        for (size_t j = 1; j < juzPages_.size(); ++j) {
            if (juzPages_[j] <= juzPages_[j - 1]) {
                Problem("juzpageindex.txt: juz " + std::to_string(j + 1) +
                        " does not begin after juz " + std::to_string(j));
            }
        }
        for (size_t q = 1; q < quarterPages_.size(); ++q) {
            if (quarterPages_[q] < quarterPages_[q - 1]) {
                Problem("hizbquarterindex.txt: quarter " + std::to_string(q + 1) +
                        " begins before quarter " + std::to_string(q));
            }
        }

        std::vector<uint8_t> bytes;
        if (Extract("support.dat", "surat.txt", bytes)) {
            if (bytes.empty() || bytes.size() % 2 != 0) {
                Problem("surat.txt: not a UTF-16LE text");
                ok = false;
            } else {
                marker_ = FromUtf16Le(bytes);
                if (marker_[0] == 0xFEFF) {
                    Problem("surat.txt: starts with a byte-order mark");
                }
                if (marker_.find_first_of(u"\r\n") != std::u16string::npos) {
                    Problem("surat.txt: holds a line break");
                }
                if (std::any_of(marker_.begin(), marker_.end(), IsAnyDigit)) {
                    Problem("surat.txt: holds a digit");
                }
            }
        } else {
            ok = false;
        }
        if (Extract("support.dat", "border.html", bytes)) {
            CheckBorder(std::string(bytes.begin(), bytes.end()));
        }
        for (const std::string& image : FrameImageNames()) {
            if (Extract("support.dat", image, bytes)) {
                CheckImage(image, bytes);
            }
        }
        if (Extract("support.dat", "credits.txt", bytes) && bytes.empty()) {
            Problem("credits.txt is empty");
        }
        return ok;
    }

    void CheckBorder(const std::string& html) {
        const std::string data = "#data#";
        size_t count = 0;
        for (size_t at = html.find(data); at != std::string::npos; at = html.find(data, at + 1)) {
            ++count;
        }
        if (count != 1) {
            Problem("border.html: holds \"#data#\" " + std::to_string(count) +
                    " times, expected once");
        }
        if (html.find('\0') != std::string::npos) {
            Problem("border.html: not single-byte text");
        }
        const std::string placeholder = "##imagepath##";
        std::set<std::string> referenced;
        for (size_t at = html.find(placeholder); at != std::string::npos;
             at = html.find(placeholder, at + 1)) {
            const std::string rest = html.substr(at + placeholder.size());
            bool known = false;
            for (const std::string& image : FrameImageNames()) {
                if (rest.rfind(image, 0) == 0) {
                    known = true;
                    referenced.insert(image);
                }
            }
            if (!known) {
                Problem("border.html: \"##imagepath##\" is not followed by a frame image name");
            }
        }
        for (const std::string& image : FrameImageNames()) {
            if (!referenced.count(image)) {
                Problem("border.html: does not refer to " + image);
            }
        }
    }

    void CheckImage(const std::string& name, const std::vector<uint8_t>& bytes) {
        const bool gif = name.size() > 4 && name.substr(name.size() - 4) == ".gif";
        const std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(6, bytes.size()));
        const bool signature =
            gif ? (head == "GIF89a" || head == "GIF87a")
                : (bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF);
        if (!signature) {
            Problem(name + ": content is not a " + (gif ? "GIF" : "JPEG") + " file");
            return;
        }
        const QImage image = QImage::fromData(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())),
            gif ? "GIF" : "JPEG");
        if (image.isNull()) {
            Problem(name + ": the image does not decode");
        }
    }

    void CheckPages() {
        VerseRef at{1, 1};
        bool finished = false;
        std::map<int, int> suraSeenOn;  // sura -> page of its verse 1
        std::u16string basmala;
        if (src_ != nullptr) {
            basmala = Utf8ToUtf16(src_->suras[0].verses[0]);
        }
        for (int page = 1; page <= kPageCount; ++page) {
            const std::string key = PageKey(page);
            const std::string archive = "order" + key.substr(2) + ".dat";
            std::vector<uint8_t> bytes;
            if (!Extract(archive, key, bytes)) {
                continue;
            }
            ++report_.pagesChecked;
            const std::string where = "page " + key;
            std::u16string text;
            try {
                text = FromUtf16Le(bytes);
            } catch (const PackError&) {
                Problem(where + ": odd number of bytes, not UTF-16LE");
                continue;
            }
            if (!text.empty() && text[0] == 0xFEFF) {
                Problem(where + ": starts with a byte-order mark");
            }
            if (text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n") {
                Problem(where + ": ends with CR LF (the page view would add an empty verse)");
            }
            const std::vector<PageLine> lines = ParsePage(text, marker_, page);
            bool firstVerse = true;
            bool headerPending = false;  // a header was seen, its sura's verse 1 must follow
            for (const PageLine& line : lines) {
                if (line.strayDigit) {
                    Problem(where + ": a digit outside a verse number");
                }
                if (line.kind == PageLine::Kind::Header) {
                    if (headerPending) {
                        Problem(where + ": two sura headers without a verse between them");
                    }
                    headerPending = true;
                    if (src_ != nullptr && !finished && at.verse == 1 &&
                        line.text !=
                            marker_ + u" " + Utf8ToUtf16(src_->suras[at.sura - 1].arabicName)) {
                        Problem(where + ": the header of sura " + std::to_string(at.sura) +
                                " does not name it");
                    }
                    continue;
                }
                if (line.kind == PageLine::Kind::Basmala) {
                    if (line.text.find(marker_) != std::u16string::npos) {
                        Problem(where + ": the basmala holds the sura-header marker");
                    }
                    if (src_ != nullptr && line.text != basmala) {
                        Problem(where + ": the line after a header is not the basmala");
                    }
                    continue;
                }
                ++report_.versesSeen;
                if (finished) {
                    Problem(where + ": a verse line after 114:6");
                    continue;
                }
                if (firstVerse) {
                    firstVerse = false;
                    if (static_cast<size_t>(page - 1) < pageStarts_.size() &&
                        !(pageStarts_[page - 1] == at)) {
                        Problem(where + ": first verse is " + Ref(at.sura, at.verse) +
                                " but pagestartsuraverse.txt says " +
                                Ref(pageStarts_[page - 1].sura, pageStarts_[page - 1].verse));
                    }
                }
                if (HasPrivateTanween(line.text)) {
                    Problem(where + ": " + Ref(at.sura, at.verse) +
                            " writes open tanween with quran-json's private marks");
                } else if (line.number >= 0 && !line.joinedNumber) {
                    Problem(where + ": the number of " + Ref(at.sura, at.verse) +
                            " follows a breaking space and may start a line");
                } else if (line.number >= 0) {
                    ++report_.versesInMushafForm;
                }
                if (line.number < 0) {
                    Problem(where + ": verse line without a trailing Arabic-Indic number where " +
                            Ref(at.sura, at.verse) + " belongs");
                } else if (line.number != at.verse) {
                    Problem(where + ": verse number " + std::to_string(line.number) + " where " +
                            Ref(at.sura, at.verse) + " belongs");
                }
                if (at.verse == 1) {
                    if (!headerPending) {
                        Problem(where + ": sura " + std::to_string(at.sura) +
                                " begins without a header");
                    }
                    suraSeenOn[at.sura] = page;
                } else if (headerPending) {
                    Problem(where + ": a sura header (or a verse holding the marker) before " +
                            Ref(at.sura, at.verse));
                }
                headerPending = false;
                const std::vector<std::string>* sourceVerses =
                    src_ != nullptr ? &src_->suras[at.sura - 1].verses : nullptr;
                if (sourceVerses != nullptr && at.verse > static_cast<int>(sourceVerses->size())) {
                    Problem(where + ": " + Ref(at.sura, at.verse) + " is not in the source text");
                } else if (sourceVerses != nullptr) {
                    const std::string& expected = (*sourceVerses)[at.verse - 1];
                    if (line.body != Utf8ToUtf16(expected)) {
                        Problem(where + ": the text of " + Ref(at.sura, at.verse) +
                                " differs from the source");
                    }
                    CheckStartPage(src_->juzStarts, juzPages_, at, page, "juzpageindex.txt: juz");
                    CheckStartPage(src_->hizbQuarterStarts, quarterPages_, at, page,
                                   "hizbquarterindex.txt: quarter");
                }
                // Next verse by the verse-count table, as the reader counts.
                if (at.verse < verseCounts_[at.sura - 1]) {
                    ++at.verse;
                } else if (at.sura < kSuraCount) {
                    at = {at.sura + 1, 1};
                } else {
                    finished = true;
                }
            }
            if (firstVerse) {
                Problem(where + ": holds no verse line");
            }
            if (headerPending) {
                Problem(where + ": ends with a sura header");
            }
        }
        if (!finished) {
            Problem("the pages end before 114:6 (next expected " + Ref(at.sura, at.verse) + ")");
        }
        for (int s = 1; s <= kSuraCount; ++s) {
            const auto it = suraSeenOn.find(s);
            if (it != suraSeenOn.end() && static_cast<size_t>(s - 1) < suraPages_.size() &&
                suraPages_[s - 1] != it->second) {
                Problem("quranpageindex.txt: sura " + std::to_string(s) + " begins on page " +
                        std::to_string(it->second) + ", the table says " +
                        std::to_string(suraPages_[s - 1]));
            }
        }
        if (report_.versesSeen != kVerseCount) {
            Problem("the pages hold " + std::to_string(report_.versesSeen) + " verse lines, not " +
                    std::to_string(kVerseCount));
        }
    }

    std::string dir_;
    const MushafSources* src_;
    VerifyReport report_;
    std::vector<int> suraPages_;
    std::vector<int> juzPages_;
    std::vector<int> quarterPages_;
    std::vector<int> verseCounts_;
    std::vector<VerseRef> pageStarts_;
    std::u16string marker_;
};

}  // namespace

VerifyReport VerifyArchives(const std::string& dir, const MushafSources* sources) {
    return Verifier(dir, sources).Run();
}

}  // namespace pagora::pack
