#include <gtest/gtest.h>

#include "tests/tools/ToolsTestUtil.h"
#include "tools/PageText.h"

namespace pagora::pack {
namespace {

using namespace testing;

// The text the archives are built from is quran-json's reviewed text in its mushaf form.
TEST(MushafSourcesTest, OpenTanweenInUnicodeAndWordsWhole) {
    const MushafSources& src = Sources();
    EXPECT_EQ(src.mapping.versesWithOpenTanween, 3518);
    EXPECT_EQ(src.mapping.openTanween, 2901 + 1807 + 1935);
    EXPECT_EQ(src.mapping.thinSpaces, 1);
    // The search index's test holds every verse against the source mapped on its own.
    TextMapping mapping;
    EXPECT_EQ(MushafText("a\u0657 b\u065E c\u0656\u0656 d\u2009e", mapping),
              "a\u08F0 b\u08F1 c\u08F2\u08F2 de");
    EXPECT_EQ(MushafText("plain", mapping), "plain");
    EXPECT_EQ(mapping.versesChanged, 1);
    EXPECT_EQ(mapping.openTanween, 4);
    EXPECT_EQ(mapping.thinSpaces, 1);
}

TEST(MushafSourcesTest, OnlyTheReviewedTextIsTaken) {
    std::vector<std::string> verses;
    for (const Sura& sura : Sources().suras) {
        verses.insert(verses.end(), sura.verses.begin(), sura.verses.end());
    }
    // The sources hold the mapped text, which is no longer the text that was reviewed: one
    // word fewer (the thin space is gone), and with a word more, another SHA-256.
    auto failure = [&](const std::vector<std::string>& text) -> std::string {
        try {
            RequireReviewedText(text, "quran-json 9.9.9");
        } catch (const PackError& e) {
            return e.what();
        }
        return "";
    };
    const std::string mapped = failure(verses);
    EXPECT_NE(mapped.find("quran-json 9.9.9: the verse text holds 77428 words"), std::string::npos)
        << mapped;
    EXPECT_NE(mapped.find("must be reviewed"), std::string::npos);
    verses[0] += " word";
    const std::string changed = failure(verses);
    EXPECT_NE(changed.find("quran-json 9.9.9: the SHA-256 of the verse text is"), std::string::npos)
        << changed;
    EXPECT_NE(changed.find(kReviewedTextSha256), std::string::npos);
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

TEST(ParsePageTest, ClassifiesLinesAsThePageViewDoes) {
    const std::u16string m = kSuraMarker;
    const std::u16string text = m + u" x\r\nbasmala\r\nverse \u0661\r\nverse \u0662\u0663";
    const auto lines = ParsePage(text, m, 5);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].kind, PageLine::Kind::Header);
    EXPECT_EQ(lines[1].kind, PageLine::Kind::Basmala);
    EXPECT_EQ(lines[2].kind, PageLine::Kind::Verse);
    EXPECT_EQ(lines[2].number, 1);
    EXPECT_EQ(lines[2].body, u"verse");
    EXPECT_FALSE(lines[2].joinedNumber);
    EXPECT_EQ(lines[3].number, 23);
    const auto joined = ParsePage(u"verse\u00A0\u0661", m, 5);
    EXPECT_EQ(joined[0].number, 1);
    EXPECT_EQ(joined[0].body, u"verse");
    EXPECT_TRUE(joined[0].joinedNumber);

    // Pages 1 and 187 have no basmala line: the line after the header is a verse.
    const auto first = ParsePage(m + u" x\r\nverse \u0661", m, 187);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1].kind, PageLine::Kind::Verse);

    // A trailing CR LF is one more (empty) verse line, and stray digits are flagged.
    const auto trailing = ParsePage(u"a \u0661\r\n", m, 5);
    ASSERT_EQ(trailing.size(), 2u);
    EXPECT_EQ(trailing[1].number, -1);
    EXPECT_TRUE(ParsePage(u"a 1 b \u0661", m, 5)[0].strayDigit);
    EXPECT_TRUE(ParsePage(u"a\u0663b \u0661", m, 5)[0].strayDigit);
    EXPECT_FALSE(ParsePage(u"ab \u0661", m, 5)[0].strayDigit);
    EXPECT_TRUE(ParsePage(u"", m, 5).empty());
}

}  // namespace
}  // namespace pagora::pack
