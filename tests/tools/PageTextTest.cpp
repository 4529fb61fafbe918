#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/ToolsTestUtil.h"
#include "tools/PageText.h"

namespace pagora::pack {
namespace {

using namespace testing;

TEST(MushafSourcesTest, LayoutMatchesTheMadaniMushaf) {
    const MushafSources& src = Sources();
    ASSERT_EQ(src.suras.size(), 114u);
    ASSERT_EQ(src.pageStarts.size(), 604u);
    ASSERT_EQ(src.juzStarts.size(), 30u);
    EXPECT_EQ(src.VerseCount(), 6236);
    EXPECT_EQ(src.pageStarts[0], (VerseRef{1, 1}));
    EXPECT_EQ(src.pageStarts[1], (VerseRef{2, 1}));
    EXPECT_EQ(src.pageStarts[186], (VerseRef{9, 1}));
    EXPECT_EQ(src.pageStarts[603], (VerseRef{112, 1}));
    EXPECT_EQ(src.suras[1].verses.size(), 286u);
    EXPECT_EQ(src.suras[113].verses.size(), 6u);
    EXPECT_EQ(src.suras[1].transliteration, "Al-Baqara");
    EXPECT_EQ(src.juzStarts[1].page, 22);
    EXPECT_EQ(src.juzStarts[29].page, 582);
    EXPECT_EQ(src.quranJson.version, "3.1.2");
    EXPECT_EQ(src.quranMeta.version, "6.0.17");
}

// The text the archives are built from is quran-json's reviewed text in its mushaf form.
TEST(MushafSourcesTest, OpenTanweenInUnicodeAndWordsWhole) {
    const MushafSources& src = Sources();
    EXPECT_EQ(src.mapping.versesWithOpenTanween, 3518);
    EXPECT_EQ(src.mapping.openTanween, 2901 + 1807 + 1935);
    EXPECT_EQ(src.mapping.thinSpaces, 1);
    int unicodeOpen = 0;
    for (const Sura& sura : src.suras) {
        for (const std::string& verse : sura.verses) {
            const std::u16string text = Utf8ToUtf16(verse);
            EXPECT_FALSE(HasPrivateTanween(text)) << verse;
            EXPECT_EQ(text.find(u'\u2009'), std::u16string::npos) << verse;
            unicodeOpen += text.find_first_of(u"\u08F0\u08F1\u08F2") != std::u16string::npos;
        }
    }
    EXPECT_EQ(unicodeOpen, 3518);
    // 2:2, hudan: open fathatan; 2:7, ghishawatun: open dammatan. 2:72 keeps its letters and
    // marks, without the space that split the word.
    EXPECT_NE(src.suras[1].verses[1].find("\u0647\u064F\u062F\u08F0\u0649"), std::string::npos);
    EXPECT_NE(src.suras[1].verses[6].find("\u08F1"), std::string::npos);
    EXPECT_NE(src.suras[1].verses[71].find(
                  "\u0671\u062F\u0651\u064E\u0640\u0670\u0631\u064E\u0670\u0654\u062A"),
              std::string::npos);

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

TEST(MushafSourcesTest, PageOfVerseFollowsThePageStarts) {
    const MushafSources& src = Sources();
    EXPECT_EQ(PageOfVerse(src, {1, 7}), 1);
    EXPECT_EQ(PageOfVerse(src, {2, 5}), 2);
    EXPECT_EQ(PageOfVerse(src, {2, 6}), 3);
    EXPECT_EQ(PageOfVerse(src, {9, 1}), 187);
    EXPECT_EQ(PageOfVerse(src, {114, 6}), 604);
}

TEST(PageLinesTest, HeadersBasmalaAndNumberedVerses) {
    const MushafSources& src = Sources();
    const std::u16string basmala = Utf8ToUtf16(src.suras[0].verses[0]);

    // Page 1: the basmala is verse 1:1 itself, so no separate basmala line.
    const auto p1 = PageLines(src, 1);
    ASSERT_EQ(p1.size(), 8u);
    EXPECT_EQ(p1[0], kSuraMarker + u" " + Utf8ToUtf16(src.suras[0].arabicName));
    EXPECT_EQ(p1[1], basmala + u"\u00A0\u0661");
    EXPECT_EQ(p1[7].substr(p1[7].size() - 2), u"\u00A0\u0667");

    const auto p2 = PageLines(src, 2);
    ASSERT_EQ(p2.size(), 7u);  // header, basmala, 2:1..2:5
    EXPECT_NE(p2[0].find(kSuraMarker), std::u16string::npos);
    EXPECT_EQ(p2[1], basmala);
    EXPECT_EQ(p2[2], Utf8ToUtf16(src.suras[1].verses[0]) + u"\u00A0\u0661");
    EXPECT_EQ(p2[6], Utf8ToUtf16(src.suras[1].verses[4]) + u"\u00A0\u0665");

    // Page 187: sura 9 has no basmala.
    const auto p187 = PageLines(src, 187);
    const auto header9 = std::find_if(p187.begin(), p187.end(), [](const std::u16string& l) {
        return l.find(kSuraMarker) != std::u16string::npos;
    });
    ASSERT_NE(header9, p187.end());
    EXPECT_EQ(*(header9 + 1), Utf8ToUtf16(src.suras[8].verses[0]) + u"\u00A0\u0661");

    // Page 604: suras 112, 113 and 114, each with header and basmala.
    const auto p604 = PageLines(src, 604);
    int headers = 0;
    for (size_t k = 0; k < p604.size(); ++k) {
        if (p604[k].find(kSuraMarker) != std::u16string::npos) {
            ++headers;
            ASSERT_LT(k + 1, p604.size());
            EXPECT_EQ(p604[k + 1], basmala);
        }
    }
    EXPECT_EQ(headers, 3);
    EXPECT_EQ(p604.size(), 3u * 2 + 4 + 5 + 6);
}

TEST(PageLinesTest, VerseNumbersAreTheOnlyDigits) {
    const MushafSources& src = Sources();
    const auto lines = PageLines(src, 50);  // sura 3 begins here, with verse numbers past 9
    for (const std::u16string& line : lines) {
        const bool header = line.find(kSuraMarker) != std::u16string::npos;
        size_t digitsFrom = line.size();
        while (digitsFrom > 0 && IsArabicIndicDigit(line[digitsFrom - 1])) {
            --digitsFrom;
        }
        const size_t strayLimit = header ? line.size() : digitsFrom;
        EXPECT_FALSE(std::any_of(line.begin(), line.begin() + strayLimit, IsAnyDigit));
    }
    EXPECT_EQ(ArabicIndicNumber(286), u"\u0662\u0668\u0666");
}

TEST(PageLinesTest, MemberIsUtf16WithCrLfBetweenLinesOnly) {
    const std::vector<uint8_t> bytes = PageMember(Sources(), 2);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_FALSE(bytes[0] == 0xFF && bytes[1] == 0xFE);  // no byte-order mark
    const std::u16string text = FromUtf16Le(bytes);
    EXPECT_NE(text.substr(text.size() - 2), u"\r\n");
    size_t breaks = 0;
    for (size_t at = text.find(u"\r\n"); at != std::u16string::npos;
         at = text.find(u"\r\n", at + 2)) {
        ++breaks;
    }
    EXPECT_EQ(breaks, PageLines(Sources(), 2).size() - 1);
}

TEST(PageLinesTest, TextThatWouldBreakThePageViewFailsTheBuild) {
    MushafSources withMarker = Sources();
    withMarker.suras[1].verses[2] += " " + Utf16ToUtf8(kSuraMarker);
    EXPECT_THROW(PageLines(withMarker, 2), PackError);
    EXPECT_NO_THROW(PageLines(withMarker, 3));

    MushafSources withDigit = Sources();
    withDigit.suras[1].verses[2] += " 7";
    EXPECT_THROW(PageLines(withDigit, 2), PackError);

    MushafSources withBreak = Sources();
    withBreak.suras[1].verses[0] += "\r\n";
    EXPECT_THROW(PageLines(withBreak, 2), PackError);

    // The basmala appears on page 2 too, so a marker in it fails there.
    MushafSources markedBasmala = Sources();
    markedBasmala.suras[0].verses[0] += Utf16ToUtf8(kSuraMarker);
    EXPECT_THROW(PageLines(markedBasmala, 2), PackError);

    // A mark that the mushaf font would not draw as open tanween.
    MushafSources privateMark = Sources();
    privateMark.suras[1].verses[2] += "\u065E";
    EXPECT_THROW(PageLines(privateMark, 2), PackError);

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
