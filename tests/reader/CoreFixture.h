#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "platform/SettingsStore.h"
#include "reader/ReaderCore.h"
#include "tests/support/ReaderDoubles.h"
#include "tests/support/SmallBook.h"

namespace pagora::testing {

// A reader core over the small made-up book, with temporary folders and doubles for its services.
class CoreTest : public ::testing::Test, protected ServiceDoubles {
  protected:
    void SetUp() override {
        ASSERT_TRUE(exeDir_.isValid() && tmpDir_.isValid() && configDir_.isValid());
        process_.folder = exeDir_.path();
        book_.WriteSupport(exeDir_.path());
        book_.WritePages(exeDir_.path());
        store_ = std::make_unique<IniSettingsStore>(configDir_.path());
    }

    std::unique_ptr<ReaderCore> NewCore() {
        return std::make_unique<ReaderCore>(screen_, Services(*store_));
    }

    // Runs the start-up steps; false (and the error in `startError_`) when one fails.
    bool TryStart() {
        screen_ = RecordingScreen();
        core_ = NewCore();
        try {
            core_->SetUpWorkingFolder(TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
            core_->UnpackSupportFiles();
            core_->ReadSettings();
            core_->ShowFirstPage();
            return true;
        } catch (const std::exception& error) {
            startError_ = QString::fromStdString(error.what());
            core_->AbandonStart();
            return false;
        }
    }
    ReaderCore& Start() {
        EXPECT_TRUE(TryStart()) << startError_.toStdString();
        return *core_;
    }
    // Started at `page` in `mode`.
    ReaderCore& StartAt(int page, PageMode mode) {
        Store(setting::kPageNo, QString::number(page));
        Store(setting::kPageMode, mode == PageMode::Single ? "1" : "2");
        return Start();
    }
    // What `run` prints to the standard error.
    template <typename Run>
    static std::string ErrorOutput(Run run) {
        ::testing::internal::CaptureStderr();
        run();
        return ::testing::internal::GetCapturedStderr();
    }
    // Shut-down as the window runs it, in the given window state.
    void Close(int windowState = kStateNormal, TwipRect outer = {1500, 900, 9000, 7000},
               bool fullScreen = false) {
        core_->SaveSettings(windowState, outer, fullScreen);
        core_->ShutDown();
    }

    QString Stored(SettingKey key, const QString& app = QStringLiteral("pagora")) {
        return store_->GetSetting(app, QString::fromLatin1(key.section),
                                  QString::fromLatin1(key.key), QStringLiteral("<absent>"));
    }
    void Store(SettingKey key, const QString& value) {
        store_->SaveSetting("pagora", QString::fromLatin1(key.section),
                            QString::fromLatin1(key.key), value);
    }
    QString WorkingFolderPath() const { return QString::fromStdString(WorkingFolder()); }
    QStringList WorkingFiles() const {
        return QDir(WorkingFolderPath())
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    const RecordingScreen::ViewState& Shown(View view) { return screen_.views[view]; }
    int ShownSize(View view) { return RecordingScreen::TextSizeOf(Shown(view).document); }
    // Follows a link of `view` as a click on it does.
    bool Click(View view, const QString& target) {
        return core_->NavigationFilter(view, QStringLiteral("about:blank") + target);
    }
    // Runs the idle steps until nothing is left to prepare; how many prepared a page.
    int PrepareAll() {
        int steps = 0;
        while (core_->PrepareTurnStep()) {
            ++steps;
        }
        return steps;
    }

    SmallBook book_;
    QTemporaryDir exeDir_;
    QTemporaryDir tmpDir_;
    QTemporaryDir configDir_;
    std::unique_ptr<IniSettingsStore> store_;
    RecordingScreen screen_;
    std::unique_ptr<ReaderCore> core_;
    QString startError_;
};

}  // namespace pagora::testing
