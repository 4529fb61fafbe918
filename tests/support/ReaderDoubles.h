#pragma once

#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/InputPrompt.h"
#include "platform/ProcessFacts.h"
#include "platform/QtPopupMenu.h"
#include "platform/Shell.h"
#include "reader/ReaderCore.h"
#include "reader/ReaderScreen.h"
#include "tests/support/QStringPrinter.h"

namespace pagora::testing {

class FakeProcessFacts : public ProcessFacts {
  public:
    QString folder;
    QString commandLine;
    bool lastRunning = true;
    QString trackedFolder;

    QString ExecutableFolder() const override { return folder; }
    QString ExecutableName() const override { return QStringLiteral("pagora"); }
    QString CommandLineText() const override { return commandLine; }
    void StartInstanceTracking(const QString& lockFolder) override { trackedFolder = lockFolder; }
    bool OtherInstanceWasRunning() const override { return false; }
    bool IsLastRunningInstance() override { return lastRunning; }
};

class RecordingMessageBoxes : public MessageBoxes {
  public:
    struct Box {
        QString text;
        QString title;
    };
    std::vector<Box> errors;
    std::vector<Box> informations;
    void ShowInformation(const QString& text, const QString& title) override {
        informations.push_back({text, title});
    }
    void ShowError(const QString& text, const QString& title) override {
        errors.push_back({text, title});
    }
};

// Answers prompts from a queue (a cancelled prompt when it runs dry) and records what it asked.
class ScriptedPrompt : public InputPrompt {
  public:
    struct Asked {
        QString prompt;
        QString title;
        QString defaultText;
        bool operator==(const Asked&) const = default;
    };
    std::deque<QString> answers;
    std::vector<Asked> asked;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override {
        asked.push_back({prompt, title, defaultText});
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
};

// Logs each call ("clear", "set:<text>"); with `failing` every call throws after logging.
class RecordingClipboard : public Clipboard {
  public:
    std::vector<QString> calls;
    QString text;
    bool failing = false;
    void Clear() override {
        Log(QStringLiteral("clear"));
        text.clear();
    }
    void SetText(const QString& value) override {
        Log(QStringLiteral("set:") + value);
        text = value;
    }
    QString Text() const override { return text; }

  private:
    void Log(const QString& call) {
        calls.push_back(call);
        if (failing) {
            throw std::runtime_error("the clipboard is held by another program");
        }
    }
};

// Takes every link, or none (`browser` false), or throws (`failing`).
class RecordingShell : public Shell {
  public:
    std::vector<QString> opened;
    bool browser = true;
    bool failing = false;
    bool OpenLink(const QString& link) override {
        opened.push_back(link);
        if (failing) {
            throw std::runtime_error("no handler");
        }
        return browser;
    }
};

// The real popup-menu service, picking the entry at the path of captions `choose` (or none).
class AnsweringPopupMenu : public QtPopupMenu {
  public:
    std::vector<std::string> choose;
    int shown = 0;  // menus shown
    ScreenPoint shownAt;
    bool shownDefault = false;  // whether a menu shown had a default (bold) top-level entry
    std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t, std::int32_t x, std::int32_t y,
                                  WindowHandle) override {
        ++shown;
        shownAt = {x, y};
        const std::unique_ptr<QMenu> built = BuildQMenu(menu);
        shownDefault = shownDefault || built->defaultAction() != nullptr;
        const QMenu* level = built.get();
        for (const std::string& caption : choose) {
            const QAction* found = nullptr;
            for (const QAction* action : level->actions()) {
                found = action->text().toStdString() == caption ? action : found;
            }
            if (found == nullptr) {
                return 0;
            }
            if (found->menu() == nullptr) {
                return found->data().toInt();
            }
            level = found->menu();
        }
        return 0;
    }
};

// Records what the reader shows; a number link is painted red when the document links "#num" item.
class RecordingScreen : public ReaderScreen {
  public:
    struct ViewState {
        QString pageKey;
        QString document;
        int writes = 0;
        QString red;  // the number-link item painted red
    };
    std::map<View, ViewState> views;
    std::optional<PageMode> mode;
    Captions captions;
    std::vector<std::pair<View, QString>> scrolledTo;  // link targets scrolled into sight
    std::optional<Theme> theme;
    std::optional<bool> fitPage;
    std::map<View, int> rooms;
    int fitTries = 0;

    void WriteDocument(View view, const QString& pageKey, const QString& document) override {
        ViewState& state = views[view];
        state.pageKey = pageKey;
        state.document = document;
        state.red.clear();
        ++state.writes;
    }
    bool PaintNumberLinks(View view, const QString& item) override {
        ViewState& state = views[view];
        const bool matched = state.document.contains("href=\"#num" + item + "\"");
        state.red = matched ? item : QString();
        return matched;
    }
    void ScrollToLink(View view, const QString& target) override {
        scrolledTo.emplace_back(view, target);
    }
    void ShowMode(PageMode shown) override { mode = shown; }
    void ShowCaptions(const Captions& shown) override { captions = shown; }
    void ShowTheme(Theme shown) override { theme = shown; }
    void ShowFitPage(bool fit) override { fitPage = fit; }
    static int TextSizeOf(const QString& document) {
        static const QRegularExpression size(QStringLiteral("font-size: (\\d+)px"));
        return size.match(document).captured(1).toInt();
    }
    // A document fits its view up to the view's `room` (a text size; 60 unless set).
    bool Fits(View view, const QString& document) override {
        ++fitTries;
        const auto room = rooms.find(view);
        return TextSizeOf(document) <= (room == rooms.end() ? 60 : room->second);
    }

    // Documents prepared ahead of a turn, by view and page key, with the number link marked.
    struct PreparedPage {
        QString document;
        std::optional<QString> markedItem;
    };
    std::map<View, std::map<QString, PreparedPage>> prepared;
    void PrepareDocument(View view, const QString& pageKey, const QString& document,
                         const std::optional<QString>& markedItem) override {
        prepared[view][pageKey] = {document, markedItem};
    }
    bool HasPreparedDocument(View view, const QString& document) const override {
        const auto pages = prepared.find(view);
        return pages != prepared.end() && std::ranges::any_of(pages->second, [&](const auto& page) {
                   return page.second.document == document;
               });
    }
    void KeepPreparedPages(View view, const QStringList& pageKeys) override {
        std::erase_if(prepared[view],
                      [&](const auto& page) { return !pageKeys.contains(page.first); });
    }
    void DropPreparedDocuments() override { prepared.clear(); }
    // The page keys prepared for `view`, in order.
    QStringList PreparedKeys(View view) {
        QStringList keys;
        for (const auto& page : prepared[view]) {
            keys << page.first;
        }
        return keys;
    }
};

// One of each double, and the services a reader takes from them with the settings `store`.
struct ServiceDoubles {
    ReaderServices Services(SettingsStore& store) {
        return ReaderServices{store, process_, boxes_, prompt_, clipboard_, shell_, menu_};
    }

    FakeProcessFacts process_;
    RecordingMessageBoxes boxes_;
    ScriptedPrompt prompt_;
    RecordingClipboard clipboard_;
    RecordingShell shell_;
    std::shared_ptr<AnsweringPopupMenu> menu_ = std::make_shared<AnsweringPopupMenu>();
};

}  // namespace pagora::testing
