#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ArchiveDamage.h"

namespace pagora::testing {
namespace {

struct Outcome {
    int status = -1;  // -1: crashed or hung
    QString out;
    QString errors;
};

Outcome RunProgram(
    const QString& program, const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    Outcome outcome;
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit) {
        outcome.status = process.exitCode();
    }
    return outcome;
}

QProcessEnvironment Headless() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    return environment;
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
    // Without any display: the program needs none.
    static Outcome Run(const QStringList& arguments) {
        return RunProgram(QStringLiteral(PAGORA_EXPORT), arguments, Headless());
    }
    QImage Png(const QStringList& arguments) {
        const QString file = out_.path() + "/page.png";
        QFile::remove(file);
        const Outcome outcome = Run(arguments + QStringList{"--png", file});
        EXPECT_EQ(outcome.status, 0) << outcome.errors.toStdString();
        EXPECT_FALSE(outcome.errors.contains("propagateSizeHints")) << outcome.errors.toStdString();
        return QImage(file);
    }

    QTemporaryDir out_;
};

// The dark green of the page frame's band.
bool FrameGreen(const QColor& c) {
    return c.green() > c.red() + 30 && c.green() > c.blue() && c.lightness() < 110;
}

// The band somewhere in the last `rows` rows of `image`: the page is whole at its foot.
bool FrameBandInBottomRows(const QImage& image, int rows) {
    for (int y = std::max(0, image.height() - rows); y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (FrameGreen(image.pixelColor(x, y))) {
                return true;
            }
        }
    }
    return false;
}

// The band reaches within a few pixels of both sides of the picture: no scroll bar takes room,
// and in a spread both pages are there.
void ExpectBandFromSideToSide(const QImage& image) {
    const int y = image.height() / 2;
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (FrameGreen(image.pixelColor(x, y))) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 26);
    EXPECT_GE(last, image.width() - 27);
}

TEST_F(ExportTest, SpreadAsHtmlWritesTwoSelfContainedDocuments) {
    const QString file = out_.path() + "/spread.html";
    const Outcome outcome = Run({"--page", "4", "--double", "--size", "40", "--html", file});
    ASSERT_EQ(outcome.status, 0) << outcome.errors.toStdString();
    QFile right(file);
    QFile left(out_.path() + "/spread-left.html");
    ASSERT_TRUE(right.open(QIODevice::ReadOnly));
    ASSERT_TRUE(left.open(QIODevice::ReadOnly));
    const QByteArray rightBytes = right.readAll();
    // A UTF-8 byte-order mark, then the document.
    EXPECT_TRUE(rightBytes.startsWith("\xEF\xBB\xBF<HTML Dir=\"RTL\">"));
    const QString rightText = QString::fromUtf8(rightBytes);
    const QString leftText = QString::fromUtf8(left.readAll());
    EXPECT_TRUE(rightText.contains("font-size: 40px;"));
    EXPECT_NE(rightText, leftText);
    // The frame images are inside the documents, not in a working folder that is gone.
    const QRegularExpression fileReference(R"((src|background)\s*=\s*["']?/)",
                                           QRegularExpression::CaseInsensitiveOption);
    for (const QString& text : {rightText, leftText}) {
        EXPECT_TRUE(text.contains("href='#aya1'"));
        EXPECT_FALSE(text.contains(fileReference));
        EXPECT_EQ(text.count("src=\"data:image/gif;base64,R0lGOD"), 4);
        EXPECT_TRUE(text.contains("background=\"data:image/jpeg;base64,/9j/"));
    }
}

TEST_F(ExportTest, PngIsTheWholePageAreaAtTheGivenWidthAndScale) {
    // Wider and taller than the offscreen screen: nothing clamps the page area.
    const QImage wide = Png({"--page", "1", "--width", "1000", "--height", "900"});
    EXPECT_EQ(wide.size(), QSize(1000, 900));

    // A short area grows to the whole page, frame included; a larger text makes it taller.
    const QImage page = Png({"--page", "187", "--width", "640", "--height", "300"});
    ASSERT_EQ(page.width(), 640);
    EXPECT_GT(page.height(), 900);
    EXPECT_TRUE(FrameBandInBottomRows(page, 40));
    ExpectBandFromSideToSide(page);
    const QImage larger =
        Png({"--page", "187", "--width", "640", "--height", "300", "--size", "60"});
    EXPECT_GT(larger.height(), page.height() * 3 / 2);
    EXPECT_TRUE(FrameBandInBottomRows(larger, 40));

    // The same area drawn at twice the pixel density.
    const QImage sharp =
        Png({"--page", "187", "--width", "640", "--height", "300", "--scale", "2"});
    EXPECT_EQ(sharp.size(), page.size() * 2);

    const QImage spread = Png({"--page", "2", "--double", "--width", "900", "--height", "300"});
    EXPECT_EQ(spread.width(), 900);
    EXPECT_TRUE(FrameBandInBottomRows(spread, 40));
    ExpectBandFromSideToSide(spread);
}

// Programs started together share the working folder, where each extracts, reads and deletes
// the same members under the same names.
TEST_F(ExportTest, ExportsStartedTogetherAllSucceed) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = Headless();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    std::vector<std::unique_ptr<QProcess>> exports;
    for (int k = 0; k < 8; ++k) {
        exports.push_back(std::make_unique<QProcess>());
        exports.back()->setProcessEnvironment(environment);
        exports.back()->start(QStringLiteral(PAGORA_EXPORT),
                              {"--page", "1", "--png", out_.path() + QString("/%1.png").arg(k)});
    }
    for (auto& process : exports) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    // No page or text member is left behind. Programs that end at the same moment may each see
    // the other still running and leave the shared frame images and the lock file.
    for (const QString& left : QDir(runtime.path() + "/PG").entryList(QDir::Files)) {
        EXPECT_TRUE(left == "pagora.lock" || left.endsWith(".gif") || left.endsWith(".jpg"))
            << left.toStdString();
    }
}

TEST_F(ExportTest, FailuresExitWithOneAndTheReasonAndWriteNothing) {
    const QString tall = out_.path() + "/tall.png";
    const Outcome huge = Run({"--page", "2", "--width", "200", "--size", "200", "--png", tall});
    EXPECT_EQ(huge.status, 1);
    EXPECT_TRUE(huge.errors.contains("beyond the limit")) << huge.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tall));
}

TEST_F(ExportTest, DamagedArchivesAreRefusedByExportAndExtractNamingArchiveAndMember) {
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
        const Outcome exported =
            RunProgram(folder.path() + "/pagora-export",
                       {"--page", "1", html ? "--html" : "--png", file}, Headless());
        const Outcome extracted = RunProgram(QStringLiteral(PAGORA_PACK),
                                             {"extract", archive, c.member, "--to", folder.path()});
        for (const Outcome& outcome : {exported, extracted}) {
            EXPECT_EQ(outcome.status, 1) << c.archive << " " << c.member;
            EXPECT_TRUE(outcome.errors.contains(c.archive) && outcome.errors.contains(c.named))
                << outcome.errors.toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_FALSE(QFileInfo::exists(folder.path() + "/" + c.member));
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
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.errors.contains(reason)) << outcome.errors.toStdString();
        EXPECT_TRUE(outcome.errors.contains("Usage: pagora-export"))
            << outcome.errors.toStdString();
    }
}

// --help and --version answer at once: no display needed, no settings written; any other
// command line of the reader is still the name of a set of settings.
TEST(Programs, AnswerHelpAndVersionWithoutDisplayOrSettings) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment environment = Headless();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.path() + "/config");
    for (const QString& program : {QStringLiteral(PAGORA_READER), QStringLiteral(PAGORA_EXPORT)}) {
        const QString name = QFileInfo(program).fileName();
        const Outcome help = RunProgram(program, {"--help"}, environment);
        EXPECT_EQ(help.status, 0) << help.errors.toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: " + name + " ")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains("--version")) << help.out.toStdString();
        const Outcome version = RunProgram(program, {"--version"}, environment);
        EXPECT_EQ(version.status, 0);
        EXPECT_TRUE(version.out.startsWith(name + " (Tamrit Pagora) " PAGORA_PROJECT_VERSION "\n"))
            << version.out.toStdString();
    }
    const Outcome named = RunProgram(QStringLiteral(PAGORA_READER), {"--help", "me"}, environment);
    EXPECT_EQ(named.status, 2);
    EXPECT_TRUE(named.errors.contains("no display")) << named.errors.toStdString();
    EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

}  // namespace
}  // namespace pagora::testing
