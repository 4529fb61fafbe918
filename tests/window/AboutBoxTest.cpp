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
#include <cmath>
#include <functional>
#include <limits>

#include "reader/ProductInfo.h"
#include "window/frmAbout.h"

namespace pagora {
namespace {

template <typename T>
T* Control(const frmAbout& box, const char* name) {
    T* control = box.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

QIcon SolidIcon(const QColor& color) {
    QPixmap pixmap(64, 64);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// Shows `box` modally and lets `close` act on it once the modal loop runs. Returns exec()'s
// result, or -1 when the box was still open two seconds later (it is then closed by force).
int RunModal(frmAbout& box, const std::function<void()>& close) {
    bool forced = false;
    QTimer::singleShot(0, &box, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &box);
        close();
    });
    QTimer::singleShot(2000, &box, [&] {
        forced = box.isVisible();
        box.done(QDialog::Rejected);
    });
    const int result = box.exec();
    return forced ? -1 : result;
}

TEST(AboutBoxTest, ShowsTheProductAndEnterEscapeOrOkCloseIt) {
    const std::function<void(frmAbout&)> ways[] = {
        [](frmAbout& box) { QTest::keyClick(&box, Qt::Key_Return); },
        [](frmAbout& box) { QTest::keyClick(&box, Qt::Key_Escape); },
        [](frmAbout& box) {
            QTest::mouseClick(box.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        },
    };
    for (const auto& way : ways) {
        frmAbout box{SolidIcon(Qt::red)};
        EXPECT_EQ(Control<QLabel>(box, "lblVersion")->text(),
                  QStringLiteral("Version " PAGORA_PROJECT_VERSION));
        EXPECT_EQ(Control<QLabel>(box, "lblDescription")->text(), ProductDescription());
        EXPECT_EQ(RunModal(box, [&] { way(box); }), QDialog::Accepted);
    }
    frmAbout box{QIcon()};
    EXPECT_EQ(RunModal(box,
                       [&] {
                           QTest::keyClick(&box, Qt::Key_A);
                           QTest::keyClick(&box, Qt::Key_Escape, Qt::ShiftModifier);
                       }),
              -1);
}

struct Px {
    int x, y, w, h;
};

// `grown` pixels lower (or taller) than designed for the controls below the description.
void ExpectGeometry(const frmAbout& box, const char* name, Px at96, int scale, int grown = 0) {
    auto* widget = Control<QWidget>(box, name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(),
              QRect(at96.x * scale, at96.y * scale, at96.w * scale, at96.h * scale)
                  .adjusted(0, grown, 0, grown))
        << name;
}

TEST(AboutBoxTest, DesignIsConvertedAtTheGivenDpi) {
    // At 96 DPI a pixel is 15 twips; at 192, 7.5.
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        frmAbout box(QIcon(), 96.0 * scale);
        EXPECT_EQ(box.Dpi(), 96.0 * scale);
        // The box grows by what the description needs beyond its designed height.
        const int grown = box.height() - 207 * scale;
        ASSERT_GE(grown, 0);
        EXPECT_EQ(box.width(), 382 * scale);
        ExpectGeometry(box, "picIcon", {16, 16, 36, 36}, scale);
        ExpectGeometry(box, "lblTitle", {70, 16, 259, 32}, scale);
        ExpectGeometry(box, "lblVersion", {70, 52, 259, 15}, scale);
        ExpectGeometry(box, "cmdOK", {283, 175, 84, 23}, scale, grown);
        auto* description = Control<QLabel>(box, "lblDescription");
        EXPECT_EQ(description->geometry(),
                  QRect(70 * scale, 75 * scale, 259 * scale, 78 * scale + grown));
        EXPECT_LE(description->heightForWidth(description->width()), description->height());

        // The separator: grey from x 90 twips at 2445, white from 105 at 2460, to 5654.
        auto* line = Control<QWidget>(box, "Line1");
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->x(), 6 * scale);
        EXPECT_EQ(line->y(), 163 * scale + grown);
        EXPECT_NEAR(line->geometry().right() + 1, 377 * scale, 1);
        EXPECT_EQ(line->height(), scale + 1);
        const QImage image = line->grab().toImage();
        ASSERT_FALSE(image.isNull());
        const double ratio = image.width() / double(line->width());
        auto pixel = [&](int x, int y) {
            return QColor(image.pixel(int(x * ratio), int(y * ratio))).rgb();
        };
        EXPECT_EQ(pixel(line->width() / 2, 0), QColor(0x80, 0x80, 0x80).rgb());
        EXPECT_EQ(pixel(line->width() / 2, line->height() - 1), QColor(Qt::white).rgb());
        EXPECT_EQ(pixel(0, line->height() - 1) == QColor(Qt::white).rgb(), false);
    }
}

TEST(AboutBoxTest, WithoutAUsableDpiItTakesTheScreens) {
    const double screenDpi = QGuiApplication::primaryScreen()->logicalDotsPerInch();
    for (double dpi : {0.0, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        SCOPED_TRACE(dpi);
        frmAbout box(QIcon(), dpi);
        EXPECT_EQ(box.Dpi(), screenDpi);
        EXPECT_NEAR(box.width(), 5730 * screenDpi / 1440, 1);
        EXPECT_GE(box.height(), std::floor(3105 * screenDpi / 1440));
    }
}

TEST(AboutBoxTest, FixedSizeCentredWithoutMinimiseOrMaximise) {
    frmAbout box(QIcon(), 96);
    const QSize fixed = box.size();
    EXPECT_EQ(box.minimumSize(), fixed);
    EXPECT_EQ(box.maximumSize(), fixed);
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
    box.close();
}

TEST(AboutBoxTest, ShowsTheMainWindowsIconOrAStockOne) {
    frmAbout red(SolidIcon(Qt::red), 96);
    const QImage image = Control<QLabel>(red, "picIcon")->pixmap().toImage();
    EXPECT_EQ(QColor(image.pixel(image.width() / 2, image.height() / 2)), QColor(Qt::red));
    EXPECT_EQ(QColor(red.windowIcon().pixmap(16, 16).toImage().pixel(8, 8)), QColor(Qt::red));
    frmAbout stock(QIcon(), 96);
    EXPECT_FALSE(stock.windowIcon().isNull());
    EXPECT_FALSE(Control<QLabel>(stock, "picIcon")->pixmap().isNull());
}

}  // namespace
}  // namespace pagora
