#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "data/Module1.h"
#include "platform/Clipboard.h"
#include "platform/InputPrompt.h"
#include "platform/PopupMenu.h"
#include "platform/Shell.h"
#include "render/QuranIndex.h"
#include "window/Layout.h"

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pagora {

class BrowserControl;
class MessageBoxes;
class ProcessFacts;
class SettingsStore;

// The reader's main window: the shared state of the reader and the handlers of its screen.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    frmMain(SettingsStore& settings, ProcessFacts& process, MessageBoxes& messages,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: unpacks the support files, reads the settings, shows and places the window and
    // the current page. Throws pagora::Error when the reader cannot start.
    void Form_Load();
    // Form_Load, with a failure shown in a message box and on stderr. False when it failed.
    bool Start();
    // Shut-down: saves size, page, mode and placement; removes the frame images when this is
    // the last running reader. Runs from closeEvent once start-up has succeeded.
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

    // Where start-up looks for temporary folders; the process environment when not set.
    void SetTempEnvironment(const TempEnvironment& environment) { tempEnvironment_ = environment; }

    int16_t CurrentPage() const { return currentPage_; }
    void SetCurrentPage(int16_t page) { currentPage_ = page; }
    int16_t TextSize() const { return textSize_; }
    void SetTextSize(int16_t size) { textSize_ = size; }
    const QuranIndex& Index() const { return index_; }
    const QString& BookmarkPage() const { return bookmarkPage_; }
    const QString& BookmarkItem() const { return bookmarkItem_; }
    const QString& AppName() const { return appName_; }
    bool Loaded() const { return loaded_; }
    bool SinglePageMode() const;

    BrowserControl& wbSinglePage() { return *wbSinglePage_; }
    BrowserControl& wbPageOne() { return *wbPageOne_; }
    BrowserControl& wbPageTwo() { return *wbPageTwo_; }
    // The document last written into `wb` (empty before the first page).
    QString DocumentOf(const BrowserControl& wb) const;
    // The cached page text of `wb`.
    QString PageCacheOf(const BrowserControl& wb) const;

    QWidget& fraOnePage() const;
    QWidget& fraTwoPage() const;
    QWidget& fraFooter() const;
    QPushButton& cmdPageNo() const { return *cmdPageNo_; }
    QPushButton& cmdTextSize() const { return *cmdTextSize_; }
    QLabel& lblPage1() const { return *lblPage1_; }
    QLabel& lblPage2() const { return *lblPage2_; }
    const PageLayout& Layout() const { return layout_; }

    // Window state as the settings keep it: 0 normal, 1 minimised, 2 maximised.
    int WindowStateNumber() const;
    // Outer placement in twips.
    TwipRect OuterTwips() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void ApplyLayout();
    void PlaceWindow();
    int16_t ReadWholeSetting(const QString& section, const QString& key, int16_t fallback);
    // A stored "Left".."Height" within [low, high], else `fallback` with a warning.
    float ReadSingleSetting(const QString& section, const QString& key, float fallback, float low,
                            float high, bool isSize);
    void UnpackSupportFiles();
    int CacheSlot(const BrowserControl& wb) const;
    void ShowPageFailure(BrowserControl& wb, int16_t pageNo, const QString& why);
    void SetOuterLeftTop(float leftTwips, float topTwips);
    void SetOuterSize(float widthTwips, float heightTwips);
    double DpiX() const;
    double DpiY() const;

    SettingsStore& settings_;
    ProcessFacts& process_;
    MessageBoxes& messages_;
    std::optional<TempEnvironment> tempEnvironment_;

    QString appName_;
    QString workingFolder_;
    int16_t currentPage_ = 440;
    int16_t textSize_ = 35;
    QuranIndex index_;
    std::array<QString, 3> pageCache_;
    std::array<QString, 3> documents_;
    QString bookmarkPage_;
    QString bookmarkItem_;
    bool loaded_ = false;

    PageLayout layout_;
    QWidget* central_ = nullptr;
    QGroupBox* fraOnePage_ = nullptr;
    QGroupBox* fraTwoPage_ = nullptr;
    QGroupBox* fraFooter_ = nullptr;
    BrowserControl* wbSinglePage_ = nullptr;
    BrowserControl* wbPageOne_ = nullptr;
    BrowserControl* wbPageTwo_ = nullptr;
    QPushButton* cmdPageNo_ = nullptr;
    QPushButton* cmdTextSize_ = nullptr;
    QLabel* lblPage1_ = nullptr;
    QLabel* lblPage2_ = nullptr;
    QAction* actSinglePage_ = nullptr;
    QAction* actDoublePage_ = nullptr;

    // ---------------------------------------------------------------- navigation
    // Page, text-size, key, sura and juz commands; defined in frmMainNavigation.cpp.
  public:
    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdPageNo_Click();
    void cmdTextSize_Click();
    void cmdIncrease_Click();
    void cmdDecrease_Click();
    // A key pressed anywhere in the window, as a virtual-key code (Z 90, X 88, Up 38, ...);
    // the shift state is not looked at.
    void Form_KeyDown(int KeyCode, int Shift);
    void cmdSuraSelect_Click();
    void cmdSelectJuz_Click();

    // The prompt and the popup menus the navigation shows, in place of the window's own Qt ones.
    void SetNavigationServices(InputPrompt& prompt, std::shared_ptr<PopupMenu> popupMenu);

    QPushButton& cmdNext() const;
    QPushButton& cmdPrevious() const;
    QPushButton& cmdIncrease() const;
    QPushButton& cmdDecrease() const;
    QPushButton& cmdSuraSelect() const;
    QPushButton& cmdSelectJuz() const;

  private:
    // Connects the footer buttons and sends the keys pressed in the window and its page views
    // to Form_KeyDown.
    void WireNavigation();
    QPushButton& FooterButton(const char* name) const;
    // Shows `page` when the window has started and is still open.
    void ShowChosenPage(int page);

    std::unique_ptr<InputPrompt> ownPrompt_;
    InputPrompt* prompt_ = nullptr;
    std::shared_ptr<PopupMenu> popupMenu_;

    // ---------------------------------------------------------------- verses
    // Link clicks in the page views, the bookmark, the verse hand-off to Tilora through the
    // clipboard and the about commands; defined in frmMainVerses.cpp.
  public:
    // The page views' navigation filters: a number link sets the bookmark, a verse link puts
    // the verse's reference on the clipboard; both are cancelled, "about:blank" and anything
    // else go ahead.
    void wbSinglePage_BeforeNavigate2(const QString& URL, bool& Cancel);
    void wbPageOne_BeforeNavigate2(const QString& URL, bool& Cancel);
    void wbPageTwo_BeforeNavigate2(const QString& URL, bool& Cancel);
    void CallSetBookmark(BrowserControl& wb, const QString& URL, bool& Cancel);
    void AyaClicked(BrowserControl& wb, const QString& URL, bool& Cancel);
    // Puts `strText` on the clipboard as plain text; failures are ignored.
    void CopyText(const QString& strText);
    void mnuGotoBookMark();
    void mnuHowToSetBookMark();
    void mnuSettingTilora();
    // Shows a new about box, modally.
    void mnuAboutPagora();
    void mnuAboutWebsite();

    // The clipboard and the shell the verse and about commands use, in place of the window's
    // own Qt ones.
    void SetVerseServices(Clipboard& clipboard, Shell& shell);

  private:
    // Connects the page views' navigation events and the bookmark, settings and about
    // commands.
    void WireVerseCommands();
    void NavigationFilter(BrowserControl& wb, const QString& URL, bool& Cancel);
    void OpenLink(const QString& strLink);

    std::unique_ptr<Clipboard> ownClipboard_;
    std::unique_ptr<Shell> ownShell_;
    Clipboard* clipboard_ = nullptr;
    Shell* shell_ = nullptr;
};

// The frame images the page frame refers to, in the order start-up extracts them.
extern const char* const kFrameImages[8];

}  // namespace pagora
