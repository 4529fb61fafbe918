#include "reader/ReaderCore.h"

#include <iostream>
#include <string>
#include <vector>

#include "codec/Error.h"
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
        pageSource_ = std::make_unique<ArchivePageSource>(
            ArchiveFolder(services_.process.ExecutableFolder()), workingFolder_);
    }
}

void ReaderCore::UnpackSupportFiles() {
    index_ = pagora::UnpackSupportFiles(
        ArchiveFolder(services_.process.ExecutableFolder()) + QStringLiteral("/support.dat"),
        workingFolder_);
}

void ReaderCore::ReadSettings() {
    currentPage_ = kStartPage;
    textSize_ = kStartTextSize;
    textSize_ = settings_.Whole(setting::kFontSize, textSize_);
    currentPage_ = settings_.Whole(setting::kPageNo, currentPage_);
    if (currentPage_ < kFirstPage) {
        // Below 1 the tables would be indexed before their start.
        std::cerr << "pagora: the stored page " << currentPage_ << " is below 1; showing page "
                  << kStartPage << "\n";
        currentPage_ = kStartPage;
    }
    mode_ = settings_.Text(setting::kPageMode, QStringLiteral("1")) == QStringLiteral("1")
                ? PageMode::Single
                : PageMode::Double;
    bookmarkPage_ = settings_.Text(setting::kBookmarkPage, QString());
    bookmarkItem_ = settings_.Text(setting::kBookmarkAya, QString());
}

int ReaderCore::StoredWindowState(int shownState) const {
    return settings_.Whole(setting::kWindowState, static_cast<int16_t>(shownState));
}

TwipRect ReaderCore::StoredOuterRect(const TwipRect& shown, const TwipRect& screen,
                                     const TwipRect& desktop) const {
    return RestoredOuterRect(settings_, shown, screen, desktop);
}

void ReaderCore::ShowFirstPage() {
    screen_.ShowMode(mode_);
    started_ = true;
    LoadQuranPage(currentPage_);
}

void ReaderCore::AbandonStart() {
    started_ = false;
    if (!workingFolder_.isEmpty() && services_.process.IsLastRunningInstance()) {
        RemoveFrameImages(workingFolder_);
    }
}

void ReaderCore::SaveSettings(int windowState, const TwipRect& outer) {
    started_ = false;
    settings_.Save(setting::kFontSize, QString::number(textSize_));
    settings_.Save(setting::kPageNo, QString::number(currentPage_));
    settings_.Save(setting::kPageMode, PageModeText(mode_));
    if (windowState != kStateMaximised) {
        settings_.Save(setting::kLeft, SingleText(outer.Left));
        settings_.Save(setting::kTop, SingleText(outer.Top));
        settings_.Save(setting::kWidth, SingleText(outer.Width));
        settings_.Save(setting::kHeight, SingleText(outer.Height));
    }
    settings_.Save(setting::kWindowState, QString::number(windowState));
}

void ReaderCore::RemoveFrameImagesIfLast() {
    // Another reader may have started after this one and still show pages framed by the images.
    if (services_.process.IsLastRunningInstance()) {
        RemoveFrameImages(workingFolder_);
    }
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

void ReaderCore::LoadPage(View view, int16_t intPageNo) {
    if (intPageNo > kLastPage || intPageNo < kFirstPage) {
        return;
    }
    const QString pageKey = PadWithZeros(intPageNo, 3);
    ViewSlot& slot = Slot(view);
    if (slot.tag != pageKey) {
        try {
            slot.pageText = AddBookMarkLinks(pageSource_->FetchPageText(pageKey));
        } catch (const std::exception& error) {
            ShowPageFailure(view, intPageNo, QString::fromStdString(error.what()));
            return;
        }
    }
    WriteView(view, pageKey,
              BuildPageDocument(slot.pageText, intPageNo, index_.suraMarker, index_.pageFrame,
                                textSize_));
    if (bookmarkPage_ == pageKey) {
        SetBookMark(view, bookmarkItem_, false);
    }
}

QString ReaderCore::SurasInPage(int16_t intPage) const {
    return pagora::SurasInPage(index_, intPage);
}

QString ReaderCore::GetSuraVerse(int16_t intPage, int16_t intVerseNoInPage) const {
    return pagora::GetSuraVerse(index_, intPage, intVerseNoInPage);
}

void ReaderCore::LoadQuranPage(int16_t intPageNo) {
    Captions captions;
    captions.textSize = QString::number(textSize_);
    if (mode_ == PageMode::Single) {
        LoadPage(View::SinglePage, intPageNo);
        captions.pageNumber = QString::number(intPageNo);
        captions.suras = SurasInPage(intPageNo);
    } else {
        const int right = intPageNo % 2 == 0 ? intPageNo - 1 : intPageNo;
        LoadPage(View::PageOne, static_cast<int16_t>(right));
        LoadPage(View::PageTwo, static_cast<int16_t>(right + 1));
        captions.pageNumber =
            QString::number(right + 1) + QLatin1Char(' ') + QString::number(right);
        currentPage_ = static_cast<int16_t>(right);
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

void ReaderCore::SetBookMark(View view, const QString& strItemToMark, bool blnWriteToRegistry) {
    const bool matched = screen_.PaintNumberLinks(view, strItemToMark);
    if (matched && blnWriteToRegistry) {
        bookmarkPage_ = Slot(view).tag;
        bookmarkItem_ = strItemToMark;
        settings_.Save(setting::kBookmarkPage, bookmarkPage_);
        settings_.Save(setting::kBookmarkAya, bookmarkItem_);
    }
}

// ---------------------------------------------------------------- navigation

void ReaderCore::ShowChosenPage(int page) {
    currentPage_ = static_cast<int16_t>(page);
    LoadQuranPage(currentPage_);
}

void ReaderCore::SetTextSize(int size) {
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

void ReaderCore::AskForPage() {
    if (!started_) {
        return;
    }
    const QString answer = services_.prompt.InputBox(QString::fromLatin1(kPageNumberPrompt.message),
                                                     QString::fromLatin1(kPageNumberPrompt.title),
                                                     QString::number(currentPage_));
    // The prompt is modal, but the window may have been closed meanwhile.
    if (const auto page = ReadTypedNumber(answer.toStdString(), kPageNumberPrompt);
        page && started_) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::AskForTextSize() {
    if (!started_) {
        return;
    }
    const QString answer = services_.prompt.InputBox(QString::fromLatin1(kTextSizePrompt.message),
                                                     QString::fromLatin1(kTextSizePrompt.title),
                                                     QString::number(textSize_));
    if (const auto size = ReadTypedNumber(answer.toStdString(), kTextSizePrompt);
        size && started_) {
        SetTextSize(*size);
    }
}

void ReaderCore::IncreaseTextSize() {
    if (!started_) {
        return;
    }
    if (const auto size = IncreasedTextSize(textSize_)) {
        SetTextSize(*size);
    }
}

void ReaderCore::DecreaseTextSize() {
    if (!started_) {
        return;
    }
    if (const auto size = DecreasedTextSize(textSize_)) {
        SetTextSize(*size);
    }
}

void ReaderCore::KeyDown(int keyCode, int /*shift*/) {
    switch (CommandForKey(keyCode)) {
        case KeyCommand::Next:
            NextPage();
            break;
        case KeyCommand::Previous:
            PreviousPage();
            break;
        case KeyCommand::None:
            break;
    }
}

void ReaderCore::Choose(bool sura, WindowHandle owner) {
    if (!started_) {
        return;
    }
    clsNewMenu menu(services_.popupMenu);
    if (sura) {
        BuildSuraMenu(menu, owner, StdLines(index_.suraNames));
    } else {
        BuildJuzMenu(menu, owner);
    }
    const std::string answer = menu.PopUp();
    const auto page = ChosenStartPage(answer, StdLines(sura ? index_.suraStart : index_.juzStart));
    if (page && started_) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::ChooseSura(WindowHandle owner) {
    Choose(true, owner);
}

void ReaderCore::ChooseJuz(WindowHandle owner) {
    Choose(false, owner);
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

// A bookmark page edited by hand into something that is not a page (empty, 0, "abc", "999")
// is not passed on to the page display: the command then does nothing.
void ReaderCore::GoToBookmark() {
    if (!started_) {
        return;
    }
    if (const auto page = ReadTypedNumber(bookmarkPage_.toStdString(), kFirstPage, kLastPage)) {
        ShowChosenPage(*page);
    }
}

void ReaderCore::ExplainBookmark() {
    services_.messages.ShowInformation(
        QStringLiteral("To set bookmark, click on the Ayat number after each Aya. "),
        QStringLiteral("Setting bookmark"));
}

void ReaderCore::ExplainRecitation() {
    services_.messages.ShowInformation(TiloraHelpText(), TiloraHelpTitle());
}

// Whether a browser took the link is not reported: without one the command has no effect.
void ReaderCore::OpenLink(const QString& strLink) {
    IgnoringFailure([&] { services_.shell.OpenLink(strLink); });
}

void ReaderCore::OpenWebPage() {
    OpenLink(WebPageLink());
}

}  // namespace pagora
