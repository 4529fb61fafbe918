#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/frmMain.h"
#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "platform/Clipboard.h"
#include "platform/QtClipboard.h"
#include "platform/Shell.h"
#include "tests/app/ReaderFixture.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& colour, std::ostream* os) {
    *os << (colour.isValid() ? colour.name().toStdString() : std::string("none"));
}
QT_END_NAMESPACE

namespace pagora::testing {

// Message boxes with their titles.
class TitledMessageBoxes : public MessageBoxes {
  public:
    struct Box {
        QString text;
        QString title;
        bool operator==(const Box&) const = default;
    };
    std::vector<Box> informations;
    std::vector<Box> errors;
    void ShowInformation(const QString& text, const QString& title) override {
        informations.push_back({text, title});
    }
    void ShowError(const QString& text, const QString& title) override {
        errors.push_back({text, title});
    }
};

inline void PrintTo(const TitledMessageBoxes::Box& box, std::ostream* os) {
    *os << "{\"" << box.text.toStdString() << "\", \"" << box.title.toStdString() << "\"}";
}

class RecordingShell : public Shell {
  public:
    QStringList opened;
    bool answer = false;
    bool OpenLink(const QString& link) override {
        opened << link;
        return answer;
    }
};

// Records every call; when `failing`, each call throws after being recorded, as a clipboard
// that another program holds open.
class RecordingClipboard : public Clipboard {
  public:
    QStringList calls;
    bool failing = false;
    void Clear() override {
        calls << QStringLiteral("clear");
        Fail();
    }
    void SetText(const QString& text) override {
        calls << QStringLiteral("set ") + text;
        Fail();
    }
    QString Text() const override { return {}; }

  private:
    void Fail() const {
        if (failing) {
            throw std::runtime_error("the clipboard is held by another program");
        }
    }
};

inline QString RealDataFolder() {
    const QByteArray override = qgetenv("PAGORA_DATA_DIR");
    return override.isEmpty() ? QStringLiteral(PAGORA_BIN_DIR) : QString::fromLocal8Bit(override);
}

// The system clipboard of this process (offscreen: a private one).
inline QString SystemClipboardText() {
    return QGuiApplication::clipboard()->text(QClipboard::Clipboard);
}
inline void SetSystemClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

// What the window shows and keeps, to tell that a click left the page where it was.
struct Shown {
    int currentPage = 0;
    QString pageNo;
    QString tags;
    QString documents;
    bool operator==(const Shown&) const = default;
};

inline void PrintTo(const Shown& shown, std::ostream* os) {
    *os << shown.currentPage << " | " << shown.pageNo.toStdString() << " | "
        << shown.tags.toStdString() << " | (" << shown.documents.size() << " characters)";
}

inline Shown ShownBy(frmMain& w) {
    Shown s;
    s.currentPage = w.CurrentPage();
    s.pageNo = w.cmdPageNo().text();
    for (BrowserControl* view : {&w.wbSinglePage(), &w.wbPageOne(), &w.wbPageTwo()}) {
        s.tags += view->Tag + QLatin1Char(' ');
        s.documents += w.DocumentOf(*view);
    }
    return s;
}

// A reader over the real book (the archives beside the programs), with its own temporary and
// settings folders and a shell that only records.
class VerseReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid() && config_.isValid());
        const QString folder = RealDataFolder();
        ASSERT_TRUE(QFileInfo(folder + "/support.dat").isFile() &&
                    QFileInfo(folder + "/order9.dat").isFile())
            << "The real archives are not in " << folder.toStdString()
            << " (build the target pagora_archives, or set PAGORA_DATA_DIR)";
        process_.folder = folder;
        process_.lastRunning = false;
        store_ = std::make_unique<IniSettingsStore>(config_.path());
    }

    // Starts a reader in single-page (1) or double-page (2) mode at `page`. Unless
    // `ownServices`, the shell only records and the clipboard is the system's, as the window's
    // own.
    frmMain& Open(int mode, int page, bool ownServices = false) {
        const QString section = QStringLiteral("UserSelection");
        Store(section, QStringLiteral("PageMode"), QString::number(mode));
        Store(section, QStringLiteral("Pageno"), QString::number(page));
        Store(section, QStringLiteral("FontSize"), QStringLiteral("35"));
        window_.reset();
        window_ = std::make_unique<frmMain>(*store_, process_, boxes_);
        window_->SetTempEnvironment(TempEnvironment{tmp_.path().toStdString(), std::nullopt});
        if (!ownServices) {
            window_->SetVerseServices(systemClipboard_, shell_);
        }
        EXPECT_TRUE(window_->Start())
            << (boxes_.errors.empty() ? "" : boxes_.errors.back().text.toStdString());
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    QString Stored(const QString& key) {
        return store_->GetSetting(QStringLiteral("pagora"), QStringLiteral("Bookmark"), key,
                                  QStringLiteral("<absent>"));
    }
    void Store(const QString& section, const QString& key, const QString& value) {
        store_->SaveSetting(QStringLiteral("pagora"), section, key, value);
    }
    void StoreBookmark(const QString& page, const QString& item) {
        Store(QStringLiteral("Bookmark"), QStringLiteral("BookmarkPage"), page);
        Store(QStringLiteral("Bookmark"), QStringLiteral("BookmarkAya"), item);
    }

    QAction& Command(const char* name) {
        auto* action = window_->findChild<QAction*>(QString::fromLatin1(name));
        if (action == nullptr) {
            ADD_FAILURE() << "no menu command " << name;
            static QAction none;
            return none;
        }
        return *action;
    }

    // The page's text as its archive holds it.
    QString PageText(int page) {
        const QString key = QStringLiteral("%1").arg(page, 3, 10, QLatin1Char('0'));
        const QString archive = process_.folder + "/order" + key.right(1) + ".dat";
        EXPECT_EQ(ExtractArchiveMember(archive.toStdString(), key.toStdString()), "");
        const QString file = QString::fromStdString(WorkingFolder()) + key;
        const QString text = window_->GetFileDataU(file);
        QFile::remove(file);
        return text;
    }

    QTemporaryDir tmp_;
    QTemporaryDir config_;
    FakeProcessFacts process_;
    TitledMessageBoxes boxes_;
    std::unique_ptr<IniSettingsStore> store_;
    RecordingShell shell_;
    QtClipboard systemClipboard_;
    // Last, so that the window goes before the doubles it uses.
    std::unique_ptr<frmMain> window_;
};

// ---------------------------------------------------------------- links on the screen

inline bool IsNumberLink(const BrowserControl::Anchor& anchor) {
    return anchor.target.startsWith(QStringLiteral("#num"));
}
inline bool IsVerseLink(const BrowserControl::Anchor& anchor) {
    return anchor.target.startsWith(QStringLiteral("#aya"));
}

inline std::vector<BrowserControl::Anchor> LinksOf(const BrowserControl& view, bool numbers) {
    std::vector<BrowserControl::Anchor> links;
    for (const auto& anchor : view.Anchors()) {
        if (numbers ? IsNumberLink(anchor) : IsVerseLink(anchor)) {
            links.push_back(anchor);
        }
    }
    return links;
}

// Scrolls the view until character `pos` is in sight and clicks it with the mouse, at the
// position the document's layout gives it.
inline void ClickCharacter(BrowserControl& view, int pos) {
    QPoint at = view.PositionOfCharacter(pos);
    if (!view.viewport()->rect().contains(at)) {
        QScrollBar* bar = view.verticalScrollBar();
        bar->setValue(bar->value() + at.y() - view.viewport()->height() / 2);
        at = view.PositionOfCharacter(pos);
    }
    ASSERT_TRUE(view.viewport()->rect().contains(at))
        << "character " << pos << " of " << view.Name().toStdString() << " lies at " << at.x()
        << "," << at.y() << ", out of sight";
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
}

// Clicks the middle character of the link's own text.
inline void ClickLink(BrowserControl& view, const BrowserControl::Anchor& anchor) {
    const std::vector<int> own = view.OwnCharacters(anchor);
    ASSERT_FALSE(own.empty()) << anchor.target.toStdString() << " has no text of its own";
    ClickCharacter(view, own[own.size() / 2]);
}

inline void ClickLink(BrowserControl& view, const QString& target) {
    for (const auto& anchor : view.Anchors()) {
        if (anchor.target == target) {
            ClickLink(view, anchor);
            return;
        }
    }
    FAIL() << view.Name().toStdString() << " page " << view.Tag.toStdString() << " has no link "
           << target.toStdString();
}

// Every number link blue except the one with item text `redItem` (none when empty), which is
// red; verse links keep the page's black.
inline void ExpectPainted(const BrowserControl& view, const QString& redItem) {
    const auto anchors = view.Anchors();
    int red = 0;
    int numbers = 0;
    for (size_t i = 0; i < anchors.size(); ++i) {
        const QColor colour = view.AnchorColor(i);
        if (IsNumberLink(anchors[i])) {
            ++numbers;
            const bool marked = anchors[i].target == QStringLiteral("#num") + redItem;
            red += marked;
            EXPECT_EQ(colour, marked ? QColor(Qt::red) : QColor(Qt::blue))
                << view.Name().toStdString() << " page " << view.Tag.toStdString() << " "
                << anchors[i].target.toStdString() << " is " << colour.name().toStdString();
        } else {
            EXPECT_EQ(colour, QColor(Qt::black)) << anchors[i].target.toStdString();
        }
    }
    EXPECT_GT(numbers, 0) << view.Name().toStdString();
    EXPECT_EQ(red, redItem.isEmpty() ? 0 : 1) << view.Name().toStdString();
}

}  // namespace pagora::testing
