// Start-up and shut-down of the reader core: the support files, the settings, the working folder.
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
    const TwipRect screen{0, 0, 28800, 16200};
    EXPECT_EQ(next.StoredOuterRect({0, 0, 1, 1}, screen, screen),
              (TwipRect{1500, 900, 9000, 7000.5F}));
}

TEST_F(StartupTest, MaximisedOrMinimisedWindowsKeepTheirEarlierPlacement) {
    Store(setting::kLeft, "1500");
    Store(setting::kWidth, "9000");
    Start();
    Close(kStateMaximised, {0, 0, 30000, 20000});
    EXPECT_EQ(Stored(setting::kWindowState), "2");
    EXPECT_EQ(Stored(setting::kLeft), "1500");
    EXPECT_EQ(Stored(setting::kWidth), "9000");
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

TEST_F(StartupTest, PageBelowOneBecomes440AndPastTheBookIsKept) {
    for (const QString stored : {"0", "-3"}) {
        Store(setting::kPageNo, stored);
        EXPECT_EQ(Start().CurrentPage(), 440) << stored.toStdString();
    }
    Store(setting::kPageNo, "700");
    Store(setting::kFontSize, "5");
    ReaderCore& core = Start();
    EXPECT_EQ(core.CurrentPage(), 700);
    EXPECT_EQ(core.TextSize(), 5);
    EXPECT_EQ(screen_.captions.pageNumber, "700");
    EXPECT_EQ(screen_.captions.suras, "");
    EXPECT_EQ(screen_.views.count(View::SinglePage), 0u);
}

TEST_F(StartupTest, StoredPlacementTakesEachValueOrItsDefault) {
    ReaderCore& core = Start();
    const TwipRect screen{0, 0, 20000, 12000};
    const TwipRect shown{0, 0, 10000, 8000};
    // Nothing stored: the window as shown, centred.
    EXPECT_EQ(core.StoredOuterRect(shown, screen, screen), (TwipRect{5000, 2000, 10000, 8000}));
    Store(setting::kTop, "100");
    Store(setting::kWidth, "12000.5");
    EXPECT_EQ(core.StoredOuterRect(shown, screen, screen), (TwipRect{5000, 100, 12000.5F, 8000}));
    // Beyond twice the larger of screen and desktop (or no size at all) is not applied.
    Store(setting::kLeft, "-1e9");
    Store(setting::kWidth, "40001");
    Store(setting::kHeight, "-5");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(core.StoredOuterRect(shown, screen, screen), (TwipRect{5000, 100, 10000, 8000}));
    const TwipRect wideDesktop{0, 0, 40000, 12000};
    EXPECT_EQ(core.StoredOuterRect(shown, screen, wideDesktop).Width, 40001);
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
    core_->ChooseSura(0);
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
