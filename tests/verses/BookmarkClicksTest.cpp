// Clicks on verse numbers in the three page views set, paint and save the bookmark.
#include "tests/verses/VerseReader.h"

namespace pagora::testing {
namespace {

using BookmarkClicks = VerseReaderTest;

TEST_F(BookmarkClicks, ANumberClickedInTheSinglePageMarksSavesAndStaysOnThePage) {
    frmMain& w = Open(1, 45);
    SetSystemClipboardText(QStringLiteral("left alone"));
    const Shown before = ShownBy(w);
    ExpectPainted(w.wbSinglePage(), QString());

    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));

    ExpectPainted(w.wbSinglePage(), QStringLiteral("2"));
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("045"));
    EXPECT_EQ(Stored("BookmarkAya"), QStringLiteral("2"));
    EXPECT_EQ(w.BookmarkPage(), QStringLiteral("045"));
    EXPECT_EQ(w.BookmarkItem(), QStringLiteral("2"));
    EXPECT_EQ(ShownBy(w), before);
    // A number is no verse: nothing goes to Tilora, and nothing is said.
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("left alone"));
    EXPECT_TRUE(boxes_.informations.empty());
    EXPECT_TRUE(boxes_.errors.empty());
}

TEST_F(BookmarkClicks, EveryNumberOfAPageCanBeClickedAndMovesTheOneMark) {
    frmMain& w = Open(1, 604);
    const auto numbers = LinksOf(w.wbSinglePage(), true);
    ASSERT_GT(numbers.size(), 10u);
    for (const auto& link : numbers) {
        ClickLink(w.wbSinglePage(), link);
        const QString item = link.target.mid(4);
        ExpectPainted(w.wbSinglePage(), item);
        EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("604"));
        EXPECT_EQ(Stored("BookmarkAya"), item);
    }
}

TEST_F(BookmarkClicks, InASpreadTheFacingPageLosesItsMark) {
    frmMain& w = Open(2, 45);
    ASSERT_EQ(w.wbPageOne().Tag, QStringLiteral("045"));
    ASSERT_EQ(w.wbPageTwo().Tag, QStringLiteral("046"));
    const Shown before = ShownBy(w);

    ClickLink(w.wbPageTwo(), QStringLiteral("#num3"));
    ExpectPainted(w.wbPageTwo(), QStringLiteral("3"));
    ExpectPainted(w.wbPageOne(), QString());
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("046"));
    EXPECT_EQ(Stored("BookmarkAya"), QStringLiteral("3"));

    // The right page takes the mark; the left one, which held it, shows every number blue.
    ClickLink(w.wbPageOne(), QStringLiteral("#num1"));
    ExpectPainted(w.wbPageOne(), QStringLiteral("1"));
    ExpectPainted(w.wbPageTwo(), QString());
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("045"));
    EXPECT_EQ(Stored("BookmarkAya"), QStringLiteral("1"));

    // And back again: the same item text on the other page is another verse number.
    ClickLink(w.wbPageTwo(), QStringLiteral("#num1"));
    ExpectPainted(w.wbPageTwo(), QStringLiteral("1"));
    ExpectPainted(w.wbPageOne(), QString());
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("046"));
    EXPECT_EQ(ShownBy(w), before);
}

TEST_F(BookmarkClicks, TheSameNumberClickedTwiceIsPaintedAndSavedAgain) {
    frmMain& w = Open(1, 45);
    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));
    // Edited behind the window's back: the second click writes both values again.
    StoreBookmark(QStringLiteral("300"), QStringLiteral("7"));
    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));
    ExpectPainted(w.wbSinglePage(), QStringLiteral("2"));
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("045"));
    EXPECT_EQ(Stored("BookmarkAya"), QStringLiteral("2"));
}

TEST_F(BookmarkClicks, TheBookmarkedPageIsPaintedAgainWheneverItIsShown) {
    frmMain& w = Open(1, 45);
    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));

    w.SetCurrentPage(46);
    w.LoadQuranPage(w.CurrentPage());
    ExpectPainted(w.wbSinglePage(), QString());
    w.SetCurrentPage(45);
    w.LoadQuranPage(w.CurrentPage());
    ExpectPainted(w.wbSinglePage(), QStringLiteral("2"));

    // In a spread it is the right page.
    Command("mnuDoublePage").trigger();
    ASSERT_EQ(w.wbPageOne().Tag, QStringLiteral("045"));
    ExpectPainted(w.wbPageOne(), QStringLiteral("2"));
    ExpectPainted(w.wbPageTwo(), QString());

    // Far away and back with "Go to Bookmark".
    w.SetCurrentPage(301);
    w.LoadQuranPage(w.CurrentPage());
    ExpectPainted(w.wbPageOne(), QString());
    ExpectPainted(w.wbPageTwo(), QString());
    Command("mnuGotoBookMark").trigger();
    EXPECT_EQ(w.CurrentPage(), 45);
    ExpectPainted(w.wbPageOne(), QStringLiteral("2"));

    // Another run of the reader remembers it.
    window_.reset();
    frmMain& again = Open(1, 45);
    ExpectPainted(again.wbSinglePage(), QStringLiteral("2"));
    EXPECT_EQ(again.BookmarkPage(), QStringLiteral("045"));
}

TEST_F(BookmarkClicks, PagesWithoutTheBookmarkShowEveryNumberBlue) {
    StoreBookmark(QStringLiteral("045"), QStringLiteral("2"));
    frmMain& w = Open(2, 1);
    for (int page : {1, 3, 44, 47, 187, 603}) {
        w.SetCurrentPage(static_cast<int16_t>(page));
        w.LoadQuranPage(w.CurrentPage());
        SCOPED_TRACE(page);
        ExpectPainted(w.wbPageOne(), QString());
        ExpectPainted(w.wbPageTwo(), QString());
    }
}

}  // namespace
}  // namespace pagora::testing
