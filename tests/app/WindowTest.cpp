// The main window: over the small made-up book, its design and one pass through each way a
// command reaches the reader (buttons, keys in the window and in a page view, menus, the links
// of the real page views, start-up, resizing and closing); over the built archives, its themes
// and fit mode. What the commands decide is tested in the reader core's own tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/SettingsStore.h"
#include "reader/PageDocument.h"
#include "reader/Theme.h"
#include "tests/support/ReaderDoubles.h"
#include "tests/support/SmallBook.h"
#include "window/frmAbout.h"

namespace pagora::testing {
namespace {

// The real main window over the archives in process_.folder (the built ones unless a test sets
// others), with settings of its own and the other services as doubles.
class MainWindowTest : public ::testing::Test, protected ServiceDoubles {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmpDir_.isValid() && configDir_.isValid());
        store_ = std::make_unique<IniSettingsStore>(configDir_.path());
        process_.folder = QStringLiteral(PAGORA_ARCHIVE_DIR);
    }
    frmMain& Open(const QString& mode = "1", int page = 440) {
        Store("UserSelection", "PageMode", mode);
        Store("UserSelection", "Pageno", QString::number(page));
        window_.reset();
        window_ = std::make_unique<frmMain>(Services(*store_));
        window_->SetTempEnvironment(TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
        EXPECT_TRUE(window_->Start())
            << (boxes_.errors.empty() ? "" : boxes_.errors[0].text.toStdString());
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }
    template <typename T = QWidget>
    T& Child(const QString& name) {
        T* child = window_->findChild<T*>(name);
        return child != nullptr ? *child
                                : throw std::runtime_error("no control " + name.toStdString());
    }
    QString PageNo() { return Child<QPushButton>("cmdPageNo").text(); }
    QString TextSize() { return Child<QPushButton>("cmdTextSize").text(); }
    void Click(const char* button) {
        QTest::mouseClick(&Child<QPushButton>(button), Qt::LeftButton);
    }
    void Trigger(const QString& command) {
        Child<QAction>(command).trigger();
        QApplication::processEvents();
    }
    QString Stored(const QString& section, const QString& key) {
        return store_->GetSetting("pagora", section, key, "<absent>");
    }
    void Store(const QString& section, const QString& key, const QString& value) {
        store_->SaveSetting("pagora", section, key, value);
    }

    QTemporaryDir tmpDir_, configDir_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<frmMain> window_;
};

class WindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(exeDir_.isValid());
        process_.folder = exeDir_.path();
        book_.WriteSupport(exeDir_.path());
        book_.WritePages(exeDir_.path());
    }

    SmallBook book_;
    QTemporaryDir exeDir_;
};

TEST_F(WindowTest, ControlsSitWholeInTheirContainersWithoutCoveringEachOther) {
    frmMain& w = Open();
    std::vector<const QWidget*> placed;
    for (const char* name :
         {"fraTwoPage",   "wbPageOne",     "wbPageTwo",     "fraFooter",   "fraGoto",
          "cmdSelectJuz", "cmdSuraSelect", "cmdSelectHizb", "fraTextSize", "cmdTextSize",
          "cmdIncrease",  "cmdDecrease",   "fraPage",       "cmdPageNo",   "cmdNext",
          "cmdPrevious",  "lblPage2",      "lblPage1",      "fraOnePage",  "wbSinglePage"}) {
        const QWidget& control = Child(name);
        EXPECT_TRUE(!control.isVisibleTo(&w) || !control.geometry().isEmpty()) << name;
        EXPECT_TRUE(control.parentWidget()->rect().contains(control.geometry())) << name;
        for (const QWidget* other : placed) {
            EXPECT_FALSE(other->parentWidget() == control.parentWidget() &&
                         other->isVisibleTo(&w) && control.isVisibleTo(&w) &&
                         other->geometry().intersects(control.geometry()))
                << name << " covers " << other->objectName().toStdString();
        }
        placed.push_back(&control);
    }
    for (const char* name : {"cmdTextSize", "cmdPageNo"}) {
        EXPECT_TRUE(Child(name).font().bold());
        EXPECT_DOUBLE_EQ(Child(name).font().pointSizeF(), 9.75);
    }
}

// The normal placement kept over reopens is checked under a window manager by the end-to-end run.
TEST_F(WindowTest, FirstStartIsCentredAtTheDesignedSizeAndClosingKeepsMaximisedAndFullScreen) {
    frmMain& w = Open();
    EXPECT_EQ(w.centralWidget()->width(), TwipsToPixels(10545, w.logicalDpiX()));
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->geometry().center();
    EXPECT_LE(std::abs(offCentre.x()), 1);
    EXPECT_LE(std::abs(offCentre.y()), 1);
    EXPECT_EQ(Child<QLabel>("lblPage1").text(), w.SurasInPage(440));
    w.showMaximized();
    QApplication::processEvents();
    w.close();
    EXPECT_EQ(Stored("WindowState", "State"), "2");
    EXPECT_TRUE(Open().isMaximized());
    // Full screen is kept as the maximised state is; Ctrl+Q closes as a close request does.
    QTest::keyClick(window_.get(), Qt::Key_F11);
    EXPECT_TRUE(window_->isFullScreen());
    EXPECT_TRUE(Child<QAction>("mnuFullScreen").isChecked());
    Click("cmdNext");
    QTest::keyClick(window_.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(Stored("WindowState", "FullScreen"), "1");
    EXPECT_EQ(Stored("UserSelection", "Pageno"), "441");
    EXPECT_TRUE(Open().isFullScreen());
    QTest::keyClick(window_.get(), Qt::Key_F11);
    EXPECT_FALSE(window_->isFullScreen());
}

TEST_F(WindowTest, ButtonsReachTheirCommandsAndChoosersOpenUnderTheirButtons) {
    frmMain& w = Open("1", 100);
    Click("cmdNext");
    EXPECT_EQ(PageNo(), "101");
    // A click leaves the keyboard with the page, which keeps scrolling with the arrow keys.
    EXPECT_EQ(QApplication::focusWidget(), &w.PageView(View::SinglePage));
    Click("cmdPrevious");
    EXPECT_EQ(PageNo(), "100");
    prompt_.answers = {"45", "50"};
    Click("cmdPageNo");
    EXPECT_EQ(PageNo(), "45");
    Click("cmdTextSize");
    Click("cmdIncrease");
    Click("cmdIncrease");
    Click("cmdDecrease");
    EXPECT_EQ(TextSize(), "51");
    menu_->choose = {"Sura 1 - 25", "Sura-5"};
    Click("cmdSuraSelect");
    EXPECT_EQ(PageNo(), "22");
    menu_->choose = {"Juz 1 - 10", "2"};
    Click("cmdSelectJuz");
    EXPECT_EQ(PageNo(), "21");
    const QWidget& juz = Child("cmdSelectJuz");
    EXPECT_EQ(QPoint(menu_->shownAt.x, menu_->shownAt.y), juz.mapToGlobal(QPoint(0, juz.height())));
    menu_->choose = {"Hizb 1 - 20", "2", "2 \u00BD"};
    Click("cmdSelectHizb");
    EXPECT_EQ(PageNo(), "16");
}

// The keys where Z and X are in an Arabic layout are pressed in the end-to-end run.
TEST_F(WindowTest, ZAndXTurnPagesWhereverTheFocusIs) {
    frmMain& w = Open("2", 101);
    BrowserControl& right = w.PageView(View::PageOne);
    right.setFocus();
    QTest::keyClick(&right, Qt::Key_Z);
    EXPECT_EQ(PageNo(), "104 103");
    QTest::keyClick(&Child("cmdNext"), Qt::Key_X, Qt::ShiftModifier);
    EXPECT_EQ(PageNo(), "102 101");
}

TEST_F(WindowTest, PageKeysScrollThePageFirstAndThenTurnIt) {
    Store("UserSelection", "FontSize", "120");
    BrowserControl& view = Open("1", 100).PageView(View::SinglePage);
    view.setFocus();
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(PageNo(), "100");
    bar->setValue(bar->maximum());
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(PageNo(), "101");
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(PageNo(), "100");
    QTest::keyClick(window_.get(), Qt::Key_End);
    EXPECT_EQ(PageNo(), "604");
    QTest::keyClick(&Child("cmdNext"), Qt::Key_Home);
    EXPECT_EQ(PageNo(), "1");
    QTest::keyClick(&view, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(TextSize(), "121");
    QWheelEvent wheel(QPointF(10, 10), view.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_EQ(TextSize(), "120");
}

TEST_F(WindowTest, KeyboardUsersReachEveryControlAndTheLinksOfAPage) {
    frmMain& w = Open("1", 6);
    EXPECT_EQ(QApplication::focusWidget(), &w.PageView(View::SinglePage));
    EXPECT_EQ(Child("cmdTextSize").toolTip(), "Text size: 35");
    EXPECT_EQ(Child("cmdPageNo").toolTip(), "Page 6");
    for (QPushButton* button : w.findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }
    // Tab runs along the bar from left to right and then into the page.
    QWidget* focus = &Child("cmdNext");
    QStringList order;
    for (int i = 0; i < 10; ++i) {
        order << focus->objectName();
        do {
            focus = focus->nextInFocusChain();
        } while (!focus->isVisible() || focus->focusPolicy() == Qt::NoFocus);
    }
    EXPECT_EQ(order, (QStringList{"cmdNext", "cmdPageNo", "cmdPrevious", "cmdDecrease",
                                  "cmdTextSize", "cmdIncrease", "cmdSuraSelect", "cmdSelectJuz",
                                  "cmdSelectHizb", "wbSinglePage"}));
    // In the page, Tab reaches the links; Space follows a focused link as Enter does.
    BrowserControl& view = w.PageView(View::SinglePage);
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Tab);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(clipboard_.text, "1:16");
    EXPECT_EQ(PageNo(), "6");
}

TEST_F(WindowTest, CtrlFSearchesAndEnterShowsTheVerseFound) {
    frmMain& w = Open("1", 100);
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    QWidget& panel = Child("searchPanel");
    ASSERT_TRUE(panel.isVisible());
    auto* text = panel.findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    QTest::keyClicks(text, "2:2");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(PageNo(), "6");
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(WindowTest, MenuCommandsReachTheirCommandsAndTheModeMenuShowsTheMode) {
    frmMain& w = Open("2", 440);
    EXPECT_TRUE(Child<QLabel>("lblPage2").isVisible());
    EXPECT_TRUE(w.PageArea(PageMode::Single).isHidden());
    Trigger("mnuSinglePage");
    EXPECT_TRUE(Child<QAction>("mnuSinglePage").isChecked());
    EXPECT_TRUE(w.PageArea(PageMode::Double).isHidden());
    EXPECT_TRUE(Child("lblPage2").isHidden());
    EXPECT_EQ(PageNo(), "439");
    Trigger("mnuDoublePage");
    EXPECT_EQ(PageNo(), "440 439");
    Trigger("mnuHowToSetBookMark");
    Trigger("mnuSettingTilora");
    EXPECT_EQ(boxes_.informations.size(), 2u);
    Trigger("mnuAboutWebsite");
    EXPECT_EQ(shell_.opened.size(), 1u);
    Store("Bookmark", "BookmarkPage", "012");
    QTest::keyClick(&Open("1", 300), Qt::Key_F2);
    EXPECT_EQ(PageNo(), "12");
    // The about box is modal: close it once it shows.
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    Trigger("mnuAboutPagora");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Navigate asks the view's handler as a click does (the views' own tests click every link).
TEST_F(WindowTest, LinksOfThePageViewsBookmarkAndHandVersesOver) {
    frmMain& w = Open("2", 5);
    BrowserControl& left = w.PageView(View::PageTwo);
    BrowserControl& right = w.PageView(View::PageOne);
    right.Navigate("about:blank#num1");
    EXPECT_EQ(Stored("Bookmark", "BookmarkPage"), "005");
    left.Navigate("about:blank#num2");
    const auto anchors = left.Anchors();
    ASSERT_TRUE(!anchors.empty() && anchors.back().target == "#num2");
    EXPECT_EQ(left.AnchorColor(anchors.size() - 1), QColor(Qt::red));
    EXPECT_EQ(Stored("Bookmark", "BookmarkPage"), "006");
    EXPECT_EQ(Stored("Bookmark", "BookmarkAya"), "2");
    left.Navigate("about:blank#aya1");
    EXPECT_EQ(clipboard_.text, "1:16");
    EXPECT_EQ(left.Tag, "006");
    EXPECT_EQ(PageNo(), "6 5");
    // The handlers that name a page view act on that view.
    w.LoadPage(left, 9);
    EXPECT_EQ(left.Tag, "009");
    EXPECT_EQ(right.Tag, "005");
}

TEST_F(WindowTest, ResizingLaysThePageAreasOutAndAFailedStartSaysWhy) {
    frmMain& w = Open();
    const QSize extra = w.frameGeometry().size() - w.size();
    w.resize(TwipsToPixels(12000, w.logicalDpiX()) - extra.width(),
             TwipsToPixels(9000, w.logicalDpiY()) - extra.height());
    QApplication::processEvents();
    const TwipRect outer = w.OuterTwips();
    EXPECT_EQ(w.Layout(), FormResize(outer.Width, outer.Height, 930, DesignedLayout()));
    const TwipRect single = w.Layout().wbSinglePage;
    EXPECT_EQ(w.PageView(View::SinglePage).geometry(),
              QRect(TwipsToPixels(single.Left, w.logicalDpiX()),
                    TwipsToPixels(single.Top, w.logicalDpiY()),
                    TwipsToPixels(single.Width, w.logicalDpiX()),
                    TwipsToPixels(single.Height, w.logicalDpiY())));

    QFile::remove(exeDir_.path() + "/support.dat");
    window_ = std::make_unique<frmMain>(Services(*store_));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(window_->Start());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("support.dat"), std::string::npos);
    ASSERT_EQ(boxes_.errors.size(), 1u);
    EXPECT_EQ(boxes_.errors[0].title, "Tamrit Pagora 1.1");
    window_->close();
    EXPECT_EQ(Stored("WindowState", "State"), "<absent>");
}

// Pages prepared while the window waits for input: a turn while preparing, to a prepared page and
// after a resize each show the page as a layout made when it is written shows it.
TEST_F(WindowTest, TurnsShowPreparedPagesAsTheyWouldBeLaidOutWhenWritten) {
    frmMain& w = Open("1", 45);
    BrowserControl& view = w.PageView(View::SinglePage);
    const auto expectFreshLayout = [&](const char* when) {
        const QImage shown = view.grab().toImage();
        EXPECT_EQ(view.document()->pageSize().width(), view.viewport()->width()) << when;
        view.DropPrepared();
        w.LoadQuranPage(w.Core().CurrentPage());
        EXPECT_TRUE(shown == view.grab().toImage()) << when;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.PreparedCount() > 0; }));
    Click("cmdNext");
    EXPECT_EQ(view.Tag, "046");
    expectFreshLayout("turned while preparing");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.PreparedCount() == 2; }));
    Click("cmdPrevious");
    EXPECT_EQ(view.Tag, "045");
    EXPECT_EQ(view.PreparedCount(), 1u);  // shown as prepared
    expectFreshLayout("turned to a prepared page");
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.PreparedCount() == 2; }));
    w.resize(w.size() + QSize(90, 0));
    QApplication::processEvents();
    Click("cmdNext");
    expectFreshLayout("turned after a resize");
}

// ---------------------------------------------------------------- the real book

constexpr Rgb kBlack = 0xFF000000, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kParchment = 0xFFFBF3DC;

using RealBookWindowTest = MainWindowTest;

// How many pixels of the image have each colour.
QHash<QRgb, int> Inks(const QImage& shown) {
    QHash<QRgb, int> count;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            ++count[shown.pixel(x, y) | 0xFF000000];
        }
    }
    return count;
}

TEST_F(RealBookWindowTest, EachThemeColoursThePageItsFrameAndTheWindow) {
    Store("Bookmark", "BookmarkPage", "003");
    Store("Bookmark", "BookmarkAya", "1");
    frmMain& w = Open("1", 3);
    EXPECT_TRUE(Child<QAction>("mnuThemelight").isChecked());
    BrowserControl& view = w.PageView(View::SinglePage);
    const QPalette desktop = QApplication::palette();
    const QImage light = view.viewport()->grab().toImage();
    for (Theme theme : {Theme::Night, Theme::Sepia, Theme::Light}) {
        const std::string name = ThemeName(theme).toStdString();
        Trigger("mnuTheme" + ThemeName(theme));
        const QImage shown = view.viewport()->grab().toImage();
        // Verse text, verse numbers and the bookmarked number (the solid middles of their
        // strokes), and no trace of the light colours in the other themes.
        const QHash<QRgb, int> inks = Inks(shown);
        for (Rgb ink : {kBlack, kBlue, kRed}) {
            EXPECT_GT(inks.value(PageColour(theme, ink)), 20) << name << " " << std::hex << ink;
            if (theme != Theme::Light) {
                EXPECT_EQ(inks.value(ink), 0) << name << " " << std::hex << ink;
            }
        }
        // The page between the frame and the text, and the frame's own parchment margin (a
        // JPEG strip, so near).
        const int middle = shown.height() / 2;
        EXPECT_EQ(shown.pixel(50, middle) | 0xFF000000, PageColour(theme, kParchment)) << name;
        const QRgb margin = shown.pixel(41, middle), parchment = PageColour(theme, kParchment);
        for (int shift : {16, 8, 0}) {
            EXPECT_NEAR(margin >> shift & 0xFF, parchment >> shift & 0xFF, 10) << name;
        }
        // The window and a dialog opened now.
        const auto colours = WindowColoursOf(theme);
        frmAbout about{QIcon()};
        if (colours) {
            EXPECT_EQ(QApplication::palette().color(QPalette::Window).rgb(), colours->window);
            EXPECT_EQ(about.palette().color(QPalette::WindowText).rgb(), colours->windowText);
            EXPECT_EQ(Child("cmdNext").palette().color(QPalette::Button).rgb(), colours->button);
        } else {
            EXPECT_EQ(QApplication::palette(), desktop);
            EXPECT_EQ(about.palette(), desktop);
        }
    }
    // Back in Light the page is drawn as it was before any theme.
    EXPECT_EQ(view.viewport()->grab().toImage(), light);
}

// Whether the views of `mode` show their pages whole, with no vertical scroll bar.
bool ShowWhole(frmMain& w, bool single) {
    QApplication::processEvents();
    for (View v : single ? std::vector<View>{View::SinglePage}
                         : std::vector<View>{View::PageOne, View::PageTwo}) {
        const QScrollBar* bar = w.PageView(v).verticalScrollBar();
        if (bar->maximum() > 0 || bar->isVisibleTo(&w.PageView(v))) {
            return false;
        }
    }
    return true;
}

TEST_F(RealBookWindowTest, FittedPagesShowWholeAndOneSizeMoreWouldNot) {
    Store("UserSelection", "FitPage", "1");
    Store("UserSelection", "FontSize", "44");
    for (const bool single : {true, false}) {
        frmMain& w = Open(single ? "1" : "2", 1);
        EXPECT_EQ(TextSize(), "Fit");
        EXPECT_TRUE(Child<QAction>("mnuFitPage").isChecked());
        for (const QSize size : {QSize(900, 700), QSize(1500, 1000), QSize(700, 1200)}) {
            w.resize(size);
            for (const int page : {1, 2, 50}) {
                prompt_.answers = {QString::number(page)};
                w.cmdPageNo_Click();
                const int fitted = w.Core().ShownTextSize();
                const std::string where = (single ? "single " : "double ") + std::to_string(page) +
                                          " width " + std::to_string(size.width()) + " at ";
                EXPECT_TRUE(ShowWhole(w, single)) << where << fitted;
                ASSERT_LT(fitted, 200) << where;
                for (View v : kAllViews) {
                    if (!w.Core().Tag(v).isEmpty() && (v == View::SinglePage) == single) {
                        BrowserControl& view = w.PageView(v);
                        view.DocumentClear();
                        view.DocumentWrite(BuildPageDocument(
                            w.Core().PageCache(v), w.Core().Tag(v).toInt(),
                            w.Core().Index().suraMarker, w.Core().Index().pageFrame, fitted + 1));
                        view.DocumentClose();
                    }
                }
                EXPECT_FALSE(ShowWhole(w, single)) << where << fitted + 1;
            }
        }
        // "+" leaves fit mode; the hand-chosen size is kept for it.
        w.cmdIncrease_Click();
        EXPECT_FALSE(Child<QAction>("mnuFitPage").isChecked());
        QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(TextSize(), "Fit");
    }
}

}  // namespace
}  // namespace pagora::testing
