#include "app/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <cstdlib>
#include <iostream>

#include "codec/Error.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
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
#include "window/frmAbout.h"

namespace pagora {

namespace {

const QString kTitle = QStringLiteral("Tamrit Pagora 1.1");

// The window's designed client area, in twips.
constexpr float kDesignedClientWidth = 10545;
constexpr float kDesignedClientHeight = 8220;

QRect PixelRect(const TwipRect& r, double dpiX, double dpiY) {
    return QRect(TwipsToPixels(r.Left, dpiX), TwipsToPixels(r.Top, dpiY),
                 TwipsToPixels(r.Width, dpiX), TwipsToPixels(r.Height, dpiY));
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

// Hands the window's command keys to Form_KeyDown, wherever in the window they were pressed.
// Watches the window itself, which sees the keys its buttons and frames pass on, and the page
// views, so that a view can never keep Z or X for itself; the views keep every other key for
// scrolling.
class CommandKeys : public QObject {
  public:
    explicit CommandKeys(frmMain& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int code = VirtualKeyCode(key->key());
            if (IsCommandKey(code)) {
                window_.Form_KeyDown(code, ShiftState(key->modifiers()));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    frmMain& window_;
};

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
}

frmMain::frmMain(const ReaderServices& services, QWidget* parent)
    : QMainWindow(parent), core_(*this, services), messages_(services.messages) {
    BuildMenus();
    BuildControls();
    WireControls();
}

frmMain::~frmMain() = default;

double frmMain::DpiX() const {
    return logicalDpiX() > 0 ? logicalDpiX() : 96.0;
}

double frmMain::DpiY() const {
    return logicalDpiY() > 0 ? logicalDpiY() : 96.0;
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
    QMenu* view = menu(nullptr, "mnuView", QStringLiteral("View"));
    QMenu* pageMode = menu(view, "mnuPageMod", QStringLiteral("Page Mode"));
    command(pageMode, "mnuSinglePage", QStringLiteral("Single Page"), &frmMain::mnuSinglePage);
    command(pageMode, "mnuDoublePage", QStringLiteral("Double Page"), &frmMain::mnuDoublePage);
    QMenu* bookmark = menu(nullptr, "mnuBookmark", QStringLiteral("Bookmark"));
    // The design's hint for this command is F2.
    command(bookmark, "mnuGotoBookMark", QStringLiteral("Go to Bookmark"),
            &frmMain::mnuGotoBookMark)
        ->setShortcut(QKeySequence(Qt::Key_F2));
    command(bookmark, "mnuHowToSetBookMark", QStringLiteral("How To Set Bookmark"),
            &frmMain::mnuHowToSetBookMark);
    QMenu* settings = menu(nullptr, "mnuSettings", QStringLiteral("Settings"));
    command(settings, "mnuSettingTilora", QStringLiteral("How to recite verse"),
            &frmMain::mnuSettingTilora);
    QMenu* about = menu(nullptr, "mnuAbout", QStringLiteral("About"));
    command(about, "mnuAboutPagora", QStringLiteral("About Pagora"), &frmMain::mnuAboutPagora);
    command(about, "mnuAboutWebsite", QStringLiteral("Visit Website"), &frmMain::mnuAboutWebsite);
}

void frmMain::BuildControls() {
    const double dx = DpiX();
    const double dy = DpiY();
    auto place = [dx, dy](QWidget* w, float left, float top, float width, float height) {
        w->setGeometry(PixelRect(TwipRect{left, top, width, height}, dx, dy));
    };

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central);

    fraTwoPage_ = MakeFrame(central, "fraTwoPage", QString());
    wbPageOne_ = new BrowserControl(ViewName(View::PageOne), fraTwoPage_);
    wbPageTwo_ = new BrowserControl(ViewName(View::PageTwo), fraTwoPage_);

    fraFooter_ = MakeFrame(central, "fraFooter", QString());
    QGroupBox* fraGoto = MakeFrame(fraFooter_, "fraGoto", QStringLiteral("Go To"));
    place(fraGoto, 5505, 150, 1875, 690);
    cmdSelectJuz_ = MakeButton(fraGoto, "cmdSelectJuz", QStringLiteral("Juz"));
    place(cmdSelectJuz_, 1005, 240, 810, 345);
    cmdSuraSelect_ = MakeButton(fraGoto, "cmdSuraSelect", QStringLiteral("Sura"));
    place(cmdSuraSelect_, 120, 240, 810, 345);

    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);

    QGroupBox* fraTextSize = MakeFrame(fraFooter_, "fraTextSize", QStringLiteral("Text Size"));
    place(fraTextSize, 3405, 150, 2025, 690);
    cmdTextSize_ = MakeButton(fraTextSize, "cmdTextSize", QString());
    cmdTextSize_->setFont(captionFont);
    place(cmdTextSize_, 570, 240, 855, 345);
    cmdIncrease_ = MakeButton(fraTextSize, "cmdIncrease", QStringLiteral("+"));
    place(cmdIncrease_, 1470, 240, 420, 345);
    cmdDecrease_ = MakeButton(fraTextSize, "cmdDecrease", QStringLiteral("-"));
    place(cmdDecrease_, 90, 240, 420, 345);

    QGroupBox* fraPage = MakeFrame(fraFooter_, "fraPage", QStringLiteral("Page"));
    place(fraPage, 90, 150, 3195, 690);
    cmdPageNo_ = MakeButton(fraPage, "cmdPageNo", QString());
    cmdPageNo_->setFont(captionFont);
    place(cmdPageNo_, 1035, 240, 1095, 345);
    cmdNext_ = MakeButton(fraPage, "cmdNext", QStringLiteral("&Next"));
    cmdNext_->setToolTip(QStringLiteral("Shortcut key \"z\""));
    place(cmdNext_, 120, 240, 900, 345);
    cmdPrevious_ = MakeButton(fraPage, "cmdPrevious", QStringLiteral("Previous"));
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

    fraOnePage_ = MakeFrame(central, "fraOnePage", QString());
    wbSinglePage_ = new BrowserControl(ViewName(View::SinglePage), fraOnePage_);

    // Almost every page is taller than its view. A scroll bar that came and went with each
    // document would make every page be laid out twice, once at each width.
    for (View v : kAllViews) {
        PageView(v).setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    layout_ = DesignedLayout();
    ApplyLayout();
    resize(TwipsToPixels(kDesignedClientWidth, dx),
           TwipsToPixels(kDesignedClientHeight, dy) + menuBar()->sizeHint().height());
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

    connect(
        wbSinglePage_, &BrowserControl::BeforeNavigate2, this,
        [this](const QString& url, bool& cancel) { wbSinglePage_BeforeNavigate2(url, cancel); });
    connect(wbPageOne_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageOne_BeforeNavigate2(url, cancel); });
    connect(wbPageTwo_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageTwo_BeforeNavigate2(url, cancel); });

    auto* keys = new CommandKeys(*this);
    installEventFilter(keys);
    for (View v : kAllViews) {
        PageView(v).installEventFilter(keys);
    }
}

void frmMain::ApplyLayout() {
    const double dx = DpiX();
    const double dy = DpiY();
    fraOnePage_->setGeometry(PixelRect(layout_.fraOnePage, dx, dy));
    wbSinglePage_->setGeometry(PixelRect(layout_.wbSinglePage, dx, dy));
    fraTwoPage_->setGeometry(PixelRect(layout_.fraTwoPage, dx, dy));
    wbPageOne_->setGeometry(PixelRect(layout_.wbPageOne, dx, dy));
    wbPageTwo_->setGeometry(PixelRect(layout_.wbPageTwo, dx, dy));
    fraFooter_->setGeometry(PixelRect(layout_.fraFooter, dx, dy));
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

int frmMain::WindowStateNumber() const {
    if (isMinimized()) {
        return kStateMinimised;
    }
    return isMaximized() ? kStateMaximised : kStateNormal;
}

TwipRect frmMain::OuterTwips() const {
    const QRect outer = frameGeometry();
    return TwipRect{PixelsToTwips(outer.x(), DpiX()), PixelsToTwips(outer.y(), DpiY()),
                    PixelsToTwips(outer.width(), DpiX()), PixelsToTwips(outer.height(), DpiY())};
}

// ---------------------------------------------------------------- what the core shows

void frmMain::WriteDocument(View view, const QString& pageKey, const QString& document) {
    BrowserControl& wb = PageView(view);
    wb.Tag = pageKey;
    wb.DocumentClear();
    wb.DocumentWrite(document);
    wb.DocumentClose();
}

bool frmMain::PaintNumberLinks(View view, const QString& item) {
    BrowserControl& wb = PageView(view);
    bool matched = false;
    const auto anchors = wb.Anchors();
    for (size_t i = 0; i < anchors.size(); ++i) {
        const auto anchorItem = NumberLinkItem(anchors[i].href);
        if (!anchorItem) {
            continue;
        }
        const bool marked = *anchorItem == item;
        wb.SetAnchorColor(i, QColor(marked ? Qt::red : Qt::blue));
        matched = matched || marked;
    }
    return matched;
}

void frmMain::ShowMode(PageMode mode) {
    fraOnePage_->setVisible(mode == PageMode::Single);
    fraTwoPage_->setVisible(mode == PageMode::Double);
}

void frmMain::ShowCaptions(const Captions& captions) {
    cmdTextSize_->setText(captions.textSize);
    cmdPageNo_->setText(captions.pageNumber);
    lblPage1_->setText(captions.suras);
    lblPage2_->setText(captions.rightSuras);
    lblPage2_->setVisible(captions.showRightSuras);
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
        return;
    }
    if (state != kStateNormal) {
        return;
    }
    showNormal();
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    const QRect desktopRect = screen() ? screen()->virtualGeometry() : screenRect;
    auto twips = [this](const QRect& r) {
        return TwipRect{PixelsToTwips(r.x(), DpiX()), PixelsToTwips(r.y(), DpiY()),
                        PixelsToTwips(r.width(), DpiX()), PixelsToTwips(r.height(), DpiY())};
    };
    const TwipRect outer =
        core_.StoredOuterRect(OuterTwips(), twips(screenRect), twips(desktopRect));
    move(TwipsToPixels(outer.Left, DpiX()), TwipsToPixels(outer.Top, DpiY()));
    // The stored size is the outer one; the frame's share is whatever the platform draws now.
    const QRect frame = frameGeometry();
    resize(std::max(1, TwipsToPixels(outer.Width, DpiX()) - (frame.width() - width())),
           std::max(1, TwipsToPixels(outer.Height, DpiY()) - (frame.height() - height())));
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
    core_.SaveSettings(WindowStateNumber(), OuterTwips());
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (core_.Started()) {
        try {
            Form_QueryUnload();
        } catch (const std::exception& error) {
            std::cerr << "pagora: the settings could not be saved: " << error.what() << "\n";
        }
        core_.RemoveFrameImagesIfLast();
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
    core_.ChooseSura(OwnerHandle());
}

void frmMain::cmdSelectJuz_Click() {
    core_.ChooseJuz(OwnerHandle());
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

void frmMain::mnuAboutWebsite() {
    core_.OpenWebPage();
}

}  // namespace pagora
