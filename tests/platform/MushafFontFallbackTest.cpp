// An installed mushaf font that lacks a character of the pages gives way to Amiri Quran.
// A process of its own: the choice of font holds for the whole process.

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QTextBlock>
#include <QTextFragment>
#include <QtEndian>

#include "platform/BrowserControl.h"

namespace pagora {
namespace {

const QString kMushaf = QStringLiteral("KFGQPC Uthmanic Script HAFS");

// The font file `path` under the family name `family`: a 'name' table of that one name
// appended, and the font's table directory pointed at it.
QByteArray Renamed(const QString& path, const QString& family) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray font = file.readAll();
    font.append((4 - font.size() % 4) % 4, '\0');
    QByteArray table;
    const auto put16 = [&table](qsizetype v) {
        table.append(static_cast<char>(v >> 8)).append(static_cast<char>(v & 0xFF));
    };
    // Format 0, one record, its text at 18: the family name (1) for Windows, Unicode, US English.
    for (qsizetype field : {0, 1, 18, 3, 1, 0x409, 1, int(family.size()) * 2, 0}) {
        put16(field);
    }
    for (QChar c : family) {
        put16(c.unicode());
    }
    for (int i = 0; i < qFromBigEndian<quint16>(font.constData() + 4); ++i) {
        if (font.mid(12 + 16 * i, 4) == "name") {
            qToBigEndian<quint32>(font.size(), font.data() + 12 + 16 * i + 8);
            qToBigEndian<quint32>(table.size(), font.data() + 12 + 16 * i + 12);
        }
    }
    return font + table;
}

QString Page(const QString& text) {
    return QStringLiteral(
               "<HTML Dir=\"RTL\"><HEAD><style>div{font-family: \"KFGQPC Uthmanic Script HAFS\"; "
               "font-size: 35px;}</style></HEAD><BODY><div align=\"justify\">") +
           text + QStringLiteral("</div></BODY></HTML>");
}

QString ShownFamily(const BrowserControl& view) {
    const QTextBlock block = view.document()->findBlock(view.toPlainText().indexOf(u'\u0628'));
    return block.begin().fragment().charFormat().font().family();
}

TEST(MushafFontFallback, AnInstalledFontLackingACharacterGivesWayOnce) {
    const QByteArray font = Renamed(
        QStringLiteral("/usr/share/fonts/opentype/fonts-hosny-amiri/AmiriQuran.ttf"), kMushaf);
    ASSERT_FALSE(font.isEmpty()) << "Amiri Quran (Debian fonts-hosny-amiri) is not installed";
    ASSERT_GE(QFontDatabase::addApplicationFontFromData(font), 0);
    ASSERT_TRUE(QFontDatabase::families().contains(kMushaf));
    InstallMushafFontFallback();

    BrowserControl view(QStringLiteral("wbSinglePage"));
    auto show = [&](const QString& text) {
        ::testing::internal::CaptureStderr();
        view.DocumentClear();
        view.DocumentWrite(Page(text));
        view.DocumentClose();
        return ::testing::internal::GetCapturedStderr();
    };
    // Text it has glyphs for stays in the installed font.
    EXPECT_EQ(show(QStringLiteral("بِسۡمِ ٱللَّهِ\u00A0\u0661")), "");
    EXPECT_EQ(ShownFamily(view), kMushaf);
    // U+065E is a character it lacks (so does Amiri Quran, which the pages are built for).
    const std::string said = show(QStringLiteral("بِسۡمِ غِشَٰوَةٞ"));
    EXPECT_NE(said.find("\"KFGQPC Uthmanic Script HAFS\" has no glyph for U+065E"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("\"Amiri Quran\" instead"), std::string::npos) << said;
    EXPECT_EQ(ShownFamily(view), QStringLiteral("Amiri Quran"));
    // From then on every page is shown in Amiri Quran, without another word.
    EXPECT_EQ(show(QStringLiteral("بِسۡمِ ٱللَّهِ")), "");
    EXPECT_EQ(ShownFamily(view), QStringLiteral("Amiri Quran"));
}

}  // namespace
}  // namespace pagora
