#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "data/Module1.h"
#include "platform/SettingsStore.h"
#include "reader/SupportData.h"
#include "tests/support/SmallBook.h"

namespace pagora::testing {
namespace {

// Real reader processes, each tracking the others through the lock in the working folder.
class InstancesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(exeDir_.isValid() && tmpDir_.isValid() && configDir_.isValid());
        book_.WriteSupport(exeDir_.path());
        book_.WritePages(exeDir_.path());
    }
    std::unique_ptr<QProcess> StartReader() {
        auto reader = std::make_unique<QProcess>();
        reader->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader->start(QStringLiteral(PAGORA_READER_INSTANCE),
                      {exeDir_.path(), tmpDir_.path(), configDir_.path()});
        EXPECT_TRUE(reader->waitForStarted(10000));
        while (!reader->canReadLine() && reader->waitForReadyRead(20000)) {
        }
        EXPECT_EQ(reader->readLine().trimmed(), "ready");
        return reader;
    }
    static void CloseReader(QProcess& reader) {
        reader.write("close\n");
        reader.closeWriteChannel();
        EXPECT_TRUE(reader.waitForFinished(20000));
        EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(reader.exitCode(), 0);
    }
    int FrameImagesPresent() const {
        int count = 0;
        const QStringList files =
            QDir(QString::fromStdString(WorkingFolder())).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : files) {
            for (const char* image : kFrameImages) {
                count += name == QLatin1String(image);
            }
        }
        return count;
    }
    void UseTheirWorkingFolder() {
        // The processes fix the same folder that this one does for the same temporary folder.
        SetWorkingFolder(exeDir_.path().toStdString(),
                         TempEnvironment{tmpDir_.path().toStdString(), std::nullopt});
    }

    SmallBook book_;
    QTemporaryDir exeDir_, tmpDir_, configDir_;
};

TEST_F(InstancesTest, FirstClosedFirstLeavesTheImagesForTheSecond) {
    UseTheirWorkingFolder();
    auto first = StartReader();
    auto second = StartReader();
    EXPECT_EQ(FrameImagesPresent(), 8);
    CloseReader(*first);
    EXPECT_EQ(FrameImagesPresent(), 8);
    CloseReader(*second);
    EXPECT_EQ(FrameImagesPresent(), 0);
}

TEST_F(InstancesTest, SecondClosedFirstLeavesTheImagesForTheFirst) {
    UseTheirWorkingFolder();
    auto first = StartReader();
    auto second = StartReader();
    CloseReader(*second);
    EXPECT_EQ(FrameImagesPresent(), 8);
    CloseReader(*first);
    EXPECT_EQ(FrameImagesPresent(), 0);
    // Each closed window saved its settings.
    IniSettingsStore store(configDir_.path());
    EXPECT_EQ(store.GetSetting("reader_instance", "UserSelection", "Pageno", ""), "440");
}

// The reader program over the real archives: a termination signal or Ctrl+C closes it as a
// close request does.
TEST(ReaderProgram, TerminationSignalsSaveTheSettingsAndClearTheWorkingFolder) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir home;
        const QString runtime = home.path() + "/runtime";
        ASSERT_TRUE(QDir().mkpath(runtime));
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess reader;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
        environment.insert("XDG_RUNTIME_DIR", runtime);
        reader.setProcessEnvironment(environment);
        reader.start(QStringLiteral(PAGORA_READER), {});
        ASSERT_TRUE(reader.waitForStarted(10000));
        // Started once the frame images are in its working folder.
        const QString image = runtime + "/PG/top.gif";
        for (int i = 0; i < 200 && !QFile::exists(image); ++i) {
            QThread::msleep(50);
        }
        ASSERT_TRUE(QFile::exists(image));
        QThread::msleep(200);
        ::kill(static_cast<pid_t>(reader.processId()), signal);
        ASSERT_TRUE(reader.waitForFinished(20000));
        EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(reader.exitCode(), 0);
        IniSettingsStore store(home.path() + "/config/pagora");
        EXPECT_EQ(store.GetSetting("pagora", "UserSelection", "Pageno", "none"), "440") << signal;
        EXPECT_FALSE(QFile::exists(image));
    }
}

TEST(ReaderProgram, WithoutADisplaySaysHowToRunUnderXvfb) {
    QProcess reader;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    reader.setProcessEnvironment(environment);
    reader.start(QStringLiteral(PAGORA_READER), {});
    ASSERT_TRUE(reader.waitForFinished(20000));
    EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(reader.exitCode(), 0);
    const QString message = QString::fromLocal8Bit(reader.readAllStandardError());
    EXPECT_TRUE(message.contains("no display")) << message.toStdString();
    EXPECT_TRUE(message.contains("xvfb-run -a")) << message.toStdString();
}

}  // namespace
}  // namespace pagora::testing
