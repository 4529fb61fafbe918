#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "data/Module1.h"
#include "platform/PopupMenu.h"
#include "reader/PageSteps.h"
#include "reader/QuranIndex.h"
#include "reader/ReaderScreen.h"
#include "reader/StoredSettings.h"

namespace pagora {

namespace search {
class SearchIndex;
}
class Clipboard;
class InputPrompt;
class MessageBoxes;
class PageSource;
class ProcessFacts;
class SettingsStore;
class Shell;

// The services the reader asks outside itself; the main window passes the real ones, tests
// their own.
struct ReaderServices {
    SettingsStore& settings;
    ProcessFacts& process;
    MessageBoxes& messages;
    InputPrompt& prompt;
    Clipboard& clipboard;
    Shell& shell;
    std::shared_ptr<PopupMenu> popupMenu;
};

// The reader without its widgets: the state of the book on screen (page, page mode, text size,
// bookmark, the index tables and the page texts each view holds) and what every command does to
// it. What it decides to show goes to a ReaderScreen.
class ReaderCore {
  public:
    ReaderCore(ReaderScreen& screen, ReaderServices services);
    ~ReaderCore();
    ReaderCore(const ReaderCore&) = delete;
    ReaderCore& operator=(const ReaderCore&) = delete;

    // ---- start-up, in this order; each throws pagora::Error when the reader cannot start.
    // Fixes the working folder (under `tempEnvironment`'s folders when given, else the
    // process's), starts instance tracking and names the settings.
    void SetUpWorkingFolder(const std::optional<TempEnvironment>& tempEnvironment = std::nullopt);
    // Unpacks the support archive beside the program into the index tables.
    void UnpackSupportFiles();
    // Page, text size, page mode and bookmark from the settings.
    void ReadSettings();
    // Shows the stored page in the stored mode and accepts commands from then on.
    void ShowFirstPage();
    // After a failed start: removes what start-up left in the working folder.
    void AbandonStart();
    bool Started() const { return started_; }

    // The stored window state ("State"), `shownState` when none is stored.
    int StoredWindowState(int shownState) const;
    // Whether the window was closed in full screen.
    bool StoredFullScreen() const;
    // The outer rectangle of a normal window (see RestoredOuterRect).
    TwipRect StoredOuterRect(const TwipRect& shown, const std::vector<TwipRect>& screens) const;

    // ---- shut-down
    // Saves text size, page, mode, full screen and placement (not when maximised or in full
    // screen). A settings store that cannot be written is reported to the user once.
    void SaveSettings(int windowState, const TwipRect& outer, bool fullScreen = false);
    // Stops taking commands and removes the frame images unless another reader still shows them.
    void ShutDown();

    // ---- pages
    void LoadPage(View view, int16_t intPageNo);
    void LoadQuranPage(int16_t intPageNo);
    QString SurasInPage(int16_t intPage) const;
    QString GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const;
    void SetPageMode(PageMode mode);
    // Colours the window and the pages for `theme`.
    void SetTheme(Theme theme);
    // In fit mode the pages show at the largest text size at which they fit their views whole;
    // leaving it brings back the size last chosen by hand.
    void SetFitPage(bool fit);
    // The page views have changed size: in fit mode the pages are fitted to them again.
    void FitToViews();
    // In fit mode, finds the fitted size of the page or spread "Next" turns to, so that the
    // turn need not: for the window to call while the reader is idle.
    void PrepareNextFit();
    // One step of getting ready for the next turn: hands the screen the document of one page
    // that a turn either way would show and that it has not prepared yet, and lets it drop
    // prepared pages more than two turns away. False when there is nothing left to prepare.
    bool PrepareTurnStep();
    void SetBookMark(View view, const QString& strItemToMark, bool blnWriteToRegistry = false);

    // ---- navigation commands; each does nothing before start-up has finished or after
    // shut-down.
    void NextPage();
    void PreviousPage();
    void AskForPage();
    void AskForTextSize();
    void IncreaseTextSize();
    void DecreaseTextSize();
    // A key pressed in the window, as a virtual-key code and shift state, with the room the
    // page view it concerns has left to scroll. True when the key was a command of the reader;
    // false leaves it to the control that has the focus.
    bool KeyDown(int keyCode, int shift, const ScrollRoom& room = {});
    // The sura and juz choosers, owned by window `owner`, opened at screen point `at`.
    void ChooseSura(WindowHandle owner, ScreenPoint at);
    void ChooseJuz(WindowHandle owner, ScreenPoint at);
    void ChooseHizb(WindowHandle owner, ScreenPoint at);

    // ---- verses and bookmark
    // A page view is about to follow `url`: number links set the bookmark, verse links hand the
    // verse over; both are cancelled (true). "about:blank" and anything else go ahead (false).
    bool NavigationFilter(View view, const QString& url);
    void CallSetBookmark(View view, const QString& URL, bool& Cancel);
    void AyaClicked(View view, const QString& URL, bool& Cancel);
    void CopyText(const QString& strText);
    void GoToBookmark();
    // Shows page `page` in the current mode with verse `sura`:`verse` in sight.
    void ShowVerse(int page, int sura, int verse);
    // The search index of the book, built from the archives on first use; null (and the user
    // told why) when they cannot be read.
    const search::SearchIndex* SearchIndex();
    void ExplainBookmark();
    void ExplainRecitation();
    // Hands `strLink` to the desktop's default handler; false when none took it.
    bool OpenLink(const QString& strLink);
    void OpenWebPage();

    // ---- state
    // The folder of the archives.
    QString ArchiveFolder() const;
    int16_t CurrentPage() const { return currentPage_; }
    // The text size last chosen by hand, and the size the pages show at (the fitted one in
    // fit mode).
    int16_t TextSize() const { return textSize_; }
    int16_t ShownTextSize() const { return shownSize_; }
    bool FitPage() const { return fitPage_; }
    Theme CurrentTheme() const { return theme_; }
    PageMode Mode() const { return mode_; }
    const QuranIndex& Index() const { return index_; }
    const QString& BookmarkPage() const { return bookmarkPage_; }
    const QString& BookmarkItem() const { return bookmarkItem_; }
    const QString& AppName() const { return settings_.AppName(); }
    const QString& WorkingFolder() const { return workingFolder_; }
    // The page key the view holds ("" when none), its page text and its last document.
    const QString& Tag(View view) const { return Slot(view).tag; }
    const QString& PageCache(View view) const { return Slot(view).pageText; }
    const QString& Document(View view) const { return Slot(view).document; }

    // Page texts from `source` instead of the page archives beside the program.
    void SetPageSource(std::unique_ptr<PageSource> source);

  private:
    struct ViewSlot {
        QString tag;
        QString pageText;
        QString document;
    };
    ViewSlot& Slot(View view) { return slots_[static_cast<size_t>(view)]; }
    const ViewSlot& Slot(View view) const { return slots_[static_cast<size_t>(view)]; }
    void WriteView(View view, const QString& pageKey, const QString& document);
    // Whether `view` belongs to the page area of the current mode.
    bool ShowsView(View view) const;
    void ShowPageFailure(View view, int16_t pageNo, const QString& why);
    // Reads the text of page `pageNo` into the slot of `view` unless it holds it already; false
    // when it cannot be read, the failure shown in the view.
    bool FetchPage(View view, int16_t pageNo);
    // Writes the document of the fetched page `pageNo` into `view` at the shown text size.
    void WritePage(View view, int16_t pageNo);
    QString DocumentAt(const QString& pageText, int16_t pageNo, int textSize) const;
    // The views of the current mode and the pages they show for page `pageNo`.
    std::vector<std::pair<View, int16_t>> ShownPages(int16_t pageNo) const;
    struct PageToFit {
        View view;
        int16_t page;
        const QString* text;
    };
    // The largest text size at which all `pages` fit their views, measured once per page or
    // spread while the views keep their size.
    int FittedTextSize(const std::vector<PageToFit>& pages);
    void ShowChosenPage(int page);
    void SetTextSize(int size);
    enum class Chooser { Sura, Juz, Hizb };
    void Choose(Chooser chooser, WindowHandle owner, ScreenPoint at);
    // Asks for a number from the prompt's range until one is given; nothing when cancelled.
    std::optional<int> AskForNumber(const struct NumberPrompt& prompt, int shown);
    void Save(SettingKey key, const QString& value);

    ReaderScreen& screen_;
    ReaderServices services_;
    StoredSettings settings_;
    std::unique_ptr<PageSource> pageSource_;
    QString workingFolder_;
    QuranIndex index_;
    int16_t currentPage_ = 440;
    // The page (the right-hand page of a spread) that LoadQuranPage showed last.
    int16_t shownPage_ = 440;
    int16_t textSize_ = 35;
    int16_t shownSize_ = 35;
    bool fitPage_ = false;
    // The size that fitted last: where the next search starts.
    int fitGuess_ = 35;
    // The fitted sizes found at the views' present size, by first page and mode.
    std::map<int, int> fittedSizes_;
    Theme theme_ = Theme::Light;
    PageMode mode_ = PageMode::Single;
    QString bookmarkPage_;
    QString bookmarkItem_;
    std::array<ViewSlot, 3> slots_;
    bool started_ = false;
    bool saveFailureShown_ = false;
    std::unique_ptr<search::SearchIndex> searchIndex_;
    // Page texts (with their number links) of the pages being prepared, by page key.
    std::map<QString, QString> preparedTexts_;
};

}  // namespace pagora
