#include "app/frmMain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <cerrno>
#include <cmath>
#include <iostream>
#include <vector>

#include "app/SettingsValues.h"
#include "base/Error.h"
#include "base/Files.h"
#include "interaction/Bookmark.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "render/PageDocument.h"

namespace pagora {

const char* const kFrameImages[8] = {"left_bottom.gif",  "left_top.gif",  "left-s.jpg",
                                     "right_bottom.gif", "right_top.gif", "right-s.jpg",
                                     "top.gif",          "bottom.gif"};

namespace {

const QString kTitle = QStringLiteral("Tamrit Pagora 1.1");
const QString kUserSelection = QStringLiteral("UserSelection");
const QString kBookmark = QStringLiteral("Bookmark");
const QString kWindowState = QStringLiteral("WindowState");

// The window's designed client area, in twips.
constexpr float kDesignedClientWidth = 10545;
constexpr float kDesignedClientHeight = 8220;

std::string Std(const QString& text) {
    return text.toStdString();
}

std::vector<char> ReadWholeFile(const QString& path, const std::string& source) {
    const std::vector<uint8_t> bytes = pagora::ReadWholeFile(Std(path), source);
    return std::vector<char>(bytes.begin(), bytes.end());
}

void DeleteFile(const QString& path, const std::string& source) {
    const std::string name = Std(path);
    if (::unlink(name.c_str()) != 0) {
        throw FileError(errno, source, name);
    }
}

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

}  // namespace

frmMain::frmMain(SettingsStore& settings, ProcessFacts& process, MessageBoxes& messages,
                 QWidget* parent)
    : QMainWindow(parent), settings_(settings), process_(process), messages_(messages) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kTitle);
    layout_ = DesignedLayout();
    BuildMenus();
    BuildControls();
    WireNavigation();
    WireVerseCommands();
    resize(TwipsToPixels(kDesignedClientWidth, DpiX()),
           TwipsToPixels(kDesignedClientHeight, DpiY()) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

double frmMain::DpiX() const {
    return logicalDpiX() > 0 ? logicalDpiX() : 96.0;
}

double frmMain::DpiY() const {
    return logicalDpiY() > 0 ? logicalDpiY() : 96.0;
}

void frmMain::BuildMenus() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("mnuView"));
    QMenu* pageMode = view->addMenu(QStringLiteral("Page Mode"));
    pageMode->setObjectName(QStringLiteral("mnuPageMod"));
    actSinglePage_ = pageMode->addAction(QStringLiteral("Single Page"));
    actSinglePage_->setObjectName(QStringLiteral("mnuSinglePage"));
    actDoublePage_ = pageMode->addAction(QStringLiteral("Double Page"));
    actDoublePage_->setObjectName(QStringLiteral("mnuDoublePage"));
    connect(actSinglePage_, &QAction::triggered, this, [this] { mnuSinglePage(); });
    connect(actDoublePage_, &QAction::triggered, this, [this] { mnuDoublePage(); });

    // Their handlers are connected by name (frmMainVerses.cpp).
    auto addCommand = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
    };
    QMenu* bookmark = menuBar()->addMenu(QStringLiteral("Bookmark"));
    bookmark->setObjectName(QStringLiteral("mnuBookmark"));
    addCommand(bookmark, "mnuGotoBookMark", QStringLiteral("Go to Bookmark"));
    addCommand(bookmark, "mnuHowToSetBookMark", QStringLiteral("How To Set Bookmark"));
    QMenu* settingsMenu = menuBar()->addMenu(QStringLiteral("Settings"));
    settingsMenu->setObjectName(QStringLiteral("mnuSettings"));
    addCommand(settingsMenu, "mnuSettingTilora", QStringLiteral("How to recite verse"));
    QMenu* about = menuBar()->addMenu(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    addCommand(about, "mnuAboutPagora", QStringLiteral("About Pagora"));
    addCommand(about, "mnuAboutWebsite", QStringLiteral("Visit Website"));
}

void frmMain::BuildControls() {
    const double dx = DpiX();
    const double dy = DpiY();
    auto place = [dx, dy](QWidget* w, float left, float top, float width, float height) {
        w->setGeometry(PixelRect(TwipRect{left, top, width, height}, dx, dy));
    };

    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(central_);

    fraTwoPage_ = MakeFrame(central_, "fraTwoPage", QString());
    wbPageOne_ = new BrowserControl(QStringLiteral("wbPageOne"), fraTwoPage_);
    wbPageTwo_ = new BrowserControl(QStringLiteral("wbPageTwo"), fraTwoPage_);

    fraFooter_ = MakeFrame(central_, "fraFooter", QString());
    QGroupBox* fraGoto = MakeFrame(fraFooter_, "fraGoto", QStringLiteral("Go To"));
    place(fraGoto, 5505, 150, 1875, 690);
    place(MakeButton(fraGoto, "cmdSelectJuz", QStringLiteral("Juz")), 1005, 240, 810, 345);
    place(MakeButton(fraGoto, "cmdSuraSelect", QStringLiteral("Sura")), 120, 240, 810, 345);

    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);

    QGroupBox* fraTextSize = MakeFrame(fraFooter_, "fraTextSize", QStringLiteral("Text Size"));
    place(fraTextSize, 3405, 150, 2025, 690);
    cmdTextSize_ = MakeButton(fraTextSize, "cmdTextSize", QString());
    cmdTextSize_->setFont(captionFont);
    place(cmdTextSize_, 570, 240, 855, 345);
    place(MakeButton(fraTextSize, "cmdIncrease", QStringLiteral("+")), 1470, 240, 420, 345);
    place(MakeButton(fraTextSize, "cmdDecrease", QStringLiteral("-")), 90, 240, 420, 345);

    QGroupBox* fraPage = MakeFrame(fraFooter_, "fraPage", QStringLiteral("Page"));
    place(fraPage, 90, 150, 3195, 690);
    cmdPageNo_ = MakeButton(fraPage, "cmdPageNo", QString());
    cmdPageNo_->setFont(captionFont);
    place(cmdPageNo_, 1035, 240, 1095, 345);
    QPushButton* next = MakeButton(fraPage, "cmdNext", QStringLiteral("&Next"));
    next->setToolTip(QStringLiteral("Shortcut key \"z\""));
    place(next, 120, 240, 900, 345);
    QPushButton* previous = MakeButton(fraPage, "cmdPrevious", QStringLiteral("Previous"));
    previous->setToolTip(QStringLiteral("Shortcut key \"x\""));
    place(previous, 2145, 240, 900, 345);

    // Labels keep the classic 8.25 point caption size, so three sura names fit their height.
    QFont labelFont = font();
    labelFont.setPointSizeF(8.25);
    lblPage2_ = new QLabel(fraFooter_);
    lblPage2_->setFont(labelFont);
    lblPage2_->setObjectName(QStringLiteral("lblPage2"));
    lblPage2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(lblPage2_, 9465, 225, 1965, 570);
    lblPage1_ = new QLabel(fraFooter_);
    lblPage1_->setFont(labelFont);
    lblPage1_->setObjectName(QStringLiteral("lblPage1"));
    lblPage1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(lblPage1_, 7440, 240, 1965, 570);

    fraOnePage_ = MakeFrame(central_, "fraOnePage", QString());
    wbSinglePage_ = new BrowserControl(QStringLiteral("wbSinglePage"), fraOnePage_);

    // Almost every page is taller than its view. A scroll bar that came and went with each
    // document would make every page be laid out twice, once at each width.
    for (BrowserControl* view : {wbSinglePage_, wbPageOne_, wbPageTwo_}) {
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }

    ApplyLayout();
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

QWidget& frmMain::fraOnePage() const {
    return *fraOnePage_;
}
QWidget& frmMain::fraTwoPage() const {
    return *fraTwoPage_;
}
QWidget& frmMain::fraFooter() const {
    return *fraFooter_;
}

bool frmMain::SinglePageMode() const {
    return !fraOnePage_->isHidden();
}

int frmMain::WindowStateNumber() const {
    if (isMinimized()) {
        return 1;
    }
    if (isMaximized()) {
        return 2;
    }
    return 0;
}

TwipRect frmMain::OuterTwips() const {
    const QRect outer = frameGeometry();
    return TwipRect{PixelsToTwips(outer.x(), DpiX()), PixelsToTwips(outer.y(), DpiY()),
                    PixelsToTwips(outer.width(), DpiX()), PixelsToTwips(outer.height(), DpiY())};
}

void frmMain::SetOuterLeftTop(float leftTwips, float topTwips) {
    move(TwipsToPixels(leftTwips, DpiX()), TwipsToPixels(topTwips, DpiY()));
}

void frmMain::SetOuterSize(float widthTwips, float heightTwips) {
    // The stored size is the outer one; the frame's share is whatever the platform draws now.
    const QRect outer = frameGeometry();
    const int extraW = outer.width() - width();
    const int extraH = outer.height() - height();
    resize(std::max(1, TwipsToPixels(widthTwips, DpiX()) - extraW),
           std::max(1, TwipsToPixels(heightTwips, DpiY()) - extraH));
}

// ---------------------------------------------------------------- start-up and shut-down

int16_t frmMain::ReadWholeSetting(const QString& section, const QString& key, int16_t fallback) {
    const QString text = settings_.GetSetting(appName_, section, key, QString::number(fallback));
    const auto value = ParseWholeNumber(text);
    if (!value) {
        std::cerr << "pagora: the stored setting " << Std(section) << "/" << Std(key) << " = \""
                  << Std(text) << "\" is not a whole number from -32768 to 32767; using "
                  << fallback << " instead\n";
        return fallback;
    }
    return *value;
}

float frmMain::ReadSingleSetting(const QString& section, const QString& key, float fallback,
                                 float low, float high, bool isSize) {
    const QString text = settings_.GetSetting(appName_, section, key, SingleText(fallback));
    const auto value = ParseSingle(text);
    const bool fits = value && *value >= low && *value <= high;
    if (!fits) {
        std::cerr << "pagora: the stored setting " << Std(section) << "/" << Std(key) << " = \""
                  << Std(text) << "\" is not a usable window " << (isSize ? "size" : "position")
                  << " in twips; using " << Std(SingleText(fallback)) << " instead\n";
        return fallback;
    }
    return *value;
}

void frmMain::UnpackSupportFiles() {
    const std::string source = "frmMain.Form_Load";
    const QString archive = process_.ExecutableFolder() + QStringLiteral("/support.dat");
    if (!QFileInfo(archive).isFile()) {
        throw Error(errnum::kFileNotFound, source,
                    "The support archive was not found: " + Std(archive) +
                        "\nBuild the reader's data with \"make\" in the source folder, or with "
                        "\"pagora-pack build --out " +
                        Std(process_.ExecutableFolder()) +
                        "\", so that support.dat and order0.dat to order9.dat lie beside the "
                        "pagora program.");
    }

    // Extracts one text member and returns the path it was written to.
    auto extract = [&](const char* member) {
        const std::string result = ExtractArchiveMember(Std(archive), member);
        if (result == "filenotfound") {
            throw Error(errnum::kFileNotFound, source,
                        "The support archive " + Std(archive) + " holds no member \"" + member +
                            "\"; rebuild the reader's data.");
        }
        return workingFolder_ + QString::fromLatin1(member);
    };
    auto textTable = [&](const char* member, const QString& separator) {
        const QString path = extract(member);
        const QStringList table = SplitTable(ReadTextFile(path), separator);
        DeleteFile(path, source);
        return table;
    };
    const QString crlf = QStringLiteral("\r\n");
    index_.suraStart = textTable("quranpageindex.txt", crlf);
    index_.juzStart = textTable("juzpageindex.txt", crlf);
    index_.suraNames = textTable("suranamesenglish.txt", crlf);
    // Read and deleted under the name it was extracted with: file names here are case-sensitive.
    index_.pageStart = textTable("pagestartsuraverse.txt", QStringLiteral(";"));
    {
        const QString path = extract("surat.txt");
        index_.suraMarker = GetFileDataU(path);
        DeleteFile(path, source);
    }
    {
        const QString path = extract("border.html");
        index_.pageFrame = ReadTextFile(path);
        DeleteFile(path, source);
        index_.pageFrame.replace(QStringLiteral("##imagepath##"), workingFolder_);
    }
    index_.verseCount = textTable("verse-count.txt", crlf);

    for (const char* image : kFrameImages) {
        ExtractArchiveMember(Std(archive), image);
    }
}

void frmMain::Form_Load() {
    if (tempEnvironment_) {
        SetWorkingFolder(Std(process_.ExecutableFolder()), *tempEnvironment_);
    } else {
        SetWorkingFolder(Std(process_.ExecutableFolder()));
    }
    workingFolder_ = QString::fromStdString(WorkingFolder());
    process_.StartInstanceTracking(workingFolder_);
    appName_ = SettingsAppName(process_.ExecutableName(), process_.CommandLineText());

    wbSinglePage_->Navigate(QStringLiteral("about:blank"));
    wbPageOne_->Navigate(QStringLiteral("about:blank"));
    wbPageTwo_->Navigate(QStringLiteral("about:blank"));

    UnpackSupportFiles();

    currentPage_ = 440;
    textSize_ = 35;
    textSize_ = ReadWholeSetting(kUserSelection, QStringLiteral("FontSize"), textSize_);
    currentPage_ = ReadWholeSetting(kUserSelection, QStringLiteral("Pageno"), currentPage_);
    if (currentPage_ < 1) {
        // Below 1 the tables would be indexed before their start.
        std::cerr << "pagora: the stored page " << currentPage_
                  << " is below 1; showing page 440\n";
        currentPage_ = 440;
    }
    const QString pageMode = settings_.GetSetting(appName_, kUserSelection,
                                                  QStringLiteral("PageMode"), QStringLiteral("1"));
    bookmarkPage_ =
        settings_.GetSetting(appName_, kBookmark, QStringLiteral("BookmarkPage"), QString());
    bookmarkItem_ =
        settings_.GetSetting(appName_, kBookmark, QStringLiteral("BookmarkAya"), QString());

    show();
    PlaceWindow();

    fraOnePage_->setVisible(pageMode == QStringLiteral("1"));
    fraTwoPage_->setVisible(fraOnePage_->isHidden());
    loaded_ = true;

    LoadQuranPage(currentPage_);
}

void frmMain::PlaceWindow() {
    const int state = ReadWholeSetting(kWindowState, QStringLiteral("State"),
                                       static_cast<int16_t>(WindowStateNumber()));
    if (state == 2) {
        showMaximized();
        return;
    }
    if (state != 0) {
        return;
    }
    showNormal();
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    const float screenW = PixelsToTwips(screenRect.width(), DpiX());
    const float screenH = PixelsToTwips(screenRect.height(), DpiY());
    // A hand-edited size of thousands of screens would have the window allocate gigabytes;
    // placement and size are kept within twice the screen (room for a second monitor).
    const QRect desktop = screen() ? screen()->virtualGeometry() : screenRect;
    const float spanW = 2 * PixelsToTwips(std::max(desktop.width(), screenRect.width()), DpiX());
    const float spanH = 2 * PixelsToTwips(std::max(desktop.height(), screenRect.height()), DpiY());

    TwipRect outer = OuterTwips();
    const float left = ReadSingleSetting(kWindowState, QStringLiteral("Left"),
                                         (screenW - outer.Width) / 2, -spanW, spanW, false);
    SetOuterLeftTop(left, outer.Top);
    outer = OuterTwips();
    const float top = ReadSingleSetting(kWindowState, QStringLiteral("Top"),
                                        (screenH - outer.Height) / 2, -spanH, spanH, false);
    SetOuterLeftTop(left, top);
    outer = OuterTwips();
    const float width =
        ReadSingleSetting(kWindowState, QStringLiteral("Width"), outer.Width, 1, spanW, true);
    SetOuterSize(width, outer.Height);
    outer = OuterTwips();
    const float height =
        ReadSingleSetting(kWindowState, QStringLiteral("Height"), outer.Height, 1, spanH, true);
    SetOuterSize(width, height);
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
    loaded_ = false;
    std::cerr << "pagora: " << description << "\n";
    messages_.ShowError(QString::fromStdString(description), kTitle);
    return false;
}

void frmMain::Form_QueryUnload() {
    settings_.SaveSetting(appName_, kUserSelection, QStringLiteral("FontSize"),
                          QString::number(textSize_));
    settings_.SaveSetting(appName_, kUserSelection, QStringLiteral("Pageno"),
                          QString::number(currentPage_));
    settings_.SaveSetting(appName_, kUserSelection, QStringLiteral("PageMode"),
                          SinglePageMode() ? QStringLiteral("1") : QStringLiteral("2"));
    const int state = WindowStateNumber();
    if (state != 2) {
        const TwipRect outer = OuterTwips();
        settings_.SaveSetting(appName_, kWindowState, QStringLiteral("Left"),
                              SingleText(outer.Left));
        settings_.SaveSetting(appName_, kWindowState, QStringLiteral("Top"), SingleText(outer.Top));
        settings_.SaveSetting(appName_, kWindowState, QStringLiteral("Width"),
                              SingleText(outer.Width));
        settings_.SaveSetting(appName_, kWindowState, QStringLiteral("Height"),
                              SingleText(outer.Height));
    }
    settings_.SaveSetting(appName_, kWindowState, QStringLiteral("State"), QString::number(state));

    // Another reader may have started after this one and still show pages framed by the images.
    if (process_.IsLastRunningInstance()) {
        for (const char* image : kFrameImages) {
            const std::string path = Std(workingFolder_) + image;
            ::unlink(path.c_str());
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (loaded_) {
        loaded_ = false;
        try {
            Form_QueryUnload();
        } catch (const std::exception& error) {
            std::cerr << "pagora: the settings could not be saved: " << error.what() << "\n";
        }
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

// ---------------------------------------------------------------- readers

QString frmMain::ReadTextFile(const QString& strFileName) {
    const QFileInfo info(strFileName);
    if (!info.exists() || !info.isFile()) {
        return {};
    }
    const std::vector<char> bytes = ReadWholeFile(strFileName, "frmMain.ReadTextFile");
    // The ANSI code page is ISO-8859-1: one character per byte, unchanged.
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString frmMain::GetFileDataU(const QString& strFileName) {
    const std::vector<char> bytes = ReadWholeFile(strFileName, "frmMain.GetFileDataU");
    // A trailing odd byte forms no code unit and is dropped.
    const size_t units = bytes.size() / 2;
    QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
    for (size_t k = 0; k < units; ++k) {
        const auto low = static_cast<unsigned char>(bytes[2 * k]);
        const auto high = static_cast<unsigned char>(bytes[2 * k + 1]);
        text[static_cast<qsizetype>(k)] = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    return text;
}

// ---------------------------------------------------------------- pages

QString frmMain::AddBookMarkLinks(const QString& strInput) const {
    return pagora::AddBookMarkLinks(strInput);
}

int frmMain::CacheSlot(const BrowserControl& wb) const {
    if (wb.Name() == QStringLiteral("wbSinglePage")) {
        return 0;
    }
    if (wb.Name() == QStringLiteral("wbPageOne")) {
        return 1;
    }
    if (wb.Name() == QStringLiteral("wbPageTwo")) {
        return 2;
    }
    return -1;
}

QString frmMain::DocumentOf(const BrowserControl& wb) const {
    const int slot = CacheSlot(wb);
    return slot < 0 ? QString() : documents_[static_cast<size_t>(slot)];
}

QString frmMain::PageCacheOf(const BrowserControl& wb) const {
    const int slot = CacheSlot(wb);
    return slot < 0 ? QString() : pageCache_[static_cast<size_t>(slot)];
}

void frmMain::ShowPageFailure(BrowserControl& wb, int16_t pageNo, const QString& why) {
    std::cerr << "pagora: page " << pageNo << " cannot be shown: " << Std(why) << "\n";
    wb.Tag.clear();
    const int slot = CacheSlot(wb);
    const QString document = QStringLiteral("<HTML><BODY><p>Page ") + QString::number(pageNo) +
                             QStringLiteral(" cannot be shown.</p><p>") + why.toHtmlEscaped() +
                             QStringLiteral("</p></BODY></HTML>");
    if (slot >= 0) {
        pageCache_[static_cast<size_t>(slot)].clear();
        documents_[static_cast<size_t>(slot)] = document;
    }
    wb.DocumentClear();
    wb.DocumentWrite(document);
    wb.DocumentClose();
}

void frmMain::LoadPage(BrowserControl& wbBrowser, int16_t intPageNo) {
    if (intPageNo > 604 || intPageNo < 1) {
        return;
    }
    const QString pageKey = PadWithZeros(intPageNo, 3);
    const int slot = CacheSlot(wbBrowser);
    QString pageText;
    if (wbBrowser.Tag != pageKey) {
        const QString archive =
            process_.ExecutableFolder() + QLatin1Char('/') + PageArchiveName(pageKey);
        const QString file = workingFolder_ + pageKey;
        try {
            if (ExtractArchiveMember(Std(archive), Std(pageKey)) == "filenotfound") {
                ShowPageFailure(
                    wbBrowser, intPageNo,
                    archive + QStringLiteral(" holds no page ") + pageKey + QLatin1Char('.'));
                return;
            }
            pageText = AddBookMarkLinks(GetFileDataU(file));
        } catch (const std::exception& error) {
            ::unlink(Std(file).c_str());
            ShowPageFailure(wbBrowser, intPageNo, QString::fromStdString(error.what()));
            return;
        }
        ::unlink(Std(file).c_str());
        wbBrowser.Tag = pageKey;
        if (slot >= 0) {
            pageCache_[static_cast<size_t>(slot)] = pageText;
        }
    } else if (slot >= 0) {
        pageText = pageCache_[static_cast<size_t>(slot)];
    }

    const QString document =
        BuildPageDocument(pageText, intPageNo, index_.suraMarker, index_.pageFrame, textSize_);
    if (slot >= 0) {
        documents_[static_cast<size_t>(slot)] = document;
    }
    wbBrowser.DocumentClear();
    wbBrowser.DocumentWrite(document);
    wbBrowser.DocumentClose();

    if (bookmarkPage_ == pageKey) {
        SetBookMark(wbBrowser, bookmarkItem_, false);
    }
}

QString frmMain::SurasInPage(int16_t intPage) const {
    return pagora::SurasInPage(index_, intPage);
}

QString frmMain::GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const {
    return pagora::GetSuraVerse(index_, intPage, intVerseNoInPage);
}

void frmMain::LoadQuranPage(int16_t intPageNo) {
    cmdTextSize_->setText(QString::number(textSize_));
    if (!fraOnePage_->isHidden()) {
        LoadPage(*wbSinglePage_, intPageNo);
        cmdPageNo_->setText(QString::number(intPageNo));
        lblPage1_->setText(SurasInPage(intPageNo));
        lblPage2_->hide();
    } else if (!fraTwoPage_->isHidden()) {
        const int page = intPageNo;
        int right = page;
        if (page % 2 == 0) {
            right = page - 1;
        }
        LoadPage(*wbPageOne_, static_cast<int16_t>(right));
        LoadPage(*wbPageTwo_, static_cast<int16_t>(right + 1));
        cmdPageNo_->setText(QString::number(right + 1) + QLatin1Char(' ') + QString::number(right));
        currentPage_ = static_cast<int16_t>(right);
        lblPage1_->setText(SurasInPage(static_cast<int16_t>(right + 1)));
        lblPage2_->setText(SurasInPage(static_cast<int16_t>(right)));
        lblPage2_->show();
    }
}

void frmMain::mnuSinglePage() {
    fraOnePage_->setVisible(true);
    fraTwoPage_->setVisible(false);
    LoadQuranPage(currentPage_);
}

void frmMain::mnuDoublePage() {
    fraOnePage_->setVisible(false);
    fraTwoPage_->setVisible(true);
    LoadQuranPage(currentPage_);
}

void frmMain::SetBookMark(BrowserControl& wb, const QString& strItemToMark,
                          bool blnWriteToRegistry) {
    const bool matched = PaintBookmark(wb, strItemToMark);
    if (matched && blnWriteToRegistry) {
        bookmarkPage_ = wb.Tag;
        bookmarkItem_ = strItemToMark;
        settings_.SaveSetting(appName_, kBookmark, QStringLiteral("BookmarkPage"), bookmarkPage_);
        settings_.SaveSetting(appName_, kBookmark, QStringLiteral("BookmarkAya"), bookmarkItem_);
    }
}

}  // namespace pagora
