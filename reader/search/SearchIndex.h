#pragma once

#include <QString>
#include <QStringList>
#include <QStringMatcher>
#include <QStringView>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "reader/search/Folding.h"

namespace pagora::search {

// The index cannot be built: an archive is missing or damaged. The message names it.
class SearchIndexError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct VerseReference {
    int sura = 0;
    int verse = 0;
    bool operator==(const VerseReference&) const = default;
};

// "2:255", with ASCII, Arabic-Indic or Eastern Arabic-Indic digits, blanks allowed around the
// numbers; nothing else.
std::optional<VerseReference> ParseVerseReference(QStringView text);

struct IndexedVerse {
    int sura = 0;
    int verse = 0;
    int page = 0;
};

// Every verse of the book in book order, with its page and its text as the page shows it, ready
// to be searched.
class SearchIndex {
  public:
    // Reads the tables of support.dat and every page of order0.dat..order9.dat in `folder`.
    // Verses are numbered by the page-start and verse-count tables, as the reader numbers the
    // verse links of a page. Throws SearchIndexError.
    static SearchIndex Build(const QString& folder);

    size_t VerseCount() const { return verses_.size(); }
    const IndexedVerse& Verse(size_t i) const { return verses_[i].where; }
    // The verse's line of its page without the verse number.
    QStringView Text(size_t i) const;
    // The sura's name from the sura-name table; empty when the table has none.
    QString SuraName(int sura) const;
    std::optional<size_t> Find(VerseReference reference) const;

    // The verses that `query` finds: the verse it names as a reference first, then every verse
    // whose folded text holds the folded query, in book order.
    std::vector<size_t> Search(QStringView query) const;
    // The matches of `query` in verse i, as character spans of Text(i).
    std::vector<Span> MarkedParts(size_t i, QStringView query) const;

  private:
    struct Entry {
        IndexedVerse where;
        int textBegin = 0;  // in text_
        int textLength = 0;
        int foldedBegin = 0;  // in folded_ and origin_
        int foldedLength = 0;
        uint64_t letters = 0;  // LetterSet of the folded text
    };

    void AddPage(int page, QStringView pageText, const QStringMatcher& header, VerseReference& next,
                 const std::vector<int>& verseCounts);
    std::u16string_view Folded(size_t i) const;

    std::vector<Entry> verses_;
    QString text_;
    std::u16string folded_;
    std::vector<int> origin_;
    QStringList suraNames_;
};

}  // namespace pagora::search
