// Bookmark and verse links in the page views, the Bookmark and About commands, the About texts.
#include <QUrl>

#include "reader/ProductInfo.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

using VersesTest = CoreTest;

TEST_F(VersesTest, ANumberClickedMarksItSavesTheBookmarkAndTheFacingPageLosesItsMark) {
    ReaderCore& core = StartAt(45, PageMode::Double);
    EXPECT_TRUE(Click(View::PageOne, "#num2"));
    EXPECT_EQ(Shown(View::PageOne).red, "2");
    EXPECT_EQ(Stored(setting::kBookmarkPage), "045");
    EXPECT_EQ(Stored(setting::kBookmarkAya), "2");
    EXPECT_EQ(core.BookmarkPage(), "045");
    EXPECT_EQ(core.CurrentPage(), 45);
    EXPECT_TRUE(clipboard_.calls.empty());
    Click(View::PageTwo, "#num0");
    EXPECT_EQ(Shown(View::PageTwo).red, "0");
    EXPECT_TRUE(Shown(View::PageOne).red.isEmpty());
    EXPECT_EQ(Stored(setting::kBookmarkPage), "046");
}

TEST_F(VersesTest, GoToBookmarkShowsItsPageAndTheBookmarkIsPaintedWheneverItsPageIsShown) {
    Store(setting::kBookmarkPage, "012");
    Store(setting::kBookmarkAya, "2");
    ReaderCore& core = StartAt(300, PageMode::Single);
    EXPECT_TRUE(Shown(View::SinglePage).red.isEmpty());
    core.GoToBookmark();
    EXPECT_EQ(core.CurrentPage(), 12);
    EXPECT_EQ(Shown(View::SinglePage).red, "2");
    EXPECT_EQ(screen_.scrolledTo,
              (std::vector<std::pair<View, QString>>{{View::SinglePage, "#num2"}}));
    core.NextPage();
    EXPECT_TRUE(Shown(View::SinglePage).red.isEmpty());
    core.PreviousPage();
    EXPECT_EQ(Shown(View::SinglePage).red, "2");
    core.SetPageMode(PageMode::Double);  // 12 is the left page of spread 11-12
    EXPECT_EQ(Shown(View::PageTwo).red, "2");
    EXPECT_TRUE(Shown(View::PageOne).red.isEmpty());
    core.GoToBookmark();
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::PageTwo, "#num2"}));
}

TEST_F(VersesTest, GoToBookmarkWithoutAUsablePageShowsNoOtherPage) {
    // Nothing that reads as a number is no bookmark at all; a page not of the book is told.
    const std::pair<const char*, bool> pages[] = {
        {"", false}, {"0", false}, {"abc", false}, {"999", true}, {"-3", true}};
    for (const auto& [page, told] : pages) {
        Store(setting::kBookmarkPage, page);
        boxes_.informations.clear();
        ReaderCore& core = StartAt(300, PageMode::Single);
        const int writes = Shown(View::SinglePage).writes;
        core.GoToBookmark();
        EXPECT_EQ(core.CurrentPage(), 300);
        EXPECT_EQ(Shown(View::SinglePage).writes, writes);
        ASSERT_EQ(boxes_.informations.size(), told ? 1u : 0u) << page;
        EXPECT_TRUE(!told || boxes_.informations[0].text.contains("no usable bookmark"));
    }
}

TEST_F(VersesTest, AVerseClickedPutsItsReferenceOnTheClipboardAfterAnyBookmarkInTheTarget) {
    // Page 6 of the small book starts at verse 16 of sura 1: its verses are 1:16, 2:1 and 2:2.
    ReaderCore& core = StartAt(5, PageMode::Double);
    EXPECT_TRUE(Click(View::PageTwo, "#aya1"));
    EXPECT_EQ(clipboard_.calls, (std::vector<QString>{"clear", "clear", "set:1:16"}));
    Click(View::PageOne, "#aya2");
    EXPECT_EQ(clipboard_.text, core.GetSuraVerse(5, 2));
    EXPECT_EQ(Stored(setting::kBookmarkPage), "<absent>");
    // A failing clipboard is ignored and the click still cancelled.
    clipboard_.failing = true;
    clipboard_.calls.clear();
    EXPECT_TRUE(Click(View::PageTwo, "#aya1"));
    EXPECT_EQ(clipboard_.calls.size(), 3u);
    // A target with both markers: "1#aya3" names no number link, so every number turns blue and
    // nothing is saved; then verse link 3 is handed over.
    clipboard_.failing = false;
    Click(View::PageTwo, "#num1");
    EXPECT_TRUE(Click(View::PageTwo, "#num1#aya3"));
    EXPECT_TRUE(Shown(View::PageTwo).red.isEmpty());
    EXPECT_EQ(Stored(setting::kBookmarkAya), "1");
    EXPECT_EQ(clipboard_.text, "2:2");
}

TEST_F(VersesTest, LinksThatNameNoVerseAreCancelledAndOtherAddressesGoAheadUntouched) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    for (const QString url : {"about:blank", "https://example.com/#x", "about:blank#NUM1"}) {
        EXPECT_FALSE(core.NavigationFilter(View::SinglePage, url)) << url.toStdString();
    }
    for (const QString target : {"#aya", "#ayaX", "#num", "#num77"}) {
        EXPECT_TRUE(Click(View::SinglePage, target)) << target.toStdString();
    }
    EXPECT_TRUE(clipboard_.calls.empty());
    EXPECT_EQ(Stored(setting::kBookmarkPage), "<absent>");
    // A view whose page failed to load names no page either.
    QFile::remove(exeDir_.path() + "/order6.dat");
    ErrorOutput([&] { core.NextPage(); });
    EXPECT_TRUE(Click(View::SinglePage, "#aya1"));
    EXPECT_TRUE(clipboard_.calls.empty());
}

TEST_F(VersesTest, AVerseFoundIsShownInSightAndASearchIndexThatCannotBeBuiltIsReported) {
    ReaderCore& core = StartAt(300, PageMode::Single);
    QFile::remove(exeDir_.path() + "/order3.dat");
    EXPECT_EQ(core.SearchIndex(), nullptr);
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_TRUE(boxes_.errors[0].text.contains("order3.dat"));
    book_.WritePages(exeDir_.path());
    core.ShowVerse(6, 2, 2);  // page 6 holds 1:16, 2:1 and 2:2
    EXPECT_EQ(core.CurrentPage(), 6);
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::SinglePage, "#aya3"}));
    core.SetPageMode(PageMode::Double);
    core.ShowVerse(5, 1, 14);
    EXPECT_EQ(screen_.captions.pageNumber, "6 5");
    EXPECT_EQ(screen_.scrolledTo.back(), (std::pair<View, QString>{View::PageOne, "#aya2"}));
    const size_t scrolled = screen_.scrolledTo.size();
    for (int page : {0, 605}) {
        core.ShowVerse(page, 1, 1);
        EXPECT_EQ(core.CurrentPage(), 5) << page;
    }
    EXPECT_EQ(screen_.scrolledTo.size(), scrolled);
    ASSERT_NE(core.SearchIndex(), nullptr);
    EXPECT_EQ(core.SearchIndex(), core.SearchIndex());  // built once
}

TEST_F(VersesTest, MenuCommandsExplainAndOpenTheWebPage) {
    ReaderCore& core = Start();
    core.ExplainBookmark();
    core.ExplainRecitation();
    ASSERT_EQ(boxes_.informations.size(), 2u);
    EXPECT_TRUE(boxes_.informations[0].text.contains("click on the Ayat number"));
    EXPECT_EQ(boxes_.informations[1].text, TiloraHelpText());
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
}

TEST(AboutTextTest, VersionLineComesFromTheProjectVersion) {
    EXPECT_EQ(VersionText(), QStringLiteral("Version ") + QStringLiteral(PAGORA_PROJECT_VERSION));
}

TEST(AboutTextTest, DescriptionNamesTheSourcesAndTheirLicences) {
    const QString text = ProductDescription();
    for (const char* credit : {"quran-json", "QuranEnc", "CC BY-SA 4.0", "quran-meta", "MIT",
                               "Amiri Quran", "OFL", "GPL"}) {
        EXPECT_TRUE(text.contains(QLatin1String(credit))) << credit;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("King Fahd")));
}

TEST(AboutTextTest, WebPageLinkAndTiloraHelpNameTheConfiguredWebsite) {
    // The build drops any trailing "/" of the configured address.
    EXPECT_EQ(MakerWebsite(), QStringLiteral(PAGORA_CONFIGURED_WEBSITE));
    const QUrl url(WebPageLink(), QUrl::StrictMode);
    ASSERT_TRUE(url.isValid() && !url.host().isEmpty()) << WebPageLink().toStdString();
    EXPECT_EQ(WebPageLink(), MakerWebsite() + url.path());
    EXPECT_FALSE(url.path().startsWith(QStringLiteral("//")));

    EXPECT_TRUE(TiloraHelpText().contains(" from " + MakerWebsite() + " \r\n"));
}

}  // namespace
}  // namespace pagora::testing
