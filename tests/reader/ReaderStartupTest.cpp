// Start-up and shut-down of the reader core: the support files, the settings, the working folder.
#include <unistd.h>

#include "reader/SupportData.h"
#include "tests/reader/CoreFixture.h"
#include "tests/support/ArchiveDamage.h"

namespace pagora::testing {
namespace {

using StartupTest = CoreTest;

QStringList FrameImageNames() {
    QStringList names(std::begin(kFrameImages), std::end(kFrameImages));
    names.sort();
    return names;
}

TEST_F(StartupTest, FirstStartShowsPage440InSinglePageModeAndKeepsOnlyTheFrameImages) {
    ReaderCore& core = Start();
    EXPECT_EQ(screen_.mode, PageMode::Single);
    EXPECT_TRUE(core.BookmarkPage().isEmpty());
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "440");
    EXPECT_EQ(screen_.captions, (Captions{"440", "35", core.SurasInPage(440), QString(), false}));
    EXPECT_EQ(process_.trackedFolder, WorkingFolderPath());
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
    EXPECT_TRUE(core.Index().pageFrame.contains(WorkingFolderPath() + "top.gif"));
}

TEST_F(StartupTest, AnyStoredPageModeButOneIsDoubleAndIsSavedAsTwo) {
    for (const QString mode : {"2", "x", "", " 1", "1.0"}) {
        Store(setting::kPageMode, mode);
        Start();
        EXPECT_EQ(screen_.mode, PageMode::Double) << mode.toStdString();
        Close();
        EXPECT_EQ(Stored(setting::kPageMode), "2");
    }
}

TEST_F(StartupTest, ShutDownSavesWhatTheNextStartRestoresAndOtherStatesKeepTheEarlierPlacement) {
    ReaderCore& first = Start();
    first.IncreaseTextSize();
    prompt_.answers = {"17"};
    first.AskForPage();
    first.SetPageMode(PageMode::Double);
    Close(kStateNormal, {1500, 900, 9000, 7000.5F});
    EXPECT_EQ(Stored(setting::kWindowState), "0");

    ReaderCore& next = Start();
    EXPECT_EQ(next.TextSize(), 36);
    EXPECT_EQ(next.CurrentPage(), 17);
    EXPECT_EQ(screen_.mode, PageMode::Double);
    EXPECT_EQ(next.StoredOuterRect({0, 0, 1, 1}, {{0, 0, 28800, 16200}}),
              (TwipRect{1500, 900, 9000, 7000.5F}));
    // Maximised, minimised or full-screen windows keep the placement saved before.
    Close(kStateMaximised, {0, 0, 30000, 20000});
    EXPECT_EQ(Stored(setting::kWindowState), "2");
    EXPECT_EQ(Stored(setting::kWidth), "9000");
    EXPECT_EQ(Start().StoredWindowState(kStateNormal), kStateMaximised);
    EXPECT_FALSE(core_->StoredFullScreen());
    Close(kStateNormal, {0, 0, 30000, 20000}, true);
    EXPECT_EQ(Stored(setting::kWidth), "9000");
    EXPECT_EQ(Stored(setting::kFullScreen), "1");
    EXPECT_TRUE(Start().StoredFullScreen());
    Close(kStateMinimised, {-100, -100, 200, 200});
    EXPECT_EQ(Start().StoredWindowState(kStateNormal), kStateMinimised);
}

TEST_F(StartupTest, CommandLineTextSelectsItsOwnSettings) {
    Store(setting::kPageNo, "100");
    process_.commandLine = "a";
    ReaderCore& own = Start();
    EXPECT_EQ(own.AppName(), "pagora-a");
    EXPECT_EQ(own.CurrentPage(), 440);
    own.NextPage();
    Close();
    EXPECT_EQ(Stored(setting::kPageNo, "pagora-a"), "441");
    EXPECT_EQ(Stored(setting::kPageNo), "100");
}

TEST_F(StartupTest, StoredValuesThatAreNoneOrOutsideTheirRangesOrListsFallBackWithAWarning) {
    const std::tuple<SettingKey, const char*, const char*> bad[] = {
        {setting::kFontSize, "abc", "UserSelection/FontSize"},
        {setting::kFontSize, "9", "size 9 "},
        {setting::kFontSize, "201", "size 201 "},
        {setting::kPageNo, "0", "page 0 "},
        {setting::kPageNo, "605", "page 605 "},
        {setting::kWindowState, "x", "WindowState/State"},
        {setting::kTheme, "Night", "UserSelection/Theme"},
        {setting::kTheme, " light", "UserSelection/Theme"},
        {setting::kFitPage, "1.0", "UserSelection/FitPage"},
        {setting::kFitPage, "yes", "UserSelection/FitPage"}};
    for (const auto& [key, value, warned] : bad) {
        Store(key, value);
        const std::string warnings =
            ErrorOutput([&] { EXPECT_EQ(Start().StoredWindowState(kStateNormal), kStateNormal); });
        EXPECT_EQ(core_->TextSize(), 35) << value;
        EXPECT_EQ(core_->CurrentPage(), 440) << value;
        EXPECT_EQ(screen_.theme, Theme::Light) << value;
        EXPECT_FALSE(core_->FitPage()) << value;
        EXPECT_NE(warnings.find(warned), std::string::npos) << warnings;
    }
    // 603.5 and 200.5 round to the even neighbours, inside the ranges.
    Store(setting::kPageNo, "603.5");
    Store(setting::kFontSize, "200.5");
    ErrorOutput([&] { Start(); });  // the theme and fit mode above are still stored
    EXPECT_EQ(core_->CurrentPage(), 604);
    EXPECT_EQ(core_->TextSize(), 200);
    Close();
    EXPECT_EQ(Stored(setting::kFontSize), "200");
}

TEST_F(StartupTest, StoredPlacementTakesEachValueOrItsDefaultAndFitsOntoAScreen) {
    ReaderCore& core = Start();
    const std::vector<TwipRect> screens = {{0, 0, 20000, 12000}, {20000, 0, 15000, 9000}};
    const TwipRect shown{0, 0, 10000, 8000};
    // Nothing stored: the window as shown, centred on the first screen.
    EXPECT_EQ(core.StoredOuterRect(shown, screens), (TwipRect{5000, 2000, 10000, 8000}));
    Store(setting::kTop, "100");
    Store(setting::kWidth, "12000.5");
    // On the second screen, partly off it: moved onto it.
    Store(setting::kLeft, "30000");
    EXPECT_EQ(core.StoredOuterRect(shown, screens), (TwipRect{22999.5F, 100, 12000.5F, 8000}));
    // Saved on a larger screen (1118 x 1025 px), opened on 1024 x 600 px: wholly visible.
    Store(setting::kLeft, "-30000");
    Store(setting::kWidth, "16770");
    Store(setting::kHeight, "15375");
    EXPECT_EQ(core.StoredOuterRect(shown, {{0, 0, 15360, 9000}}), (TwipRect{0, 0, 15360, 9000}));
    // Values that are no numbers, or no sizes, take their defaults.
    Store(setting::kLeft, "left");
    Store(setting::kWidth, "12000.5");
    Store(setting::kHeight, "-5");
    const std::string warnings = ErrorOutput([&] {
        EXPECT_EQ(core.StoredOuterRect(shown, screens), (TwipRect{5000, 100, 12000.5F, 8000}));
    });
    EXPECT_NE(warnings.find("WindowState/Left"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("WindowState/Height"), std::string::npos) << warnings;
}

TEST_F(StartupTest, FrameImagesGoAtShutDownOnlyWithTheLastReaderAndStayAfterAFailedStart) {
    process_.lastRunning = false;
    Start();
    Close();
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
    book_.WriteSupport(exeDir_.path(), {"bottom.gif"});
    EXPECT_FALSE(TryStart());
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
    book_.WriteSupport(exeDir_.path());
    process_.lastRunning = true;
    Start();
    Close();
    EXPECT_TRUE(WorkingFiles().isEmpty());
}

TEST_F(StartupTest, AFolderMadeForThisRunGoesAtShutDownAndAfterAFailedStart) {
    // Another user's file where the usual folder belongs: each run makes a folder of its own.
    QFile squatter(tmpDir_.path() + "/PG-" + QString::number(getuid()));
    ASSERT_TRUE(squatter.open(QIODevice::WriteOnly));
    process_.lastRunning = false;
    Start();
    const QString runFolder = WorkingFolderPath();
    EXPECT_TRUE(runFolder.startsWith(squatter.fileName() + "-")) << runFolder.toStdString();
    Close();
    EXPECT_FALSE(QDir(runFolder).exists());
    book_.WriteSupport(exeDir_.path(), {"bottom.gif"});
    EXPECT_FALSE(TryStart());
    EXPECT_EQ(QDir(tmpDir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{squatter.fileName().section('/', -1)});
}

TEST_F(StartupTest, AMissingOrDamagedSupportArchiveOrMemberEndsStartUpNamingIt) {
    for (const char* member : {"verse-count.txt", "surat.txt", "bottom.gif"}) {
        book_.WriteSupport(exeDir_.path(), {member});
        EXPECT_FALSE(TryStart()) << member;
        EXPECT_TRUE(startError_.contains(member)) << startError_.toStdString();
        EXPECT_TRUE(startError_.contains("support.dat")) << startError_.toStdString();
        EXPECT_TRUE(WorkingFiles().isEmpty()) << WorkingFiles().join(' ').toStdString();
    }
    const QString archive = exeDir_.path() + "/support.dat";
    DamageArchive(archive.toStdString(), ArchiveDamage::kMemberCount);
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(startError_.contains("support.dat")) << startError_.toStdString();
    // A missing archive: where it was looked for and how to build it.
    QFile::remove(archive);
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(startError_.contains(archive)) << startError_.toStdString();
    EXPECT_TRUE(startError_.contains("pagora-pack build --out " + exeDir_.path()));
    EXPECT_EQ(Stored(setting::kWindowState), "<absent>");
}

TEST_F(StartupTest, ASettingsStoreThatCannotBeWrittenIsReportedOnceAndShutDownGoesOn) {
    ReaderCore& core = Start();
    // A folder stands where the store's file should be.
    ASSERT_TRUE(QDir().mkpath(store_->FileFor("pagora")));
    const std::string printed = ErrorOutput([&] {
        core.NavigationFilter(View::SinglePage, "about:blank#num1");
        Close();
    });
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_TRUE(boxes_.errors[0].text.contains("could not be saved"));
    EXPECT_NE(printed.find("could not be saved"), std::string::npos);
    EXPECT_EQ(core.BookmarkPage(), "440");
    EXPECT_TRUE(WorkingFiles().isEmpty());  // the frame images went all the same
}

TEST_F(StartupTest, CommandsDoNothingBeforeStartUpOrAfterShutDown) {
    core_ = NewCore();
    prompt_.answers = {"12", "50"};
    core_->NextPage();
    core_->AskForPage();
    core_->AskForTextSize();
    core_->IncreaseTextSize();
    core_->GoToBookmark();
    core_->ChooseSura(0, {});
    core_->SetPageMode(PageMode::Double);
    core_->ShowVerse(6, 2, 2);
    EXPECT_TRUE(screen_.views.empty());
    EXPECT_TRUE(prompt_.asked.empty());
    EXPECT_EQ(menu_->shown, 0);

    ReaderCore& core = Start();
    Close();
    const int writes = Shown(View::SinglePage).writes;
    core.NextPage();
    core.SetPageMode(PageMode::Double);
    EXPECT_EQ(core.CurrentPage(), 440);
    EXPECT_EQ(Shown(View::SinglePage).writes, writes);
    EXPECT_EQ(screen_.mode, PageMode::Single);
}

}  // namespace
}  // namespace pagora::testing
