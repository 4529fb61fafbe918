#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pagora::testing {
namespace {

// pagora-export reads the archives beside itself: the real ones of the data build.
class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString folder = QFileInfo(QStringLiteral(PAGORA_EXPORT)).absolutePath();
        if (!QFileInfo(folder + "/support.dat").isFile()) {
            GTEST_SKIP() << "The real archives are not beside pagora-export in "
                         << folder.toStdString() << " (build the data with `make`)";
        }
        ASSERT_TRUE(out_.isValid());
    }

    int Run(const QStringList& arguments, QString* errors = nullptr) {
        QProcess exporter;
        exporter.start(QStringLiteral(PAGORA_EXPORT), arguments);
        EXPECT_TRUE(exporter.waitForFinished(60000));
        if (errors != nullptr) {
            *errors = QString::fromLocal8Bit(exporter.readAllStandardError());
        }
        return exporter.exitStatus() == QProcess::NormalExit ? exporter.exitCode() : -1;
    }

    QTemporaryDir out_;
};

TEST_F(ExportTest, SpreadAsHtmlWritesBothPageDocuments) {
    const QString file = out_.path() + "/spread.html";
    ASSERT_EQ(Run({"--page", "4", "--double", "--size", "40", "--html", file}), 0);
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
    EXPECT_TRUE(rightText.contains("href='#aya1'"));
    EXPECT_TRUE(leftText.contains("href='#aya1'"));
    EXPECT_NE(rightText, leftText);
}

TEST_F(ExportTest, PageAsPngHasTheViewsSize) {
    const QString file = out_.path() + "/page.png";
    ASSERT_EQ(Run({"--page", "187", "--width", "640", "--height", "900", "--png", file}), 0);
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 500);
    EXPECT_LT(image.width(), 640);
    EXPECT_GT(image.height(), 600);
}

TEST_F(ExportTest, BadArgumentsAreRefusedWithTheUsage) {
    QString errors;
    for (const QStringList& arguments :
         {QStringList{"--page", "605", "--png", "x.png"}, QStringList{"--page", "1"},
          QStringList{"--page", "1", "--png", "a", "--html", "b"},
          QStringList{"--page", "1", "--width", "700", "--png", "a"},
          QStringList{"--page", "abc", "--png", "a"}, QStringList{"--bogus"}}) {
        EXPECT_EQ(Run(arguments, &errors), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(errors.contains("usage: pagora-export")) << errors.toStdString();
    }
}

}  // namespace
}  // namespace pagora::testing
