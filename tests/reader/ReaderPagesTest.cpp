// What the reader core shows: the pages of each mode, the page commands, prompts, keys and menus.
#include "reader/PageDocument.h"
#include "tests/reader/CoreFixture.h"
#include "tests/support/ArchiveDamage.h"

namespace pagora::testing {
namespace {

using PagesTest = CoreTest;

TEST_F(PagesTest, ASpreadShowsTheOddPageOnTheRightAndAnEvenPageJoinsItsSpread) {
    ReaderCore& core = StartAt(1, PageMode::Double);
    EXPECT_EQ(Shown(View::PageOne).pageKey, "001");
    EXPECT_EQ(Shown(View::PageTwo).pageKey, "002");
    EXPECT_EQ(screen_.captions,
              (Captions{"2 1", "35", core.SurasInPage(2), core.SurasInPage(1), true}));
    core.LoadQuranPage(604);
    EXPECT_EQ(screen_.captions.pageNumber, "604 603");
    EXPECT_EQ(core.CurrentPage(), 603);
    // Single-page mode shows the page asked, leaving the current page to the caller.
    StartAt(44, PageMode::Single).LoadQuranPage(17);
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "017");
    EXPECT_EQ(screen_.captions, (Captions{"17", "35", core_->SurasInPage(17), QString(), false}));
    EXPECT_EQ(core_->CurrentPage(), 44);
    // The mode commands show the current page.
    core_->SetPageMode(PageMode::Double);
    EXPECT_EQ(screen_.mode, PageMode::Double);
    EXPECT_EQ(Shown(View::PageOne).pageKey, "043");
    EXPECT_EQ(core_->CurrentPage(), 43);
    core_->SetPageMode(PageMode::Single);
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "043");
    // Pages outside the book change nothing.
    const int writes = Shown(View::SinglePage).writes;
    core_->LoadPage(View::SinglePage, 0);
    core_->LoadPage(View::SinglePage, 605);
    EXPECT_EQ(Shown(View::SinglePage).writes, writes);
    EXPECT_EQ(core_->Tag(View::SinglePage), "043");
}

TEST_F(PagesTest, PageDocumentIsBuiltFromTheArchiveTextAndRebuiltFromIt) {
    ReaderCore& core = StartAt(45, PageMode::Single);
    const QString text = AddBookMarkLinks(book_.pages.at(45));
    EXPECT_EQ(core.PageCache(View::SinglePage), text);
    EXPECT_EQ(Shown(View::SinglePage).document,
              BuildPageDocument(text, 45, SmallBook::Marker(), core.Index().pageFrame, 35));
    // A shown page is rebuilt from its text without fetching it again.
    for (int d = 0; d < 10; ++d) {
        QFile::remove(exeDir_.path() + QStringLiteral("/order%1.dat").arg(d));
    }
    core.IncreaseTextSize();
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "045");
    EXPECT_TRUE(Shown(View::SinglePage).document.contains("font-size: 36px"));
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
    PrepareAll();
    // The page on screen is no turn away; pages more than two turns away are let go.
    EXPECT_EQ(screen_.PreparedKeys(view), (QStringList{"044", "045", "047"}));
    core.NextPage();
    core.NextPage();
    EXPECT_TRUE(core.PrepareTurnStep());
    EXPECT_EQ(screen_.PreparedKeys(view), (QStringList{"047", "049"}));
    // A larger text makes every prepared document a different one.
    core.IncreaseTextSize();
    const QString before = screen_.prepared[view]["047"].document;
    PrepareAll();
    EXPECT_NE(screen_.prepared[view]["047"].document, before);
    core.PreviousPage();
    EXPECT_EQ(Shown(view).document, screen_.prepared[view]["047"].document);
}

TEST_F(PagesTest, BothPagesOfTheNeighbouringSpreadsArePreparedWithTheBookmarkPainted) {
    Store(setting::kBookmarkPage, "048");
    Store(setting::kBookmarkAya, "1");
    ReaderCore& core = StartAt(45, PageMode::Double);
    EXPECT_EQ(PrepareAll(), 4);
    EXPECT_EQ(screen_.PreparedKeys(View::PageOne), (QStringList{"043", "047"}));
    EXPECT_EQ(screen_.PreparedKeys(View::PageTwo), (QStringList{"044", "048"}));
    EXPECT_EQ(screen_.prepared[View::PageTwo]["048"].markedItem, "1");
    EXPECT_EQ(screen_.prepared[View::PageOne]["047"].markedItem, std::nullopt);
    core.NextPage();
    EXPECT_EQ(Shown(View::PageTwo).document, screen_.prepared[View::PageTwo]["048"].document);
    EXPECT_EQ(Shown(View::PageTwo).red, "1");
    // A new bookmark drops what was prepared with the old one; single pages are prepared alone.
    EXPECT_TRUE(core.NavigationFilter(View::PageOne, "about:blank#num0"));
    EXPECT_TRUE(screen_.prepared.empty());
    core.SetPageMode(PageMode::Single);
    EXPECT_TRUE(core.PrepareTurnStep());
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
        const std::string printed = ErrorOutput([&] { core.NextPage(); });
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

TEST_F(PagesTest, PagePromptReadsAnyDigitsAsksAgainAfterARefusedNumberAndCancelChangesNothing) {
    ReaderCore& core = StartAt(100, PageMode::Single);
    prompt_.answers = {"0.6", QString::fromUtf16(u"\u0661\u0662")};  // Arabic-Indic 12
    core.AskForPage();
    EXPECT_EQ(core.CurrentPage(), 12);
    const QString message = "Enter page number (1 to 604)";
    EXPECT_EQ(
        prompt_.asked,
        (std::vector<ScriptedPrompt::Asked>{
            {message, "Enter Page Number", "100"},
            {"\"0.6\" is not a number from 1 to 604.\n" + message, "Enter Page Number", "0.6"}}));
    prompt_.answers = {QString::fromUtf16(u"\u06F6\u06F0\u06F4")};  // Eastern Arabic-Indic 604
    core.AskForPage();
    EXPECT_EQ(core.CurrentPage(), 604);
    EXPECT_EQ(prompt_.asked.back().defaultText, "12");
    for (const QString cancelled : {"   ", "x"}) {
        prompt_.answers = {cancelled};
        core.AskForPage();
        EXPECT_EQ(core.CurrentPage(), 604);
    }
}

TEST_F(PagesTest, TextSizePromptAsksAgainAfterASizeOutOfRangeAndTheButtonsStepFromIt) {
    ReaderCore& core = StartAt(10, PageMode::Single);
    prompt_.answers = {"201", "199.5"};
    core.AskForTextSize();
    EXPECT_EQ(core.TextSize(), 200);
    EXPECT_EQ(prompt_.asked[0],
              (ScriptedPrompt::Asked{"Enter text size (10 to 200)", "Enter text size", "35"}));
    core.DecreaseTextSize();
    EXPECT_EQ(screen_.captions.textSize, "199");
    EXPECT_TRUE(Shown(View::SinglePage).document.contains("font-size: 199px"));
}

TEST_F(PagesTest, KeysTurnPagesSizeTheTextOrAreLeftToTheView) {
    ReaderCore& core = StartAt(100, PageMode::Double);  // spread 99-100
    // Key, shift state, taken, then the page and the text size.
    const std::tuple<int, int, bool, int, int> keys[] = {
        {90, 0, true, 101, 35}, {88, 2, true, 99, 35},   {187, 2, true, 99, 36},
        {189, 2, true, 99, 35}, {189, 0, false, 99, 35}, {35, 0, true, 603, 35},
        {36, 0, true, 1, 35}};
    for (const auto& [key, shift, taken, page, size] : keys) {
        EXPECT_EQ(core.KeyDown(key, shift), taken) << key << "/" << shift;
        EXPECT_EQ(core.CurrentPage(), page) << key << "/" << shift;
        EXPECT_EQ(core.TextSize(), size) << key << "/" << shift;
    }
    EXPECT_FALSE(core.KeyDown(34, 0, ScrollRoom{.down = true}));
    EXPECT_TRUE(core.KeyDown(34, 0, ScrollRoom{.up = true}));
    EXPECT_EQ(screen_.captions.pageNumber, "4 3");
}

TEST_F(PagesTest, GoToMenusShowTheSpreadOfTheChosenStartPageAndEntriesThatAreNoPageNothing) {
    // Sura 5 starts on page 22, juz 30 on 581, hizb quarter 240 on 598; juz 2 not.
    QStringList juz = book_.tables["juzpageindex.txt"].split("\r\n");
    juz[1] = "abc";
    book_.tables["juzpageindex.txt"] = juz.join("\r\n");
    book_.WriteSupport(exeDir_.path());
    ReaderCore& core = StartAt(300, PageMode::Double);
    using Choose = void (ReaderCore::*)(WindowHandle, ScreenPoint);
    const std::tuple<Choose, std::vector<std::string>, QString> choices[] = {
        {&ReaderCore::ChooseJuz, {"Juz 1 - 10", "2"}, "300 299"},
        {&ReaderCore::ChooseSura, {"Sura 1 - 25", "Sura-5"}, "22 21"},
        {&ReaderCore::ChooseSura, {}, "22 21"},  // dismissed
        {&ReaderCore::ChooseJuz, {"Juz 21 - 30", "30"}, "582 581"},
        {&ReaderCore::ChooseHizb, {"Hizb 1 - 20", "1", "1"}, "2 1"},
        {&ReaderCore::ChooseHizb, {"Hizb 41 - 60", "60", "60 \u00BE"}, "598 597"}};
    for (const auto& [choose, path, pages] : choices) {
        menu_->choose = path;
        (core.*choose)(0, {});
        EXPECT_EQ(screen_.captions.pageNumber, pages) << (path.empty() ? "" : path.back());
    }
    EXPECT_EQ(menu_->shown, std::ssize(choices));
}

}  // namespace
}  // namespace pagora::testing
