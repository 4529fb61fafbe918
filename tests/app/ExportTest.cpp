#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include <gtest/gtest.h>

#include "platform/SettingsStore.h"
#include "tests/support/ArchiveDamage.h"
#include "tests/support/TestFiles.h"

namespace pagora::testing {
namespace {

struct Outcome {
    int status = -1;  // -1: crashed or hung
    QString out;
    QString errors;
};

QProcessEnvironment Headless() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    return environment;
}

// Without any display unless told: pagora-export needs none.
Outcome RunProgram(const QStringList& arguments,
                   const QString& program = QStringLiteral(PAGORA_EXPORT),
                   const QProcessEnvironment& environment = Headless()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// pagora-export reads the archives beside itself: the real ones of the data build.
class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QFileInfo(Folder() + "/support.dat").isFile()) {
            GTEST_SKIP() << "The real archives are not beside pagora-export in "
                         << Folder().toStdString() << " (build the data with `make`)";
        }
        ASSERT_TRUE(out_.isValid());
    }
    static QString Folder() { return QFileInfo(QStringLiteral(PAGORA_EXPORT)).absolutePath(); }
    QImage Png(const QStringList& arguments) {
        const QString file = out_.path() + "/page.png";
        QFile::remove(file);
        const Outcome outcome = RunProgram(arguments + QStringList{"--png", file});
        EXPECT_EQ(outcome.status, 0) << outcome.errors.toStdString();
        EXPECT_FALSE(outcome.errors.contains("propagateSizeHints")) << outcome.errors.toStdString();
        return QImage(file);
    }

    QTemporaryDir out_;
};

// The frame's dark green band shows at the foot (the page is whole) and reaches both sides.
void ExpectFrameWholeAndAcross(const QImage& image) {
    const auto green = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.green() > c.red() + 30 && c.green() > c.blue() && c.lightness() < 110;
    };
    bool atFoot = false;
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = std::max(0, image.height() - 40); y < image.height(); ++y) {
            atFoot = atFoot || green(x, y);
        }
        if (green(x, image.height() / 2)) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    EXPECT_TRUE(atFoot);
    EXPECT_TRUE(first >= 0 && first <= 26 && last >= image.width() - 27) << first << " " << last;
}

TEST_F(ExportTest, SpreadAsHtmlWritesTwoSelfContainedDocuments) {
    const Outcome outcome = RunProgram(
        {"--page", "4", "--double", "--size", "40", "--html", out_.path() + "/spread.html"});
    ASSERT_EQ(outcome.status, 0) << outcome.errors.toStdString();
    const std::string rightBytes = ReadText((out_.path() + "/spread.html").toStdString());
    // A UTF-8 byte-order mark, then the document.
    EXPECT_TRUE(rightBytes.starts_with("\xEF\xBB\xBF<HTML Dir=\"RTL\">"));
    const QString rightText = QString::fromStdString(rightBytes);
    const QString leftText =
        QString::fromStdString(ReadText((out_.path() + "/spread-left.html").toStdString()));
    EXPECT_TRUE(rightText.contains("font-size: 40px;"));
    EXPECT_NE(rightText, leftText);
    // The frame images are inside the documents, not in a working folder that is gone.
    const QRegularExpression fileReference(R"((src|background)\s*=\s*["']?/)",
                                           QRegularExpression::CaseInsensitiveOption);
    for (const QString& text : {rightText, leftText}) {
        EXPECT_FALSE(text.contains(fileReference));
        EXPECT_EQ(text.count("src=\"data:image/gif;base64,R0lGOD"), 4);
        EXPECT_TRUE(text.contains("background=\"data:image/jpeg;base64,/9j/"));
    }
}

TEST_F(ExportTest, PngIsTheWholePageAreaAtTheGivenWidthAndScale) {
    // Wider and taller than the offscreen screen: nothing clamps the page area.
    EXPECT_EQ(Png({"--page", "1", "--width", "1000", "--height", "900"}).size(), QSize(1000, 900));

    // A short area grows to the whole page, frame included; a larger text makes it taller.
    const QImage page = Png({"--page", "187", "--width", "640", "--height", "300"});
    ASSERT_EQ(page.width(), 640);
    EXPECT_GT(page.height(), 900);
    ExpectFrameWholeAndAcross(page);
    EXPECT_GT(Png({"--page", "187", "--width", "640", "--height", "300", "--size", "60"}).height(),
              page.height() * 3 / 2);
    // The same area drawn at twice the pixel density.
    EXPECT_EQ(Png({"--page", "187", "--width", "640", "--height", "300", "--scale", "2"}).size(),
              page.size() * 2);
    const QImage spread = Png({"--page", "2", "--double", "--width", "900", "--height", "300"});
    EXPECT_EQ(spread.width(), 900);
    ExpectFrameWholeAndAcross(spread);
}

// Programs started together extract, read and delete the same members in one working folder.
TEST_F(ExportTest, ExportsStartedTogetherAllSucceed) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = Headless();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess exports[8];
    for (int k = 0; k < 8; ++k) {
        exports[k].setProcessEnvironment(environment);
        exports[k].start(QStringLiteral(PAGORA_EXPORT),
                         {"--page", "1", "--png", out_.path() + QString("/%1.png").arg(k)});
    }
    for (QProcess& process : exports) {
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
    // No page or text member is left behind. Programs that end at the same moment may each see
    // the other still running and leave the shared frame images and the lock file.
    for (const QString& left : QDir(runtime.path() + "/PG").entryList(QDir::Files)) {
        EXPECT_TRUE(left == "pagora.lock" || left.endsWith(".gif") || left.endsWith(".jpg"))
            << left.toStdString();
    }
}

TEST_F(ExportTest, APageBeyondTheSizeLimitExitsWithOneAndTheReasonAndWritesNothing) {
    const QString tall = out_.path() + "/tall.png";
    const Outcome huge =
        RunProgram({"--page", "2", "--width", "200", "--size", "200", "--png", tall});
    EXPECT_EQ(huge.status, 1);
    EXPECT_TRUE(huge.errors.contains("beyond the limit")) << huge.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tall));
}

TEST_F(ExportTest, DamagedArchivesAreRefusedNamingArchiveAndMemberAndNothingIsWritten) {
    struct Case {
        const char* archive;
        const char* member;
        ArchiveDamage damage;
        const char* named;  // besides the archive
    };
    const Case cases[] = {
        {"order1.dat", "001", ArchiveDamage::kMemberCount, ""},
        {"order1.dat", "001", ArchiveDamage::kSizeField, ""},
        {"order1.dat", "001", ArchiveDamage::kPlainText, "001"},
        {"support.dat", "bottom.gif", ArchiveDamage::kMissingMember, "bottom.gif"},
    };
    for (const Case& c : cases) {
        const bool html = &c - cases == 1;  // one failure on the way to HTML
        QTemporaryDir folder;
        ASSERT_TRUE(QFile::copy(QStringLiteral(PAGORA_EXPORT), folder.path() + "/pagora-export"));
        for (const char* archive : {"support.dat", "order1.dat"}) {
            ASSERT_TRUE(QFile::copy(Folder() + "/" + archive, folder.path() + "/" + archive));
        }
        const QString archive = folder.path() + "/" + c.archive;
        DamageArchive(archive.toStdString(), c.damage, c.member);
        const QString file = folder.path() + "/page";
        const Outcome outcome = RunProgram({"--page", "1", html ? "--html" : "--png", file},
                                           folder.path() + "/pagora-export");
        EXPECT_EQ(outcome.status, 1) << c.archive << " " << c.member;
        EXPECT_TRUE(outcome.errors.contains(c.archive) && outcome.errors.contains(c.named))
            << outcome.errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(file));
    }
}

TEST_F(ExportTest, BadArgumentsAreRefusedWithWhatIsAccepted) {
    const std::pair<QStringList, QString> refused[] = {
        {{"--page", "605", "--png", "x.png"}, "--page needs a whole number from 1 to 604"},
        {{"--page", "1"}, "give exactly one of --png and --html"},
        {{"--page", "1", "--png", "a", "--html", "b"}, "give exactly one of --png and --html"},
        {{"--page", "abc", "--png", "a"}, "from 1 to 604"},
        {{"--page", "1", "--width", "100", "--png", "a"}, "from 200 to 8000"},
        {{"--page", "1", "--scale", "0", "--png", "a"}, "--scale needs a number from 1 to 4"},
        {{"--page", "1", "--scale", "nan", "--png", "a"}, "from 1 to 4"},
        {{"--page", "1", "--scale", "2", "--html", "a"}, "--scale goes with --png only"},
        {{"--page", "1", "--theme", "dark", "--png", "a"}, "--theme needs light, sepia or night"},
        {{"--bogus"}, "the options are --page"},
        {{"--png"}, "--png needs a file name"}};
    for (const auto& [arguments, reason] : refused) {
        const Outcome outcome = RunProgram(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.errors.contains(reason)) << outcome.errors.toStdString();
        EXPECT_TRUE(outcome.errors.contains("Usage: pagora-export"))
            << outcome.errors.toStdString();
    }
}

// Any other command line of the reader names a set of settings, which needs a display.
TEST(Programs, AnswerHelpAndVersionWithoutDisplayOrSettings) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment environment = Headless();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    for (const QString& program : {QStringLiteral(PAGORA_READER), QStringLiteral(PAGORA_EXPORT)}) {
        const QString name = QFileInfo(program).fileName();
        const Outcome help = RunProgram({"--help"}, program, environment);
        EXPECT_EQ(help.status, 0) << help.errors.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: " + name + " ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();
        const Outcome version = RunProgram({"--version"}, program, environment);
        EXPECT_EQ(version.status, 0);
        EXPECT_TRUE(version.out.startsWith(name + " (Tamrit Pagora) " PAGORA_PROJECT_VERSION "\n"))
            << version.out.toStdString();
    }
    const Outcome named = RunProgram({"--help", "me"}, QStringLiteral(PAGORA_READER), environment);
    EXPECT_EQ(named.status, 2);
    EXPECT_TRUE(named.errors.contains("no display") && named.errors.contains("xvfb-run -a"))
        << named.errors.toStdString();
    EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// A termination signal or Ctrl+C closes the reader as a close request does.
TEST(ReaderProgram, TerminationSignalsSaveTheSettingsAndClearTheWorkingFolder) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // A reader with settings and a working folder under a home folder of its own.
        QTemporaryDir home;
        const QString runtime = home.path() + "/runtime";
        ASSERT_TRUE(QDir().mkpath(runtime));
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
        environment.insert("XDG_RUNTIME_DIR", runtime);
        QProcess reader;
        reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader.setProcessEnvironment(environment);
        reader.start(QStringLiteral(PAGORA_READER_INSTANCE), {});
        ASSERT_TRUE(reader.waitForReadyRead(20000));
        EXPECT_EQ(reader.readLine().trimmed(), "ready");
        const QString image = runtime + "/PG/top.gif";
        ASSERT_TRUE(QFile::exists(image));
        ::kill(static_cast<pid_t>(reader.processId()), signal);
        ASSERT_TRUE(reader.waitForFinished(20000));
        EXPECT_EQ(reader.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(reader.exitCode(), 0);
        EXPECT_EQ(IniSettingsStore(home.path() + "/config/pagora")
                      .GetSetting("reader_instance", "UserSelection", "Pageno", "none"),
                  "440")
            << signal;
        EXPECT_FALSE(QFile::exists(image));
    }
}

}  // namespace
}  // namespace pagora::testing
