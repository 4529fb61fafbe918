// The sources and their page texts; the built archives read back as the reader reads them; and
// the page frame as the page view shows it.

#include <gmock/gmock.h>

#include <QApplication>
#include <QImage>
#include <QTextDocument>
#include <cstdlib>
#include <tuple>

#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/Build.h"
#include "tools/FrameArt.h"
#include "tools/PageText.h"

namespace pagora::pack {
namespace {

using namespace testing;

// The text the archives are built from is quran-json's reviewed text in its mushaf form.
TEST(MushafSourcesTest, OpenTanweenInUnicodeAndWordsWhole) {
    const MushafSources& src = Sources();
    EXPECT_EQ(std::tuple(src.mapping.versesWithOpenTanween, src.mapping.openTanween,
                         src.mapping.thinSpaces),
              std::tuple(3518, 2901 + 1807 + 1935, 1));
    // The search index's test holds every verse against the source mapped on its own.
    TextMapping mapping;
    EXPECT_EQ(MushafText("a\u0657 b\u065E c\u0656\u0656 d\u2009e", mapping),
              "a\u08F0 b\u08F1 c\u08F2\u08F2 de");
    EXPECT_EQ(MushafText("plain", mapping), "plain");
    EXPECT_EQ(std::tuple(mapping.versesChanged, mapping.openTanween, mapping.thinSpaces),
              std::tuple(1, 4, 1));
}

TEST(MushafSourcesTest, OnlyTheReviewedTextIsTaken) {
    std::vector<std::string> verses;
    for (const Sura& sura : Sources().suras) {
        verses.insert(verses.end(), sura.verses.begin(), sura.verses.end());
    }
    // The sources hold the mapped text, which is no longer the text that was reviewed: one
    // word fewer (the thin space is gone), and with a word more, another SHA-256.
    using ::testing::HasSubstr;
    auto refused = [&](auto... texts) {
        EXPECT_THAT([&] { RequireReviewedText(verses, "quran-json 9.9.9"); },
                    ::testing::ThrowsMessage<PackError>(::testing::AllOf(HasSubstr(texts)...)));
    };
    refused("quran-json 9.9.9: the verse text holds 77428 words", "must be reviewed");
    verses[0] += " word";
    refused("quran-json 9.9.9: the SHA-256 of the verse text is", kReviewedTextSha256);
}

// Every verse line of every page is checked through the built archives; here the lines around
// them: headers, and basmala lines except on page 1 (where it is verse 1:1) and before sura 9.
TEST(PageLinesTest, HeadersAndBasmalaLines) {
    const MushafSources& src = Sources();
    const std::u16string basmala = Utf8ToUtf16(src.suras[0].verses[0]);
    const auto p1 = PageLines(src, 1);
    ASSERT_EQ(p1.size(), 8u);
    EXPECT_EQ(p1[0], kSuraMarker + u" " + Utf8ToUtf16(src.suras[0].arabicName));
    EXPECT_EQ(p1[1], basmala + u"\u00A0\u0661");
    for (const int page : {2, 187, 604}) {
        const auto lines = PageLines(src, page);
        std::vector<int> headers;  // their suras
        for (size_t k = 0; k < lines.size(); ++k) {
            for (int sura = 1; sura <= 114; ++sura) {
                if (lines[k] == kSuraMarker + u" " + Utf8ToUtf16(src.suras[sura - 1].arabicName)) {
                    headers.push_back(sura);
                    ASSERT_LT(k + 1, lines.size());
                    EXPECT_EQ(lines[k + 1] == basmala, sura != 9) << page;
                }
            }
        }
        EXPECT_EQ(headers, (page == 2     ? std::vector<int>{2}
                            : page == 187 ? std::vector<int>{9}
                                          : std::vector<int>{112, 113, 114}));
    }
}

TEST(PageLinesTest, TextThatWouldBreakThePageViewFailsTheBuild) {
    // A marker or a digit in a verse, a line break, a marker in the basmala (which page 2 shows
    // too) and a mark that the mushaf font would not draw as open tanween.
    const std::pair<int, std::string> edits[] = {{2, " " + Utf16ToUtf8(kSuraMarker)},
                                                 {2, " 7"},
                                                 {0, "\r\n"},
                                                 {-1, Utf16ToUtf8(kSuraMarker)},
                                                 {2, "\u065E"}};
    for (const auto& [verse, added] : edits) {
        MushafSources edited = Sources();
        (verse < 0 ? edited.suras[0].verses[0] : edited.suras[1].verses[verse]) += added;
        EXPECT_THROW(PageLines(edited, 2), PackError) << added;
        EXPECT_NO_THROW(PageLines(edited, 3)) << added;
    }
    EXPECT_THROW(PageLines(Sources(), 0), PackError);
    EXPECT_THROW(PageLines(Sources(), 605), PackError);
}

// The kind, number, body and flags of a parsed line.
std::tuple<PageLine::Kind, int, std::u16string, bool, bool> Parts(const PageLine& line) {
    return {line.kind, line.number, line.body, line.joinedNumber, line.strayDigit};
}

// Headers, basmala lines and verse numbers are read back from every built page; here the
// lines no built page has.
TEST(ParsePageTest, ClassifiesLinesAsThePageViewDoes) {
    using enum PageLine::Kind;
    const std::u16string m = kSuraMarker;
    EXPECT_EQ(Parts(ParsePage(u"verse \u0662\u0663", m, 5)[0]),
              std::tuple(Verse, 23, u"verse", false, false));
    EXPECT_EQ(Parts(ParsePage(u"verse\u00A0\u0661", m, 5)[0]),
              std::tuple(Verse, 1, u"verse", true, false));
    // A trailing CR LF is one more (empty) verse line, and stray digits are flagged.
    const auto trailing = ParsePage(u"a \u0661\r\n", m, 5);
    ASSERT_EQ(trailing.size(), 2u);
    EXPECT_EQ(trailing[1].number, -1);
    for (const char16_t* stray : {u"a 1 b \u0661", u"a\u0663b \u0661", u"ab \u0661"}) {
        EXPECT_EQ(ParsePage(stray, m, 5)[0].strayDigit, stray[1] != u'b');  // not in "ab"
    }
    EXPECT_TRUE(ParsePage(u"", m, 5).empty());
}

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

    int sura = 1, verse = 1;
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
            if (++verse > static_cast<int>(src.suras[sura - 1].verses.size())) {
                ++sura;
                verse = 1;
            }
        }
        EXPECT_FALSE(first) << "page " << page << " holds no verse";
    }
    EXPECT_EQ(sura, 115);  // every verse of the sources, each once
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
        const QImage decoded =
            QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), gif ? "GIF" : "JPEG");
        ASSERT_FALSE(decoded.isNull()) << image;
        EXPECT_EQ(decoded.size(), QSize(kFrameBand, kFrameBand) * kFrameScale) << image;
    }
    const std::string credits = Text(Member("support.dat", "credits.txt"));
    for (const char* credit : {"quran-json 3.1.2", "quran-meta 6.0.17", "MIT"}) {
        EXPECT_NE(credits.find(credit), std::string::npos) << credit;
    }
}

TEST_F(BuiltArchivesTest, FrameImagesSurroundThePage) {
    for (const std::string& image : FrameImageNames()) {
        ASSERT_EQ(ExtractArchiveMember(kArchives + "/support.dat", image), "") << image;
    }
    QString frame = QString::fromLatin1(Text(Member("support.dat", "border.html")).c_str());
    frame.replace("##imagepath##", QString::fromStdString(WorkingFolder()));
    frame.replace("#data#", "<div style=\"font-size: 30px\">x<br>x<br>x<br>x</div>");

    BrowserControl view(QStringLiteral("wbSinglePage"));
    view.setFrameStyle(QFrame::NoFrame);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.document()->setDocumentMargin(0);
    view.resize(400, 400);
    view.show();
    view.DocumentClear();
    view.DocumentWrite("<HTML Dir=\"RTL\"><BODY>" + frame + "</BODY></HTML>");
    view.DocumentClose();
    QApplication::processEvents();
    const QSize size = view.document()->size().toSize();
    ASSERT_GE(size.height(), 2 * kFrameBand + 60);
    ASSERT_LE(size.height(), 400);
    const QImage shot = view.viewport()->grab(QRect(QPoint(0, 0), size)).toImage();

    const int w = size.width(), h = size.height();
    auto distance = [&](int x, int y, QColor c) {
        const QRgb px = shot.pixel(x, y);
        return std::abs(qRed(px) - c.red()) + std::abs(qGreen(px) - c.green()) +
               std::abs(qBlue(px) - c.blue());
    };
    // The outer gold rule (depth 1) at the corners and the middle of each side.
    for (int x : {1, w / 2, w - 2}) {
        for (int y : {1, h / 2, h - 2}) {
            if (x != w / 2 || y != h / 2) {
                EXPECT_LT(distance(x, y, QColor(0xC9, 0xA4, 0x3A)), 40) << x << "," << y;
            }
        }
    }
    // The green field (depth 8) on the sides, where the JPEG strips lie; parchment inside.
    for (int x : {8, w - 9}) {
        EXPECT_LT(distance(x, h / 2 + 12, QColor(0x0E, 0x4B, 0x3B)), 60) << x;
    }
    for (int x : {kFrameBand + 3, w - kFrameBand - 3}) {
        EXPECT_LT(distance(x, h / 2, QColor(0xFB, 0xF3, 0xDC)), 20) << x;
    }
}

}  // namespace
}  // namespace pagora::pack
