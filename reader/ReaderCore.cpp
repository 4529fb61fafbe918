#include "reader/ReaderCore.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "data/Module1.h"
#include "menu/clsNewMenu.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/InputPrompt.h"
#include "platform/ProcessFacts.h"
#include "platform/Shell.h"
#include "reader/GoToMenus.h"
#include "reader/LinkTargets.h"
#include "reader/PageDocument.h"
#include "reader/PageSource.h"
#include "reader/PageSteps.h"
#include "reader/ProductInfo.h"
#include "reader/SupportData.h"
#include "reader/TypedNumber.h"
#include "reader/search/SearchIndex.h"

namespace pagora {

namespace {

constexpr int16_t kStartPage = 440;
constexpr int16_t kStartTextSize = 35;

std::vector<std::string> StdLines(const QStringList& table) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(table.size()));
    for (const QString& line : table) {
        lines.push_back(line.toStdString());
    }
    return lines;
}

// Runs one step of a best-effort operation; a failing step does not stop the next one.
template <typename Step>
void IgnoringFailure(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

QString PageModeText(PageMode mode) {
    return mode == PageMode::Single ? QStringLiteral("1") : QStringLiteral("2");
}

}  // namespace

QString ViewName(View view) {
    switch (view) {
        case View::SinglePage:
            return QStringLiteral("wbSinglePage");
        case View::PageOne:
            return QStringLiteral("wbPageOne");
        case View::PageTwo:
            return QStringLiteral("wbPageTwo");
    }
    return {};
}

ReaderCore::ReaderCore(ReaderScreen& screen, ReaderServices services)
    : screen_(screen), services_(std::move(services)), settings_(services_.settings, QString()) {}

ReaderCore::~ReaderCore() = default;

QString ReaderCore::ArchiveFolder() const {
    return pagora::ArchiveFolder(services_.process.ExecutableFolder());
}

bool ReaderCore::ShowsView(View view) const {
    return (mode_ == PageMode::Single) == (view == View::SinglePage);
}

void ReaderCore::SetPageSource(std::unique_ptr<PageSource> source) {
    pageSource_ = std::move(source);
}

// ---------------------------------------------------------------- start-up and shut-down

void ReaderCore::SetUpWorkingFolder(const std::optional<TempEnvironment>& tempEnvironment) {
    const std::string exeFolder = services_.process.ExecutableFolder().toStdString();
    if (tempEnvironment) {
        SetWorkingFolder(exeFolder, *tempEnvironment);
    } else {
        SetWorkingFolder(exeFolder);
    }
    workingFolder_ = QString::fromStdString(pagora::WorkingFolder());
    services_.process.StartInstanceTracking(workingFolder_);
    settings_ = StoredSettings(
        services_.settings,
        SettingsAppName(services_.process.ExecutableName(), services_.process.CommandLineText()));
    if (!pageSource_) {
        pageSource_ = std::make_unique<ArchivePageSource>(ArchiveFolder(), workingFolder_);
    }
}

void ReaderCore::UnpackSupportFiles() {
    index_ = pagora::UnpackSupportFiles(ArchiveFolder() + QStringLiteral("/support.dat"),
                                        workingFolder_);
}

void ReaderCore::ReadSettings() {
    currentPage_ = kStartPage;
    textSize_ = kStartTextSize;
    textSize_ = settings_.Whole(setting::kFontSize, textSize_);
    if (textSize_ < kSmallestTextSize || textSize_ > kLargestTextSize) {
        // A size the buttons and prompts could never give shows a blank or unreadable page.
        std::cerr << "pagora: the stored text size " << textSize_ << " is not from "
                  << kSmallestTextSize << " to " << kLargestTextSize << "; using " << kStartTextSize
                  << "\n";
        textSize_ = kStartTextSize;
    }
    currentPage_ = settings_.Whole(setting::kPageNo, currentPage_);
    if (currentPage_ < kFirstPage || currentPage_ > kPageCount) {
        // Outside the book the tables would be indexed past their ends and nothing shown.
        std::cerr << "pagora: the stored page " << currentPage_ << " is not a page of the book; "
                  << "showing page " << kStartPage << "\n";
        currentPage_ = kStartPage;
    }
    mode_ = settings_.Text(setting::kPageMode, QStringLiteral("1")) == QStringLiteral("1")
                ? PageMode::Single
                : PageMode::Double;
    theme_ = ThemeNamed(settings_.OneOf(setting::kTheme, {"light", "sepia", "night"}))
                 .value_or(Theme::Light);
    fitPage_ = settings_.OneOf(setting::kFitPage, {"0", "1"}) == QStringLiteral("1");
    shownSize_ = textSize_;
    fitGuess_ = textSize_;
    bookmarkPage_ = settings_.Text(setting::kBookmarkPage, QString());
    bookmarkItem_ = settings_.Text(setting::kBookmarkAya, QString());
}

int ReaderCore::StoredWindowState(int shownState) const {
    return settings_.Whole(setting::kWindowState, static_cast<int16_t>(shownState));
}

bool ReaderCore::StoredFullScreen() const {
    return settings_.Whole(setting::kFullScreen, 0) == 1;
}

TwipRect ReaderCore::StoredOuterRect(const TwipRect& shown,
                                     const std::vector<TwipRect>& screens) const {
    return RestoredOuterRect(settings_, shown, screens);
}

void ReaderCore::ShowFirstPage() {
    screen_.ShowTheme(theme_);
    screen_.ShowMode(mode_);
    started_ = true;
    LoadQuranPage(currentPage_);
}

void ReaderCore::AbandonStart() {
    started_ = false;
    if (!workingFolder_.isEmpty() && services_.process.IsLastRunningInstance()) {
        RemoveFrameImages(workingFolder_);
    }
    ReleaseWorkingFolder();
}

void ReaderCore::Save(SettingKey key, const QString& value) {
    try {
        settings_.Save(key, value);
    } catch (const std::exception& error) {
        // Reading goes on; the user hears of it once, not at every page turn or bookmark.
        std::cerr << "pagora: the settings could not be saved: " << error.what() << "\n";
        if (!saveFailureShown_) {
            saveFailureShown_ = true;
            IgnoringFailure([&] {
                services_.messages.ShowError(QStringLiteral("The settings could not be saved:\n") +
                                                 QString::fromStdString(error.what()),
                                             QStringLiteral("Tamrit Pagora"));
            });
        }
    }
}

void ReaderCore::SaveSettings(int windowState, const TwipRect& outer, bool fullScreen) {
    Save(setting::kFontSize, QString::number(textSize_));
    Save(setting::kPageNo, QString::number(currentPage_));
    Save(setting::kPageMode, PageModeText(mode_));
    Save(setting::kTheme, ThemeName(theme_));
    Save(setting::kFitPage, fitPage_ ? QStringLiteral("1") : QStringLiteral("0"));
    // Like a maximised window, a full-screen one keeps the placement it had before.
    if (windowState != kStateMaximised && !fullScreen) {
        Save(setting::kLeft, SingleText(outer.Left));
        Save(setting::kTop, SingleText(outer.Top));
        Save(setting::kWidth, SingleText(outer.Width));
        Save(setting::kHeight, SingleText(outer.Height));
    }
    Save(setting::kWindowState, QString::number(windowState));
    Save(setting::kFullScreen, fullScreen ? QStringLiteral("1") : QStringLiteral("0"));
}

void ReaderCore::ShutDown() {
    started_ = false;
    // Another reader may have started after this one and still show pages framed by the images.
    if (!workingFolder_.isEmpty() && services_.process.IsLastRunningInstance()) {
        RemoveFrameImages(workingFolder_);
    }
    // A folder made for this run alone (the usual one being unfit) goes with the run.
    ReleaseWorkingFolder();
}

// ---------------------------------------------------------------- pages

void ReaderCore::WriteView(View view, const QString& pageKey, const QString& document) {
    ViewSlot& slot = Slot(view);
    slot.tag = pageKey;
    slot.document = document;
    screen_.WriteDocument(view, pageKey, document);
}

void ReaderCore::ShowPageFailure(View view, int16_t pageNo, const QString& why) {
    std::cerr << "pagora: page " << pageNo << " cannot be shown: " << why.toStdString() << "\n";
    Slot(view).pageText.clear();
    WriteView(view, QString(),
              QStringLiteral("<HTML><BODY><p>Page ") + QString::number(pageNo) +
                  QStringLiteral(" cannot be shown.</p><p>") + why.toHtmlEscaped() +
                  QStringLiteral("</p></BODY></HTML>"));
}

bool ReaderCore::FetchPage(View view, int16_t pageNo) {
    const QString pageKey = PadWithZeros(pageNo, 3);
    ViewSlot& slot = Slot(view);
    if (slot.tag == pageKey) {
        return true;
    }
    try {
        slot.pageText = AddBookMarkLinks(pageSource_->FetchPageText(pageKey));
    } catch (const std::exception& error) {
        ShowPageFailure(view, pageNo, QString::fromStdString(error.what()));
        return false;
    }
    slot.tag = pageKey;
    return true;
}

QString ReaderCore::DocumentAt(const QString& pageText, int16_t pageNo, int textSize) const {
    return BuildPageDocument(pageText, pageNo, index_.suraMarker, index_.pageFrame, textSize);
}

void ReaderCore::WritePage(View view, int16_t pageNo) {
    const QString pageKey = PadWithZeros(pageNo, 3);
    WriteView(view, pageKey, DocumentAt(Slot(view).pageText, pageNo, shownSize_));
    if (bookmarkPage_ == pageKey) {
        SetBookMark(view, bookmarkItem_, false);
    }
}

void ReaderCore::LoadPage(View view, int16_t intPageNo) {
    if (intPageNo > kPageCount || intPageNo < kFirstPage) {
        return;
    }
    if (FetchPage(view, intPageNo)) {
        WritePage(view, intPageNo);
    }
}

std::vector<std::pair<View, int16_t>> ReaderCore::ShownPages(int16_t pageNo) const {
    if (mode_ == PageMode::Single) {
        return {{View::SinglePage, pageNo}};
    }
    const auto right = static_cast<int16_t>(pageNo % 2 == 0 ? pageNo - 1 : pageNo);
    return {{View::PageOne, right}, {View::PageTwo, static_cast<int16_t>(right + 1)}};
}

int ReaderCore::FittedTextSize(const std::vector<PageToFit>& pages) {
    if (pages.empty()) {
        return shownSize_;
    }
    const int key = pages.front().page * 2 + (mode_ == PageMode::Double ? 1 : 0);
    if (const auto known = fittedSizes_.find(key); known != fittedSizes_.end()) {
        return known->second;
    }
    fitGuess_ = LargestFittingSize(kSmallestTextSize, kLargestTextSize, fitGuess_, [&](int size) {
        return std::all_of(pages.begin(), pages.end(), [&](const PageToFit& page) {
            return screen_.Fits(page.view, DocumentAt(*page.text, page.page, size));
        });
    });
    fittedSizes_[key] = fitGuess_;
    return fitGuess_;
}

QString ReaderCore::SurasInPage(int16_t intPage) const {
    return pagora::SurasInPage(index_, intPage);
}

QString ReaderCore::GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const {
    return pagora::GetSuraVerse(index_, intPage, intVerseNoInPage);
}

void ReaderCore::LoadQuranPage(int16_t intPageNo) {
    screen_.ShowFitPage(fitPage_);
    std::vector<PageToFit> shown;
    for (const auto& [view, page] : ShownPages(intPageNo)) {
        if (page >= kFirstPage && page <= kPageCount && FetchPage(view, page)) {
            shown.push_back({view, page, &Slot(view).pageText});
        }
    }
    shownSize_ = static_cast<int16_t>(fitPage_ ? FittedTextSize(shown) : textSize_);
    for (const PageToFit& page : shown) {
        WritePage(page.view, page.page);
    }
    Captions captions;
    captions.textSize = fitPage_ ? QStringLiteral("Fit") : QString::number(textSize_);
    if (mode_ == PageMode::Single) {
        shownPage_ = intPageNo;
        captions.pageNumber = QString::number(intPageNo);
        captions.suras = SurasInPage(intPageNo);
    } else {
        const int right = intPageNo % 2 == 0 ? intPageNo - 1 : intPageNo;
        captions.pageNumber =
            QString::number(right + 1) + QLatin1Char(' ') + QString::number(right);
        currentPage_ = static_cast<int16_t>(right);
        shownPage_ = currentPage_;
        captions.suras = SurasInPage(static_cast<int16_t>(right + 1));
        captions.rightSuras = SurasInPage(static_cast<int16_t>(right));
        captions.showRightSuras = true;
    }
    screen_.ShowCaptions(captions);
}

void ReaderCore::SetPageMode(PageMode mode) {
    if (!started_) {
        return;
    }
    mode_ = mode;
    screen_.ShowMode(mode_);
    LoadQuranPage(currentPage_);
}

void ReaderCore::SetTheme(Theme theme) {
    theme_ = theme;
    if (!started_) {
        return;
    }
    screen_.ShowTheme(theme_);
    // The pages are written again to show in the theme's colours.
    LoadQuranPage(currentPage_);
}

void ReaderCore::SetFitPage(bool fit) {
    if (!started_) {
        return;
    }
    fitPage_ = fit;
    LoadQuranPage(currentPage_);
}

void ReaderCore::FitToViews() {
    fittedSizes_.clear();
    if (!started_ || !fitPage_) {
        return;
    }
    std::vector<PageToFit> shown;
    for (const auto& [view, page] : ShownPages(currentPage_)) {
        if (Slot(view).tag == PadWithZeros(page, 3)) {
            shown.push_back({view, page, &Slot(view).pageText});
        }
    }
    if (FittedTextSize(shown) != shownSize_) {
        LoadQuranPage(currentPage_);
    }
}

void ReaderCore::PrepareNextFit() {
    const auto next = started_ && fitPage_ ? pagora::NextPage(currentPage_, mode_) : std::nullopt;
    if (!next) {
        return;
    }
    std::vector<std::pair<View, int16_t>> pages = ShownPages(static_cast<int16_t>(*next));
    std::vector<QString> texts;
    texts.reserve(pages.size());
    std::vector<PageToFit> fitPages;
    for (const auto& [view, page] : pages) {
        try {
            texts.push_back(AddBookMarkLinks(pageSource_->FetchPageText(PadWithZeros(page, 3))));
        } catch (const std::exception&) {
            return;  // the turn itself shows why
        }
        fitPages.push_back({view, page, &texts.back()});
    }
    FittedTextSize(fitPages);
}

bool ReaderCore::PrepareTurnStep() {
    if (!started_) {
        return false;
    }
    constexpr int kTurnsKept = 2;
    std::map<View, QStringList> kept;
    std::map<QString, QString> texts;
    for (const PageInView& page : PagesOfTurns(shownPage_, mode_, kTurnsKept)) {
        const QString pageKey = PadWithZeros(page.page, 3);
        kept[page.view] << pageKey;
        if (const auto text = preparedTexts_.find(pageKey); text != preparedTexts_.end()) {
            texts.insert(*text);
        }
    }
    preparedTexts_ = std::move(texts);
    for (const View view : kAllViews) {
        screen_.KeepPreparedPages(view, kept[view]);
    }
    for (const PageInView& page : PagesOfTurns(shownPage_, mode_, 1)) {
        const QString pageKey = PadWithZeros(page.page, 3);
        auto text = preparedTexts_.find(pageKey);
        if (text == preparedTexts_.end()) {
            try {
                text = preparedTexts_
                           .emplace(pageKey, AddBookMarkLinks(pageSource_->FetchPageText(pageKey)))
                           .first;
            } catch (const std::exception&) {
                continue;  // the turn itself will tell why the page cannot be shown
            }
        }
        const QString document =
            BuildPageDocument(text->second, page.page, index_.suraMarker, index_.pageFrame,
                              fitPage_ ? shownSize_ : textSize_);
        if (screen_.HasPreparedDocument(page.view, document)) {
            continue;
        }
        screen_.PrepareDocument(
            page.view, pageKey, document,
            bookmarkPage_ == pageKey ? std::optional(bookmarkItem_) : std::nullopt);
        return true;
    }
    return false;
}

void ReaderCore::SetBookMark(View view, const QString& strItemToMark, bool blnWriteToRegistry) {
    const bool matched = screen_.PaintNumberLinks(view, strItemToMark);
    if (matched && blnWriteToRegistry) {
        screen_.DropPreparedDocuments();
        bookmarkPage_ = Slot(view).tag;
        bookmarkItem_ = strItemToMark;
        Save(setting::kBookmarkPage, bookmarkPage_);
        Save(setting::kBookmarkAya, bookmarkItem_);
    }
}

// ---------------------------------------------------------------- navigation

void ReaderCore::ShowChosenPage(int page) {
    currentPage_ = static_cast<int16_t>(page);
    LoadQuranPage(currentPage_);
}

void ReaderCore::SetTextSize(int size) {
    fitPage_ = false;
    textSize_ = static_cast<int16_t>(size);
    LoadQuranPage(currentPage_);
}

void ReaderCore::NextPage() {
    if (!started_) {
        return;
    }
    if (const auto page = pagora::NextPage(currentPage_, mode_)) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::PreviousPage() {
    if (!started_) {
        return;
    }
    if (const auto page = pagora::PreviousPage(currentPage_, mode_)) {
        ShowChosenPage(*page);
    }
}

std::optional<int> ReaderCore::AskForNumber(const NumberPrompt& prompt, int shown) {
    QString message = QString::fromLatin1(prompt.message);
    QString answer = QString::number(shown);
    for (;;) {
        answer = services_.prompt.InputBox(message, QString::fromLatin1(prompt.title), answer);
        // A cancelled prompt (or an emptied field) changes nothing; the window may also have been
        // closed meanwhile.
        if (answer.trimmed().isEmpty() || !started_) {
            return std::nullopt;
        }
        if (const auto number = ReadTypedNumber(AsciiDigits(answer), prompt)) {
            return number;
        }
        message = QStringLiteral("\"%1\" is not a number from %2 to %3.\n%4")
                      .arg(answer.trimmed())
                      .arg(prompt.lowest)
                      .arg(prompt.highest)
                      .arg(QString::fromLatin1(prompt.message));
    }
}

void ReaderCore::AskForPage() {
    if (!started_) {
        return;
    }
    if (const auto page = AskForNumber(kPageNumberPrompt, currentPage_)) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::AskForTextSize() {
    if (!started_) {
        return;
    }
    if (const auto size = AskForNumber(kTextSizePrompt, shownSize_)) {
        SetTextSize(*size);
    }
}

void ReaderCore::IncreaseTextSize() {
    if (!started_) {
        return;
    }
    // Out of fit mode, the steps go from the size shown.
    if (const auto size = IncreasedTextSize(shownSize_)) {
        SetTextSize(*size);
    } else if (fitPage_) {
        SetTextSize(shownSize_);
    }
}

void ReaderCore::DecreaseTextSize() {
    if (!started_) {
        return;
    }
    if (const auto size = DecreasedTextSize(shownSize_)) {
        SetTextSize(*size);
    } else if (fitPage_) {
        SetTextSize(shownSize_);
    }
}

bool ReaderCore::KeyDown(int keyCode, int shift, const ScrollRoom& room) {
    switch (CommandForKey(keyCode, shift, room)) {
        case KeyCommand::Next:
            NextPage();
            return true;
        case KeyCommand::Previous:
            PreviousPage();
            return true;
        case KeyCommand::First:
            if (started_) {
                ShowChosenPage(kFirstPage);
            }
            return true;
        case KeyCommand::Last:
            if (started_) {
                ShowChosenPage(kPageCount);
            }
            return true;
        case KeyCommand::Larger:
            IncreaseTextSize();
            return true;
        case KeyCommand::Smaller:
            DecreaseTextSize();
            return true;
        case KeyCommand::None:
            break;
    }
    return false;
}

void ReaderCore::Choose(Chooser chooser, WindowHandle owner, ScreenPoint at) {
    if (!started_) {
        return;
    }
    clsNewMenu menu(services_.popupMenu);
    const QStringList* startTable = &index_.suraStart;
    switch (chooser) {
        case Chooser::Sura:
            BuildSuraMenu(menu, owner, StdLines(index_.suraNames));
            break;
        case Chooser::Juz:
            BuildJuzMenu(menu, owner);
            startTable = &index_.juzStart;
            break;
        case Chooser::Hizb:
            BuildHizbMenu(menu, owner);
            startTable = &index_.hizbQuarterStart;
            break;
    }
    const std::string answer = menu.PopUpAt(at);
    const auto page = ChosenStartPage(answer, StdLines(*startTable));
    if (page && started_) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::ChooseSura(WindowHandle owner, ScreenPoint at) {
    Choose(Chooser::Sura, owner, at);
}

void ReaderCore::ChooseJuz(WindowHandle owner, ScreenPoint at) {
    Choose(Chooser::Juz, owner, at);
}

void ReaderCore::ChooseHizb(WindowHandle owner, ScreenPoint at) {
    Choose(Chooser::Hizb, owner, at);
}

// ---------------------------------------------------------------- verses and bookmark

bool ReaderCore::NavigationFilter(View view, const QString& url) {
    // Pages are written into the blank document, which must load; the links of a page never
    // lead anywhere.
    bool cancel = false;
    if (url == QStringLiteral("about:blank")) {
        return cancel;
    }
    if (url.contains(QStringLiteral("#num"), Qt::CaseSensitive)) {
        CallSetBookmark(view, url, cancel);
    }
    if (url.contains(QStringLiteral("#aya"), Qt::CaseSensitive)) {
        AyaClicked(view, url, cancel);
    }
    return cancel;
}

void ReaderCore::CallSetBookmark(View view, const QString& URL, bool& Cancel) {
    const QString item = NumberLinkItem(URL).value_or(QString());
    SetBookMark(view, item, true);
    // "XX" matches no number link: the facing page loses a red mark left from before.
    if (view == View::PageOne) {
        SetBookMark(View::PageTwo, QStringLiteral("XX"), false);
    } else if (view == View::PageTwo) {
        SetBookMark(View::PageOne, QStringLiteral("XX"), false);
    }
    Cancel = true;
}

void ReaderCore::AyaClicked(View view, const QString& URL, bool& Cancel) {
    // A view without a page (its page failed to load) or a hand-made target names no verse:
    // then the clipboard is left alone.
    const auto verseNoInPage = ParseWholeNumber(VerseLinkItem(URL).value_or(QString()));
    const auto page = ParseWholeNumber(Slot(view).tag);
    if (verseNoInPage && page) {
        const QString reference = GetSuraVerse(*page, *verseNoInPage);
        if (!reference.isEmpty()) {
            CopyText(reference);
        }
    }
    Cancel = true;
}

// Tilora watches the clipboard; it gets the reference and nothing else. Another program may
// hold the clipboard: every step is tried, none reports.
void ReaderCore::CopyText(const QString& strText) {
    IgnoringFailure([&] { services_.clipboard.Clear(); });
    IgnoringFailure([&] { services_.clipboard.Clear(); });
    IgnoringFailure([&] { services_.clipboard.SetText(strText); });
}

// Without a bookmark the command does nothing; a bookmark page edited by hand into something
// that is not a page of the book ("abc", "999") is not passed on to the page display.
void ReaderCore::GoToBookmark() {
    if (!started_ || LeadingNumber(bookmarkPage_.toStdString()) == 0) {
        return;
    }
    const auto page = ReadTypedNumber(bookmarkPage_.toStdString(), kFirstPage, kPageCount);
    if (!page) {
        services_.messages.ShowInformation(
            QStringLiteral("There is no usable bookmark: the stored bookmark page \"%1\" is not "
                           "a page of the book. Click a verse number to set a new bookmark.")
                .arg(bookmarkPage_),
            QStringLiteral("Go to Bookmark"));
        return;
    }
    ShowChosenPage(*page);
    for (View view : kAllViews) {
        if (Slot(view).tag == bookmarkPage_ && ShowsView(view)) {
            screen_.ScrollToLink(view, QStringLiteral("#num") + bookmarkItem_);
        }
    }
}

void ReaderCore::ShowVerse(int page, int sura, int verse) {
    if (!started_ || page < kFirstPage || page > kPageCount) {
        return;
    }
    ShowChosenPage(page);
    const QString reference = QStringLiteral("%1:%2").arg(sura).arg(verse);
    const QString key = PadWithZeros(page, 3);
    for (View view : kAllViews) {
        if (Slot(view).tag != key || !ShowsView(view)) {
            continue;
        }
        // The verse links of a page count its verses from 1.
        const qsizetype links = Slot(view).pageText.count(QStringLiteral("\r\n")) + 1;
        for (int n = 1; n <= links; ++n) {
            if (GetSuraVerse(static_cast<int16_t>(page), static_cast<int16_t>(n)) == reference) {
                screen_.ScrollToLink(view, QStringLiteral("#aya") + QString::number(n));
                return;
            }
        }
    }
}

const search::SearchIndex* ReaderCore::SearchIndex() {
    if (!searchIndex_) {
        try {
            searchIndex_ =
                std::make_unique<search::SearchIndex>(search::SearchIndex::Build(ArchiveFolder()));
        } catch (const std::exception& error) {
            services_.messages.ShowError(QString::fromStdString(error.what()),
                                         QStringLiteral("Search"));
            return nullptr;
        }
    }
    return searchIndex_.get();
}

void ReaderCore::ExplainBookmark() {
    services_.messages.ShowInformation(
        QStringLiteral("To set bookmark, click on the Ayat number after each Aya. "),
        QStringLiteral("Setting bookmark"));
}

void ReaderCore::ExplainRecitation() {
    services_.messages.ShowInformation(TiloraHelpText(), TiloraHelpTitle());
}

bool ReaderCore::OpenLink(const QString& strLink) {
    bool opened = false;
    IgnoringFailure([&] { opened = services_.shell.OpenLink(strLink); });
    return opened;
}

void ReaderCore::OpenWebPage() {
    const QString link = WebPageLink();
    if (!OpenLink(link)) {
        services_.messages.ShowInformation(
            QStringLiteral("No web browser could be started to open %1.").arg(link),
            QStringLiteral("Visit Website"));
    }
}

}  // namespace pagora
