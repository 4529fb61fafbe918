// Themes and fit mode in the real window over the built archives: the colours a page view shows
// in each theme (pixel samples of verse text, verse numbers, the page and its frame), the
// window's palette, and fitted pages that show whole with no room for a larger size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/SettingsStore.h"
#include "reader/PageDocument.h"
#include "reader/Theme.h"
#include "tests/support/ReaderDoubles.h"
#include "window/frmAbout.h"

namespace pagora::testing {
namespace {

constexpr Rgb kBlack = 0xFF000000, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kParchment = 0xFFFBF3DC;

class RealBookWindowTest : public ::testing::Test, protected ServiceDoubles {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmpDir_.isValid() && configDir_.isValid());
        process_.folder = QStringLiteral(PAGORA_ARCHIVE_DIR);
        store_ = std::make_unique<IniSettingsStore>(configDir_.path());
    }
    frmMain& Open(const QString& mode, int page) {
        Store("PageMode", mode);
        Store("Pageno", QString::number(page));
        window_ = std::make_unique<frmMain>(Services(*store_));
        window_->SetTempEnvironment(TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
        EXPECT_TRUE(window_->Start());
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }
    void Store(const QString& key, const QString& value) {
        store_->SaveSetting("pagora", "UserSelection", key, value);
    }
    QString Stored(const QString& key) {
        return store_->GetSetting("pagora", "UserSelection", key, "<absent>");
    }
    void Trigger(const QString& command) {
        window_->findChild<QAction*>(command)->trigger();
        QApplication::processEvents();
    }

    QTemporaryDir tmpDir_, configDir_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<frmMain> window_;
};

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

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST_F(RealBookWindowTest, EachThemeColoursThePageItsFrameAndTheWindow) {
    store_->SaveSetting("pagora", "Bookmark", "BookmarkPage", "003");
    store_->SaveSetting("pagora", "Bookmark", "BookmarkAya", "1");
    frmMain& w = Open("1", 3);
    BrowserControl& view = w.PageView(View::SinglePage);
    const QPalette desktop = QApplication::palette();
    const QImage light = view.viewport()->grab().toImage();
    for (Theme theme : {Theme::Night, Theme::Sepia, Theme::Light}) {
        const std::string name = ThemeName(theme).toStdString();
        Trigger(QStringLiteral("mnuTheme") + ThemeName(theme));
        EXPECT_TRUE(
            w.findChild<QAction*>(QStringLiteral("mnuTheme") + ThemeName(theme))->isChecked());
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
        EXPECT_TRUE(Near(shown.pixel(41, middle), PageColour(theme, kParchment), 10)) << name;
        // The window and a dialog opened now.
        const auto colours = WindowColoursOf(theme);
        frmAbout about{QIcon()};
        if (colours) {
            EXPECT_EQ(QApplication::palette().color(QPalette::Window).rgb(), colours->window);
            EXPECT_EQ(about.palette().color(QPalette::WindowText).rgb(), colours->windowText);
            EXPECT_EQ(w.findChild<QPushButton*>("cmdNext")->palette().color(QPalette::Button).rgb(),
                      colours->button);
        } else {
            EXPECT_EQ(QApplication::palette(), desktop);
            EXPECT_EQ(about.palette(), desktop);
        }
    }
    // Back in Light the page is drawn as it was before any theme.
    EXPECT_EQ(view.viewport()->grab().toImage(), light);
    Trigger("mnuThemenight");
    w.close();
    EXPECT_EQ(Stored("Theme"), "night");
    Trigger("mnuThemelight");
}

// Whether the views of `mode` show their pages whole, with no vertical scroll bar.
bool ShowWhole(frmMain& w, PageMode mode) {
    QApplication::processEvents();
    for (View v : mode == PageMode::Single ? std::vector<View>{View::SinglePage}
                                           : std::vector<View>{View::PageOne, View::PageTwo}) {
        const QScrollBar* bar = w.PageView(v).verticalScrollBar();
        if (bar->maximum() > 0 || bar->isVisibleTo(&w.PageView(v))) {
            return false;
        }
    }
    return true;
}

TEST_F(RealBookWindowTest, FittedPagesShowWholeAndOneSizeMoreWouldNot) {
    Store("FitPage", "1");
    Store("FontSize", "44");
    for (const QString mode : {"1", "2"}) {
        frmMain& w = Open(mode, 1);
        const PageMode pageMode = mode == "1" ? PageMode::Single : PageMode::Double;
        EXPECT_EQ(w.findChild<QPushButton*>("cmdTextSize")->text(), "Fit");
        EXPECT_TRUE(w.findChild<QAction*>("mnuFitPage")->isChecked());
        for (const QSize size : {QSize(900, 700), QSize(1500, 1000), QSize(700, 1200)}) {
            w.resize(size);
            for (const int page : {1, 2, 50}) {
                prompt_.answers = {QString::number(page)};
                w.cmdPageNo_Click();
                const std::string where = mode.toStdString() + " " + std::to_string(page) + " " +
                                          std::to_string(size.width()) + "x" +
                                          std::to_string(size.height());
                const int fitted = w.Core().ShownTextSize();
                EXPECT_TRUE(ShowWhole(w, pageMode)) << where << " at " << fitted;
                ASSERT_LT(fitted, 200) << where;
                for (View v : kAllViews) {
                    if (!w.Core().Tag(v).isEmpty() && (v == View::SinglePage) == (mode == "1")) {
                        BrowserControl& view = w.PageView(v);
                        view.DocumentClear();
                        view.DocumentWrite(BuildPageDocument(
                            w.Core().PageCache(v), w.Core().Tag(v).toInt(),
                            w.Core().Index().suraMarker, w.Core().Index().pageFrame, fitted + 1));
                        view.DocumentClose();
                    }
                }
                EXPECT_FALSE(ShowWhole(w, pageMode)) << where << " at " << fitted + 1;
            }
        }
        // "+" leaves fit mode; the hand-chosen size is kept for it.
        w.cmdIncrease_Click();
        EXPECT_FALSE(w.findChild<QAction*>("mnuFitPage")->isChecked());
        EXPECT_NE(w.findChild<QPushButton*>("cmdTextSize")->text(), "Fit");
        QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(w.findChild<QPushButton*>("cmdTextSize")->text(), "Fit");
        w.close();
        EXPECT_EQ(Stored("FitPage"), "1");
    }
}

}  // namespace
}  // namespace pagora::testing
