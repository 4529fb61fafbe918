// Folding of verses and queries, matching with the optional alef, and verse references.

#include <gtest/gtest.h>

#include <QString>

#include "reader/search/Folding.h"
#include "reader/search/SearchIndex.h"

namespace pagora::search {
namespace {

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string Verse(std::u16string_view text) {
    std::u16string folded;
    std::vector<int> origin;
    FoldVerse(Q(text), folded, origin);
    return folded;
}

TEST(FoldingTest, DropsMarksTatweelSignsHamzaOnTheLineAndWhiteSpace) {
    // Between two letters: harakat, shadda, sukun, the open tanween forms of the text, small
    // high letters and Quranic marks (all Mn), then the named characters and white space.
    for (const char16_t dropped :
         {u'\u064E', u'\u0651', u'\u0652', u'\u0657', u'\u065E', u'\u0656', u'\u08F0', u'\u06D6',
          u'\u06DA', u'\u06DF', u'\u06E2', u'\u06ED', u'\u0640', u'\u06DE', u'\u06E9', u'\u06E5',
          u'\u06E6', u'\u0621', u' ',      u'\u00A0', u'\u2009', u'\t',     u'\n'}) {
        const std::u16string text = std::u16string(u"\u0628") + dropped + u"\u062A";
        EXPECT_EQ(FoldQuery(Q(text)), u"\u0628\u062A") << std::hex << int(dropped);
        std::u16string folded;
        std::vector<int> origin;
        FoldVerse(Q(text), folded, origin);
        EXPECT_EQ(folded, u"\u0628\u062A") << std::hex << int(dropped);
        EXPECT_EQ(origin, (std::vector<int>{0, 2}));
    }
    // Everything else stays: letters, digits, punctuation, the end-of-ayah sign (Cf).
    EXPECT_EQ(FoldQuery(u"\u0600\u0628x1\u0661:\u060C\u06DD"),
              u"\u0600\u0628x1\u0661:\u060C\u06DD");
}

TEST(FoldingTest, MapsLetterForms) {
    const std::pair<char16_t, char16_t> mapped[] = {{u'\u0623', u'\u0627'}, {u'\u0625', u'\u0627'},
                                                    {u'\u0622', u'\u0627'}, {u'\u0671', u'\u0627'},
                                                    {u'\u0672', u'\u0627'}, {u'\u0673', u'\u0627'},
                                                    {u'\u0649', u'\u064A'}, {u'\u0629', u'\u0647'},
                                                    {u'\u0624', u'\u0648'}, {u'\u0626', u'\u064A'}};
    for (const auto& [from, to] : mapped) {
        EXPECT_EQ(FoldQuery(Q(std::u16string(1, from))), std::u16string(1, to));
        EXPECT_EQ(Verse(std::u16string(1, from)), std::u16string(1, to));
    }
    // The superscript alef: an alef in a query, kept as the optional alef in a verse.
    EXPECT_EQ(FoldQuery(u"\u0647\u0670\u0630\u0627"), u"\u0647\u0627\u0630\u0627");
    EXPECT_EQ(Verse(u"\u0647\u064E\u0670\u0630\u064E\u0627"), u"\u0647\u0670\u0630\u0627");
}

TEST(FoldingTest, OptionalAlefMatchesAnAlefOrNothing) {
    const std::u16string hadha = Verse(u"\u0647\u064E\u0670\u0630\u064E\u0627");  // هَٰذَا
    for (const char16_t* query : {u"\u0647\u0630\u0627", u"\u0647\u0627\u0630\u0627",
                                  u"\u0647\u0670\u0630\u0627", u"\u0630\u0627", u"\u0627"}) {
        EXPECT_TRUE(Matcher(Q(query)).FoundIn(hadha)) << Q(query).toStdString();
    }
    // The letters of a text that holds a query include the query's, also when the text's only
    // alef is the optional one (هَٰذِهِ).
    const std::u16string hadhihi = Verse(u"\u0647\u064E\u0670\u0630\u0650\u0647\u0650");
    const Matcher withAlef(u"\u0647\u0627\u0630\u0647");
    EXPECT_TRUE(withAlef.FoundIn(hadhihi));
    EXPECT_EQ(withAlef.Letters() & ~LetterSet(hadhihi), 0u);
    EXPECT_NE(LetterSet(u"\u0628"), LetterSet(u"\u0627"));
    // Not another letter, not twice, and the text's real letters are not optional.
    for (const char16_t* query : {u"\u0647\u0648\u0630\u0627", u"\u0647\u0627\u0627\u0630\u0627",
                                  u"\u0647\u0630\u0630\u0627", u"\u0630\u0627\u0627"}) {
        EXPECT_FALSE(Matcher(Q(query)).FoundIn(hadha)) << Q(query).toStdString();
    }
    // The Uthmani and the everyday spellings of the rules' examples.
    EXPECT_TRUE(Matcher(u"\u064A\u0627 \u0623\u064A\u0647\u0627 \u0627\u0644\u0630\u064A\u0646")
                    .FoundIn(Verse(u"\u064A\u064E\u0670\u0653\u0623\u064E\u064A\u0651\u064F"
                                   u"\u0647\u064E\u0627 \u0671\u0644\u0651\u064E\u0630\u0650"
                                   u"\u064A\u0646\u064E")));
    EXPECT_TRUE(Matcher(u"\u0622\u0645\u0646\u0648\u0627")
                    .FoundIn(Verse(u"\u0621\u064E\u0627\u0645\u064E\u0646\u064F\u0648\u0653"
                                   u"\u0627\u06DF")));
}

TEST(FoldingTest, EmptyQueriesFindNothing) {
    for (const char16_t* query : {u"", u"  ", u"\u064E\u0640", u"\u0621"}) {
        const Matcher matcher(Q(query));
        EXPECT_TRUE(matcher.IsEmpty());
        EXPECT_FALSE(matcher.FoundIn(u"\u0628\u062A"));
        EXPECT_TRUE(matcher.Occurrences(u"\u0628\u062A").empty());
    }
}

TEST(FoldingTest, OccurrencesAreLeftmostAndDoNotOverlap) {
    const char16_t b = u'\u0628';
    const std::u16string ba = {b, u'\u0627'};
    // با, a lone ب, ب with the optional alef taken as ا, then با.
    const std::u16string text = {b, u'\u0627', b, b, kOptionalAlef, b, u'\u0627'};
    EXPECT_EQ(Matcher(Q(ba)).Occurrences(text), (std::vector<Span>{{0, 2}, {3, 5}, {5, 7}}));
    // A skipped optional alef lies inside the match; ببب holds one ب ب match, not two.
    EXPECT_EQ(Matcher(u"\u0628\u0628").Occurrences(std::u16string{b, kOptionalAlef, b}),
              (std::vector<Span>{{0, 3}}));
    EXPECT_EQ(Matcher(u"\u0628\u0628").Occurrences(std::u16string(3, b)),
              (std::vector<Span>{{0, 2}}));
}

TEST(FoldingTest, LongQueriesSpanSeveralMachineWords) {
    // 150 letters with an alef at every third place; the text writes some as optional alefs.
    std::u16string query;
    for (int k = 0; k < 150; ++k) {
        query += k % 3 == 0 ? u'\u0627' : (k % 2 ? u'\u0628' : u'\u062A');
    }
    std::u16string text = u"\u0646" + query + u"\u0646";
    for (size_t k = 1; k < text.size(); k += 6) {
        if (text[k] == u'\u0627') {
            text[k] = kOptionalAlef;
        }
    }
    const Matcher matcher(Q(query));
    EXPECT_TRUE(matcher.FoundIn(text));
    EXPECT_EQ(matcher.Occurrences(text), (std::vector<Span>{{1, 151}}));
    text[150] = u'\u0646';
    EXPECT_FALSE(matcher.FoundIn(text));
}

TEST(VerseReferenceTest, ParsesSuraColonVerseInThreeKindsOfDigits) {
    const VerseReference ayatAlKursi{2, 255};
    for (const char16_t* text :
         {u"2:255", u"\u0662:\u0662\u0665\u0665", u"\u06F2:\u06F2\u06F5\u06F5",
          u" 2 : \u0662\u06F55 ", u"002:255"}) {
        EXPECT_EQ(ParseVerseReference(Q(text)), ayatAlKursi) << Q(text).toStdString();
    }
    for (const char16_t* text : {u"", u"2", u"2:", u":5", u"2:255a", u"0:1", u"2:0", u"2-255",
                                 u"2:2:2", u"12345:1", u"\u0628 2:255", u"2\uFF1A255"}) {
        EXPECT_EQ(ParseVerseReference(Q(text)), std::nullopt) << Q(text).toStdString();
    }
}

}  // namespace
}  // namespace pagora::search
