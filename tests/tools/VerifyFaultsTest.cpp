// pagora-pack verify must catch archives that would mislead the reader.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "data/ArchiveFormat.h"
#include "data/ArchiveWriter.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/Build.h"
#include "tools/PageText.h"
#include "tools/Verify.h"

namespace pagora::pack {
namespace {

using namespace testing;

class VerifyFaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& name : ArchiveFileNames()) {
            std::filesystem::copy_file(std::string(PAGORA_ARCHIVE_DIR) + "/" + name, dir_ / name);
        }
    }

    // Rewrites page `page` of its page archive with `edit` applied to its text.
    void EditPage(int page, const std::function<void(std::u16string&)>& edit) {
        const int digit = page % 10;
        std::vector<ArchiveMember> members = PageArchiveMembers(Sources(), digit);
        for (ArchiveMember& m : members) {
            if (m.name == PageKey(page)) {
                std::u16string text = FromUtf16Le(m.content);
                edit(text);
                m.content = ToUtf16Le(text);
            }
        }
        WriteArchive(dir_ / ("order" + std::to_string(digit) + ".dat"), members);
    }

    void EditSupport(const std::string& name, const std::string& content) {
        std::vector<ArchiveMember> members = SupportMembers(Sources(), PAGORA_NODE_MODULES);
        for (ArchiveMember& m : members) {
            if (m.name == name) {
                m.content.assign(content.begin(), content.end());
            }
        }
        WriteArchive(dir_ / "support.dat", members);
    }

    // True when verification reports a problem containing `text`.
    ::testing::AssertionResult Reports(const std::string& text, bool withSources = false) {
        const VerifyReport report = VerifyArchives(dir_.Path(), withSources ? &Sources() : nullptr);
        std::string all;
        for (const std::string& p : report.problems) {
            if (p.find(text) != std::string::npos) {
                return ::testing::AssertionSuccess();
            }
            all += "\n  " + p;
        }
        return ::testing::AssertionFailure()
               << "no problem mentions \"" << text << "\"; problems:" << all;
    }

    TempDir dir_;
};

TEST_F(VerifyFaultsTest, PageTextsThatWouldMisleadTheReader) {
    const std::tuple<int, std::function<void(std::u16string&)>, std::string, bool> cases[] = {
        {2, [](std::u16string& t) { t.erase(t.rfind(u"\r\n")); },  // drop 2:5
         "page 003: first verse is 2:5", false},
        {3, [](std::u16string& t) { t.back() = u'\u0669'; }, "page 003: verse number", false},
        {3, [](std::u16string& t) { t.insert(0, kSuraMarker); },
         "page 003: a sura header (or a verse holding the marker)", false},
        {4, [](std::u16string& t) { t += u"\r\n"; }, "page 004: ends with CR LF", false},
        {4, [](std::u16string& t) { t.insert(0, u"7"); }, "page 004: a digit outside a verse",
         false},
        {5, [](std::u16string& t) { t.insert(0, u"x"); }, "differs from the source", true},
    };
    for (const auto& [page, edit, problem, withSources] : cases) {
        EditPage(page, edit);
        EXPECT_TRUE(Reports(problem, withSources));
        const std::string archive = "order" + std::to_string(page % 10) + ".dat";
        std::filesystem::copy_file(std::string(PAGORA_ARCHIVE_DIR) + "/" + archive, dir_ / archive,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

TEST_F(VerifyFaultsTest, PrivateTanweenOrABreakBeforeTheNumber) {
    EditPage(6, [](std::u16string& t) { t.insert(0, u"\u0657"); });
    EXPECT_TRUE(Reports("writes open tanween with quran-json's private marks"));
    EditPage(6, [](std::u16string& t) { t[t.find(u'\u00A0')] = u' '; });
    EXPECT_TRUE(Reports("follows a breaking space and may start a line"));
    EXPECT_EQ(VerifyArchives(dir_.Path(), nullptr).versesInMushafForm, 6235);
}

TEST_F(VerifyFaultsTest, SupportTablesThatDisagree) {
    std::string pages;
    for (int s = 1; s <= 114; ++s) {
        if (s > 1) {
            pages += "\r\n";
        }
        pages += s == 3 ? "51" : std::to_string(PageOfVerse(Sources(), {s, 1}));
    }
    EditSupport("quranpageindex.txt", pages);
    EXPECT_TRUE(Reports("quranpageindex.txt: sura 3 begins on page 50, the table says 51"));

    EditSupport("verse-count.txt", "7\r\n286");
    EXPECT_TRUE(Reports("verse-count.txt: 2 entries, expected 114"));
}

TEST_F(VerifyFaultsTest, TablesThatDisagreeWithTheSources) {
    // Counts that still add up to 6,236 but move a verse from sura 2 to sura 1.
    std::string counts = "8\r\n285";
    for (int s = 3; s <= 114; ++s) {
        counts += "\r\n" + std::to_string(Sources().suras[s - 1].verses.size());
    }
    EditSupport("verse-count.txt", counts);
    EXPECT_TRUE(Reports("verse-count.txt: sura 1 has 8 verses, the source 7", true));

    std::string juz;
    for (int j = 1; j <= 30; ++j) {
        juz +=
            (j > 1 ? "\r\n" : "") +
            std::to_string(j == 2 ? 23 : PageOfVerse(Sources(), Sources().juzStarts[j - 1].start));
    }
    EditSupport("juzpageindex.txt", juz);
    EXPECT_TRUE(
        Reports("juzpageindex.txt: juz 2 begins at 2:142 on page 22, the table says 23", true));
}

TEST_F(VerifyFaultsTest, FrameWithoutPagePlaceholder) {
    EditSupport("border.html", "<table><tr><td>##imagepath##top.gif</td></tr></table>");
    EXPECT_TRUE(Reports("\"#data#\" 0 times"));
    EXPECT_TRUE(Reports("does not refer to left_top.gif"));
}

TEST_F(VerifyFaultsTest, CorruptStreamAndMissingArchive) {
    const ArchiveEntry e =
        ReadArchiveDirectory(dir_ / "order5.dat", DirectoryReading::kStrict, "test").entries[3];
    std::vector<uint8_t> bytes = ReadBytes(dir_ / "order5.dat");
    bytes[static_cast<size_t>(e.offset + e.size / 2)] ^= 0x5A;
    WriteBytes(dir_ / "order5.dat", bytes);
    EXPECT_TRUE(Reports("order5.dat: member \"035\""));

    std::filesystem::remove(dir_ / "order7.dat");
    EXPECT_TRUE(Reports("order7.dat"));
}

TEST_F(VerifyFaultsTest, MalformedDirectories) {
    const std::pair<std::string, std::string> damaged[] = {
        {"xy", "order1.dat is damaged: it is 2 bytes long, shorter than its trailer"},
        {"abc:      abcdefghij", "hold no directory length"},
        {"1:a:0:3:   99999    ", "would start before the start of the file"},
        {"1:a:0:x:8         ", "the stored size of member 1 \"x\" is not a number"},
        {"a1:a:0:1:9         ", "the member count \"a1\" is not a number"},
        {"2:a:0:1:8         ", "has 4 fields where 2 members need 7"},
        {"1:a/b:0:0:10        ", "\"a/b\" of member 1 is not a plain file name"},
        {"1:" + std::string(5000, 'n') + ":0:0:5007      ",
         "does not fit the reader's 5000-byte buffer"},
    };
    for (const auto& [bytes, problem] : damaged) {
        WriteText(dir_ / "order1.dat", bytes);
        EXPECT_TRUE(Reports(problem)) << bytes;
    }
}

}  // namespace
}  // namespace pagora::pack
