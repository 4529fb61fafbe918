// The archives that the build wrote beside the programs, read back as the reader reads them.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <filesystem>

#include "data/Module1.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/Build.h"
#include "tools/FrameArt.h"
#include "tools/PageText.h"

namespace pagora::pack {
namespace {

using namespace testing;

const std::string kArchives = PAGORA_ARCHIVE_DIR;

class BuiltArchivesTest : public ::testing::Test {
  protected:
    void SetUp() override { UseWorkingFolder(scratch_.Path()); }

    std::vector<uint8_t> Member(const std::string& archive, const std::string& name) {
        EXPECT_EQ(ExtractArchiveMember(kArchives + "/" + archive, name), "") << name;
        const std::string file = WorkingFolder() + name;
        std::vector<uint8_t> bytes = ReadBytes(file);
        std::filesystem::remove(file);
        return bytes;
    }

    std::vector<std::string> Table(const std::string& name, const std::string& separator) {
        std::vector<std::string> out;
        const std::string text = Text(Member("support.dat", name));
        for (size_t from = 0, at = 0; at != std::string::npos; from = at + separator.size()) {
            at = text.find(separator, from);
            out.push_back(text.substr(from, at - from));
        }
        return out;
    }

    TempDir scratch_;
};

TEST_F(BuiltArchivesTest, AllVersesOnceInOrderAcrossThePages) {
    const MushafSources& src = Sources();
    const std::vector<std::string> starts = Table("pagestartsuraverse.txt", ";");
    ASSERT_EQ(starts.size(), 604u);
    const std::u16string marker = FromUtf16Le(Member("support.dat", "surat.txt"));

    int sura = 1;
    int verse = 1;
    int seen = 0;
    for (int page = 1; page <= 604; ++page) {
        const std::string key = PageKey(page);
        const std::u16string text = FromUtf16Le(Member("order" + key.substr(2) + ".dat", key));
        bool first = true;
        for (const PageLine& line : ParsePage(text, marker, page)) {
            if (line.kind != PageLine::Kind::Verse) {
                continue;
            }
            ASSERT_LE(sura, 114) << "page " << page << " holds a verse after 114:6";
            if (first) {
                EXPECT_EQ(starts[page - 1], std::to_string(sura) + "," + std::to_string(verse))
                    << "page " << page;
                first = false;
            }
            EXPECT_EQ(line.number, verse) << "page " << page;
            EXPECT_EQ(line.body, Utf8ToUtf16(src.suras[sura - 1].verses[verse - 1]))
                << sura << ":" << verse;
            EXPECT_FALSE(line.strayDigit) << sura << ":" << verse;
            ++seen;
            if (++verse > static_cast<int>(src.suras[sura - 1].verses.size())) {
                ++sura;
                verse = 1;
            }
        }
        EXPECT_FALSE(first) << "page " << page << " holds no verse";
    }
    EXPECT_EQ(seen, 6236);
    EXPECT_EQ(sura, 115);
}

// Facts of the printed mushaf, as the reader's tables hold them.
TEST_F(BuiltArchivesTest, IndexTablesHoldTheMadaniLayout) {
    const std::tuple<std::string, size_t, std::vector<std::pair<size_t, std::string>>> tables[] = {
        {"quranpageindex.txt", 114, {{0, "1"}, {1, "2"}, {8, "187"}, {113, "604"}}},
        {"juzpageindex.txt", 30, {{0, "1"}, {1, "22"}, {29, "582"}}},
        {"suranamesenglish.txt", 114, {{1, "2. Al-Baqara"}, {113, "114. An-Naas"}}},
        {"verse-count.txt", 114, {{1, "286"}, {113, "6"}}}};
    for (const auto& [name, size, entries] : tables) {
        const std::vector<std::string> table = Table(name, "\r\n");
        ASSERT_EQ(table.size(), size) << name;
        for (const auto& [at, entry] : entries) {
            EXPECT_EQ(table[at], entry) << name << " " << at;
        }
    }
}

TEST_F(BuiltArchivesTest, MarkerFrameAndImages) {
    const std::vector<uint8_t> marker = Member("support.dat", "surat.txt");
    EXPECT_EQ(marker, ToUtf16Le(kSuraMarker));  // no byte-order mark, no line break

    for (const std::string& image : FrameImageNames()) {
        const std::vector<uint8_t> bytes = Member("support.dat", image);
        const bool gif = image.substr(image.size() - 4) == ".gif";
        const QImage decoded = QImage::fromData(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())),
            gif ? "GIF" : "JPEG");
        ASSERT_FALSE(decoded.isNull()) << image;
        EXPECT_EQ(decoded.size(), QSize(kFrameBand, kFrameBand) * kFrameScale) << image;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 3), gif ? "GIF" : "\xFF\xD8\xFF");
    }
    const std::vector<uint8_t> credits = Member("support.dat", "credits.txt");
    const std::string text(credits.begin(), credits.end());
    EXPECT_NE(text.find("quran-json 3.1.2"), std::string::npos);
    EXPECT_NE(text.find("quran-meta 6.0.17"), std::string::npos);
    EXPECT_NE(text.find("MIT"), std::string::npos);
}

}  // namespace
}  // namespace pagora::pack
