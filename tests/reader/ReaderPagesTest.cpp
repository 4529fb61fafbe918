// What the reader core shows: the pages of each mode, the page commands, prompts, keys and menus.
#include "reader/PageDocument.h"
#include "tests/reader/CoreFixture.h"
#include "tests/support/ArchiveDamage.h"

namespace pagora::testing {
namespace {

class PagesTest : public CoreTest {
  protected:
    // Started at `page` in `mode`.
    ReaderCore& StartAt(int page, PageMode mode) {
        Store(setting::kPageNo, QString::number(page));
        Store(setting::kPageMode, mode == PageMode::Single ? "1" : "2");
        return Start();
    }
    QString PageKey(View view) { return Shown(view).pageKey; }
};

TEST_F(PagesTest, ASpreadShowsTheOddPageOnTheRightAndReadsLeftPageFirst) {
    ReaderCore& core = StartAt(1, PageMode::Double);
    EXPECT_EQ(PageKey(View::PageOne), "001");
    EXPECT_EQ(PageKey(View::PageTwo), "002");
    EXPECT_EQ(screen_.captions,
              (Captions{"2 1", "35", core.SurasInPage(2), core.SurasInPage(1), true}));
    core.LoadQuranPage(604);
    EXPECT_EQ(PageKey(View::PageOne), "603");
    EXPECT_EQ(PageKey(View::PageTwo), "604");
    EXPECT_EQ(screen_.captions.pageNumber, "604 603");
    EXPECT_EQ(core.CurrentPage(), 603);
}

TEST_F(PagesTest, SinglePageModeLeavesTheCurrentPageToTheCaller) {
    ReaderCore& core = StartAt(5, PageMode::Single);
    core.LoadQuranPage(17);
    EXPECT_EQ(PageKey(View::SinglePage), "017");
    EXPECT_EQ(screen_.captions, (Captions{"17", "35", core.SurasInPage(17), QString(), false}));
    EXPECT_EQ(core.CurrentPage(), 5);
}

TEST_F(PagesTest, ModeCommandsShowTheCurrentPageAndAnEvenPageJoinsItsSpread) {
    ReaderCore& core = StartAt(44, PageMode::Single);
    core.SetPageMode(PageMode::Double);
    EXPECT_EQ(screen_.mode, PageMode::Double);
    EXPECT_EQ(PageKey(View::PageOne), "043");
    EXPECT_EQ(core.CurrentPage(), 43);
    core.SetPageMode(PageMode::Double);
    EXPECT_EQ(core.CurrentPage(), 43);
    core.SetPageMode(PageMode::Single);
    EXPECT_EQ(screen_.mode, PageMode::Single);
    EXPECT_EQ(PageKey(View::SinglePage), "043");
}

TEST_F(PagesTest, PageDocumentIsBuiltFromTheArchiveText) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    const QString text = AddBookMarkLinks(book_.pages.at(45));
    EXPECT_EQ(core.PageCache(View::SinglePage), text);
    EXPECT_EQ(Shown(View::SinglePage).document,
              BuildPageDocument(text, 45, SmallBook::Marker(), core.Index().pageFrame, 35));
    EXPECT_EQ(core.Document(View::SinglePage), Shown(View::SinglePage).document);
}

TEST_F(PagesTest, AShownPageIsRebuiltFromItsTextWithoutFetchingItAgain) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    for (int d = 0; d < 10; ++d) {
        QFile::remove(exeDir_.path() + QStringLiteral("/order%1.dat").arg(d));
    }
    core.IncreaseTextSize();
    EXPECT_EQ(PageKey(View::SinglePage), "045");
    EXPECT_TRUE(Shown(View::SinglePage).document.contains("font-size: 36px"));
    EXPECT_EQ(screen_.captions.textSize, "36");
}

TEST_F(PagesTest, IdleStepsPrepareWhatTheNextTurnsWriteOnePageAtATime) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    const View view = View::SinglePage;
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_EQ(screen_.PreparedKeys(view), QStringList{"046"});
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_FALSE(core.PrepareTurnStep());
    EXPECT_EQ(screen_.PreparedKeys(view), (QStringList{"044", "046"}));
    core.NextPage();
    EXPECT_EQ(Shown(view).document, screen_.prepared[view]["046"].document);
    EXPECT_EQ(Shown(view).document, core.Document(view));
    while (core.PrepareTurnStep()) {
    }
    // The page on screen is no turn away; pages more than two turns away are let go.
    EXPECT_EQ(screen_.PreparedKeys(view), (QStringList{"044", "045", "047"}));
    core.NextPage();
    core.NextPage();
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_EQ(screen_.PreparedKeys(view), (QStringList{"047", "049"}));
    // A larger text makes every prepared document a different one.
    core.IncreaseTextSize();
    const QString before = screen_.prepared[view]["047"].document;
    while (core.PrepareTurnStep()) {
    }
    EXPECT_NE(screen_.prepared[view]["047"].document, before);
    core.PreviousPage();
    EXPECT_EQ(Shown(view).document, screen_.prepared[view]["047"].document);
}

TEST_F(PagesTest, BothPagesOfTheNeighbouringSpreadsArePreparedWithTheBookmarkPainted) {
    Store(setting::kBookmarkPage, "048");
    Store(setting::kBookmarkAya, "1");
    ReaderCore& core = StartAt(45, PageMode::Double);
    int steps = 0;
    while (core.PrepareTurnStep()) {
        ++steps;
    }
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(screen_.PreparedKeys(View::PageOne), (QStringList{"043", "047"}));
    EXPECT_EQ(screen_.PreparedKeys(View::PageTwo), (QStringList{"044", "048"}));
    EXPECT_TRUE(screen_.PreparedKeys(View::SinglePage).empty());
    EXPECT_EQ(screen_.prepared[View::PageTwo]["048"].markedItem, "1");
    EXPECT_EQ(screen_.prepared[View::PageOne]["047"].markedItem, std::nullopt);
    core.NextPage();
    EXPECT_EQ(Shown(View::PageTwo).document, screen_.prepared[View::PageTwo]["048"].document);
    EXPECT_EQ(screen_.Red(View::PageTwo), std::vector<QString>{"1"});
    // A new bookmark drops what was prepared with the old one; single-page mode lets the
    // spreads go.
    EXPECT_TRUE(core.NavigationFilter(View::PageOne, "about:blank#num0"));
    EXPECT_TRUE(screen_.prepared.empty());
    core.SetPageMode(PageMode::Single);
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_TRUE(screen_.PreparedKeys(View::PageOne).empty());
    EXPECT_EQ(screen_.PreparedKeys(View::SinglePage), QStringList{"048"});
}

TEST_F(PagesTest, APageThatCannotBeReadIsNotPreparedAndNothingIsBeforeStartUp) {
    EXPECT_FALSE(NewCore()->PrepareTurnStep());
    ReaderCore& core = StartAt(46, PageMode::Single);
    QFile::remove(exeDir_.path() + "/order7.dat");
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_FALSE(core.PrepareTurnStep());
    EXPECT_EQ(screen_.PreparedKeys(View::SinglePage), QStringList{"045"});
}

TEST_F(PagesTest, PagesOutsideTheBookChangeNothing) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    const int writes = Shown(View::SinglePage).writes;
    core.LoadPage(View::SinglePage, 0);
    core.LoadPage(View::SinglePage, 605);
    EXPECT_EQ(Shown(View::SinglePage).writes, writes);
    EXPECT_EQ(core.Tag(View::SinglePage), "045");
}

TEST_F(PagesTest, AnUnreadablePageShowsWhyClaimsNothingAndTheReaderGoesOn) {
    const std::string archive = (exeDir_.path() + "/order7.dat").toStdString();
    const std::pair<ArchiveDamage, const char*> damages[] = {
        {ArchiveDamage::kMemberCount, "order7.dat"},
        {ArchiveDamage::kSizeField, "order7.dat"},
        {ArchiveDamage::kPlainText, "047"},
        {ArchiveDamage::kMissingMember, "holds no page 047"},
    };
    for (const auto& [damage, named] : damages) {
        book_.WritePages(exeDir_.path());
        ReaderCore& core = StartAt(46, PageMode::Single);
        DamageArchive(archive, damage, "047");
        ::testing::internal::CaptureStderr();
        core.NextPage();
        const std::string printed = ::testing::internal::GetCapturedStderr();
        const QString& shown = Shown(View::SinglePage).document;
        EXPECT_TRUE(shown.contains("Page 47 cannot be shown")) << named;
        EXPECT_TRUE(shown.contains("order7.dat") && shown.contains(named)) << shown.toStdString();
        EXPECT_EQ(core.Tag(View::SinglePage), "");
        EXPECT_EQ(core.PageCache(View::SinglePage), "");
        EXPECT_NE(printed.find("page 47"), std::string::npos) << printed;
        core.NextPage();
        EXPECT_EQ(core.Tag(View::SinglePage), "048");
    }
}

TEST_F(PagesTest, NextAndPreviousStopAtTheEndsOfTheBook) {
    ReaderCore& single = StartAt(603, PageMode::Single);
    single.NextPage();
    EXPECT_EQ(single.CurrentPage(), 604);
    single.NextPage();
    EXPECT_EQ(single.CurrentPage(), 604);
    prompt_.answers = {"2"};
    single.AskForPage();
    single.PreviousPage();
    single.PreviousPage();
    EXPECT_EQ(single.CurrentPage(), 1);
    EXPECT_EQ(PageKey(View::SinglePage), "001");

    ReaderCore& spreads = StartAt(601, PageMode::Double);
    spreads.NextPage();
    EXPECT_EQ(screen_.captions.pageNumber, "604 603");
    spreads.NextPage();
    EXPECT_EQ(spreads.CurrentPage(), 603);
    spreads.LoadQuranPage(3);
    spreads.PreviousPage();
    EXPECT_EQ(screen_.captions.pageNumber, "2 1");
    spreads.PreviousPage();
    EXPECT_EQ(spreads.CurrentPage(), 1);
}

TEST_F(PagesTest, PagePromptTakesTheLeadingNumberInAnyDigits) {
    ReaderCore& core = StartAt(100, PageMode::Single);
    const std::pair<QString, int> answers[] = {
        {"12abc", 12},
        {"2.5", 2},
        {"603.5", 604},
        {" 45 ", 45},
        {QString::fromUtf16(u"\u0661\u0662"), 12},          // Arabic-Indic
        {QString::fromUtf16(u"\u06F6\u06F0\u06F4"), 604}};  // Eastern Arabic-Indic
    for (const auto& [answer, page] : answers) {
        prompt_.answers = {answer};
        core.AskForPage();
        EXPECT_EQ(core.CurrentPage(), page) << answer.toStdString();
    }
    ASSERT_EQ(prompt_.asked.size(), 6u);
    EXPECT_EQ(prompt_.asked[0].prompt, "Enter page number (1 to 604)");
    EXPECT_EQ(prompt_.asked[0].title, "Enter Page Number");
    EXPECT_EQ(prompt_.asked[0].defaultText, "100");
    EXPECT_EQ(prompt_.asked[1].defaultText, "12");
}

TEST_F(PagesTest, ARefusedNumberIsAskedForAgainAndCancelChangesNothing) {
    ReaderCore& core = StartAt(100, PageMode::Single);
    for (const QString refused : {"0", "605", "abc", "604.4", "0.6"}) {
        prompt_.asked.clear();
        prompt_.answers = {refused};  // then the prompt is cancelled
        core.AskForPage();
        EXPECT_EQ(core.CurrentPage(), 100) << refused.toStdString();
        ASSERT_EQ(prompt_.asked.size(), 2u);
        EXPECT_EQ(prompt_.asked[1].defaultText, refused);
        EXPECT_TRUE(
            prompt_.asked[1].prompt.contains("\"" + refused + "\" is not a number from 1 to 604"));
        EXPECT_TRUE(prompt_.asked[1].prompt.endsWith("Enter page number (1 to 604)"));
    }
    prompt_.answers = {"605", "x", "17"};
    core.AskForPage();
    EXPECT_EQ(core.CurrentPage(), 17);
    prompt_.answers = {"   "};
    core.AskForPage();
    EXPECT_EQ(core.CurrentPage(), 17);
}

TEST_F(PagesTest, PagePromptInDoublePageModeShowsTheSpreadHoldingThePage) {
    ReaderCore& core = StartAt(1, PageMode::Double);
    for (const char* answer : {"45", "46"}) {
        prompt_.answers = {answer};
        core.AskForPage();
        EXPECT_EQ(screen_.captions.pageNumber, "46 45") << answer;
        EXPECT_EQ(core.CurrentPage(), 45);
    }
}

TEST_F(PagesTest, TextSizeIsTenToTwoHundredFromThePromptAndTheButtons) {
    ReaderCore& core = StartAt(10, PageMode::Single);
    const std::pair<const char*, int> answers[] = {{"9", 35},    {"201", 35},  {"x", 35},
                                                   {"200", 200}, {"10.4", 10}, {"199.5", 200}};
    for (const auto& [answer, size] : answers) {
        prompt_.answers = {answer};
        core.AskForTextSize();
        EXPECT_EQ(core.TextSize(), size) << answer;
    }
    EXPECT_EQ(prompt_.asked[0].prompt, "Enter text size (10 to 200)");
    EXPECT_EQ(prompt_.asked[0].title, "Enter text size");
    EXPECT_EQ(prompt_.asked[0].defaultText, "35");
    core.IncreaseTextSize();
    EXPECT_EQ(core.TextSize(), 200);
    core.DecreaseTextSize();
    EXPECT_EQ(screen_.captions.textSize, "199");
    prompt_.answers = {"10"};
    core.AskForTextSize();
    core.DecreaseTextSize();
    EXPECT_EQ(core.TextSize(), 10);
    core.IncreaseTextSize();
    EXPECT_TRUE(Shown(View::SinglePage).document.contains("font-size: 11px"));
}

TEST_F(PagesTest, ZAndXTurnPagesWithAnyShiftStateAndUpAndDownAreLeftToTheView) {
    ReaderCore& core = StartAt(100, PageMode::Single);
    for (int shift : {0, 1, 2, 4}) {
        EXPECT_TRUE(core.KeyDown(90, shift));
    }
    EXPECT_EQ(core.CurrentPage(), 104);
    core.KeyDown(88, 1);
    EXPECT_EQ(core.CurrentPage(), 103);
    for (int other : {38, 40, 89, 0, 187, 189}) {
        EXPECT_FALSE(core.KeyDown(other, 0)) << other;
    }
    EXPECT_EQ(core.CurrentPage(), 103);
}

TEST_F(PagesTest, PageKeysTurnPagesOnlyWhenTheViewCannotScrollThatWay) {
    ReaderCore& core = StartAt(100, PageMode::Double);  // spread 99-100
    const ScrollRoom everywhere{true, true, true, true};
    for (int key : {37, 39, 33, 34, 32}) {
        EXPECT_FALSE(core.KeyDown(key, 0, everywhere)) << key;
    }
    EXPECT_FALSE(core.KeyDown(32, 1, everywhere));
    EXPECT_EQ(core.CurrentPage(), 99);
    // Left, Page Down and Space are the next page in a right-to-left book.
    const std::tuple<int, int, ScrollRoom, int> turns[] = {
        {37, 0, {true, true, false, true}, 101}, {34, 0, {true, false, true, true}, 103},
        {32, 0, {true, false, true, true}, 105}, {39, 0, {true, true, true, false}, 103},
        {33, 0, {false, true, true, true}, 101}, {32, 1, {false, true, true, true}, 99}};
    for (const auto& [key, shift, room, page] : turns) {
        EXPECT_TRUE(core.KeyDown(key, shift, room)) << key;
        EXPECT_EQ(core.CurrentPage(), page) << key;
    }
    EXPECT_TRUE(core.KeyDown(35, 0, everywhere));
    EXPECT_EQ(screen_.captions.pageNumber, "604 603");
    EXPECT_TRUE(core.KeyDown(36, 0));
    EXPECT_EQ(screen_.captions.pageNumber, "2 1");
}

TEST_F(PagesTest, CtrlWithPlusOrMinusChangesTheTextSize) {
    ReaderCore& core = StartAt(100, PageMode::Single);
    EXPECT_TRUE(core.KeyDown(187, 2));
    EXPECT_TRUE(core.KeyDown(107, 2));
    EXPECT_EQ(core.TextSize(), 37);
    EXPECT_TRUE(core.KeyDown(189, 2));
    EXPECT_EQ(screen_.captions.textSize, "36");
    EXPECT_FALSE(core.KeyDown(189, 0));
    EXPECT_EQ(core.TextSize(), 36);
}

TEST_F(PagesTest, SuraMenuListsTheNamesAndShowsTheChosenSurasFirstPage) {
    ReaderCore& core = StartAt(300, PageMode::Single);
    menu_->choose = {"Sura 1 - 25", "Sura-1"};
    core.ChooseSura(0, {});
    EXPECT_EQ(core.CurrentPage(), 1);
    ASSERT_EQ(menu_->shown.size(), 1u);
    EXPECT_EQ(menu_->shown[0],
              (std::vector<std::string>{"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                        "Sura 76 - 100", "Sura 101 - 114"}));
    menu_->choose = {"Sura 101 - 114", "Sura-114"};
    core.ChooseSura(0, {});
    EXPECT_EQ(core.CurrentPage(), book_.quranPageIndex.split("\r\n")[113].toInt());
    menu_->choose = {};  // dismissed
    core.ChooseSura(0, {});
    EXPECT_EQ(core.CurrentPage(), book_.quranPageIndex.split("\r\n")[113].toInt());
}

TEST_F(PagesTest, ASuraStartingOnAnEvenPageIsShownWithItsSpread) {
    // Sura 4 of the small book starts on page 17 and sura 5 on page 22.
    ReaderCore& core = StartAt(300, PageMode::Double);
    menu_->choose = {"Sura 1 - 25", "Sura-5"};
    core.ChooseSura(0, {});
    EXPECT_EQ(screen_.captions.pageNumber, "22 21");
    EXPECT_EQ(core.CurrentPage(), 21);
}

TEST_F(PagesTest, JuzMenuShowsTheChosenJuzsFirstPage) {
    ReaderCore& core = StartAt(300, PageMode::Single);
    menu_->choose = {"Juz 21 - 30", "30"};
    core.ChooseJuz(0, {});
    EXPECT_EQ(core.CurrentPage(), 581);
    EXPECT_EQ(menu_->shown[0],
              (std::vector<std::string>{"Juz 1 - 10", "Juz 11 - 20", "Juz 21 - 30"}));
}

TEST_F(PagesTest, HizbMenuShowsTheChosenQuartersFirstPage) {
    ReaderCore& core = StartAt(300, PageMode::Double);
    const std::pair<std::vector<std::string>, QString> choices[] = {
        {{"Hizb 1 - 20", "1", "1"}, "2 1"},
        {{"Hizb 21 - 40", "30", "30 \u00BD"}, "296 295"},  // quarter 119 starts on page 296
        {{"Hizb 41 - 60", "60", "60 \u00BE"}, "598 597"}};
    for (const auto& [path, pages] : choices) {
        menu_->choose = path;
        core.ChooseHizb(0, {});
        EXPECT_EQ(screen_.captions.pageNumber, pages) << path.back();
    }
    EXPECT_EQ(menu_->shown[0],
              (std::vector<std::string>{"Hizb 1 - 20", "Hizb 21 - 40", "Hizb 41 - 60"}));
}

TEST_F(PagesTest, AStartTableEntryThatIsNoPageIsNotShown) {
    QStringList juz = book_.juzPageIndex.split("\r\n");
    juz[1] = "abc";
    juz[2] = "605";
    book_.juzPageIndex = juz.join("\r\n");
    book_.WriteSupport(exeDir_.path());
    ReaderCore& core = StartAt(300, PageMode::Single);
    for (const char* entry : {"2", "3"}) {
        menu_->choose = {"Juz 1 - 10", entry};
        core.ChooseJuz(0, {});
        EXPECT_EQ(core.CurrentPage(), 300) << entry;
    }
}

}  // namespace
}  // namespace pagora::testing
