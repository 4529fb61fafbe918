#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "data/Module1.h"
#include "reader/ReaderCore.h"
#include "reader/WindowLayout.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pagora {

class BrowserControl;
class IdleSteps;
class SearchPanel;
class QtClipboard;
class QtInputPrompt;
class QtShell;

// The reader's main window: the controls of the screen and their handlers. Every handler hands
// its event to the reader core and the window shows what the core decides (it is the core's
// ReaderScreen). The controls carry their design names as object names.
class frmMain : public QMainWindow, private ReaderScreen {
    Q_OBJECT
  public:
    // A window over the desktop's own prompt, clipboard, shell and popup menus.
    frmMain(SettingsStore& settings, ProcessFacts& process, MessageBoxes& messages,
            QWidget* parent = nullptr);
    // A window over the services given.
    explicit frmMain(const ReaderServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: unpacks the support files, reads the settings, shows and places the window and
    // the current page. Throws pagora::Error when the reader cannot start.
    void Form_Load();
    // Form_Load, with a failure shown in a message box and on stderr. False when it failed.
    bool Start();
    // Shut-down: saves size, page, mode and placement; removes the frame images when this is
    // the last running reader. Runs when the window closes after a successful start.
    void Form_QueryUnload();
    // Lays the page areas and the footer out for the window's current size.
    void Form_Resize();

    QString ReadTextFile(const QString& strFileName);
    QString GetFileDataU(const QString& strFileName);

    void LoadPage(BrowserControl& wbBrowser, int16_t intPageNo);
    QString AddBookMarkLinks(const QString& strInput) const;
    void LoadQuranPage(int16_t intPageNo);
    QString SurasInPage(int16_t intPage) const;
    QString GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const;
    void mnuSinglePage();
    void mnuDoublePage();
    void SetBookMark(BrowserControl& wb, const QString& strItemToMark,
                     bool blnWriteToRegistry = false);

    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdPageNo_Click();
    void cmdTextSize_Click();
    void cmdIncrease_Click();
    void cmdDecrease_Click();
    // A key pressed anywhere in the window, as a virtual-key code (Z 90, X 88, Up 38, ...).
    void Form_KeyDown(int KeyCode, int Shift);
    void cmdSuraSelect_Click();
    void cmdSelectJuz_Click();
    void cmdSelectHizb_Click();

    // The page views' navigation filters: a number link sets the bookmark, a verse link puts
    // the verse's reference on the clipboard; both are cancelled, "about:blank" and anything
    // else go ahead.
    void wbSinglePage_BeforeNavigate2(const QString& URL, bool& Cancel);
    void wbPageOne_BeforeNavigate2(const QString& URL, bool& Cancel);
    void wbPageTwo_BeforeNavigate2(const QString& URL, bool& Cancel);
    void CallSetBookmark(BrowserControl& wb, const QString& URL, bool& Cancel);
    void AyaClicked(BrowserControl& wb, const QString& URL, bool& Cancel);
    void CopyText(const QString& strText);
    void mnuGotoBookMark();
    void mnuHowToSetBookMark();
    void mnuSettingTilora();
    // Shows a new about box, modally.
    void mnuAboutPagora();
    void mnuAboutWebsite();
    // Opens the search panel (its index is built the first time).
    void mnuSearch();

    // Where start-up looks for temporary folders; the process environment when not set.
    void SetTempEnvironment(const TempEnvironment& environment) { tempEnvironment_ = environment; }

    // The reader's state as the core keeps it.
    const ReaderCore& Core() const { return core_; }
    BrowserControl& PageView(View view) const;
    // The page area of `mode`: the frame that holds its page view(s).
    QWidget& PageArea(PageMode mode) const;
    const PageLayout& Layout() const { return layout_; }

    // Window state as the settings keep it: 0 normal, 1 minimised, 2 maximised.
    int WindowStateNumber() const;
    // Outer placement in twips.
    TwipRect OuterTwips() const;

    // Saves the settings as a close does, without closing (the session is ending).
    void SaveSettings();
    // A key pressed in the window or one of its controls: true when it was a reader command.
    bool HandleKey(QObject* target, int qtKey, Qt::KeyboardModifiers modifiers,
                   unsigned nativeScanCode);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // ReaderScreen
    void WriteDocument(View view, const QString& pageKey, const QString& document) override;
    bool PaintNumberLinks(View view, const QString& item) override;
    void ScrollToLink(View view, const QString& target) override;
    void ShowMode(PageMode mode) override;
    void ShowCaptions(const Captions& captions) override;
    void ShowTheme(Theme theme) override;
    void ShowFitPage(bool fit) override;
    bool Fits(View view, const QString& document) override;
    void PrepareDocument(View view, const QString& pageKey, const QString& document,
                         const std::optional<QString>& markedItem) override;
    bool HasPreparedDocument(View view, const QString& document) const override;
    void KeepPreparedPages(View view, const QStringList& pageKeys) override;
    void DropPreparedDocuments() override;

    void BuildMenus();
    void BuildControls();
    // Prepares the pages of the next turns while the reader is idle.
    void SetUpPreparing();
    void WireControls();
    void ApplyLayout();
    void PlaceWindow();
    // Gives the window the outer rectangle it was placed at, once the window manager's frame
    // round it is known.
    void KeepOuterPlacement();
    void ToggleFullScreen();
    void ShowFooterLabels();
    // Which ways the page view a key concerns can still scroll: the focused view, else those of
    // the page mode.
    ScrollRoom RoomToScroll(QObject* target) const;
    ScreenPoint BelowButton(const QPushButton& button) const;
    View ViewOf(const BrowserControl& wb) const;
    WindowHandle OwnerHandle();
    double DpiX() const;
    double DpiY() const;
    QRect PixelRect(const TwipRect& r) const;
    TwipRect TwipsOf(const QRect& r) const;

    // The desktop's own services, when the window made them.
    std::unique_ptr<QtInputPrompt> ownPrompt_;
    std::unique_ptr<QtClipboard> ownClipboard_;
    std::unique_ptr<QtShell> ownShell_;
    ReaderCore core_;
    MessageBoxes& messages_;
    std::optional<TempEnvironment> tempEnvironment_;

    PageLayout layout_;
    QGroupBox* fraOnePage_ = nullptr;
    QGroupBox* fraTwoPage_ = nullptr;
    QGroupBox* fraFooter_ = nullptr;
    BrowserControl* wbSinglePage_ = nullptr;
    BrowserControl* wbPageOne_ = nullptr;
    BrowserControl* wbPageTwo_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdPrevious_ = nullptr;
    QPushButton* cmdPageNo_ = nullptr;
    QPushButton* cmdTextSize_ = nullptr;
    QPushButton* cmdIncrease_ = nullptr;
    QPushButton* cmdDecrease_ = nullptr;
    QPushButton* cmdSuraSelect_ = nullptr;
    QPushButton* cmdSelectJuz_ = nullptr;
    QPushButton* cmdSelectHizb_ = nullptr;
    QLabel* lblPage1_ = nullptr;
    QLabel* lblPage2_ = nullptr;
    SearchPanel* searchPanel_ = nullptr;
    QAction* actSinglePage_ = nullptr;
    QAction* actDoublePage_ = nullptr;
    QAction* actFullScreen_ = nullptr;
    QAction* actFitPage_ = nullptr;
    std::array<QAction*, 3> actThemes_{};
    Captions captions_;
    // The outer rectangle start-up placed the window at, kept until the frame is known.
    std::optional<QRect> placedOuter_;
    int placementChecks_ = 0;
    // Prepares the pages of the next turns while the reader is idle.
    IdleSteps* preparing_ = nullptr;
};

// Runs the reader program: the application object, the real services and the main window.
// `prepare`, when given, sees the window before it starts (test and benchmark builds watch it).
int RunReader(int argc, char** argv, const std::function<void(frmMain&)>& prepare = {});

}  // namespace pagora
