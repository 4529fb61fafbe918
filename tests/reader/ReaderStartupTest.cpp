// Start-up and shut-down of the reader core: the support files, the settings, the working folder.
#include <unistd.h>

#include "reader/SupportData.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

using StartupTest = CoreTest;

QStringList FrameImageNames() {
    QStringList names;
    for (const char* image : kFrameImages) {
        names << QString::fromLatin1(image);
    }
    names.sort();
    return names;
}

TEST_F(StartupTest, FirstStartShowsPage440InSinglePageModeWithoutBookmark) {
    ReaderCore& core = Start();
    EXPECT_EQ(core.CurrentPage(), 440);
    EXPECT_EQ(core.TextSize(), 35);
    EXPECT_EQ(screen_.mode, PageMode::Single);
    EXPECT_TRUE(core.BookmarkPage().isEmpty());
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "440");
    EXPECT_EQ(screen_.captions, (Captions{"440", "35", core.SurasInPage(440), QString(), false}));
    EXPECT_EQ(core.AppName(), "pagora");
    EXPECT_EQ(process_.trackedFolder, WorkingFolderPath());
    EXPECT_EQ(core.StoredWindowState(kStateNormal), kStateNormal);
}

TEST_F(StartupTest, WorkingFolderKeepsOnlyTheFrameImages) {
    ReaderCore& core = Start();
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
    EXPECT_TRUE(core.Index().pageFrame.contains(WorkingFolderPath() + "top.gif"));
    EXPECT_FALSE(core.Index().pageFrame.contains("##imagepath##"));
    EXPECT_EQ(core.Index().suraMarker, SmallBook::Marker());
    EXPECT_EQ(core.Index().pageStart.size(), 604);
    EXPECT_EQ(core.Index().suraStart.size(), 115);  // the file ends with CR LF
    EXPECT_EQ(core.Index().suraStart[113], book_.quranPageIndex.split("\r\n")[113]);
    core.NextPage();  // pages leave nothing behind either
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
}

TEST_F(StartupTest, PageModeOneIsSingleAndAnyOtherTextDouble) {
    for (const QString mode : {"2", "x", "", " 1", "1.0"}) {
        Store(setting::kPageMode, mode);
        ReaderCore& core = Start();
        EXPECT_EQ(screen_.mode, PageMode::Double) << mode.toStdString();
        EXPECT_EQ(screen_.captions.pageNumber, "440 439");
        EXPECT_EQ(core.CurrentPage(), 439);
        Close();
        EXPECT_EQ(Stored(setting::kPageMode), "2");
    }
    Store(setting::kPageMode, "1");
    Start();
    EXPECT_EQ(screen_.mode, PageMode::Single);
}

TEST_F(StartupTest, ShutDownSavesWhatTheNextStartRestores) {
    ReaderCore& first = Start();
    first.IncreaseTextSize();
    prompt_.answers = {"17"};
    first.AskForPage();
    first.SetPageMode(PageMode::Double);
    Close(kStateNormal, {1500, 900, 9000, 7000.5F});
    EXPECT_EQ(Stored(setting::kFontSize), "36");
    EXPECT_EQ(Stored(setting::kPageNo), "17");
    EXPECT_EQ(Stored(setting::kPageMode), "2");
    EXPECT_EQ(Stored(setting::kWindowState), "0");
    EXPECT_EQ(Stored(setting::kHeight), "7000.5");

    ReaderCore& next = Start();
    EXPECT_EQ(next.TextSize(), 36);
    EXPECT_EQ(next.CurrentPage(), 17);
    EXPECT_EQ(screen_.mode, PageMode::Double);
    EXPECT_EQ(screen_.captions.textSize, "36");
    EXPECT_EQ(next.StoredOuterRect({0, 0, 1, 1}, {{0, 0, 28800, 16200}}),
              (TwipRect{1500, 900, 9000, 7000.5F}));
}

TEST_F(StartupTest, MaximisedMinimisedOrFullScreenWindowsKeepTheirEarlierPlacement) {
    Store(setting::kLeft, "1500");
    Store(setting::kWidth, "9000");
    Start();
    Close(kStateMaximised, {0, 0, 30000, 20000});
    EXPECT_EQ(Stored(setting::kWindowState), "2");
    EXPECT_EQ(Stored(setting::kLeft), "1500");
    EXPECT_EQ(Stored(setting::kWidth), "9000");
    EXPECT_FALSE(Start().StoredFullScreen());
    Close(kStateNormal, {0, 0, 30000, 20000}, true);
    EXPECT_EQ(Stored(setting::kWidth), "9000");
    EXPECT_EQ(Stored(setting::kFullScreen), "1");
    EXPECT_TRUE(Start().StoredFullScreen());
    Close(kStateMaximised, {0, 0, 30000, 20000});
    EXPECT_EQ(Start().StoredWindowState(kStateNormal), kStateMaximised);
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
    process_.commandLine.clear();
    EXPECT_EQ(Start().CurrentPage(), 100);
}

TEST_F(StartupTest, StoredNumbersAreRoundedHalfToEven) {
    Store(setting::kFontSize, "36.5");
    Store(setting::kPageNo, "17.5");
    ReaderCore& core = Start();
    EXPECT_EQ(core.TextSize(), 36);
    EXPECT_EQ(core.CurrentPage(), 18);
}

TEST_F(StartupTest, UnusableStoredNumbersFallBackWithAWarning) {
    Store(setting::kFontSize, "abc");
    Store(setting::kPageNo, "99999999999");
    Store(setting::kWindowState, "x");
    ::testing::internal::CaptureStderr();
    ReaderCore& core = Start();
    const int state = core.StoredWindowState(kStateNormal);
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(core.TextSize(), 35);
    EXPECT_EQ(core.CurrentPage(), 440);
    EXPECT_EQ(state, kStateNormal);
    for (const char* key :
         {"UserSelection/FontSize", "UserSelection/Pageno", "WindowState/State"}) {
        EXPECT_NE(warnings.find(key), std::string::npos) << warnings;
    }
}

TEST_F(StartupTest, StoredPagesAndSizesOutsideTheirRangesTakeTheDefaults) {
    for (const QString page : {"0", "-3", "605", "1000"}) {
        Store(setting::kPageNo, page);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Start().CurrentPage(), 440) << page.toStdString();
        EXPECT_NE(::testing::internal::GetCapturedStderr().find(page.toStdString()),
                  std::string::npos);
    }
    for (const QString size : {"9", "-5", "201", "1000"}) {
        Store(setting::kFontSize, size);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(Start().TextSize(), 35) << size.toStdString();
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("text size"), std::string::npos);
    }
    Store(setting::kPageNo, "604");
    Store(setting::kFontSize, "200");
    ReaderCore& core = Start();
    EXPECT_EQ(core.CurrentPage(), 604);
    EXPECT_EQ(core.TextSize(), 200);
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
    EXPECT_EQ(core.StoredOuterRect(shown, screens), (TwipRect{5000, 100, 12000.5F, 8000}));
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
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(core.StoredOuterRect(shown, screens), (TwipRect{5000, 100, 12000.5F, 8000}));
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("WindowState/Left"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("WindowState/Height"), std::string::npos) << warnings;
}

TEST_F(StartupTest, FrameImagesGoAtShutDownOnlyWithTheLastReader) {
    process_.lastRunning = false;
    Start();
    Close();
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
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

TEST_F(StartupTest, MissingSupportArchiveSaysWhereAndHowToBuild) {
    QFile::remove(exeDir_.path() + "/support.dat");
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(startError_.contains(exeDir_.path() + "/support.dat")) << startError_.toStdString();
    EXPECT_TRUE(startError_.contains("pagora-pack build --out " + exeDir_.path()));
    EXPECT_EQ(Stored(setting::kPageNo), "<absent>");
}

TEST_F(StartupTest, MissingMemberEndsStartUpNamingItAndLeavesNothingBehind) {
    for (const char* member :
         {"verse-count.txt", "surat.txt", "pagestartsuraverse.txt", "bottom.gif", "left-s.jpg"}) {
        book_.WriteSupport(exeDir_.path(), {member});
        EXPECT_FALSE(TryStart()) << member;
        EXPECT_TRUE(startError_.contains(member)) << startError_.toStdString();
        EXPECT_TRUE(startError_.contains("support.dat")) << startError_.toStdString();
        EXPECT_TRUE(WorkingFiles().isEmpty()) << WorkingFiles().join(' ').toStdString();
    }
    EXPECT_EQ(Stored(setting::kWindowState), "<absent>");
}

TEST_F(StartupTest, ASettingsStoreThatCannotBeWrittenIsReportedOnceAndShutDownGoesOn) {
    ReaderCore& core = Start();
    // A folder stands where the store's file should be.
    ASSERT_TRUE(QDir().mkpath(store_->FileFor("pagora")));
    ::testing::internal::CaptureStderr();
    core_->NavigationFilter(View::SinglePage, "about:blank#num1");
    Close();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_TRUE(boxes_.errors[0].text.contains("could not be saved"));
    EXPECT_NE(printed.find("could not be saved"), std::string::npos);
    EXPECT_EQ(core.BookmarkPage(), "440");
    EXPECT_TRUE(WorkingFiles().isEmpty());  // the frame images went all the same
}

TEST_F(StartupTest, FailedStartLeavesTheFrameImagesOfAnotherReader) {
    Start();
    book_.WriteSupport(exeDir_.path(), {"bottom.gif"});
    process_.lastRunning = false;
    EXPECT_FALSE(TryStart());
    EXPECT_EQ(WorkingFiles(), FrameImageNames());
}

TEST_F(StartupTest, DamagedSupportArchiveIsReportedNamingIt) {
    QFile file(exeDir_.path() + "/support.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("this is not an archive");
    file.close();
    EXPECT_FALSE(TryStart());
    EXPECT_TRUE(startError_.contains("support.dat")) << startError_.toStdString();
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
    EXPECT_TRUE(screen_.views.empty());
    EXPECT_TRUE(prompt_.asked.empty());
    EXPECT_TRUE(menu_->shown.empty());

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
