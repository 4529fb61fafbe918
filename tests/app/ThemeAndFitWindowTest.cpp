// Themes and fit mode in the real window over the built archives.
#include <QHash>
#include <QImage>
#include <QScrollBar>

#include "reader/PageDocument.h"
#include "reader/Theme.h"
#include "tests/app/MainWindowTest.h"
#include "window/frmAbout.h"

namespace pagora::testing {
namespace {

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
        EXPECT_NE(TextSize(), "Fit");
        QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(TextSize(), "Fit");
    }
}

}  // namespace
}  // namespace pagora::testing
