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

TEST(AboutTextTest, WebPageLinkAndTiloraHelpNameTheConfiguredWebsite) {
    EXPECT_EQ(MakerWebsite(), ConfiguredWebsite());
    const QUrl url(WebPageLink(), QUrl::StrictMode);
    ASSERT_TRUE(url.isValid() && !url.host().isEmpty()) << WebPageLink().toStdString();
    EXPECT_EQ(WebPageLink(), ConfiguredWebsite() + url.path());
    EXPECT_FALSE(url.path().startsWith(QStringLiteral("//")));
    EXPECT_TRUE(url.path().endsWith(QStringLiteral("/pagora.htm")));

    // Six CR LF lines, the second empty, the website at the end of the third, no final break.
    const QStringList lines = TiloraHelpText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" from ") + MakerWebsite() + QLatin1Char(' ')));
    EXPECT_EQ(TiloraHelpText().count(QLatin1Char('\n')), 5);
    EXPECT_EQ(TiloraHelpText().count(QLatin1Char('\r')), 5);
}

}  // namespace
}  // namespace pagora
