#include "app/frmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <iostream>

#include "base/Error.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/IdleSteps.h"
#include "platform/ProcessFacts.h"
#include "platform/QtClipboard.h"
#include "platform/QtInputPrompt.h"
#include "platform/QtPopupMenu.h"
#include "platform/QtShell.h"
#include "platform/SettingsStore.h"
#include "reader/FileReaders.h"
#include "reader/KeyCodes.h"
#include "reader/LinkTargets.h"
#include "reader/PageDocument.h"
#include "window/SearchPanel.h"
#include "window/frmAbout.h"

namespace pagora {

namespace {

const QString kTitle = QStringLiteral("Tamrit Pagora 1.1");

// The window's designed client area, in twips.
constexpr float kDesignedClientWidth = 10545;
constexpr float kDesignedClientHeight = 8220;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& accessibleName) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::TabFocus);
    button->setAccessibleName(accessibleName);
    return button;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

// The page view that holds `object`, if any.
BrowserControl* PageViewOf(QObject* object) {
    for (; object != nullptr; object = object->parent()) {
        if (auto* view = qobject_cast<BrowserControl*>(object)) {
            return view;
        }
    }
    return nullptr;
}

// Hands the window's command keys to the reader, wherever in the window they were pressed: the
// window sees the keys its buttons and frames pass on, and the page views are watched so that a
// view never keeps a page key for itself while it has nothing left to scroll. Ctrl with the
// mouse wheel over a page changes the text size instead of zooming the view.
class CommandKeys : public QObject {
  public:
    explicit CommandKeys(frmMain& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (window_.HandleKey(watched, key->key(), key->modifiers(), key->nativeScanCode())) {
                return true;
            }
        } else if (event->type() == QEvent::Wheel) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers().testFlag(Qt::ControlModifier)) {
                const int steps = wheel->angleDelta().y();
                if (steps != 0) {
                    window_.HandleKey(watched, steps > 0 ? Qt::Key_Equal : Qt::Key_Minus,
                                      Qt::ControlModifier, 0);
                }
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    frmMain& window_;
};

// The window's palette for a theme's colours.
QPalette ThemePalette(const WindowColours& c) {
    auto colour = [](Rgb rgb) { return QColor::fromRgba(rgb); };
    QPalette palette(colour(c.button), colour(c.window));
    const std::array<std::pair<QPalette::ColorRole, Rgb>, 17> roles = {{
        {QPalette::Window, c.window},
        {QPalette::WindowText, c.windowText},
        {QPalette::Base, c.base},
        {QPalette::AlternateBase, c.alternateBase},
        {QPalette::Text, c.text},
        {QPalette::Button, c.button},
        {QPalette::ButtonText, c.buttonText},
        {QPalette::Highlight, c.highlight},
        {QPalette::HighlightedText, c.highlightedText},
        {QPalette::Link, c.link},
        {QPalette::ToolTipBase, c.toolTipBase},
        {QPalette::ToolTipText, c.toolTipText},
        {QPalette::PlaceholderText, c.placeholderText},
        {QPalette::Light, c.light},
        {QPalette::Mid, c.mid},
        {QPalette::Dark, c.dark},
        {QPalette::Shadow, c.shadow},
    }};
    for (const auto& [role, rgb] : roles) {
        palette.setColor(role, colour(rgb));
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, colour(c.disabledText));
    }
    return palette;
}

// The names of the suras of one label, each cut to `width` pixels.
QString ElidedLines(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        line = metrics.elidedText(line, Qt::ElideRight, width);
    }
    return lines.join(QStringLiteral("\r\n"));
}

// Paints the number links of `document`, shown in `view`: those whose item text equals `item`
// red, every other one blue, in the view's colours. Returns whether some number link matched.
bool PaintNumberLinksIn(QTextDocument& document, const QString& item, const BrowserControl& view) {
    bool matched = false;
    const auto anchors = BrowserControl::AnchorsOf(document);
    for (size_t i = 0; i < anchors.size(); ++i) {
        const auto anchorItem = NumberLinkItem(anchors[i].href);
        if (!anchorItem) {
            continue;
        }
        const bool marked = *anchorItem == item;
        BrowserControl::SetAnchorColorIn(document, i,
                                         view.ShownColour(QColor(marked ? Qt::red : Qt::blue)));
        matched = matched || marked;
    }
    return matched;
}

}  // namespace

frmMain::frmMain(SettingsStore& settings, ProcessFacts& process, MessageBoxes& messages,
                 QWidget* parent)
    : QMainWindow(parent),
      ownPrompt_(std::make_unique<QtInputPrompt>(this)),
      ownClipboard_(std::make_unique<QtClipboard>()),
      ownShell_(std::make_unique<QtShell>()),
      core_(*this, ReaderServices{settings, process, messages, *ownPrompt_, *ownClipboard_,
                                  *ownShell_, std::make_shared<QtPopupMenu>()}),
      messages_(messages) {
    BuildMenus();
    BuildControls();
    WireControls();
    SetUpPreparing();
}

frmMain::frmMain(const ReaderServices& services, QWidget* parent)
    : QMainWindow(parent), core_(*this, services), messages_(services.messages) {
    BuildMenus();
    BuildControls();
    WireControls();
    SetUpPreparing();
}

frmMain::~frmMain() = default;

void frmMain::SetUpPreparing() {
    preparing_ = new IdleSteps(
        [this] {
            // While the window is still being placed, the window manager goes first.
            if (placedOuter_) {
                preparing_->Restart();
                return true;
            }
            return core_.PrepareTurnStep();
        },
        this);
}

double frmMain::DpiX() const {
    return logicalDpiX() > 0 ? logicalDpiX() : 96.0;
}

double frmMain::DpiY() const {
    return logicalDpiY() > 0 ? logicalDpiY() : 96.0;
}

QRect frmMain::PixelRect(const TwipRect& r) const {
    return QRect(TwipsToPixels(r.Left, DpiX()), TwipsToPixels(r.Top, DpiY()),
                 TwipsToPixels(r.Width, DpiX()), TwipsToPixels(r.Height, DpiY()));
}

TwipRect frmMain::TwipsOf(const QRect& r) const {
    return TwipRect{PixelsToTwips(r.x(), DpiX()), PixelsToTwips(r.y(), DpiY()),
                    PixelsToTwips(r.width(), DpiX()), PixelsToTwips(r.height(), DpiY())};
}

// ---------------------------------------------------------------- the controls

void frmMain::BuildMenus() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kTitle);
    auto menu = [this](QMenu* parent, const char* name, const QString& caption) {
        QMenu* made = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
        made->setObjectName(QString::fromLatin1(name));
        return made;
    };
    auto command = [this](QMenu* parent, const char* name, const QString& caption,
                          void (frmMain::*handler)()) {
        QAction* action = parent->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    QMenu* view = menu(nullptr, "mnuView", QStringLiteral("&View"));
    QMenu* pageMode = menu(view, "mnuPageMod", QStringLiteral("&Page Mode"));
    actSinglePage_ =
        command(pageMode, "mnuSinglePage", QStringLiteral("&Single Page"), &frmMain::mnuSinglePage);
    actDoublePage_ =
        command(pageMode, "mnuDoublePage", QStringLiteral("&Double Page"), &frmMain::mnuDoublePage);
    auto* modes = new QActionGroup(this);
    for (QAction* mode : {actSinglePage_, actDoublePage_}) {
        mode->setCheckable(true);
        modes->addAction(mode);
    }
    actFullScreen_ =
        command(view, "mnuFullScreen", QStringLiteral("&Full Screen"), &frmMain::ToggleFullScreen);
    actFullScreen_->setCheckable(true);
    actFullScreen_->setShortcut(QKeySequence(Qt::Key_F11));
    view->addSeparator();
    actFitPage_ = view->addAction(QStringLiteral("Fit &Page"));
    actFitPage_->setObjectName(QStringLiteral("mnuFitPage"));
    actFitPage_->setCheckable(true);
    actFitPage_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(actFitPage_, &QAction::triggered, this,
            [this](bool checked) { core_.SetFitPage(checked); });
    QMenu* themes = menu(view, "mnuTheme", QStringLiteral("&Theme"));
    auto* themeGroup = new QActionGroup(this);
    const std::array<std::pair<Theme, const char*>, 3> themeCaptions = {
        {{Theme::Light, "&Light"}, {Theme::Sepia, "&Sepia"}, {Theme::Night, "&Night"}}};
    for (const auto& [theme, caption] : themeCaptions) {
        QAction* action = themes->addAction(QString::fromLatin1(caption));
        action->setObjectName(QStringLiteral("mnuTheme") + ThemeName(theme));
        action->setCheckable(true);
        themeGroup->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, theme = theme] { core_.SetTheme(theme); });
        actThemes_[static_cast<size_t>(theme)] = action;
    }
    actThemes_[static_cast<size_t>(Theme::Light)]->setChecked(true);
    QMenu* bookmark = menu(nullptr, "mnuBookmark", QStringLiteral("&Bookmark"));
    // The design's hint for this command is F2.
    command(bookmark, "mnuGotoBookMark", QStringLiteral("&Go to Bookmark"),
            &frmMain::mnuGotoBookMark)
        ->setShortcut(QKeySequence(Qt::Key_F2));
    command(bookmark, "mnuHowToSetBookMark", QStringLiteral("&How To Set Bookmark"),
            &frmMain::mnuHowToSetBookMark);
    bookmark->addSeparator();
    command(bookmark, "mnuSearch", QStringLiteral("&Search..."), &frmMain::mnuSearch)
        ->setShortcut(QKeySequence::Find);
    QMenu* settings = menu(nullptr, "mnuSettings", QStringLiteral("&Settings"));
    command(settings, "mnuSettingTilora", QStringLiteral("How to &recite verse"),
            &frmMain::mnuSettingTilora);
    QMenu* about = menu(nullptr, "mnuAbout", QStringLiteral("&About"));
    command(about, "mnuAboutPagora", QStringLiteral("&About Pagora"), &frmMain::mnuAboutPagora);
    command(about, "mnuAboutWebsite", QStringLiteral("Visit &Website"), &frmMain::mnuAboutWebsite);

    // Closes the window as its close button does (the settings are saved).
    auto* quit = new QAction(this);
    quit->setObjectName(QStringLiteral("actQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    addAction(quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void frmMain::BuildControls() {
    auto place = [this](QWidget* w, float left, float top, float width, float height) {
        w->setGeometry(PixelRect(TwipRect{left, top, width, height}));
    };

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central);

    fraTwoPage_ = MakeFrame(central, "fraTwoPage", QString());
    wbPageOne_ = new BrowserControl(ViewName(View::PageOne), fraTwoPage_);
    wbPageTwo_ = new BrowserControl(ViewName(View::PageTwo), fraTwoPage_);

    fraFooter_ = MakeFrame(central, "fraFooter", QString());
    // The group is wider than designed, so that its third button, Hizb, lies inside it.
    QGroupBox* fraGoto = MakeFrame(fraFooter_, "fraGoto", QStringLiteral("Go To"));
    place(fraGoto, 5505, 150, kGotoWidth, 690);
    cmdSelectHizb_ = MakeButton(fraGoto, "cmdSelectHizb", QStringLiteral("Hizb"),
                                QStringLiteral("Go to a hizb"));
    cmdSelectHizb_->setToolTip(QStringLiteral("Go to a quarter of a hizb"));
    place(cmdSelectHizb_, 1890, 240, 810, 345);
    cmdSelectJuz_ =
        MakeButton(fraGoto, "cmdSelectJuz", QStringLiteral("Juz"), QStringLiteral("Go to a juz"));
    cmdSelectJuz_->setToolTip(QStringLiteral("Go to the first page of a juz"));
    place(cmdSelectJuz_, 1005, 240, 810, 345);
    cmdSuraSelect_ = MakeButton(fraGoto, "cmdSuraSelect", QStringLiteral("Sura"),
                                QStringLiteral("Go to a sura"));
    cmdSuraSelect_->setToolTip(QStringLiteral("Go to the first page of a sura"));
    place(cmdSuraSelect_, 120, 240, 810, 345);

    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);

    QGroupBox* fraTextSize = MakeFrame(fraFooter_, "fraTextSize", QStringLiteral("Text Size"));
    place(fraTextSize, 3405, 150, 2025, 690);
    cmdTextSize_ = MakeButton(fraTextSize, "cmdTextSize", QString(), QStringLiteral("Text size"));
    cmdTextSize_->setFont(captionFont);
    place(cmdTextSize_, 570, 240, 855, 345);
    cmdIncrease_ =
        MakeButton(fraTextSize, "cmdIncrease", QStringLiteral("+"), QStringLiteral("Larger text"));
    cmdIncrease_->setToolTip(QStringLiteral("Larger text (Ctrl+=)"));
    place(cmdIncrease_, 1470, 240, 420, 345);
    cmdDecrease_ =
        MakeButton(fraTextSize, "cmdDecrease", QStringLiteral("-"), QStringLiteral("Smaller text"));
    cmdDecrease_->setToolTip(QStringLiteral("Smaller text (Ctrl+-)"));
    place(cmdDecrease_, 90, 240, 420, 345);

    QGroupBox* fraPage = MakeFrame(fraFooter_, "fraPage", QStringLiteral("Page"));
    place(fraPage, 90, 150, 3195, 690);
    cmdPageNo_ = MakeButton(fraPage, "cmdPageNo", QString(), QStringLiteral("Page number"));
    cmdPageNo_->setFont(captionFont);
    place(cmdPageNo_, 1035, 240, 1095, 345);
    cmdNext_ = MakeButton(fraPage, "cmdNext", QStringLiteral("&Next"), QStringLiteral("Next page"));
    cmdNext_->setToolTip(QStringLiteral("Shortcut key \"z\""));
    place(cmdNext_, 120, 240, 900, 345);
    cmdPrevious_ = MakeButton(fraPage, "cmdPrevious", QStringLiteral("Previous"),
                              QStringLiteral("Previous page"));
    cmdPrevious_->setToolTip(QStringLiteral("Shortcut key \"x\""));
    place(cmdPrevious_, 2145, 240, 900, 345);

    // Labels keep the classic 8.25 point caption size, so three sura names fit their height.
    QFont labelFont = font();
    labelFont.setPointSizeF(8.25);
    auto label = [&](const char* name) {
        auto* made = new QLabel(fraFooter_);
        made->setFont(labelFont);
        made->setObjectName(QString::fromLatin1(name));
        made->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return made;
    };
    lblPage2_ = label("lblPage2");
    place(lblPage2_, 9465, 225, 1965, 570);
    lblPage1_ = label("lblPage1");
    place(lblPage1_, 7440, 240, 1965, 570);

    // The search panel floats beside the pages, so the window's layout stays as designed.
    searchPanel_ = new SearchPanel(this);
    searchPanel_->setObjectName(QStringLiteral("searchPanel"));
    searchPanel_->setWindowFlag(Qt::Tool);
    searchPanel_->setWindowTitle(QStringLiteral("Search"));
    searchPanel_->resize(480, 600);
    searchPanel_->hide();

    fraOnePage_ = MakeFrame(central, "fraOnePage", QString());
    wbSinglePage_ = new BrowserControl(ViewName(View::SinglePage), fraOnePage_);

    // Almost every page is taller than its view. A scroll bar that came and went with each
    // document would make every page be laid out twice, once at each width.
    for (View v : kAllViews) {
        PageView(v).setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    // Tab runs through the bar's controls from left to right, then into the page views.
    const QList<QWidget*> order = {cmdNext_,       cmdPageNo_,    cmdPrevious_,   cmdDecrease_,
                                   cmdTextSize_,   cmdIncrease_,  cmdSuraSelect_, cmdSelectJuz_,
                                   cmdSelectHizb_, wbSinglePage_, wbPageOne_,     wbPageTwo_};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    layout_ = DesignedLayout();
    ApplyLayout();
    resize(TwipsToPixels(kDesignedClientWidth, DpiX()),
           TwipsToPixels(kDesignedClientHeight, DpiY()) + menuBar()->sizeHint().height());
}

void frmMain::WireControls() {
    auto wire = [this](QPushButton* button, void (frmMain::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    wire(cmdNext_, &frmMain::cmdNext_Click);
    wire(cmdPrevious_, &frmMain::cmdPrevious_Click);
    wire(cmdPageNo_, &frmMain::cmdPageNo_Click);
    wire(cmdTextSize_, &frmMain::cmdTextSize_Click);
    wire(cmdIncrease_, &frmMain::cmdIncrease_Click);
    wire(cmdDecrease_, &frmMain::cmdDecrease_Click);
    wire(cmdSuraSelect_, &frmMain::cmdSuraSelect_Click);
    wire(cmdSelectJuz_, &frmMain::cmdSelectJuz_Click);
    wire(cmdSelectHizb_, &frmMain::cmdSelectHizb_Click);

    connect(
        wbSinglePage_, &BrowserControl::BeforeNavigate2, this,
        [this](const QString& url, bool& cancel) { wbSinglePage_BeforeNavigate2(url, cancel); });
    connect(wbPageOne_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageOne_BeforeNavigate2(url, cancel); });
    connect(wbPageTwo_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageTwo_BeforeNavigate2(url, cancel); });

    connect(searchPanel_, &SearchPanel::VerseChosen, this,
            [this](int page, int sura, int verse) { core_.ShowVerse(page, sura, verse); });
    connect(searchPanel_, &SearchPanel::Closed, this, [this] { activateWindow(); });

    auto* keys = new CommandKeys(*this);
    installEventFilter(keys);
    for (View v : kAllViews) {
        PageView(v).installEventFilter(keys);
        PageView(v).viewport()->installEventFilter(keys);
    }
}

void frmMain::ApplyLayout() {
    fraOnePage_->setGeometry(PixelRect(layout_.fraOnePage));
    wbSinglePage_->setGeometry(PixelRect(layout_.wbSinglePage));
    fraTwoPage_->setGeometry(PixelRect(layout_.fraTwoPage));
    wbPageOne_->setGeometry(PixelRect(layout_.wbPageOne));
    wbPageTwo_->setGeometry(PixelRect(layout_.wbPageTwo));
    fraFooter_->setGeometry(PixelRect(layout_.fraFooter));
    ShowFooterLabels();
}

void frmMain::ShowFooterLabels() {
    const FooterLabels place = PlaceFooterLabels(layout_, core_.Mode() == PageMode::Double);
    auto show = [this](QLabel* label, const TwipRect& at, const QString& names) {
        label->setGeometry(PixelRect(at));
        // A name that cannot fit is cut, and the whole list shows in the tool tip.
        label->setText(ElidedLines(names, label->fontMetrics(), label->width()));
        label->setToolTip(names.trimmed().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    };
    show(lblPage1_, place.lblPage1, captions_.suras);
    show(lblPage2_, place.lblPage2, captions_.rightSuras);
}

BrowserControl& frmMain::PageView(View view) const {
    switch (view) {
        case View::PageOne:
            return *wbPageOne_;
        case View::PageTwo:
            return *wbPageTwo_;
        case View::SinglePage:
            break;
    }
    return *wbSinglePage_;
}

QWidget& frmMain::PageArea(PageMode mode) const {
    return mode == PageMode::Single ? *fraOnePage_ : *fraTwoPage_;
}

View frmMain::ViewOf(const BrowserControl& wb) const {
    if (&wb == wbPageOne_) {
        return View::PageOne;
    }
    return &wb == wbPageTwo_ ? View::PageTwo : View::SinglePage;
}

WindowHandle frmMain::OwnerHandle() {
    return static_cast<WindowHandle>(winId());
}

ScreenPoint frmMain::BelowButton(const QPushButton& button) const {
    const QPoint at = button.mapToGlobal(QPoint(0, button.height()));
    return ScreenPoint{at.x(), at.y()};
}

int frmMain::WindowStateNumber() const {
    if (isMinimized()) {
        return kStateMinimised;
    }
    return isMaximized() ? kStateMaximised : kStateNormal;
}

TwipRect frmMain::OuterTwips() const {
    return TwipsOf(frameGeometry());
}

// ---------------------------------------------------------------- keys

ScrollRoom frmMain::RoomToScroll(QObject* target) const {
    std::vector<const BrowserControl*> views;
    if (const BrowserControl* focused = PageViewOf(target)) {
        views.push_back(focused);
    } else if (core_.Mode() == PageMode::Single) {
        views.push_back(wbSinglePage_);
    } else {
        views = {wbPageOne_, wbPageTwo_};
    }
    ScrollRoom room;
    for (const BrowserControl* view : views) {
        const QScrollBar* down = view->verticalScrollBar();
        const QScrollBar* across = view->horizontalScrollBar();
        room.up = room.up || down->value() > down->minimum();
        room.down = room.down || down->value() < down->maximum();
        room.left = room.left || across->value() > across->minimum();
        room.right = room.right || across->value() < across->maximum();
    }
    return room;
}

bool frmMain::HandleKey(QObject* target, int qtKey, Qt::KeyboardModifiers modifiers,
                        unsigned nativeScanCode) {
    BrowserControl* view = PageViewOf(target);
    // Space on a verse link that has the keyboard focus follows it, as Enter does.
    if (view != nullptr && qtKey == Qt::Key_Space && modifiers == Qt::NoModifier &&
        view->textCursor().hasSelection() && view->textCursor().charFormat().isAnchor()) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        return true;
    }
    // The page keys that a focused button would use for itself stay with it.
    const bool onButton = qobject_cast<QPushButton*>(target) != nullptr;
    if (onButton && (qtKey == Qt::Key_Space || qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)) {
        return false;
    }
    return core_.KeyDown(VirtualKeyCode(qtKey, nativeScanCode), ShiftState(modifiers),
                         RoomToScroll(target));
}

// ---------------------------------------------------------------- what the core shows

void frmMain::WriteDocument(View view, const QString& pageKey, const QString& document) {
    BrowserControl& wb = PageView(view);
    wb.Tag = pageKey;
    wb.DocumentClear();
    wb.DocumentWrite(document);
    wb.DocumentClose();
    // Once the page is on screen, the pages of the next turns are prepared while it is read.
    preparing_->Restart();
}

bool frmMain::PaintNumberLinks(View view, const QString& item) {
    const bool matched = PaintNumberLinksIn(*PageView(view).document(), item, PageView(view));
    preparing_->Restart();
    return matched;
}

void frmMain::PrepareDocument(View view, const QString& pageKey, const QString& document,
                              const std::optional<QString>& markedItem) {
    BrowserControl& page = PageView(view);
    page.PrepareDocument(pageKey, document, [&markedItem, &page](QTextDocument& prepared) {
        if (markedItem) {
            PaintNumberLinksIn(prepared, *markedItem, page);
        }
    });
}

bool frmMain::HasPreparedDocument(View view, const QString& document) const {
    return PageView(view).IsPrepared(document);
}

void frmMain::KeepPreparedPages(View view, const QStringList& pageKeys) {
    PageView(view).KeepPrepared(pageKeys);
}

void frmMain::DropPreparedDocuments() {
    for (const View view : kAllViews) {
        PageView(view).DropPrepared();
    }
}

void frmMain::ScrollToLink(View view, const QString& target) {
    BrowserControl& wb = PageView(view);
    for (const auto& anchor : wb.Anchors()) {
        if (anchor.target == target) {
            QScrollBar* bar = wb.verticalScrollBar();
            const QPoint at = wb.PositionOfCharacter(anchor.start);
            bar->setValue(bar->value() + at.y() - wb.viewport()->height() / 2);
            return;
        }
    }
}

void frmMain::ShowMode(PageMode mode) {
    fraOnePage_->setVisible(mode == PageMode::Single);
    fraTwoPage_->setVisible(mode == PageMode::Double);
    (mode == PageMode::Single ? actSinglePage_ : actDoublePage_)->setChecked(true);
    // The page has the keyboard, so that the reading keys scroll and turn it from the start.
    PageView(mode == PageMode::Single ? View::SinglePage : View::PageOne).setFocus();
}

void frmMain::ShowCaptions(const Captions& captions) {
    captions_ = captions;
    cmdTextSize_->setText(captions.textSize);
    cmdTextSize_->setToolTip(QStringLiteral("Text size: ") + captions.textSize);
    cmdPageNo_->setText(captions.pageNumber);
    const QStringList pages = captions.pageNumber.split(QLatin1Char(' '));
    cmdPageNo_->setToolTip(pages.size() == 2
                               ? QStringLiteral("Pages %1 and %2").arg(pages[1], pages[0])
                               : QStringLiteral("Page ") + captions.pageNumber);
    lblPage2_->setVisible(captions.showRightSuras);
    ShowFooterLabels();
    if (core_.FitPage()) {
        // The next page's fitted size is found while the reader reads this one.
        QTimer::singleShot(0, this, [this] { core_.PrepareNextFit(); });
    }
}

void frmMain::ShowTheme(Theme theme) {
    actThemes_[static_cast<size_t>(theme)]->setChecked(true);
    // The desktop's palette, kept from before the first theme was applied; Light shows it.
    static std::optional<QPalette> desktop;
    if (const auto colours = WindowColoursOf(theme)) {
        if (!desktop) {
            desktop = QApplication::palette();
        }
        QApplication::setPalette(ThemePalette(*colours));
    } else if (desktop) {
        QApplication::setPalette(*desktop);
    }
    ShownColours shown;
    if (theme != Theme::Light) {
        shown.name = ThemeName(theme);
        shown.page = [theme](QRgb colour) { return PageColour(theme, colour); };
        shown.image = [theme](QRgb pixel) { return FrameColour(theme, pixel); };
    }
    for (View v : kAllViews) {
        PageView(v).SetShownColours(shown);
    }
}

void frmMain::ShowFitPage(bool fit) {
    actFitPage_->setChecked(fit);
    // A fitted page needs no scroll bar; one that cannot fit even at the smallest size gets it.
    const Qt::ScrollBarPolicy policy = fit ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    for (View v : kAllViews) {
        if (PageView(v).verticalScrollBarPolicy() != policy) {
            PageView(v).setVerticalScrollBarPolicy(policy);
        }
    }
}

bool frmMain::Fits(View view, const QString& document) {
    return PageView(view).Fits(document);
}

// ---------------------------------------------------------------- start-up and shut-down

void frmMain::Form_Load() {
    core_.SetUpWorkingFolder(tempEnvironment_);
    for (View v : kAllViews) {
        PageView(v).Navigate(QStringLiteral("about:blank"));
    }
    core_.UnpackSupportFiles();
    core_.ReadSettings();
    show();
    PlaceWindow();
    core_.ShowFirstPage();
}

void frmMain::PlaceWindow() {
    const int state = core_.StoredWindowState(WindowStateNumber());
    if (state == kStateMaximised) {
        showMaximized();
    } else if (state == kStateNormal) {
        showNormal();
        std::vector<TwipRect> screens;
        if (QScreen* primary = QGuiApplication::primaryScreen()) {
            screens.push_back(TwipsOf(primary->availableGeometry()));
        }
        for (QScreen* other : QGuiApplication::screens()) {
            if (other != QGuiApplication::primaryScreen()) {
                screens.push_back(TwipsOf(other->availableGeometry()));
            }
        }
        placedOuter_ = PixelRect(core_.StoredOuterRect(OuterTwips(), screens));
        placementChecks_ = 0;
        KeepOuterPlacement();
    }
    if (core_.StoredFullScreen()) {
        ToggleFullScreen();
    }
}

void frmMain::KeepOuterPlacement() {
    if (!placedOuter_ || isMaximized() || isFullScreen()) {
        placedOuter_.reset();
        return;
    }
    // The outer rectangle is the frame's. A window manager draws the frame only after the
    // window is mapped, and until then the frame counts as nothing; once it is known, the
    // client area is set again so that the frame, not the client, lies where it was saved.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    setGeometry(placedOuter_->marginsRemoved(frame));
    const bool frameKnown = !frame.isNull();
    if (frameKnown || ++placementChecks_ > 40 || QGuiApplication::platformName() != "xcb") {
        placedOuter_.reset();
        return;
    }
    QTimer::singleShot(25, this, [this] { KeepOuterPlacement(); });
}

void frmMain::ToggleFullScreen() {
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
    actFullScreen_->setChecked(isFullScreen());
}

bool frmMain::Start() {
    std::string description;
    try {
        Form_Load();
        return true;
    } catch (const Error& error) {
        description = error.Description();
    } catch (const std::exception& error) {
        description = error.what();
    }
    core_.AbandonStart();
    std::cerr << "pagora: " << description << "\n";
    messages_.ShowError(QString::fromStdString(description), kTitle);
    return false;
}

void frmMain::Form_QueryUnload() {
    // A full-screen or maximised window keeps the normal placement it had before.
    const bool fullScreen = isFullScreen();
    core_.SaveSettings(WindowStateNumber(), fullScreen ? TwipRect{} : OuterTwips(), fullScreen);
}

void frmMain::SaveSettings() {
    if (core_.Started()) {
        Form_QueryUnload();
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (core_.Started()) {
        Form_QueryUnload();
        core_.ShutDown();
    }
    event->accept();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize() {
    const TwipRect outer = OuterTwips();
    layout_ = FormResize(outer.Width, outer.Height, layout_.fraFooter.Height, layout_);
    ApplyLayout();
    core_.FitToViews();
    if (preparing_ != nullptr) {
        preparing_->Restart();
    }
}

// ---------------------------------------------------------------- pages

QString frmMain::ReadTextFile(const QString& strFileName) {
    return pagora::ReadTextFile(strFileName);
}

QString frmMain::GetFileDataU(const QString& strFileName) {
    return pagora::GetFileDataU(strFileName);
}

QString frmMain::AddBookMarkLinks(const QString& strInput) const {
    return pagora::AddBookMarkLinks(strInput);
}

void frmMain::LoadPage(BrowserControl& wbBrowser, int16_t intPageNo) {
    core_.LoadPage(ViewOf(wbBrowser), intPageNo);
}

void frmMain::LoadQuranPage(int16_t intPageNo) {
    core_.LoadQuranPage(intPageNo);
}

QString frmMain::SurasInPage(int16_t intPage) const {
    return core_.SurasInPage(intPage);
}

QString frmMain::GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const {
    return core_.GetSuraVerse(intPage, intVerseNoInPage);
}

void frmMain::mnuSinglePage() {
    core_.SetPageMode(PageMode::Single);
}

void frmMain::mnuDoublePage() {
    core_.SetPageMode(PageMode::Double);
}

void frmMain::SetBookMark(BrowserControl& wb, const QString& strItemToMark,
                          bool blnWriteToRegistry) {
    core_.SetBookMark(ViewOf(wb), strItemToMark, blnWriteToRegistry);
}

// ---------------------------------------------------------------- navigation

void frmMain::cmdNext_Click() {
    core_.NextPage();
}

void frmMain::cmdPrevious_Click() {
    core_.PreviousPage();
}

void frmMain::cmdPageNo_Click() {
    core_.AskForPage();
}

void frmMain::cmdTextSize_Click() {
    core_.AskForTextSize();
}

void frmMain::cmdIncrease_Click() {
    core_.IncreaseTextSize();
}

void frmMain::cmdDecrease_Click() {
    core_.DecreaseTextSize();
}

void frmMain::Form_KeyDown(int KeyCode, int Shift) {
    core_.KeyDown(KeyCode, Shift);
}

void frmMain::cmdSuraSelect_Click() {
    core_.ChooseSura(OwnerHandle(), BelowButton(*cmdSuraSelect_));
}

void frmMain::cmdSelectJuz_Click() {
    core_.ChooseJuz(OwnerHandle(), BelowButton(*cmdSelectJuz_));
}

void frmMain::cmdSelectHizb_Click() {
    core_.ChooseHizb(OwnerHandle(), BelowButton(*cmdSelectHizb_));
}

// ---------------------------------------------------------------- verses, bookmark, about

void frmMain::wbSinglePage_BeforeNavigate2(const QString& URL, bool& Cancel) {
    Cancel = core_.NavigationFilter(View::SinglePage, URL) || Cancel;
}

void frmMain::wbPageOne_BeforeNavigate2(const QString& URL, bool& Cancel) {
    Cancel = core_.NavigationFilter(View::PageOne, URL) || Cancel;
}

void frmMain::wbPageTwo_BeforeNavigate2(const QString& URL, bool& Cancel) {
    Cancel = core_.NavigationFilter(View::PageTwo, URL) || Cancel;
}

void frmMain::CallSetBookmark(BrowserControl& wb, const QString& URL, bool& Cancel) {
    core_.CallSetBookmark(ViewOf(wb), URL, Cancel);
}

void frmMain::AyaClicked(BrowserControl& wb, const QString& URL, bool& Cancel) {
    core_.AyaClicked(ViewOf(wb), URL, Cancel);
}

void frmMain::CopyText(const QString& strText) {
    core_.CopyText(strText);
}

void frmMain::mnuGotoBookMark() {
    core_.GoToBookmark();
}

void frmMain::mnuHowToSetBookMark() {
    core_.ExplainBookmark();
}

void frmMain::mnuSettingTilora() {
    core_.ExplainRecitation();
}

void frmMain::mnuAboutPagora() {
    // A new box each time: its load handler fills the texts afresh.
    frmAbout box(windowIcon());
    box.exec();
}

void frmMain::mnuSearch() {
    if (!core_.Started()) {
        return;
    }
    if (const search::SearchIndex* index = core_.SearchIndex()) {
        searchPanel_->SetIndex(index);
        searchPanel_->Open();
    }
}

void frmMain::mnuAboutWebsite() {
    core_.OpenWebPage();
}

}  // namespace pagora
