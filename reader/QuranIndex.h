#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace pagora {

// The index tables and texts read from the support archive at start.
struct QuranIndex {
    QStringList suraStart;         // entry i: first page of sura i + 1
    QStringList juzStart;          // entry i: first page of juz i + 1
    QStringList hizbQuarterStart;  // entry i: first page of hizb quarter i + 1 (4 per hizb)
    QStringList suraNames;         // entry i: display name of sura i + 1
    QStringList pageStart;         // entry p - 1: "sura,verse" of the first verse on page p
    QStringList verseCount;        // entry i: number of verses of sura i + 1
    QString suraMarker;            // a page line holding this text is a sura header
    QString pageFrame;             // frame around every page, "#data#" receives the body
};

// Splits the whole text at every `separator` (exact), keeping empty pieces.
QStringList SplitTable(const QString& text, const QString& separator);

// The names of the suras that have text on `page`, one per line (CR LF); a single name or two
// get a leading CR LF. Empty for pages past 604 and for entries the tables do not hold.
QString SurasInPage(const QuranIndex& index, int page);

// "sura:verse" of verse link `verseNoInPage` (from 1) of `page`, carried across as many sura
// ends as needed. Empty when the tables do not cover the page.
QString GetSuraVerse(const QuranIndex& index, int page, int verseNoInPage);

}  // namespace pagora
