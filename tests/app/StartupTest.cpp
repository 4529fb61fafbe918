#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include "base/Error.h"
#include "platform/BrowserControl.h"
#include "tests/app/ReaderFixture.h"
#include "window/Layout.h"

namespace pagora::testing {
namespace {

using StartupTest = ReaderTest;

TEST_F(StartupTest, FirstStartShowsPage440SingleAtDesignedSizeCentred) {
    auto w = Open();
    EXPECT_EQ(w->CurrentPage(), 440);
    EXPECT_EQ(w->TextSize(), 35);
    EXPECT_TRUE(w->SinglePageMode());
    EXPECT_TRUE(w->fraTwoPage().isHidden());
    EXPECT_TRUE(w->BookmarkPage().isEmpty());
    EXPECT_EQ(w->WindowStateNumber(), 0);
    EXPECT_EQ(w->windowTitle(), "Tamrit Pagora 1.1");
    EXPECT_EQ(w->wbSinglePage().Tag, "440");
    EXPECT_EQ(w->cmdPageNo().text(), "440");
    EXPECT_EQ(w->cmdTextSize().text(), "35");
    EXPECT_TRUE(w->lblPage2().isHidden());
    EXPECT_EQ(w->lblPage1().text(), w->SurasInPage(440));

    const double dpiX = w->logicalDpiX();
    EXPECT_EQ(w->centralWidget()->width(), TwipsToPixels(10545, dpiX));
    const QRect screen = w->screen()->geometry();
    const QRect outer = w->frameGeometry();
    EXPECT_LE(std::abs(outer.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(outer.center().y() - screen.center().y()), 1);
    EXPECT_EQ(process_.trackedFolder, WorkingFolderPath());
}

TEST_F(StartupTest, PageModeTwoAndAnyOtherTextGiveDoublePages) {
    for (const QString mode : {"2", "x", "", " 1", "1.0"}) {
        Store("UserSelection", "PageMode", mode);
        auto w = Open();
        EXPECT_FALSE(w->SinglePageMode()) << mode.toStdString();
        EXPECT_FALSE(w->fraTwoPage().isHidden());
        EXPECT_EQ(w->cmdPageNo().text(), "440 439");
        EXPECT_EQ(w->CurrentPage(), 439);
        w->close();
        EXPECT_EQ(Stored("UserSelection", "PageMode"), "2");
    }
    Store("UserSelection", "PageMode", "1");
    auto w = Open();
    EXPECT_TRUE(w->SinglePageMode());
}

TEST_F(StartupTest, ShutDownSavesAndNextStartRestores) {
    QRect saved;
    {
        auto w = Open();
        w->SetTextSize(50);
        w->SetCurrentPage(17);
        w->mnuDoublePage();
        w->move(40, 30);
        w->resize(620, 500);
        QApplication::processEvents();
        saved = w->frameGeometry();
        w->close();
    }
    EXPECT_EQ(Stored("UserSelection", "FontSize"), "50");
    EXPECT_EQ(Stored("UserSelection", "Pageno"), "17");
    EXPECT_EQ(Stored("UserSelection", "PageMode"), "2");
    EXPECT_EQ(Stored("WindowState", "State"), "0");
    auto w = Open();
    EXPECT_EQ(w->TextSize(), 50);
    EXPECT_EQ(w->CurrentPage(), 17);
    EXPECT_FALSE(w->SinglePageMode());
    EXPECT_EQ(w->frameGeometry(), saved);
    EXPECT_EQ(saved.topLeft(), QPoint(40, 30));
    EXPECT_EQ(w->cmdTextSize().text(), "50");
}

TEST_F(StartupTest, ClosedMaximisedKeepsTheEarlierPlacement) {
    Store("WindowState", "Left", "1500");
    Store("WindowState", "Top", "600");
    Store("WindowState", "Width", "9000");
    Store("WindowState", "Height", "7500");
    {
        auto w = Open();
        w->showMaximized();
        QApplication::processEvents();
        ASSERT_EQ(w->WindowStateNumber(), 2);
        w->close();
    }
    EXPECT_EQ(Stored("WindowState", "State"), "2");
    EXPECT_EQ(Stored("WindowState", "Left"), "1500");
    EXPECT_EQ(Stored("WindowState", "Width"), "9000");
    auto w = Open();
    EXPECT_TRUE(w->isMaximized());
}

TEST_F(StartupTest, ClosedMinimisedOpensAtTheDesignedPlacement) {
    Store("WindowState", "Left", "300");
    Store("WindowState", "Top", "300");
    Store("WindowState", "Width", "5000");
    Store("WindowState", "Height", "4000");
    {
        auto w = Open();
        w->showMinimized();
        QApplication::processEvents();
        ASSERT_EQ(w->WindowStateNumber(), 1);
        w->close();
    }
    EXPECT_EQ(Stored("WindowState", "State"), "1");
    auto designed = NewWindow();
    const QSize designedSize = designed->size();
    auto w = Open();
    EXPECT_EQ(w->size(), designedSize);
    EXPECT_NE(w->width(), TwipsToPixels(5000, w->logicalDpiX()));
}

TEST_F(StartupTest, CommandLineTextSelectsItsOwnSettings) {
    Store("UserSelection", "Pageno", "100");
    process_.commandLine = "a";
    {
        auto w = Open();
        EXPECT_EQ(w->AppName(), "pagora-a");
        EXPECT_EQ(w->CurrentPage(), 440);
        w->SetCurrentPage(250);
        w->close();
    }
    EXPECT_EQ(Stored("UserSelection", "Pageno", "pagora-a"), "250");
    EXPECT_EQ(Stored("UserSelection", "Pageno"), "100");
    process_.commandLine.clear();
    auto w = Open();
    EXPECT_EQ(w->CurrentPage(), 100);
}

TEST_F(StartupTest, UnsafeCommandLineTextsStayInsideTheSettingsFolder) {
    // The store lives two levels down, so an escape upwards stays visible to the test.
    const QString inner = configDir_.path() + "/one/two";
    ASSERT_TRUE(QDir().mkpath(inner));
    store_ = std::make_unique<IniSettingsStore>(inner);
    const QStringList texts = {"../../escape",       "a/b",
                               QString("x\x01y"),    QString(300, 'n'),
                               QStringLiteral(".."), QStringLiteral("a b")};
    for (const QString& text : texts) {
        process_.commandLine = text;
        auto w = Open();
        w->SetCurrentPage(300);
        w->close();
        EXPECT_EQ(Stored("UserSelection", "Pageno", "pagora-" + text), "300");
        Store("UserSelection", "Pageno", QString::number(text.size()), "pagora-" + text);
    }
    QDirIterator it(configDir_.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        EXPECT_TRUE(file.startsWith(inner + "/")) << file.toStdString();
    }
    // Each text kept its own store.
    for (const QString& text : texts) {
        EXPECT_EQ(Stored("UserSelection", "Pageno", "pagora-" + text),
                  QString::number(text.size()));
    }
    EXPECT_EQ(Stored("UserSelection", "Pageno"), "<absent>");
}

TEST_F(StartupTest, StoredValuesAreRoundedHalfToEven) {
    Store("UserSelection", "FontSize", "36.5");
    Store("UserSelection", "Pageno", "17.5");
    auto w = Open();
    EXPECT_EQ(w->TextSize(), 36);
    EXPECT_EQ(w->CurrentPage(), 18);
}

TEST_F(StartupTest, UnusableStoredValuesFallBackWithAWarning) {
    Store("UserSelection", "FontSize", "abc");
    Store("UserSelection", "Pageno", "99999999999");
    Store("WindowState", "State", "x");
    Store("WindowState", "Left", "left");
    ::testing::internal::CaptureStderr();
    auto w = Open();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(w->TextSize(), 35);
    EXPECT_EQ(w->CurrentPage(), 440);
    EXPECT_EQ(w->WindowStateNumber(), 0);
    EXPECT_NE(warnings.find("FontSize"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Pageno"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("State"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("Left"), std::string::npos) << warnings;
    EXPECT_TRUE(boxes_.errors.empty());
    const QRect screen = w->screen()->geometry();
    EXPECT_LE(std::abs(w->frameGeometry().center().x() - screen.center().x()), 1);
}

TEST_F(StartupTest, PlacementBeyondTwiceTheScreenIsNotApplied) {
    const QSize designed = NewWindow()->size();
    Store("WindowState", "State", "0");
    Store("WindowState", "Left", "-1e9");
    Store("WindowState", "Top", "100");
    Store("WindowState", "Width", "1000000");
    Store("WindowState", "Height", "-5");
    ::testing::internal::CaptureStderr();
    auto w = Open();
    const std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(w->size(), designed);
    EXPECT_GE(w->frameGeometry().left(), 0);
    EXPECT_EQ(w->frameGeometry().top(), TwipsToPixels(100, w->logicalDpiY()));
    for (const char* key : {"Left", "Width", "Height"}) {
        EXPECT_NE(warnings.find(std::string("WindowState/") + key), std::string::npos) << warnings;
    }
    EXPECT_EQ(warnings.find("WindowState/Top"), std::string::npos) << warnings;
}

TEST_F(StartupTest, PageBelowOneBecomes440AndPastTheBookIsKept) {
    for (const QString stored : {"0", "-3"}) {
        Store("UserSelection", "Pageno", stored);
        auto w = Open();
        EXPECT_EQ(w->CurrentPage(), 440) << stored.toStdString();
        EXPECT_EQ(w->wbSinglePage().Tag, "440");
    }
    Store("UserSelection", "Pageno", "700");
    Store("UserSelection", "FontSize", "5");
    auto w = Open();
    EXPECT_EQ(w->CurrentPage(), 700);
    EXPECT_EQ(w->TextSize(), 5);
    EXPECT_EQ(w->cmdPageNo().text(), "700");
    EXPECT_TRUE(w->wbSinglePage().Tag.isEmpty());
    EXPECT_EQ(w->lblPage1().text(), "");
}

TEST_F(StartupTest, WorkingFolderHoldsTheEightImagesAndNothingElse) {
    auto w = Open();
    QStringList expected;
    for (const char* image : kFrameImages) {
        expected << QString::fromLatin1(image);
    }
    expected.sort();
    EXPECT_EQ(WorkingFiles(), expected);
    EXPECT_TRUE(w->Index().pageFrame.contains(WorkingFolderPath() + "top.gif"));
    EXPECT_FALSE(w->Index().pageFrame.contains("##imagepath##"));
    EXPECT_EQ(w->Index().suraMarker, SmallBook::Marker());
    EXPECT_EQ(w->Index().pageStart.size(), 604);
    EXPECT_EQ(w->Index().suraStart.size(), 115);  // the file ends with CR LF
    EXPECT_EQ(w->Index().suraStart[113], book_.quranPageIndex.split("\r\n")[113]);
    // Pages shown later leave nothing behind either.
    w->SetCurrentPage(45);
    w->LoadQuranPage(45);
    EXPECT_EQ(WorkingFiles(), expected);
}

TEST_F(StartupTest, FrameImagesGoAtShutDownOnlyForTheLastInstance) {
    process_.lastRunning = false;
    Open()->close();
    EXPECT_EQ(WorkingFiles().size(), 8);
    process_.lastRunning = true;
    Open()->close();
    EXPECT_TRUE(WorkingFiles().isEmpty());
}

TEST_F(StartupTest, MissingSupportArchiveSaysWhereAndHowToBuild) {
    QFile::remove(exeDir_.path() + "/support.dat");
    ::testing::internal::CaptureStderr();
    auto w = NewWindow();
    EXPECT_FALSE(w->Start());
    const std::string printed = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes_.errors.size(), 1u);
    const QString message = boxes_.errors[0];
    EXPECT_TRUE(message.contains(exeDir_.path() + "/support.dat")) << message.toStdString();
    EXPECT_TRUE(message.contains("make")) << message.toStdString();
    EXPECT_TRUE(message.contains("pagora-pack build --out")) << message.toStdString();
    EXPECT_NE(printed.find("support.dat"), std::string::npos);
    w->close();
    EXPECT_EQ(Stored("UserSelection", "Pageno"), "<absent>");
}

TEST_F(StartupTest, MissingTextMemberEndsStartUpNamingIt) {
    for (const char* member : {"verse-count.txt", "surat.txt", "pagestartsuraverse.txt"}) {
        book_.WriteSupport(exeDir_.path(), {member});
        boxes_.errors.clear();
        ::testing::internal::CaptureStderr();
        auto w = NewWindow();
        EXPECT_FALSE(w->Start());
        ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(boxes_.errors.size(), 1u);
        EXPECT_TRUE(boxes_.errors[0].contains(member)) << boxes_.errors[0].toStdString();
        w->close();
        EXPECT_EQ(Stored("WindowState", "State"), "<absent>");
    }
}

TEST_F(StartupTest, MissingFrameImageIsNoError) {
    book_.WriteSupport(exeDir_.path(), {"top.gif"});
    auto w = Open();
    EXPECT_EQ(WorkingFiles().size(), 7);
    EXPECT_EQ(w->wbSinglePage().Tag, "440");
}

TEST_F(StartupTest, CorruptSupportArchiveIsReported) {
    QFile file(exeDir_.path() + "/support.dat");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("this is not an archive");
    file.close();
    ::testing::internal::CaptureStderr();
    auto w = NewWindow();
    EXPECT_FALSE(w->Start());
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_FALSE(boxes_.errors[0].isEmpty());
}

// ---------------------------------------------------------------- readers

class ReadersTest : public ReaderTest {
  protected:
    QString Write(const QByteArray& bytes) {
        const QString path = tmpDir_.path() + "/file" + QString::number(++n_);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    int n_ = 0;
};

TEST_F(ReadersTest, ReadTextFileTakesOneCharacterPerByte) {
    auto w = NewWindow();
    EXPECT_EQ(w->ReadTextFile(tmpDir_.path() + "/missing"), "");
    EXPECT_EQ(w->ReadTextFile(tmpDir_.path()), "");  // a folder is not a file
    EXPECT_EQ(w->ReadTextFile(Write("")), "");
    EXPECT_EQ(w->ReadTextFile(Write("1\r\n2")), QString("1\r\n2"));
    EXPECT_EQ(w->ReadTextFile(Write("\xE9\xFF")), QString::fromUtf16(u"\u00E9\u00FF"));
}

TEST_F(ReadersTest, GetFileDataUTakesLittleEndianPairs) {
    auto w = NewWindow();
    EXPECT_THROW(w->GetFileDataU(tmpDir_.path() + "/missing"), Error);
    EXPECT_EQ(w->GetFileDataU(Write("")), "");
    EXPECT_EQ(w->GetFileDataU(Write(QByteArray("A\0B\0", 4))), "AB");
    EXPECT_EQ(w->GetFileDataU(Write(QByteArray("\xFF\xFE"
                                               "A\0",
                                               4))),
              QString(QChar(0xFEFF)) + QLatin1Char('A'));
    EXPECT_EQ(w->GetFileDataU(Write(QByteArray("\x61\x06"
                                               "C",
                                               3))),
              QString::fromUtf16(u"\u0661"));
}

}  // namespace
}  // namespace pagora::testing

namespace pagora::testing {
namespace {

TEST(WindowDesign, ControlsSitInTheirContainersWithTheirCaptions) {
    EnsureApplication();
    FakeProcessFacts process;
    RecordingMessageBoxes boxes;
    QTemporaryDir config;
    IniSettingsStore store(config.path());
    frmMain w(store, process, boxes);
    EXPECT_EQ(w.windowTitle(), "Tamrit Pagora 1.1");
    struct Expected {
        const char* name;
        const char* container;
        const char* caption;
    };
    const Expected controls[] = {
        {"fraTwoPage", "clientArea", ""},
        {"wbPageOne", "fraTwoPage", nullptr},
        {"wbPageTwo", "fraTwoPage", nullptr},
        {"fraFooter", "clientArea", ""},
        {"fraGoto", "fraFooter", "Go To"},
        {"cmdSelectJuz", "fraGoto", "Juz"},
        {"cmdSuraSelect", "fraGoto", "Sura"},
        {"fraTextSize", "fraFooter", "Text Size"},
        {"cmdTextSize", "fraTextSize", ""},
        {"cmdIncrease", "fraTextSize", "+"},
        {"cmdDecrease", "fraTextSize", "-"},
        {"fraPage", "fraFooter", "Page"},
        {"cmdPageNo", "fraPage", ""},
        {"cmdNext", "fraPage", "&Next"},
        {"cmdPrevious", "fraPage", "Previous"},
        {"lblPage2", "fraFooter", nullptr},
        {"lblPage1", "fraFooter", nullptr},
        {"fraOnePage", "clientArea", ""},
        {"wbSinglePage", "fraOnePage", nullptr},
    };
    for (const Expected& c : controls) {
        QWidget* control = w.findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->parentWidget()->objectName(), QString::fromLatin1(c.container))
            << c.name;
        if (c.caption == nullptr) {
            continue;
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), QString::fromLatin1(c.caption)) << c.name;
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            EXPECT_EQ(frame->title(), QString::fromLatin1(c.caption)) << c.name;
        }
    }
    EXPECT_EQ(w.findChild<QPushButton*>("cmdNext")->toolTip(), "Shortcut key \"z\"");
    EXPECT_EQ(w.findChild<QPushButton*>("cmdPrevious")->toolTip(), "Shortcut key \"x\"");
    for (QPushButton* button : {&w.cmdTextSize(), &w.cmdPageNo()}) {
        EXPECT_EQ(button->font().family(), "Arial");
        EXPECT_TRUE(button->font().bold());
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 9.75);
    }
    // Designed geometry of a fixed control, in twips at the screen's logical DPI.
    QWidget* fraGoto = w.findChild<QWidget*>("fraGoto");
    EXPECT_EQ(fraGoto->geometry(),
              QRect(TwipsToPixels(5505, w.logicalDpiX()), TwipsToPixels(150, w.logicalDpiY()),
                    TwipsToPixels(1875, w.logicalDpiX()), TwipsToPixels(690, w.logicalDpiY())));

    QStringList menus;
    for (QAction* action : w.menuBar()->actions()) {
        menus << action->text();
    }
    EXPECT_EQ(menus, (QStringList{"View", "Bookmark", "Settings", "About"}));
    QStringList commands;
    for (const char* name :
         {"mnuSinglePage", "mnuDoublePage", "mnuGotoBookMark", "mnuHowToSetBookMark",
          "mnuSettingTilora", "mnuAboutPagora", "mnuAboutWebsite"}) {
        QAction* action = w.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        commands << action->text();
    }
    EXPECT_EQ(commands,
              (QStringList{"Single Page", "Double Page", "Go to Bookmark", "How To Set Bookmark",
                           "How to recite verse", "About Pagora", "Visit Website"}));
    QMenu* pageMode = w.findChild<QMenu*>("mnuPageMod");
    ASSERT_NE(pageMode, nullptr);
    EXPECT_EQ(pageMode->title(), "Page Mode");
}

}  // namespace
}  // namespace pagora::testing
