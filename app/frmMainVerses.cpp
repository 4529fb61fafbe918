// The main window's verse interaction: link clicks in the page views (the bookmark and the verse
// hand-off to Tilora through the clipboard), the bookmark, settings and about commands.
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeySequence>
#include <QTextCursor>
#include <QTimer>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/SettingsValues.h"
#include "app/frmMain.h"
#include "interaction/Bookmark.h"
#include "navigation/TypedNumber.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/QtClipboard.h"
#include "platform/QtShell.h"
#include "window/AboutInfo.h"
#include "window/frmAbout.h"

namespace pagora {

namespace {

const QString kBlank = QStringLiteral("about:blank");
const QString kNumberMarker = QStringLiteral("#num");
const QString kVerseMarker = QStringLiteral("#aya");

// The text after the first "#aya" of `url`, up to any further "#aya".
QString VerseLinkItem(const QString& url) {
    const qsizetype at = url.indexOf(kVerseMarker, 0, Qt::CaseSensitive);
    if (at < 0) {
        return {};
    }
    const qsizetype from = at + kVerseMarker.size();
    const qsizetype next = url.indexOf(kVerseMarker, from, Qt::CaseSensitive);
    return next < 0 ? url.mid(from) : url.mid(from, next - from);
}

// Runs one step of a best-effort operation; a failing step does not stop the next one.
template <typename Step>
void IgnoringFailure(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

// With PAGORA_LINK_DUMP set, every page view that shows a new document or new link colours
// prints its links to stdout once painted: one line per link that lies in view,
//   pagora-link <view> <page key> <target> <screen x> <screen y> <colour or "none">
// where the point is on a character of the link's own text, and a closing line
//   pagora-links-end <view> <page key>
// End-to-end checks in a real X session click these points and read the colours.
class LinkDump : public QObject {
  public:
    explicit LinkDump(QObject* parent) : QObject(parent) {}

    void Watch(BrowserControl& view) { view.viewport()->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* view = qobject_cast<BrowserControl*>(watched->parent())) {
                // After the paint, so the layout is settled.
                QTimer::singleShot(0, this, [this, view] { Dump(*view); });
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void Dump(BrowserControl& view) {
        if (!view.isVisible()) {
            return;
        }
        QString lines;
        const auto anchors = view.Anchors();
        for (size_t i = 0; i < anchors.size(); ++i) {
            const std::vector<int> own = view.OwnCharacters(anchors[i]);
            if (own.empty()) {
                continue;
            }
            const int pos = own[own.size() / 2];
            const QPoint at = view.PositionOfCharacter(pos);
            if (!view.viewport()->rect().contains(at)) {
                continue;
            }
            const QPoint onScreen = view.viewport()->mapToGlobal(at);
            const QColor colour = view.AnchorColor(i);
            lines += QStringLiteral("pagora-link %1 %2 %3 %4 %5 %6\n")
                         .arg(view.Name(), view.Tag.isEmpty() ? QStringLiteral("-") : view.Tag,
                              anchors[i].target)
                         .arg(onScreen.x())
                         .arg(onScreen.y())
                         .arg(colour.isValid() ? colour.name() : QStringLiteral("none"));
        }
        QString& last = lastDump_[view.Name()];
        if (lines == last) {
            return;
        }
        last = lines;
        lines += QStringLiteral("pagora-links-end %1 %2\n")
                     .arg(view.Name(), view.Tag.isEmpty() ? QStringLiteral("-") : view.Tag);
        std::fputs(lines.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }

    std::map<QString, QString> lastDump_;
};

}  // namespace

void frmMain::WireVerseCommands() {
    ownClipboard_ = std::make_unique<QtClipboard>();
    ownShell_ = std::make_unique<QtShell>();
    clipboard_ = ownClipboard_.get();
    shell_ = ownShell_.get();

    connect(
        wbSinglePage_, &BrowserControl::BeforeNavigate2, this,
        [this](const QString& url, bool& cancel) { wbSinglePage_BeforeNavigate2(url, cancel); });
    connect(wbPageOne_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageOne_BeforeNavigate2(url, cancel); });
    connect(wbPageTwo_, &BrowserControl::BeforeNavigate2, this,
            [this](const QString& url, bool& cancel) { wbPageTwo_BeforeNavigate2(url, cancel); });

    auto command = [this](const char* name, void (frmMain::*handler)()) {
        auto* action = findChild<QAction*>(QString::fromLatin1(name));
        if (action == nullptr) {
            qFatal("frmMain: the menus have no command %s", name);
        }
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    // The design's hint for this command is F2.
    command("mnuGotoBookMark", &frmMain::mnuGotoBookMark)->setShortcut(QKeySequence(Qt::Key_F2));
    command("mnuHowToSetBookMark", &frmMain::mnuHowToSetBookMark);
    command("mnuSettingTilora", &frmMain::mnuSettingTilora);
    command("mnuAboutPagora", &frmMain::mnuAboutPagora);
    command("mnuAboutWebsite", &frmMain::mnuAboutWebsite);

    if (!qEnvironmentVariableIsEmpty("PAGORA_LINK_DUMP")) {
        auto* dump = new LinkDump(this);
        for (BrowserControl* view : {wbSinglePage_, wbPageOne_, wbPageTwo_}) {
            dump->Watch(*view);
        }
    }
}

void frmMain::SetVerseServices(Clipboard& clipboard, Shell& shell) {
    clipboard_ = &clipboard;
    shell_ = &shell;
}

// ---------------------------------------------------------------- link clicks

// The one filter behind the three views' events. Pages are written into the blank document,
// which must load; the links of a page never lead anywhere.
void frmMain::NavigationFilter(BrowserControl& wb, const QString& URL, bool& Cancel) {
    if (URL == kBlank) {
        return;
    }
    if (URL.contains(kNumberMarker, Qt::CaseSensitive)) {
        CallSetBookmark(wb, URL, Cancel);
    }
    if (URL.contains(kVerseMarker, Qt::CaseSensitive)) {
        AyaClicked(wb, URL, Cancel);
    }
}

void frmMain::wbSinglePage_BeforeNavigate2(const QString& URL, bool& Cancel) {
    NavigationFilter(*wbSinglePage_, URL, Cancel);
}

void frmMain::wbPageOne_BeforeNavigate2(const QString& URL, bool& Cancel) {
    NavigationFilter(*wbPageOne_, URL, Cancel);
}

void frmMain::wbPageTwo_BeforeNavigate2(const QString& URL, bool& Cancel) {
    NavigationFilter(*wbPageTwo_, URL, Cancel);
}

void frmMain::CallSetBookmark(BrowserControl& wb, const QString& URL, bool& Cancel) {
    const QString item = NumberLinkItem(URL).value_or(QString());
    // "XX" matches no number link: the facing page loses a red mark left from before.
    const QString none = QStringLiteral("XX");
    if (wb.Name() == QStringLiteral("wbSinglePage")) {
        SetBookMark(*wbSinglePage_, item, true);
    } else if (wb.Name() == QStringLiteral("wbPageOne")) {
        SetBookMark(*wbPageOne_, item, true);
        SetBookMark(*wbPageTwo_, none, false);
    } else if (wb.Name() == QStringLiteral("wbPageTwo")) {
        SetBookMark(*wbPageTwo_, item, true);
        SetBookMark(*wbPageOne_, none, false);
    }
    Cancel = true;
}

void frmMain::AyaClicked(BrowserControl& wb, const QString& URL, bool& Cancel) {
    // Only the links the page builder writes reach here, but a view without a page (its page
    // failed to load) or a hand-made target names no verse: then the clipboard is left alone.
    const auto verseNoInPage = ParseWholeNumber(VerseLinkItem(URL));
    const auto page = ParseWholeNumber(wb.Tag);
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
void frmMain::CopyText(const QString& strText) {
    IgnoringFailure([&] { clipboard_->Clear(); });
    IgnoringFailure([&] { clipboard_->Clear(); });
    IgnoringFailure([&] { clipboard_->SetText(strText); });
}

// ---------------------------------------------------------------- menu commands

// A bookmark page edited by hand into something that is not a page (empty, 0, "abc", "999")
// is not passed on to the page display: the command then does nothing.
void frmMain::mnuGotoBookMark() {
    if (!loaded_) {
        return;
    }
    const auto page = ReadTypedNumber(bookmarkPage_.toStdString(), kFirstPage, kLastPage);
    if (!page) {
        return;
    }
    currentPage_ = static_cast<int16_t>(*page);
    LoadQuranPage(currentPage_);
}

void frmMain::mnuHowToSetBookMark() {
    messages_.ShowInformation(
        QStringLiteral("To set bookmark, click on the Ayat number after each Aya. "),
        QStringLiteral("Setting bookmark"));
}

void frmMain::mnuSettingTilora() {
    messages_.ShowInformation(TiloraHelpText(), TiloraHelpTitle());
}

void frmMain::mnuAboutPagora() {
    // A new box each time: its load handler fills the texts afresh.
    frmAbout box(windowIcon());
    box.exec();
}

void frmMain::mnuAboutWebsite() {
    OpenLink(WebPageLink());
}

// Whether a browser took the link is not reported: without one the command has no effect.
void frmMain::OpenLink(const QString& strLink) {
    IgnoringFailure([&] { shell_->OpenLink(strLink); });
}

}  // namespace pagora
