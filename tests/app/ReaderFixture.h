#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "tests/app/SmallBook.h"

// Readable failure messages for Qt texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace pagora::testing {

class FakeProcessFacts : public ProcessFacts {
  public:
    QString folder;
    QString name = QStringLiteral("pagora");
    QString commandLine;
    bool otherWasRunning = false;
    bool lastRunning = true;
    QString trackedFolder;

    QString ExecutableFolder() const override { return folder; }
    QString ExecutableName() const override { return name; }
    QString CommandLineText() const override { return commandLine; }
    void StartInstanceTracking(const QString& lockFolder) override { trackedFolder = lockFolder; }
    bool OtherInstanceWasRunning() const override { return otherWasRunning; }
    bool IsLastRunningInstance() override { return lastRunning; }
};

class RecordingMessageBoxes : public MessageBoxes {
  public:
    std::vector<QString> errors;
    std::vector<QString> informations;
    void ShowInformation(const QString& text, const QString&) override {
        informations.push_back(text);
    }
    void ShowError(const QString& text, const QString&) override { errors.push_back(text); }
};

// The tests' main() makes the application object.
inline void EnsureApplication() {
    ASSERT_NE(QApplication::instance(), nullptr);
}

// A reader over a small made-up book: archives, temporary folder and settings each in their
// own temporary folder.
class ReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(exeDir_.isValid() && tmpDir_.isValid() && configDir_.isValid());
        process_.folder = exeDir_.path();
        book_.WriteSupport(exeDir_.path());
        book_.WritePages(exeDir_.path());
        store_ = std::make_unique<IniSettingsStore>(configDir_.path());
    }

    std::unique_ptr<frmMain> NewWindow() {
        auto window = std::make_unique<frmMain>(*store_, process_, boxes_);
        window->SetTempEnvironment(TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
        return window;
    }

    std::unique_ptr<frmMain> Open() {
        auto window = NewWindow();
        const bool started = window->Start();
        EXPECT_TRUE(started) << (boxes_.errors.empty() ? "" : boxes_.errors.back().toStdString());
        return window;
    }

    QString Stored(const QString& section, const QString& key,
                   const QString& app = QStringLiteral("pagora")) {
        return store_->GetSetting(app, section, key, QStringLiteral("<absent>"));
    }
    void Store(const QString& section, const QString& key, const QString& value,
               const QString& app = QStringLiteral("pagora")) {
        store_->SaveSetting(app, section, key, value);
    }

    QString WorkingFolderPath() const { return QString::fromStdString(WorkingFolder()); }
    QStringList WorkingFiles() const {
        return QDir(WorkingFolderPath())
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    SmallBook book_;
    QTemporaryDir exeDir_;
    QTemporaryDir tmpDir_;
    QTemporaryDir configDir_;
    FakeProcessFacts process_;
    RecordingMessageBoxes boxes_;
    std::unique_ptr<IniSettingsStore> store_;
};

}  // namespace pagora::testing
