// Link clicks in the page views: the bookmark, the verse hand-off to Tilora, and the commands of
// the Bookmark, Settings and About menus.
#include "reader/ProductInfo.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

class VersesTest : public CoreTest {
  protected:
    ReaderCore& StartAt(int page, PageMode mode) {
        Store(setting::kPageNo, QString::number(page));
        Store(setting::kPageMode, mode == PageMode::Single ? "1" : "2");
        return Start();
    }
    // Follows a link of `view` as a click on it does.
    bool Click(View view, const QString& target) {
        return core_->NavigationFilter(view, QStringLiteral("about:blank") + target);
    }
};

TEST_F(VersesTest, TheBlankPageAndOtherAddressesGoAheadUntouched) {
    StartAt(45, PageMode::Single);
    for (const QString url : {"about:blank", "https://example.com/#x", "about:blank#NUM1"}) {
        EXPECT_FALSE(core_->NavigationFilter(View::SinglePage, url)) << url.toStdString();
    }
    EXPECT_TRUE(clipboard_.calls.empty());
    EXPECT_EQ(Stored(setting::kBookmarkPage), "<absent>");
}

TEST_F(VersesTest, ANumberClickedMarksItSavesTheBookmarkAndStaysOnThePage) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    EXPECT_TRUE(Click(View::SinglePage, "#num2"));
    EXPECT_EQ(screen_.Red(View::SinglePage), std::vector<QString>{"2"});
    EXPECT_EQ(Shown(View::SinglePage).colours.at("0"), "blue");
    EXPECT_EQ(Stored(setting::kBookmarkPage), "045");
    EXPECT_EQ(Stored(setting::kBookmarkAya), "2");
    EXPECT_EQ(core.BookmarkPage(), "045");
    EXPECT_EQ(core.CurrentPage(), 45);
    EXPECT_TRUE(clipboard_.calls.empty());
    // Another number moves the one mark; the same number again paints and saves the same.
    Click(View::SinglePage, "#num0");
    EXPECT_EQ(screen_.Red(View::SinglePage), std::vector<QString>{"0"});
    Store(setting::kBookmarkAya, "stale");
    Click(View::SinglePage, "#num0");
    EXPECT_EQ(Stored(setting::kBookmarkAya), "0");
}

TEST_F(VersesTest, InASpreadTheFacingPageLosesItsMark) {
    StartAt(45, PageMode::Double);
    Click(View::PageOne, "#num1");
    EXPECT_EQ(screen_.Red(View::PageOne), std::vector<QString>{"1"});
    EXPECT_EQ(Stored(setting::kBookmarkPage), "045");
    Click(View::PageTwo, "#num2");
    EXPECT_EQ(screen_.Red(View::PageTwo), std::vector<QString>{"2"});
    EXPECT_TRUE(screen_.Red(View::PageOne).empty());
    EXPECT_EQ(Shown(View::PageOne).colours.size(), 3u);
    EXPECT_EQ(Stored(setting::kBookmarkPage), "046");
    Click(View::PageOne, "#num0");
    EXPECT_TRUE(screen_.Red(View::PageTwo).empty());
}

TEST_F(VersesTest, TheBookmarkIsPaintedWheneverItsPageIsShown) {
    ReaderCore& core = StartAt(12, PageMode::Single);
    Click(View::SinglePage, "#num1");
    core.NextPage();
    EXPECT_TRUE(screen_.Red(View::SinglePage).empty());
    core.PreviousPage();
    EXPECT_EQ(screen_.Red(View::SinglePage), std::vector<QString>{"1"});
    core.IncreaseTextSize();
    EXPECT_EQ(screen_.Red(View::SinglePage), std::vector<QString>{"1"});
    core.SetPageMode(PageMode::Double);  // page 12 is the left page of spread 11-12
    EXPECT_EQ(screen_.Red(View::PageTwo), std::vector<QString>{"1"});
    EXPECT_TRUE(screen_.Red(View::PageOne).empty());
}

TEST_F(VersesTest, AStoredBookmarkIsPaintedAtStartAndGoToBookmarkShowsItsPage) {
    Store(setting::kBookmarkPage, "012");
    Store(setting::kBookmarkAya, "2");
    ReaderCore& core = StartAt(300, PageMode::Single);
    EXPECT_TRUE(screen_.Red(View::SinglePage).empty());
    core.GoToBookmark();
    EXPECT_EQ(core.CurrentPage(), 12);
    EXPECT_EQ(screen_.Red(View::SinglePage), std::vector<QString>{"2"});
    EXPECT_EQ(screen_.scrolledTo,
              (std::vector<std::pair<View, QString>>{{View::SinglePage, "#num2"}}));
    core.SetPageMode(PageMode::Double);  // 12 is the left page of spread 11-12
    core.GoToBookmark();
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::PageTwo, "#num2"}));
}

TEST_F(VersesTest, GoToBookmarkWithoutAUsablePageShowsNoOtherPage) {
    for (const QString page : {"<absent>", "", "0", "abc", "999", "-3"}) {
        if (page != "<absent>") {
            Store(setting::kBookmarkPage, page);
        }
        boxes_.informations.clear();
        ReaderCore& core = StartAt(300, PageMode::Single);
        const int writes = Shown(View::SinglePage).writes;
        core.GoToBookmark();
        EXPECT_EQ(core.CurrentPage(), 300) << page.toStdString();
        EXPECT_EQ(Shown(View::SinglePage).writes, writes);
        // Nothing stored (or nothing that reads as a number) is no bookmark at all; a stored
        // page that is not one of the book says so.
        const bool none = page == "<absent>" || page == "" || page == "0" || page == "abc";
        ASSERT_EQ(boxes_.informations.size(), none ? 0u : 1u) << page.toStdString();
        if (!none) {
            EXPECT_TRUE(boxes_.informations[0].text.contains("no usable bookmark"));
        }
    }
}

TEST_F(VersesTest, AVerseClickedPutsItsReferenceOnTheClipboard) {
    // Page 6 of the small book starts at verse 16 of sura 1: its verses are 1:16, 2:1 and 2:2.
    ReaderCore& core = StartAt(5, PageMode::Double);
    EXPECT_TRUE(Click(View::PageTwo, "#aya1"));
    EXPECT_EQ(clipboard_.calls, (std::vector<QString>{"clear", "clear", "set:1:16"}));
    Click(View::PageTwo, "#aya3");
    EXPECT_EQ(clipboard_.text, "2:2");
    Click(View::PageOne, "#aya2");
    EXPECT_EQ(clipboard_.text, core.GetSuraVerse(5, 2));
    EXPECT_EQ(Stored(setting::kBookmarkPage), "<absent>");
}

TEST_F(VersesTest, ATargetWithBothMarkersBookmarksFirstThenHandsTheVerseOver) {
    StartAt(6, PageMode::Single);
    Click(View::SinglePage, "#num1");
    // The number's item text runs on to "1#aya3", which names no number link: every number turns
    // blue and nothing is saved; the verse is verse link 3.
    EXPECT_TRUE(Click(View::SinglePage, "#num1#aya3"));
    EXPECT_TRUE(screen_.Red(View::SinglePage).empty());
    EXPECT_EQ(Stored(setting::kBookmarkAya), "1");
    EXPECT_EQ(clipboard_.text, "2:2");
}

TEST_F(VersesTest, LinksThatNameNoVerseAreCancelledAndChangeNothing) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    for (const QString target : {"#aya", "#ayaX", "#num", "#num77"}) {
        EXPECT_TRUE(Click(View::SinglePage, target)) << target.toStdString();
    }
    EXPECT_TRUE(clipboard_.calls.empty());
    EXPECT_EQ(Stored(setting::kBookmarkPage), "<absent>");
    // A view whose page failed to load names no page either.
    QFile::remove(exeDir_.path() + "/order6.dat");
    ::testing::internal::CaptureStderr();
    core.NextPage();
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Click(View::SinglePage, "#aya1"));
    EXPECT_TRUE(clipboard_.calls.empty());
}

TEST_F(VersesTest, AFailingClipboardIsIgnoredAndTheClickStillCancelled) {
    StartAt(45, PageMode::Single);
    clipboard_.failing = true;
    EXPECT_TRUE(Click(View::SinglePage, "#aya1"));
    EXPECT_EQ(clipboard_.calls.size(), 3u);
}

TEST_F(VersesTest, AVerseFoundIsShownInTheCurrentModeWithTheVerseInSight) {
    ReaderCore& core = StartAt(300, PageMode::Single);
    core.ShowVerse(6, 2, 2);  // page 6 holds 1:16, 2:1 and 2:2
    EXPECT_EQ(core.CurrentPage(), 6);
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::SinglePage, "#aya3"}));
    core.SetPageMode(PageMode::Double);
    core.ShowVerse(5, 1, 14);
    EXPECT_EQ(screen_.captions.pageNumber, "6 5");
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::PageOne, "#aya2"}));
    const size_t scrolled = screen_.scrolledTo.size();
    core.ShowVerse(605, 1, 1);
    EXPECT_EQ(screen_.scrolledTo.size(), scrolled);
    ASSERT_NE(core.SearchIndex(), nullptr);
    EXPECT_EQ(core.SearchIndex(), core.SearchIndex());  // built once
}

TEST_F(VersesTest, ASearchIndexThatCannotBeBuiltIsReported) {
    ReaderCore& core = StartAt(300, PageMode::Single);
    QFile::remove(exeDir_.path() + "/order3.dat");
    EXPECT_EQ(core.SearchIndex(), nullptr);
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_TRUE(boxes_.errors[0].text.contains("order3.dat"))
        << boxes_.errors[0].text.toStdString();
}

TEST_F(VersesTest, MenuCommandsExplainAndOpenTheWebPage) {
    ReaderCore& core = Start();
    core.ExplainBookmark();
    core.ExplainRecitation();
    ASSERT_EQ(boxes_.informations.size(), 2u);
    EXPECT_EQ(boxes_.informations[0].text,
              "To set bookmark, click on the Ayat number after each Aya. ");
    EXPECT_EQ(boxes_.informations[0].title, "Setting bookmark");
    EXPECT_EQ(boxes_.informations[1].text, TiloraHelpText());
    EXPECT_EQ(boxes_.informations[1].title, "Linking with Tilora");
    core.OpenWebPage();
    EXPECT_EQ(shell_.opened, std::vector<QString>{WebPageLink()});
    EXPECT_EQ(boxes_.informations.size(), 2u);
    // Without a browser (or with one that fails) the user hears why nothing opened.
    shell_.browser = false;
    core.OpenWebPage();
    shell_.failing = true;
    core.OpenWebPage();
    ASSERT_EQ(boxes_.informations.size(), 4u);
    EXPECT_TRUE(boxes_.informations[2].text.contains(WebPageLink()));
    EXPECT_EQ(boxes_.informations[3].title, "Visit Website");
}

}  // namespace
}  // namespace pagora::testing
