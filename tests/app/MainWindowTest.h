#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/SettingsStore.h"
#include "tests/support/ReaderDoubles.h"

namespace pagora::testing {

// The real main window over the archives in process_.folder (the built ones unless a test sets
// others), with settings of its own and the other services as doubles.
class MainWindowTest : public ::testing::Test, protected ServiceDoubles {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmpDir_.isValid() && configDir_.isValid());
        store_ = std::make_unique<IniSettingsStore>(configDir_.path());
        process_.folder = QStringLiteral(PAGORA_ARCHIVE_DIR);
    }
    frmMain& Open(const QString& mode = "1", int page = 440) {
        Store("UserSelection", "PageMode", mode);
        Store("UserSelection", "Pageno", QString::number(page));
        window_.reset();
        window_ = std::make_unique<frmMain>(Services(*store_));
        window_->SetTempEnvironment(TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
        EXPECT_TRUE(window_->Start())
            << (boxes_.errors.empty() ? "" : boxes_.errors[0].text.toStdString());
        window_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        return *window_;
    }
    template <typename T = QWidget>
    T& Child(const QString& name) {
        T* child = window_->findChild<T*>(name);
        return child != nullptr ? *child
                                : throw std::runtime_error("no control " + name.toStdString());
    }
    QString PageNo() { return Child<QPushButton>("cmdPageNo").text(); }
    QString TextSize() { return Child<QPushButton>("cmdTextSize").text(); }
    void Click(const char* button) {
        QTest::mouseClick(&Child<QPushButton>(button), Qt::LeftButton);
    }
    void Trigger(const QString& command) {
        Child<QAction>(command).trigger();
        QApplication::processEvents();
    }
    QString Stored(const QString& section, const QString& key) {
        return store_->GetSetting("pagora", section, key, "<absent>");
    }
    void Store(const QString& section, const QString& key, const QString& value) {
        store_->SaveSetting("pagora", section, key, value);
    }

    QTemporaryDir tmpDir_, configDir_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<frmMain> window_;
};

}  // namespace pagora::testing
