#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>
#include <limits>
#include <tuple>

#include "window/frmAbout.h"

namespace pagora {
namespace {

template <typename T>
T* Control(const frmAbout& box, const char* name) {
    T* control = box.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// Shows an about box modally and lets `act` on it once the modal loop runs. Returns exec()'s
// result, or -1 when the box was still open two seconds later (it is then closed by force).
int RunModal(const std::function<void(frmAbout&)>& act) {
    frmAbout box{QIcon()};
    bool forced = false;
    QTimer::singleShot(0, &box, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &box);
        act(box);
    });
    QTimer::singleShot(2000, &box, [&] {
        forced = box.isVisible();
        box.done(QDialog::Rejected);
    });
    const int result = box.exec();
    return forced ? -1 : result;
}

TEST(AboutBoxTest, EnterEscapeOrOkCloseItAndOtherKeysDoNot) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        EXPECT_EQ(RunModal([key](frmAbout& box) { QTest::keyClick(&box, key); }),
                  QDialog::Accepted);
    }
    EXPECT_EQ(RunModal([](frmAbout& box) {
                  QTest::mouseClick(Control<QPushButton>(box, "cmdOK"), Qt::LeftButton);
              }),
              QDialog::Accepted);
    EXPECT_EQ(RunModal([](frmAbout& box) {
                  QTest::keyClick(&box, Qt::Key_A);
                  QTest::keyClick(&box, Qt::Key_Escape, Qt::ShiftModifier);
              }),
              -1);
}

// At 96 DPI a pixel is 15 twips; at 192, 7.5. Without a usable DPI the box takes the screen's
// (96 on the offscreen platform).
TEST(AboutBoxTest, DesignIsConvertedAtTheGivenDpiOrTheScreensWithoutAUsableOne) {
    const double screenDpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    for (double dpi : {96.0, 192.0, 0.0, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        SCOPED_TRACE(dpi);
        frmAbout box(QIcon(), dpi);
        EXPECT_EQ(box.Dpi(), dpi == 96 || dpi == 192 ? dpi : screenDpi);
        const int scale = static_cast<int>(box.Dpi() / 96);
        ASSERT_EQ(box.Dpi(), 96.0 * scale);
        // The box grows by what the description needs beyond its designed height; what lies
        // below the description moves down by as much.
        const int grown = box.height() - 207 * scale;
        ASSERT_GE(grown, 0);
        EXPECT_EQ(box.width(), 382 * scale);
        const std::tuple<const char*, QRect, int, int> design[] = {
            {"cmdOK", {283, 175, 84, 23}, grown, 0},
            {"lblDescription", {70, 75, 259, 78}, 0, grown}};
        for (const auto& [name, at96, moved, taller] : design) {
            EXPECT_EQ(Control<QWidget>(box, name)->geometry(),
                      QRect(at96.topLeft() * scale, at96.size() * scale)
                          .adjusted(0, moved, 0, moved + taller))
                << name;
        }
        auto* description = Control<QLabel>(box, "lblDescription");
        EXPECT_LE(description->heightForWidth(description->width()), description->height());

        // The separator: two lines from x 90 twips at 2445 and 2460, to 5654.
        auto* line = Control<QWidget>(box, "Line1");
        EXPECT_EQ(line->pos(), QPoint(6 * scale, 163 * scale + grown));
        EXPECT_NEAR(line->geometry().right() + 1, 377 * scale, 1);
        EXPECT_EQ(line->height(), scale + 1);
    }
}

TEST(AboutBoxTest, FixedSizeCentredWithoutMinimiseOrMaximiseWithTheMainWindowsIcon) {
    QPixmap red(64, 64);
    red.fill(Qt::red);
    frmAbout box(QIcon(red), 96);
    const QSize fixed = box.size();
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.resize(800, 500);
    EXPECT_EQ(box.size(), fixed);
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowContextHelpButtonHint));
    const QPoint screenCentre = box.screen()->availableGeometry().center();
    EXPECT_LE((box.frameGeometry().center() - screenCentre).manhattanLength(), 2);

    const QImage image = Control<QLabel>(box, "picIcon")->pixmap().toImage();
    EXPECT_EQ(QColor(image.pixel(image.width() / 2, image.height() / 2)), QColor(Qt::red));
    EXPECT_EQ(QColor(box.windowIcon().pixmap(16, 16).toImage().pixel(8, 8)), QColor(Qt::red));
    // Without one, a stock icon.
    frmAbout stock(QIcon(), 96);
    EXPECT_FALSE(stock.windowIcon().isNull());
    EXPECT_FALSE(Control<QLabel>(stock, "picIcon")->pixmap().isNull());
}

}  // namespace
}  // namespace pagora
