#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/ProcessFacts.h"
#include "platform/QtClipboard.h"
#include "platform/QtShell.h"
#include "tests/support/QStringPrinter.h"

namespace pagora {
namespace {

// One running probe process (this program, see Probe): a reader instance as far as instance
// tracking is concerned.
class Instance {
  public:
    Instance(const QString& lockFolder,
             const QString& program = QCoreApplication::applicationFilePath(),
             const QStringList& arguments = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PROBE_LOCK_FOLDER"), lockFolder);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, arguments);
        EXPECT_TRUE(process_.waitForStarted(10000)) << program.toStdString();
    }
    ~Instance() { Crash(); }

    // The value of the next "key=value" line with this key.
    QString Read(const QString& key) {
        while (process_.canReadLine() || process_.waitForReadyRead(15000)) {
            if (!process_.canReadLine()) {
                continue;  // a line not whole yet
            }
            const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
            if (line.startsWith(key + u'=')) {
                return line.mid(key.size() + 1);
            }
        }
        return QStringLiteral("<no answer>");
    }
    QString AskLast() {
        process_.write("last\n");
        return Read(QStringLiteral("last"));
    }
    void Quit() {
        process_.write("quit\n");
        process_.closeWriteChannel();
        EXPECT_TRUE(process_.waitForFinished(15000));
        EXPECT_EQ(process_.exitCode(), 0);
    }
    void Crash() {
        process_.kill();
        process_.waitForFinished(10000);
    }

  private:
    QProcess process_;
};

class InstanceTracking : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }
    QString Folder() const { return temp_.path() + QStringLiteral("/PG"); }
    QTemporaryDir temp_;
};

TEST_F(InstanceTracking, InstancesSeeEachOtherOnlyTheLastToCloseIsLastAndCrashesLeaveNoLock) {
    // The first is started through a symbolic link, which its facts resolve; Qt's own options
    // are gone from its command line, the rest joined by single spaces, each argument as given.
    const QString link = temp_.path() + QStringLiteral("/pagora-link");
    ASSERT_TRUE(QFile::link(QCoreApplication::applicationFilePath(), link));
    Instance first(Folder(), link, {"-platform", "offscreen", "my", "profile  two"});
    EXPECT_EQ(first.Read("folder"),
              QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
    EXPECT_EQ(first.Read("name"), QStringLiteral("platform_process_tests"));
    EXPECT_EQ(first.Read("cmdline"), QStringLiteral("my profile  two"));
    EXPECT_EQ(first.Read("other"), "0");
    Instance second(Folder());
    EXPECT_EQ(second.Read("other"), "1");
    EXPECT_TRUE(QFileInfo::exists(Folder() + QStringLiteral("/pagora.lock")));
    // Asking while another runs, even twice, must not drop one's own hold on the lock.
    EXPECT_EQ(first.AskLast(), "0");
    EXPECT_EQ(first.AskLast(), "0");
    EXPECT_EQ(second.AskLast(), "0");
    second.Quit();
    EXPECT_EQ(first.AskLast(), "1");  // now deleting the shared files
    // One starting meanwhile looks at the lock, waits for the closing one to end, and then
    // counts it as running.
    Instance starting(Folder());
    EXPECT_EQ(starting.Read("cmdline"), "");
    QThread::msleep(500);
    first.Quit();
    EXPECT_EQ(starting.Read("other"), "1");
    EXPECT_EQ(starting.AskLast(), "1");
    starting.Quit();
    // Nobody runs any more: a new instance is a first one again; one that crashed leaves no
    // stale lock behind.
    Instance crashed(Folder());
    EXPECT_EQ(crashed.Read("other"), "0");
    crashed.Crash();
    Instance next(Folder());
    EXPECT_EQ(next.Read("other"), "0");
    EXPECT_EQ(next.AskLast(), "1");
    next.Quit();
}

TEST_F(InstanceTracking, UnusableLockFolderOrLinkedLockRunsAsALoneInstance) {
    // A link in place of the lock file, which is not followed, and a file in place of the folder.
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString target = temp_.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile::link(target, Folder() + QStringLiteral("/pagora.lock")));
    const QString blocked = temp_.path() + QStringLiteral("/blocked");
    ASSERT_TRUE(QFile(blocked).open(QIODevice::WriteOnly));
    for (const QString& folder : {Folder(), blocked}) {
        SystemProcessFacts facts(QCoreApplication::arguments());
        facts.StartInstanceTracking(folder);
        EXPECT_FALSE(facts.OtherInstanceWasRunning());
        EXPECT_TRUE(facts.IsLastRunningInstance());
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(ProcessFacts, CommandLineTextJoinsTheArgumentsAfterTheProgram) {
    EXPECT_EQ(SystemProcessFacts({}).CommandLineText(), QString());
    EXPECT_EQ(SystemProcessFacts({QStringLiteral("/opt/x/pagora")}).CommandLineText(), QString());
    EXPECT_EQ(SystemProcessFacts({"/opt/x/pagora", "a", "", "b"}).CommandLineText(), "a  b");
}

// Without a GUI application object the services must fail quietly, not abort the program.
TEST(PlatformServicesWithoutGuiTest, DoNothingAndReportNothing) {
    QtClipboard clipboard;
    clipboard.Clear();
    clipboard.SetText(QStringLiteral("2:255"));
    EXPECT_TRUE(clipboard.Text().isEmpty());
    EXPECT_FALSE(QtShell().OpenLink(QStringLiteral("https://www.tamrit.com")));
}

}  // namespace
}  // namespace pagora

// With PROBE_LOCK_FOLDER set, a reader process: prints its facts, tracks instances in that
// folder, then answers "last" with "last=0|1" until "quit".
int Probe(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    pagora::SystemProcessFacts facts(QCoreApplication::arguments());
    std::printf("folder=%s\nname=%s\ncmdline=%s\n", qPrintable(facts.ExecutableFolder()),
                qPrintable(facts.ExecutableName()), qPrintable(facts.CommandLineText()));
    facts.StartInstanceTracking(qEnvironmentVariable("PROBE_LOCK_FOLDER"));
    std::printf("other=%d\n", facts.OtherInstanceWasRunning() ? 1 : 0);
    for (std::string command; std::getline(std::cin, command) && command != "quit";) {
        if (command == "last") {
            std::printf("last=%d\n", facts.IsLastRunningInstance() ? 1 : 0);
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("PROBE_LOCK_FOLDER")) {
        return Probe(argc, argv);
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
