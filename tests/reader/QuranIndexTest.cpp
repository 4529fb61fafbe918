#include <gtest/gtest.h>

#include <tuple>

#include "reader/QuranIndex.h"

namespace pagora {
namespace {

// A made-up book of six pages (starting at 1:1, 2:6, 2:26, 3:4, 5:2, 5:3) and five suras.
QuranIndex SmallBook() {
    QuranIndex index;
    index.pageStart = SplitTable(QStringLiteral("1,1;2,6;2,26;3,4;5,2;5,3"), QStringLiteral(";"));
    index.suraNames = SplitTable(QStringLiteral("One\r\nTwo\r\nThree\r\nFour\r\nFive\r\n"),
                                 QStringLiteral("\r\n"));
    index.verseCount =
        SplitTable(QStringLiteral("7\r\n286\r\n5\r\n2\r\n3"), QStringLiteral("\r\n"));
    return index;
}

TEST(Tables, SplitKeepsEmptyPiecesSoThatLineNMeansEntryN) {
    EXPECT_EQ(SplitTable(QStringLiteral("a;;b;"), QStringLiteral(";")),
              (QStringList{"a", "", "b", ""}));
}

TEST(SurasInPage, OneOrTwoNamesGetALeadingLineBreakAndThreeNothing) {
    QuranIndex book = SmallBook();
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
    EXPECT_EQ(SurasInPage(book, 1), "\r\nOne\r\nTwo");  // page 2 begins at 2,6
    EXPECT_EQ(SurasInPage(book, 3), "\r\nTwo\r\nThree");
    EXPECT_EQ(SurasInPage(book, 4), "Three\r\nFour\r\nFive");
    // A successor opening a new sura is not listed.
    book.pageStart[2] = QStringLiteral("3,1");
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
    // Tables that do not cover the page give empty text.
    EXPECT_EQ(SurasInPage(book, 0), "");
    EXPECT_EQ(SurasInPage(book, 6), "");  // no entry for page 7
    book.pageStart[1] = QStringLiteral("x");
    EXPECT_EQ(SurasInPage(book, 2), "");
}

TEST(SurasInPage, LastPageRunsToSura114) {
    QuranIndex book;
    book.pageStart = QStringList(604, QStringLiteral("112,1"));
    for (int s = 1; s <= 114; ++s) {
        book.suraNames << QStringLiteral("S%1").arg(s);
    }
    EXPECT_EQ(SurasInPage(book, 604), "S112\r\nS113\r\nS114");
}

TEST(GetSuraVerse, CountsOnFromTheFirstVerseOfThePageAcrossAnyNumberOfSuraEnds) {
    // Sura 3 has 5 verses, sura 4 has 2; sura 6 has no count, so the verse is not carried on.
    const std::tuple<int, int, QString> verses[] = {
        {2, 3, "2:8"}, {2, 1, "2:6"}, {1, 7, "1:7"}, {1, 8, "2:1"}, {4, 2, "3:5"}, {4, 3, "4:1"},
        {4, 4, "4:2"}, {4, 5, "5:1"}, {4, 7, "5:3"}, {6, 2, "6:1"}, {7, 1, ""}};
    for (const auto& [page, link, reference] : verses) {
        EXPECT_EQ(GetSuraVerse(SmallBook(), page, link), reference) << page << "/" << link;
    }
}

}  // namespace
}  // namespace pagora
