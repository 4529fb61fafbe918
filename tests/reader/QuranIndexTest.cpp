#include <gtest/gtest.h>

#include "reader/QuranIndex.h"

namespace pagora {
namespace {

// A made-up book of six pages and five suras:
// page 1: 1,1 ; page 2: 2,6 ; page 3: 2,26 ; page 4: 3,4 (sura 3 has 5 verses, sura 4 has 2,
// sura 5 has 3); page 5: 5,2 ; page 6: 5,3.
QuranIndex SmallBook() {
    QuranIndex index;
    index.pageStart = SplitTable(QStringLiteral("1,1;2,6;2,26;3,4;5,2;5,3"), QStringLiteral(";"));
    index.suraNames = SplitTable(QStringLiteral("One\r\nTwo\r\nThree\r\nFour\r\nFive\r\n"),
                                 QStringLiteral("\r\n"));
    index.verseCount =
        SplitTable(QStringLiteral("7\r\n286\r\n5\r\n2\r\n3"), QStringLiteral("\r\n"));
    return index;
}

TEST(Tables, SplitKeepsEveryPieceAndAnEmptyLastOne) {
    EXPECT_EQ(SplitTable(QStringLiteral("1\r\n2\r\n"), QStringLiteral("\r\n")),
              (QStringList{"1", "2", ""}));
    EXPECT_EQ(SplitTable(QStringLiteral("a;;b"), QStringLiteral(";")), (QStringList{"a", "", "b"}));
    // A line break in the page-start file belongs to the following entry.
    EXPECT_EQ(SplitTable(QStringLiteral("1,1;\r\n2,6"), QStringLiteral(";")),
              (QStringList{"1,1", "\r\n2,6"}));
}

TEST(SurasInPage, OneOrTwoNamesGetALeadingLineBreak) {
    const QuranIndex book = SmallBook();
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
    // Page 1's successor begins sura 2 at verse 1... no: it begins at 2,6, so page 1 runs into 2.
    EXPECT_EQ(SurasInPage(book, 1), "\r\nOne\r\nTwo");
    EXPECT_EQ(SurasInPage(book, 3), "\r\nTwo\r\nThree");
}

TEST(SurasInPage, ThreeNamesHaveNothingInFront) {
    EXPECT_EQ(SurasInPage(SmallBook(), 4), "Three\r\nFour\r\nFive");
}

TEST(SurasInPage, SuccessorOpeningANewSuraIsNotListed) {
    QuranIndex book = SmallBook();
    book.pageStart[2] = QStringLiteral("3,1");
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
}

TEST(SurasInPage, LastPageRunsToSura114AndPastTheBookIsEmpty) {
    QuranIndex book;
    for (int i = 1; i <= 604; ++i) {
        book.pageStart << QStringLiteral("112,1");
    }
    for (int s = 1; s <= 114; ++s) {
        book.suraNames << QStringLiteral("S%1").arg(s);
    }
    EXPECT_EQ(SurasInPage(book, 604), "S112\r\nS113\r\nS114");
    EXPECT_EQ(SurasInPage(book, 605), "");
    EXPECT_EQ(SurasInPage(book, 700), "");
}

TEST(SurasInPage, TablesThatDoNotCoverThePageGiveEmptyText) {
    const QuranIndex book = SmallBook();
    EXPECT_EQ(SurasInPage(book, 0), "");
    EXPECT_EQ(SurasInPage(book, 6), "");  // no entry for page 7
    QuranIndex broken = SmallBook();
    broken.pageStart[1] = QStringLiteral("x");
    EXPECT_EQ(SurasInPage(broken, 2), "");
}

TEST(GetSuraVerse, CountsOnFromTheFirstVerseOfThePage) {
    const QuranIndex book = SmallBook();
    EXPECT_EQ(GetSuraVerse(book, 2, 3), "2:8");
    EXPECT_EQ(GetSuraVerse(book, 2, 1), "2:6");
    EXPECT_EQ(GetSuraVerse(book, 1, 7), "1:7");
    EXPECT_EQ(GetSuraVerse(book, 1, 8), "2:1");
}

TEST(GetSuraVerse, CarriesAcrossAnyNumberOfSuraEnds) {
    const QuranIndex book = SmallBook();
    // Page 4 starts at 3:4; sura 3 has 5 verses.
    EXPECT_EQ(GetSuraVerse(book, 4, 2), "3:5");
    EXPECT_EQ(GetSuraVerse(book, 4, 3), "4:1");
    EXPECT_EQ(GetSuraVerse(book, 4, 4), "4:2");
    EXPECT_EQ(GetSuraVerse(book, 4, 5), "5:1");
    EXPECT_EQ(GetSuraVerse(book, 4, 7), "5:3");
}

TEST(GetSuraVerse, PastTheLastCountedSuraTheVerseKeepsCounting) {
    const QuranIndex book = SmallBook();
    // Sura 6 has no count: the verse is not carried any further.
    EXPECT_EQ(GetSuraVerse(book, 6, 2), "6:1");
    EXPECT_EQ(GetSuraVerse(book, 7, 1), "");
}

}  // namespace
}  // namespace pagora
