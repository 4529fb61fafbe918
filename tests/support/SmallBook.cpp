#include "tests/support/SmallBook.h"

#include <QStringList>

#include "data/ArchiveWriter.h"
#include "reader/SupportData.h"

namespace pagora::testing {

std::vector<uint8_t> Latin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> Utf16Le(const QString& text) {
    std::vector<uint8_t> bytes;
    for (QChar c : text) {
        bytes.push_back(static_cast<uint8_t>(c.unicode() & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c.unicode() >> 8));
    }
    return bytes;
}

QString SmallBook::ArabicDigits(int number) {
    QString text;
    for (QChar c : QString::number(number)) {
        text += QChar(static_cast<char16_t>(0x0660 + (c.unicode() - u'0')));
    }
    return text;
}

SmallBook::SmallBook() {
    QStringList suraFirstPage, names, counts, starts;
    for (int s = 1; s <= 114; ++s) {
        names << QStringLiteral("Sura-%1").arg(s);
        counts << QString::number(kVersesPerSura);
        suraFirstPage << QString::number(((s - 1) * kVersesPerSura) / kVersesPerPage + 1);
    }
    QStringList juz;
    for (int j = 1; j <= 30; ++j) {
        juz << QString::number((j - 1) * 20 + 1);
    }
    QStringList quarters;
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
    quranPageIndex = suraFirstPage.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    juzPageIndex = juz.join(QStringLiteral("\r\n"));
    hizbQuarterIndex = quarters.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    suraNames = names.join(QStringLiteral("\r\n"));
    pageStart = starts.join(QStringLiteral(";"));
    verseCount = counts.join(QStringLiteral("\r\n"));
    frame = QStringLiteral(
        "<table width=\"100%\"><tr><td><img src=\"##imagepath##top.gif\"></td></tr>"
        "<tr><td>#data#</td></tr></table>");
}

void SmallBook::WriteSupport(const QString& folder,
                             const std::vector<std::string>& leaveOut) const {
    std::vector<ArchiveMember> members = {
        {"quranpageindex.txt", Latin1(quranPageIndex)},
        {"juzpageindex.txt", Latin1(juzPageIndex)},
        {"suranamesenglish.txt", Latin1(suraNames)},
        {"pagestartsuraverse.txt", Latin1(pageStart)},
        {"surat.txt", Utf16Le(Marker())},
        {"border.html", Latin1(frame)},
        {"verse-count.txt", Latin1(verseCount)},
        {"hizbquarterindex.txt", Latin1(hizbQuarterIndex)},
    };
    for (const char* image : kFrameImages) {
        members.push_back({image, Latin1(QStringLiteral("GIF89a-not-really-") + image)});
    }
    std::vector<ArchiveMember> kept;
    for (auto& member : members) {
        bool drop = false;
        for (const auto& name : leaveOut) {
            drop = drop || name == member.name;
        }
        if (!drop) {
            kept.push_back(std::move(member));
        }
    }
    WriteArchive((folder + QStringLiteral("/support.dat")).toStdString(), kept);
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
