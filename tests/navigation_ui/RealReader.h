#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <memory>
#include <vector>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/InputPrompt.h"
#include "tests/app/ReaderFixture.h"
#include "tests/menu/FakePopupMenu.h"

namespace pagora::testing {

// Answers the window's prompts from a script and records what each prompt showed.
class ScriptedPrompt : public InputPrompt {
  public:
    struct Shown {
        QString message;
        QString title;
        QString defaultText;
    };
    std::vector<Shown> shown;
    // The answers still to give, in order; the empty text is what Cancel gives.
    std::deque<QString> answers;

    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override {
        shown.push_back({prompt, title, defaultText});
        if (answers.empty()) {
            ADD_FAILURE() << "a prompt was shown that the test did not expect";
            return QString();
        }
        const QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

inline QString RealDataFolder() {
    const QByteArray override = qgetenv("PAGORA_DATA_DIR");
    return override.isEmpty() ? QStringLiteral(PAGORA_BIN_DIR) : QString::fromLocal8Bit(override);
}

// A reader over the real book (the archives beside the programs), with its own temporary and
// settings folders. The prompt and the popup menus are test doubles unless a test asks for the
// window's own.
class RealReaderTest : public ::testing::Test {
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
        store_ = std::make_unique<IniSettingsStore>(config_.path());
    }

    // Starts a reader in single-page (1) or double-page (2) mode at `page` with text size
    // `size`, and waits until its window is the active one.
    frmMain& Open(int mode, int page, int size = 35, bool ownServices = false) {
        const QString app = QStringLiteral("pagora");
        const QString section = QStringLiteral("UserSelection");
        store_->SaveSetting(app, section, QStringLiteral("PageMode"), QString::number(mode));
        store_->SaveSetting(app, section, QStringLiteral("Pageno"), QString::number(page));
        store_->SaveSetting(app, section, QStringLiteral("FontSize"), QString::number(size));
        window_.reset();
        window_ = std::make_unique<frmMain>(*store_, process_, boxes_);
        window_->SetTempEnvironment(TempEnvironment{tmp_.path().toStdString(), std::nullopt});
        if (!ownServices) {
            window_->SetNavigationServices(prompt_, popup_);
        }
        EXPECT_TRUE(window_->Start())
            << (boxes_.errors.empty() ? "" : boxes_.errors.back().toStdString());
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }

    static void Click(QPushButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }

    // Marks the text-size button so that a later look tells whether the pages were shown again
    // since: every showing rewrites that caption.
    static void MarkShowing(frmMain& w) { w.cmdTextSize().setText(QStringLiteral("not shown")); }
    static bool ShownAgain(frmMain& w) {
        return w.cmdTextSize().text() != QStringLiteral("not shown");
    }

    QTemporaryDir tmp_;
    QTemporaryDir config_;
    FakeProcessFacts process_;
    RecordingMessageBoxes boxes_;
    std::unique_ptr<IniSettingsStore> store_;
    ScriptedPrompt prompt_;
    std::shared_ptr<FakePopupMenu> popup_ = std::make_shared<FakePopupMenu>();
    // Last, so that the window goes before the doubles it uses.
    std::unique_ptr<frmMain> window_;
};

// What the window shows: the current page, the page-number caption and the page keys held by
// the views of its mode, e.g. "603 | 604 603 | 603 604" for the last spread.
inline QString Showing(frmMain& w) {
    const QString views = w.SinglePageMode()
                              ? w.wbSinglePage().Tag
                              : w.wbPageOne().Tag + QLatin1Char(' ') + w.wbPageTwo().Tag;
    return QString::number(w.CurrentPage()) + QStringLiteral(" | ") + w.cmdPageNo().text() +
           QStringLiteral(" | ") + views;
}

}  // namespace pagora::testing
