#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace pagora {

// The three-digit page key of a page number ("007", "604"); longer texts are kept whole.
QString PadWithZeros(long long value, unsigned length);

// The page archive ("order0.dat".."order9.dat") that holds the page named by `pageKey`.
QString PageArchiveName(const QString& pageKey);

// Wraps every run of Arabic-Indic digits in a number link "#num<k>", k counted from 0.
QString AddBookMarkLinks(const QString& strInput);

// The lines of a page text: split at every CR LF, empty pieces kept; empty text gives no lines.
QStringList PageLines(const QString& pageText);

// The body of a page: sura headers, basmala lines and verse links ("#aya<n>", n from 1), inside
// the justified div. `pageText` already carries its number links.
QString BuildPageBody(const QString& pageText, int pageNo, const QString& suraMarker);

// The whole document written into a page view: style sheet, the page frame with its "#data#"
// filled by the body, at `textSize` pixels.
QString BuildPageDocument(const QString& pageText, int pageNo, const QString& suraMarker,
                          const QString& pageFrame, int textSize);

}  // namespace pagora
