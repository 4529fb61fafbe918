#include "reader/QuranIndex.h"

#include "base/Book.h"
#include "base/Numbers.h"

namespace pagora {

namespace {

std::optional<long long> EntryNumber(const QString& text) {
    return TextToInteger(text.toStdString());
}

std::optional<long long> TableNumber(const QStringList& table, long long index) {
    if (index < 0 || index >= table.size()) {
        return std::nullopt;
    }
    return EntryNumber(table[static_cast<qsizetype>(index)]);
}

struct SuraVerse {
    long long sura = 0;
    long long verse = 0;
};

// Page-start entry `index` as sura and verse.
std::optional<SuraVerse> PageStart(const QuranIndex& index, long long entry) {
    if (entry < 0 || entry >= index.pageStart.size()) {
        return std::nullopt;
    }
    const QStringList parts =
        index.pageStart[static_cast<qsizetype>(entry)].split(QLatin1Char(','));
    if (parts.size() < 2) {
        return std::nullopt;
    }
    const auto sura = EntryNumber(parts[0]);
    const auto verse = EntryNumber(parts[1]);
    if (!sura || !verse) {
        return std::nullopt;
    }
    return SuraVerse{*sura, *verse};
}

}  // namespace

QStringList SplitTable(const QString& text, const QString& separator) {
    return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString SurasInPage(const QuranIndex& index, int page) {
    if (page > kPageCount) {
        return {};
    }
    const auto first = PageStart(index, page - 1);
    if (!first) {
        return {};
    }
    long long last = kSuraCount;
    if (page != kPageCount) {
        const auto next = PageStart(index, page);
        if (!next) {
            return {};
        }
        last = next->verse == 1 ? next->sura - 1 : next->sura;
    }
    QString result;
    int count = 0;
    for (long long s = first->sura; s <= last; ++s) {
        if (s - 1 < 0 || s - 1 >= index.suraNames.size()) {
            break;
        }
        if (!result.isEmpty()) {
            result += QStringLiteral("\r\n");
        }
        result += index.suraNames[static_cast<qsizetype>(s - 1)];
        ++count;
    }
    if (count == 1 || count == 2) {
        result.prepend(QStringLiteral("\r\n"));
    }
    return result;
}

QString GetSuraVerse(const QuranIndex& index, int page, int verseNoInPage) {
    const auto start = PageStart(index, page - 1);
    if (!start) {
        return {};
    }
    long long sura = start->sura;
    long long verse = start->verse - 1 + verseNoInPage;
    // A page may run through several short suras: move on while the verse lies past the end.
    for (;;) {
        const auto count = TableNumber(index.verseCount, sura - 1);
        if (!count || *count <= 0 || verse <= *count) {
            break;
        }
        verse -= *count;
        ++sura;
    }
    return QString::number(sura) + QLatin1Char(':') + QString::number(verse);
}

}  // namespace pagora
