#include "window/frmAbout.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "reader/ProductInfo.h"
#include "reader/WindowLayout.h"

namespace pagora {

namespace {

// Design of the box, in twips.
constexpr float kClientWidth = 5730;
constexpr float kClientHeight = 3105;

struct TwipBox {
    float Left, Top, Width, Height;
};
constexpr TwipBox kPicIcon{240, 240, 540, 540};
constexpr TwipBox kLblTitle{1050, 240, 3885, 480};
constexpr TwipBox kLblVersion{1050, 780, 3885, 225};
constexpr TwipBox kLblDescription{1050, 1125, 3885, 1170};
constexpr TwipBox kCmdOK{4245, 2625, 1260, 345};
// The etched separator: a grey line with a white one just below it.
constexpr float kDarkLineX1 = 90, kDarkLineY = 2445;
constexpr float kLightLineX1 = 105, kLightLineY = 2460;
constexpr float kLineX2 = 5654;

double UsableDpi(double dpi) {
    if (std::isfinite(dpi) && dpi >= 1 && dpi <= 10000) {
        return dpi;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const double screenDpi = screen->logicalDotsPerInch();
            if (std::isfinite(screenDpi) && screenDpi >= 1 && screenDpi <= 10000) {
                return screenDpi;
            }
        }
    }
    return 96;
}

// Draws the separator's two lines; its own geometry spans both.
class EtchedLine : public QWidget {
  public:
    EtchedLine(int lightIndent, QWidget* parent) : QWidget(parent), lightIndent_(lightIndent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(0, 0, width(), 1, QColor(0x80, 0x80, 0x80));
        painter.fillRect(lightIndent_, height() - 1, width() - lightIndent_, 1, Qt::white);
    }

  private:
    int lightIndent_;
};

}  // namespace

frmAbout::frmAbout(const QIcon& mainWindowIcon, double dpi, QWidget* parent)
    : QDialog(parent), mainWindowIcon_(mainWindowIcon), dpi_(UsableDpi(dpi)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto px = [this](float twips) { return TwipsToPixels(twips, dpi_); };
    auto place = [&](QWidget* widget, const TwipBox& box) {
        widget->setGeometry(px(box.Left), px(box.Top), px(box.Width), px(box.Height));
    };

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(picIcon, kPicIcon);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setWordWrap(true);
    place(lblTitle, kLblTitle);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblVersion->setTextFormat(Qt::PlainText);
    place(lblVersion, kLblVersion);

    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setTextFormat(Qt::PlainText);
    lblDescription->setWordWrap(true);
    place(lblDescription, kLblDescription);

    // Keep the white line below the grey one even where both round to the same pixel row.
    const int darkY = px(kDarkLineY);
    const int lightY = std::max(px(kLightLineY), darkY + 1);
    const int lineX1 = px(kDarkLineX1);
    Line1 = new EtchedLine(std::max(px(kLightLineX1) - lineX1, 0), this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(lineX1, darkY, std::max(px(kLineX2) - lineX1, 1), lightY - darkY + 1);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    place(cmdOK, kCmdOK);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    Form_Load();
    // The description names the sources and licences; the box grows to show all of it.
    const int extra = std::max(
        0, lblDescription->heightForWidth(lblDescription->width()) - lblDescription->height());
    lblDescription->resize(lblDescription->width(), lblDescription->height() + extra);
    Line1->move(Line1->x(), Line1->y() + extra);
    cmdOK->move(cmdOK->x(), cmdOK->y() + extra);
    setFixedSize(px(kClientWidth), px(kClientHeight) + extra);

    CentreOnScreen();
    cmdOK->setFocus();
}

void frmAbout::Form_Load() {
    setWindowIcon(mainWindowIcon_.isNull() ? FallbackIcon() : mainWindowIcon_);
    setWindowTitle(QStringLiteral("About ") + ProductTitle());
    lblVersion->setText(VersionText());
    lblTitle->setText(ProductTitle());
    picIcon->setPixmap(windowIcon().pixmap(picIcon->size(), devicePixelRatio()));
    lblDescription->setText(ProductDescription());
}

void frmAbout::cmdOK_Click() {
    accept();
}

// Escape presses OK, just as Enter does through the default button.
void frmAbout::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Centres the whole window, frame included; the frame's size is known only once it is shown.
void frmAbout::CentreOnScreen() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        CentreOnScreen();
    }
}

QIcon frmAbout::FallbackIcon() const {
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull()) {
        return appIcon;
    }
    return style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this);
}

}  // namespace pagora
