#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "platform/ProcessFacts.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace pagora {
namespace {

// One running probe process: a reader instance as far as instance tracking is concerned.
class Instance {
  public:
    Instance(const QString& lockFolder, const QString& program = QStringLiteral(PROBE_PATH),
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
        while (true) {
            while (!process_.canReadLine()) {
                if (!process_.waitForReadyRead(15000)) {
                    return QStringLiteral("<no answer>");
                }
            }
            const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
            if (line.startsWith(key + u'=')) {
                return line.mid(key.size() + 1);
            }
        }
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

TEST_F(InstanceTracking, InstancesSeeEachOtherAndOnlyTheLastToCloseIsLast) {
    Instance first(Folder());
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
    // Nobody runs any more: a new instance is a first one again.
    Instance fresh(Folder());
    EXPECT_EQ(fresh.Read("other"), "0");
    fresh.Quit();
}

TEST_F(InstanceTracking, CrashedInstanceLeavesNoStaleLock) {
    Instance crashed(Folder());
    EXPECT_EQ(crashed.Read("other"), "0");
    crashed.Crash();
    Instance next(Folder());
    EXPECT_EQ(next.Read("other"), "0");
    EXPECT_EQ(next.AskLast(), "1");
    next.Quit();
}

TEST_F(InstanceTracking, TwoTrackersInOneProcessCountAsTwoInstances) {
    SystemProcessFacts a(QCoreApplication::arguments());
    SystemProcessFacts b(QCoreApplication::arguments());
    a.StartInstanceTracking(Folder());
    b.StartInstanceTracking(Folder());
    EXPECT_FALSE(a.OtherInstanceWasRunning());
    EXPECT_TRUE(b.OtherInstanceWasRunning());
    EXPECT_FALSE(a.IsLastRunningInstance());
    {
        SystemProcessFacts c(QCoreApplication::arguments());
        c.StartInstanceTracking(Folder());
        EXPECT_TRUE(c.OtherInstanceWasRunning());
    }
}

TEST_F(InstanceTracking, UnusableLockFolderOrLinkedLockRunsAsALoneInstance) {
    // A link in place of the lock file, which is not followed, and a file in place of the folder.
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString target = temp_.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile::link(target, Folder() + QStringLiteral("/pagora.lock")));
    const QString blocked = temp_.path() + QStringLiteral("/blocked");
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString& folder : {Folder(), blocked}) {
        SystemProcessFacts facts(QCoreApplication::arguments());
        facts.StartInstanceTracking(folder);
        EXPECT_FALSE(facts.OtherInstanceWasRunning());
        EXPECT_TRUE(facts.IsLastRunningInstance());
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(ProcessFacts, ExecutableFolderAndNameResolveSymbolicLinks) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString link = temp.path() + QStringLiteral("/pagora-link");
    ASSERT_TRUE(QFile::link(QStringLiteral(PROBE_PATH), link));
    Instance probe(temp.path() + QStringLiteral("/PG"), link,
                   {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("my"),
                    QStringLiteral("profile  two")});
    const QFileInfo real(QStringLiteral(PROBE_PATH));
    EXPECT_EQ(probe.Read("folder"), real.canonicalPath());
    EXPECT_EQ(probe.Read("name"), QStringLiteral("process_facts_probe"));
    // Qt's own options are gone; the rest is joined by single spaces, each argument as given.
    EXPECT_EQ(probe.Read("cmdline"), QStringLiteral("my profile  two"));
    probe.Quit();
}

TEST(ProcessFacts, CommandLineTextOfThisProcess) {
    SystemProcessFacts none({QStringLiteral("/opt/x/pagora")});
    EXPECT_EQ(none.CommandLineText(), QString());
    SystemProcessFacts some({QStringLiteral("/opt/x/pagora"), QStringLiteral("a"),
                             QStringLiteral(""), QStringLiteral("b")});
    EXPECT_EQ(some.CommandLineText(), QStringLiteral("a  b"));
    SystemProcessFacts empty({});
    EXPECT_EQ(empty.CommandLineText(), QString());
    // The executable is this test program, wherever it was started from.
    EXPECT_EQ(none.ExecutableName(), QStringLiteral("platform_process_tests"));
    EXPECT_EQ(none.ExecutableFolder(), QFileInfo(QStringLiteral(PROBE_PATH)).canonicalPath());
    EXPECT_FALSE(none.ExecutableFolder().endsWith(u'/'));
}

}  // namespace
}  // namespace pagora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
