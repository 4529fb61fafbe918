#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QUrl>

#include "reader/ProductInfo.h"

namespace pagora {
namespace {

// The web-site address as configured for this build, without trailing "/".
QString ConfiguredWebsite() {
    QString website = QStringLiteral(PAGORA_CONFIGURED_WEBSITE);
    while (website.endsWith(QLatin1Char('/'))) {
        website.chop(1);
    }
    return website;
}

TEST(AboutTextTest, VersionLineComesFromTheProjectVersion) {
    EXPECT_EQ(VersionText(), QStringLiteral("Version ") + QStringLiteral(PAGORA_PROJECT_VERSION));
    EXPECT_EQ(ProductTitle(), QStringLiteral("Tamrit Pagora"));
}

TEST(AboutTextTest, DescriptionNamesTheSourcesAndTheirLicences) {
    const QString text = ProductDescription();
    for (const char* credit : {"quran-json", "QuranEnc", "CC BY-SA 4.0", "quran-meta", "MIT",
                               "Amiri Quran", "OFL", "GPL"}) {
        EXPECT_TRUE(text.contains(QLatin1String(credit))) << credit;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("King Fahd")));
}

TEST(AboutTextTest, WebPageLinkIsTheWebsiteFollowedByThePagePath) {
    const QString link = WebPageLink();
    EXPECT_EQ(MakerWebsite(), ConfiguredWebsite());
    EXPECT_EQ(link,
              ConfiguredWebsite() +
                  QStringLiteral("/free-quran-software/software-for-reading-quran/pagora.htm"));
    const QUrl url(link, QUrl::StrictMode);
    ASSERT_TRUE(url.isValid()) << link.toStdString();
    EXPECT_FALSE(url.host().isEmpty());
    EXPECT_TRUE(url.path().endsWith(
        QStringLiteral("/free-quran-software/software-for-reading-quran/pagora.htm")));
    EXPECT_FALSE(link.contains(QStringLiteral("//free-quran")));
}

TEST(AboutTextTest, TiloraHelpIsSixCrLfLinesWithTheWebsiteInLineThree) {
    EXPECT_EQ(TiloraHelpTitle(), QStringLiteral("Linking with Tilora"));

    const QString text = TiloraHelpText();
    const QString expected =
        QStringLiteral(
            "For reciting the verse on clicking any Ayat \r\n"
            "\r\n"
            "Install Tilora Software from ") +
        ConfiguredWebsite() +
        QStringLiteral(
            " \r\n"
            "Make sure you installed full Quran Audio or the audio for the Sura you want to "
            "hear\r\n"
            "Open Tilora and open and play any verse (this is important)\r\n"
            "Now keep Tilora in background and click on any verse in Pagora, that verse will be "
            "loaded in Tilora and recited");
    EXPECT_EQ(text.toStdString(), expected.toStdString());

    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_EQ(lines[2],
              QStringLiteral("Install Tilora Software from ") + MakerWebsite() + QLatin1Char(' '));
    // Every line break is CR LF, and the text ends without one.
    EXPECT_EQ(text.count(QLatin1Char('\n')), 5);
    EXPECT_EQ(text.count(QLatin1Char('\r')), 5);
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    EXPECT_FALSE(text.endsWith(QLatin1Char('\r')));
}

}  // namespace
}  // namespace pagora
