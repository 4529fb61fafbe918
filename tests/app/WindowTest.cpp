// The main window over the small made-up book: its design, and one pass through each way a
// command reaches the reader (buttons, keys in the window and in a page view, menus, link clicks
// in the real page views, start-up, resizing and closing). What the commands decide is tested
// in the reader core's own tests.
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <numeric>

#include "tests/app/MainWindowTest.h"
#include "tests/support/SmallBook.h"

namespace pagora::testing {
namespace {

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

// Clicks the middle of the link's own text, scrolled into sight.
void ClickLink(BrowserControl& view, const QString& target) {
    for (const auto& anchor : view.Anchors()) {
        if (anchor.target != target) {
            continue;
        }
        const std::vector<int> own = view.OwnCharacters(anchor);
        ASSERT_FALSE(own.empty());
        const int pos = own[own.size() / 2];
        QScrollBar* bar = view.verticalScrollBar();
        bar->setValue(bar->value() + view.PositionOfCharacter(pos).y() -
                      view.viewport()->height() / 2);
        const QPoint at = view.PositionOfCharacter(pos);
        ASSERT_TRUE(view.viewport()->rect().contains(at));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        return;
    }
    FAIL() << view.Name().toStdString() << " has no link " << target.toStdString();
}

std::vector<QColor> NumberColours(const BrowserControl& view) {
    std::vector<QColor> colours;
    const auto anchors = view.Anchors();
    for (size_t i = 0; i < anchors.size(); ++i) {
        if (anchors[i].target.startsWith("#num")) {
            colours.push_back(view.AnchorColor(i));
        }
    }
    return colours;
}

TEST_F(WindowTest, ControlsSitWholeInTheirContainersWithoutCoveringEachOther) {
    frmMain& w = Open();
    for (const char* name :
         {"fraTwoPage",   "wbPageOne",     "wbPageTwo",     "fraFooter",   "fraGoto",
          "cmdSelectJuz", "cmdSuraSelect", "cmdSelectHizb", "fraTextSize", "cmdTextSize",
          "cmdIncrease",  "cmdDecrease",   "fraPage",       "cmdPageNo",   "cmdNext",
          "cmdPrevious",  "lblPage2",      "lblPage1",      "fraOnePage",  "wbSinglePage"}) {
        const QWidget& control = Child(name);
        EXPECT_TRUE(!control.isVisibleTo(&w) || !control.geometry().isEmpty()) << name;
        EXPECT_TRUE(control.parentWidget()->rect().contains(control.geometry())) << name;
    }
    const std::vector<std::vector<const char*>> neighbours = {
        {"fraGoto", "fraTextSize", "fraPage", "lblPage2", "lblPage1"},
        {"cmdSelectJuz", "cmdSuraSelect", "cmdSelectHizb"},
        {"cmdTextSize", "cmdIncrease", "cmdDecrease"},
        {"cmdPageNo", "cmdNext", "cmdPrevious"}};
    for (const auto& group : neighbours) {
        for (size_t i = 0; i < group.size(); ++i) {
            for (size_t j = i + 1; j < group.size(); ++j) {
                EXPECT_FALSE(Child(group[i]).geometry().intersects(Child(group[j]).geometry()))
                    << group[i] << " covers " << group[j];
            }
        }
    }
    for (const char* name : {"cmdTextSize", "cmdPageNo"}) {
        EXPECT_TRUE(Child(name).font().bold());
        EXPECT_DOUBLE_EQ(Child(name).font().pointSizeF(), 9.75);
    }
    EXPECT_EQ(Child("fraPage").geometry(),
              QRect(TwipsToPixels(90, w.logicalDpiX()), TwipsToPixels(150, w.logicalDpiY()),
                    TwipsToPixels(3195, w.logicalDpiX()), TwipsToPixels(690, w.logicalDpiY())));
}

TEST_F(WindowTest, FirstStartIsCentredAtTheDesignedSizeAndClosingKeepsThePlacementAndFullScreen) {
    frmMain& w = Open();
    EXPECT_EQ(w.centralWidget()->width(), TwipsToPixels(10545, w.logicalDpiX()));
    const QPoint offCentre = w.frameGeometry().center() - w.screen()->geometry().center();
    EXPECT_LE(std::abs(offCentre.x()), 1);
    EXPECT_LE(std::abs(offCentre.y()), 1);
    EXPECT_TRUE(w.PageArea(PageMode::Double).isHidden());
    EXPECT_EQ(w.PageView(View::SinglePage).Tag, "440");
    EXPECT_EQ(Child<QLabel>("lblPage1").text(), w.SurasInPage(440));
    EXPECT_TRUE(Child("lblPage2").isHidden());

    w.move(40, 30);
    w.resize(620, 500);
    QApplication::processEvents();
    const QRect saved = w.frameGeometry();
    w.close();
    EXPECT_EQ(Stored("WindowState", "State"), "0");
    frmMain& again = Open();
    EXPECT_EQ(again.frameGeometry(), saved);
    again.showMaximized();
    QApplication::processEvents();
    again.close();
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
    Click("cmdPrevious");
    EXPECT_EQ(PageNo(), "99");
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

// Z and X (and the keys where they are in a non-Latin layout, X11 key codes 52 and 53) turn the
// pages wherever the focus is; a page view keeps its scrolling keys.
TEST_F(WindowTest, ZAndXTurnPagesWhereverTheFocusIsAndPageViewsKeepTheirScrollingKeys) {
    Store("UserSelection", "FontSize", "200");  // so that the pages need scrolling
    frmMain& w = Open("2", 101);
    BrowserControl& right = w.PageView(View::PageOne);
    right.setFocus();
    QTest::keyClick(&right, Qt::Key_Z);
    EXPECT_EQ(PageNo(), "104 103");
    QTest::keyClick(&Child("cmdNext"), Qt::Key_X, Qt::ShiftModifier);
    EXPECT_EQ(PageNo(), "102 101");
    QTest::keyClick(&w, Qt::Key_Z);
    EXPECT_EQ(PageNo(), "104 103");
    QScrollBar* bar = right.verticalScrollBar();
    bar->setValue(0);
    QTest::keyClick(&right, Qt::Key_Down);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(PageNo(), "104 103");
    // The Arabic layout puts these letters on the Z and X keys.
    const auto press = [&](QWidget* target, int key, unsigned scanCode) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, scanCode, 0, 0,
                        QString(QChar(static_cast<char16_t>(key))));
        QApplication::sendEvent(target, &event);
    };
    press(&right, 0x0626, 52);
    EXPECT_EQ(PageNo(), "106 105");
    press(&w, 0x0621, 53);
    EXPECT_EQ(PageNo(), "104 103");
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
    QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(PageNo(), "102");
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(PageNo(), "101");
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
    QTest::keyClick(&view, Qt::Key_Tab);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(Stored("Bookmark", "BookmarkAya"), "0");
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
    EXPECT_TRUE(Child<QAction>("mnuDoublePage").isChecked());
    EXPECT_FALSE(Child<QAction>("mnuSinglePage").isChecked());
    EXPECT_TRUE(Child<QLabel>("lblPage2").isVisible());
    EXPECT_TRUE(w.PageArea(PageMode::Single).isHidden());
    Trigger("mnuSinglePage");
    EXPECT_TRUE(Child<QAction>("mnuSinglePage").isChecked());
    EXPECT_FALSE(Child<QAction>("mnuDoublePage").isChecked());
    EXPECT_TRUE(w.PageArea(PageMode::Double).isHidden());
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

TEST_F(WindowTest, ClicksOnLinksOfThePageViewsBookmarkAndHandVersesOver) {
    frmMain& w = Open("2", 5);
    BrowserControl& left = w.PageView(View::PageTwo);
    BrowserControl& right = w.PageView(View::PageOne);
    ClickLink(right, "#num1");
    ClickLink(left, "#num2");
    EXPECT_EQ(NumberColours(left), (std::vector<QColor>{Qt::blue, Qt::blue, Qt::red}));
    EXPECT_EQ(NumberColours(right), (std::vector<QColor>{Qt::blue, Qt::blue, Qt::blue}));
    EXPECT_EQ(Stored("Bookmark", "BookmarkPage"), "006");
    EXPECT_EQ(Stored("Bookmark", "BookmarkAya"), "2");
    ClickLink(left, "#aya1");
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

// While the window waits for input it prepares the pages of the next turns. A turn in the middle
// of that, a turn to a prepared page and a turn after a resize each show their pages as a
// layout made when they are written shows them, in both modes.
TEST_F(WindowTest, TurnsShowPreparedPagesAsTheyWouldBeLaidOutWhenWritten) {
    for (const bool single : {true, false}) {
        frmMain& w = Open(single ? "1" : "2", 45);
        const std::vector<View> views = single ? std::vector<View>{View::SinglePage}
                                               : std::vector<View>{View::PageOne, View::PageTwo};
        const size_t allPrepared = 2 * views.size();
        const auto prepared = [&] {
            return std::transform_reduce(views.begin(), views.end(), size_t{0}, std::plus<>(),
                                         [&](View v) { return w.PageView(v).PreparedCount(); });
        };
        const auto pixels = [&] {
            std::vector<QImage> images;
            for (const View view : views) {
                images.push_back(w.PageView(view).grab().toImage());
            }
            return images;
        };
        // The pixels shown, against those of the same pages laid out when written.
        const auto expectFreshLayout = [&](const char* when) {
            const std::vector<QImage> shown = pixels();
            for (const View view : views) {
                BrowserControl& page = w.PageView(view);
                EXPECT_EQ(page.document()->pageSize().width(), page.viewport()->width()) << when;
                page.DropPrepared();
            }
            w.LoadQuranPage(w.Core().CurrentPage());
            EXPECT_TRUE(shown == pixels()) << when;
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return prepared() > 0; }));
        Click("cmdNext");
        EXPECT_EQ(w.PageView(views.back()).Tag, single ? "046" : "048");
        expectFreshLayout("turned while preparing");
        ASSERT_TRUE(QTest::qWaitFor([&] { return prepared() == allPrepared; }));
        Click("cmdPrevious");
        EXPECT_EQ(w.PageView(views.back()).Tag, single ? "045" : "046");
        EXPECT_EQ(prepared(), allPrepared - views.size());  // shown as prepared
        expectFreshLayout("turned to a prepared page");
        ASSERT_TRUE(QTest::qWaitFor([&] { return prepared() == allPrepared; }));
        w.resize(w.size() + QSize(90, 0));
        QApplication::processEvents();
        Click("cmdNext");
        expectFreshLayout("turned after a resize");
    }
}

}  // namespace
}  // namespace pagora::testing
