#include "tests/support/SmallBook.h"

#include <QStringEncoder>
#include <QStringList>
#include <algorithm>

#include "data/ArchiveWriter.h"
#include "reader/SupportData.h"

namespace pagora::testing {
namespace {

std::vector<uint8_t> Bytes(const QByteArray& bytes) {
    return {bytes.begin(), bytes.end()};
}
std::vector<uint8_t> Utf16Le(const QString& text) {
    return Bytes(QStringEncoder(QStringConverter::Utf16LE)(text));
}
QString ArabicDigits(int number) {
    QString text;
    for (QChar c : QString::number(number)) {
        text += QChar(static_cast<char16_t>(0x0660 + (c.unicode() - u'0')));
    }
    return text;
}
constexpr int kVersesPerPage = 3;
constexpr int kVersesPerSura = 16;

}  // namespace

SmallBook::SmallBook() {
    QStringList suraFirstPage, names, starts, juz, quarters;
    for (int s = 1; s <= 114; ++s) {
        names << QStringLiteral("Sura-%1").arg(s);
        suraFirstPage << QString::number(((s - 1) * kVersesPerSura) / kVersesPerPage + 1);
    }
    for (int j = 1; j <= 30; ++j) {
        juz << QString::number((j - 1) * 20 + 1);
    }
    for (int q = 0; q < 240; ++q) {
        quarters << QString::number(q * 5 / 2 + 1);
    }
    for (int p = 1; p <= 604; ++p) {
        QStringList lines;
        for (int k = 0; k < kVersesPerPage; ++k) {
            const int global = (p - 1) * kVersesPerPage + k;  // from 0
            const int sura = global / kVersesPerSura + 1;
            const int verse = global % kVersesPerSura + 1;
            if (k == 0) {
                starts << QStringLiteral("%1,%2").arg(sura).arg(verse);
            }
            if (verse == 1) {
                lines << Marker() + QStringLiteral(" ") + names[sura - 1];
                if (p != 1 && p != 187) {
                    lines << QStringLiteral("basmala");
                }
            }
            lines << QStringLiteral("verse %1 of %2 ").arg(verse).arg(sura) + ArabicDigits(verse);
        }
        pages[p] = lines.join(QStringLiteral("\r\n"));
    }
    const QString crlf = QStringLiteral("\r\n");
    tables = {{"quranpageindex.txt", suraFirstPage.join(crlf) + crlf},
              {"juzpageindex.txt", juz.join(crlf)},
              {"hizbquarterindex.txt", quarters.join(crlf) + crlf},
              {"suranamesenglish.txt", names.join(crlf)},
              {"pagestartsuraverse.txt", starts.join(QStringLiteral(";"))},
              {"verse-count.txt", QStringList(114, QString::number(kVersesPerSura)).join(crlf)},
              {"border.html", QStringLiteral("<table width=\"100%\"><tr><td><img "
                                             "src=\"##imagepath##top.gif\"></td></tr>"
                                             "<tr><td>#data#</td></tr></table>")}};
}

void SmallBook::WriteSupport(const QString& folder,
                             const std::vector<std::string>& leaveOut) const {
    std::vector<ArchiveMember> members = {{"surat.txt", Utf16Le(Marker())}};
    for (const auto& [name, text] : tables) {
        members.push_back({name, Bytes(text.toLatin1())});
    }
    for (const char* image : kFrameImages) {
        members.push_back({image, Bytes(QByteArray("GIF89a-not-really-") + image)});
    }
    std::erase_if(members,
                  [&](const auto& member) { return std::ranges::count(leaveOut, member.name); });
    WriteArchive((folder + QStringLiteral("/support.dat")).toStdString(), members);
}

void SmallBook::WritePages(const QString& folder) const {
    std::vector<ArchiveMember> archives[10];
    for (const auto& [page, text] : pages) {
        const QString key = QStringLiteral("%1").arg(page, 3, 10, QLatin1Char('0'));
        archives[page % 10].push_back({key.toStdString(), Utf16Le(text)});
    }
    for (int d = 0; d < 10; ++d) {
        WriteArchive((folder + QStringLiteral("/order%1.dat").arg(d)).toStdString(), archives[d]);
    }
}

}  // namespace pagora::testing
