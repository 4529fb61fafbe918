// An installed mushaf font that lacks a character of the pages gives way to Amiri Quran.
// A process of its own: the choice of font holds for the whole process.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QTextBlock>
#include <QTextFragment>
#include <QtEndian>

#include "platform/BrowserControl.h"

namespace pagora {
namespace {

const QString kMushaf = QStringLiteral("KFGQPC Uthmanic Script HAFS");

void Put16(QByteArray& out, quint16 v) {
    out.append(static_cast<char>(v >> 8)).append(static_cast<char>(v & 0xFF));
}

void Put32(QByteArray& out, quint32 v) {
    Put16(out, static_cast<quint16>(v >> 16));
    Put16(out, static_cast<quint16>(v & 0xFFFF));
}

// A 'name' table naming the family `family`, style Regular (Windows, Unicode, US English).
QByteArray NameTable(const QString& family) {
    const QString postScript = QString(family).remove(u' ');
    const QList<std::pair<quint16, QString>> names = {
        {1, family}, {2, QStringLiteral("Regular")}, {3, family}, {4, family}, {6, postScript}};
    QByteArray strings;
    QByteArray table;
    Put16(table, 0);
    Put16(table, static_cast<quint16>(names.size()));
    Put16(table, static_cast<quint16>(6 + 12 * names.size()));
    for (const auto& [id, text] : names) {
        QByteArray utf16be;
        for (QChar c : text) {
            Put16(utf16be, c.unicode());
        }
        for (quint16 field :
             {quint16(3), quint16(1), quint16(0x409), id, static_cast<quint16>(utf16be.size()),
              static_cast<quint16>(strings.size())}) {
            Put16(table, field);
        }
        strings += utf16be;
    }
    return table + strings;
}

// The font file `path` with its 'name' table replaced: the same glyphs under another family.
QByteArray Renamed(const QString& path, const QString& family) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray font = file.readAll();
    auto get16 = [&](qsizetype at) { return qFromBigEndian<quint16>(font.constData() + at); };
    auto get32 = [&](qsizetype at) { return qFromBigEndian<quint32>(font.constData() + at); };
    const int count = get16(4);
    QList<std::pair<QByteArray, QByteArray>> tables;
    for (int i = 0; i < count; ++i) {
        const QByteArray tag = font.mid(12 + 16 * i, 4);
        tables.append({tag, tag == "name"
                                ? NameTable(family)
                                : font.mid(get32(12 + 16 * i + 8), get32(12 + 16 * i + 12))});
    }
    QByteArray out = font.left(12);
    QByteArray data;
    const qsizetype first = 12 + 16 * count;
    for (const auto& [tag, content] : tables) {
        quint32 sum = 0;
        QByteArray padded = content;
        padded.append((4 - padded.size() % 4) % 4, '\0');
        for (qsizetype at = 0; at < padded.size(); at += 4) {
            sum += qFromBigEndian<quint32>(padded.constData() + at);
        }
        out += tag;
        Put32(out, sum);
        Put32(out, static_cast<quint32>(first + data.size()));
        Put32(out, static_cast<quint32>(content.size()));
        data += padded;
    }
    return out + data;
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
