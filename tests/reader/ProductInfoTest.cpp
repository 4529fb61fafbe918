#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QUrl>

#include "reader/ProductInfo.h"

namespace pagora {
namespace {

// The web-site address as configured for this build (the build drops any trailing "/").
const QString kWebsite = QStringLiteral(PAGORA_CONFIGURED_WEBSITE);

TEST(AboutTextTest, VersionLineComesFromTheProjectVersion) {
    EXPECT_EQ(VersionText(), QStringLiteral("Version ") + QStringLiteral(PAGORA_PROJECT_VERSION));
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
    EXPECT_EQ(MakerWebsite(), kWebsite);
    const QUrl url(WebPageLink(), QUrl::StrictMode);
    ASSERT_TRUE(url.isValid() && !url.host().isEmpty()) << WebPageLink().toStdString();
    EXPECT_EQ(WebPageLink(), kWebsite + url.path());
    EXPECT_FALSE(url.path().startsWith(QStringLiteral("//")));

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
