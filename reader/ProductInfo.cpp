#include "reader/ProductInfo.h"

#include <QStringList>

#include "pagora_version.h"

namespace pagora {

namespace {
constexpr char kWebPagePath[] = "/free-quran-software/software-for-reading-quran/pagora.htm";
}  // namespace

QString ProductTitle() {
    return QStringLiteral("Tamrit Pagora");
}

QString VersionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

QString ProductDescription() {
    return QStringLiteral(
        "Tamrit Pagora is developed to display Quran in page wise format. The Quran text is the "
        "Uthmani text of quran-json (from QuranEnc), CC BY-SA 4.0; the page layout comes from "
        "quran-meta, MIT; the font is Amiri Quran, OFL. Tamrit Pagora is free software under the "
        "GNU GPL, version 3 or later. ");
}

QString MakerWebsite() {
    return QString::fromUtf8(kMakerWebsite);
}

QString WebPageLink() {
    return MakerWebsite() + QLatin1String(kWebPagePath);
}

QString TiloraHelpTitle() {
    return QStringLiteral("Linking with Tilora");
}

QString TiloraHelpText() {
    const QStringList lines = {
        QStringLiteral("For reciting the verse on clicking any Ayat "),
        QString(),
        QStringLiteral("Install Tilora Software from ") + MakerWebsite() + QLatin1Char(' '),
        QStringLiteral(
            "Make sure you installed full Quran Audio or the audio for the Sura you want "
            "to hear"),
        QStringLiteral("Open Tilora and open and play any verse (this is important)"),
        QStringLiteral("Now keep Tilora in background and click on any verse in Pagora, that verse "
                       "will be loaded in Tilora and recited"),
    };
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace pagora
