#include "reader/search/SearchIndex.h"

#include <QFile>
#include <QStringMatcher>
#include <algorithm>
#include <array>
#include <cstring>

#include "reader/search/ArchiveMembers.h"

namespace pagora::search {

namespace {

constexpr int kPages = 604;
const QString kCrLf = QStringLiteral("\r\n");

int DigitValue(QChar c) {
    const char16_t u = c.unicode();
    for (const char16_t zero : {u'0', u'\u0660', u'\u06F0'}) {
        if (u >= zero && u <= zero + 9) {
            return u - zero;
        }
    }
    return -1;
}

QString Latin1(const std::vector<uint8_t>& bytes) {
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}

// UTF-16LE without byte-order mark; the build refuses big-endian hosts.
QString Utf16Le(const std::vector<uint8_t>& bytes) {
    QString text(static_cast<qsizetype>(bytes.size() / 2), Qt::Uninitialized);
    std::memcpy(text.data(), bytes.data(), static_cast<size_t>(text.size()) * 2);
    return text;
}

std::optional<int> Number(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The page key of a page archive member ("001" to "604"), as a page number.
std::optional<int> PageOfMember(const std::string& name) {
    if (name.size() != 3 ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int page = std::stoi(name);
    return page >= 1 && page <= kPages ? std::optional<int>(page) : std::nullopt;
}

// Calls `f` with each line of `text`, split at every CR LF; a lone CR stays in its line.
template <class F>
void ForEachLine(QStringView text, F&& f) {
    qsizetype from = 0;
    for (qsizetype cr = text.indexOf(u'\r'); cr >= 0; cr = text.indexOf(u'\r', cr + 1)) {
        if (cr + 1 < text.size() && text[cr + 1] == u'\n') {
            f(text.mid(from, cr - from));
            from = cr + 2;
        }
    }
    f(text.mid(from));
}

// The verse line without its number and the blanks before it.
QStringView WithoutNumber(QStringView line) {
    while (!line.isEmpty() && line.back().unicode() >= 0x0660 && line.back().unicode() <= 0x0669) {
        line.chop(1);
    }
    while (!line.isEmpty() && line.back().isSpace()) {
        line.chop(1);
    }
    return line;
}

}  // namespace

std::optional<VerseReference> ParseVerseReference(QStringView text) {
    qsizetype k = 0;
    auto blanks = [&] {
        while (k < text.size() && text[k].isSpace()) {
            ++k;
        }
    };
    auto number = [&]() -> int {
        int value = 0;
        const qsizetype first = k;
        for (; k < text.size() && DigitValue(text[k]) >= 0; ++k) {
            if (k - first == 4) {
                return 0;
            }
            value = value * 10 + DigitValue(text[k]);
        }
        return value;
    };
    blanks();
    const int sura = number();
    blanks();
    if (sura <= 0 || k >= text.size() || text[k] != QLatin1Char(':')) {
        return std::nullopt;
    }
    ++k;
    blanks();
    const int verse = number();
    blanks();
    if (verse <= 0 || k != text.size()) {
        return std::nullopt;
    }
    return VerseReference{sura, verse};
}

SearchIndex SearchIndex::Build(const QString& folder) {
    const std::string base = QFile::encodeName(folder).toStdString() + "/";
    const std::array<std::string, 4> tables = {"pagestartsuraverse.txt", "verse-count.txt",
                                               "surat.txt", "suranamesenglish.txt"};
    const std::vector<ArchiveMember> support =
        ReadArchiveMembers(base + "support.dat", [&](const std::string& name) {
            return std::find(tables.begin(), tables.end(), name) != tables.end();
        });
    auto table = [&](const std::string& name) -> const std::vector<uint8_t>& {
        for (const ArchiveMember& member : support) {
            if (member.name == name) {
                return member.bytes;
            }
        }
        throw SearchIndexError(base + "support.dat holds no member \"" + name + "\"");
    };

    SearchIndex index;
    const QStringList pageStart = Latin1(table(tables[0])).split(QLatin1Char(';'));
    std::vector<int> verseCounts;
    for (const QString& entry : Latin1(table(tables[1])).split(kCrLf)) {
        verseCounts.push_back(Number(entry).value_or(0));
    }
    const QString marker = Utf16Le(table(tables[2]));
    if (marker.isEmpty()) {
        throw SearchIndexError(base + "support.dat holds an empty sura-header marker");
    }
    index.suraNames_ = Latin1(table(tables[3])).split(kCrLf);

    std::vector<QString> pages(kPages + 1);
    std::vector<bool> read(kPages + 1, false);
    for (int digit = 0; digit <= 9; ++digit) {
        const std::string archive = base + "order" + std::to_string(digit) + ".dat";
        for (ArchiveMember& member : ReadArchiveMembers(archive, [digit](const std::string& name) {
                 const auto page = PageOfMember(name);
                 return page && *page % 10 == digit;
             })) {
            const int page = *PageOfMember(member.name);
            pages[page] = Utf16Le(member.bytes);
            read[page] = true;
        }
    }

    qsizetype characters = 0;
    for (const QString& text : pages) {
        characters += text.size();
    }
    index.verses_.reserve(6236);
    index.text_.reserve(characters);
    index.folded_.reserve(static_cast<size_t>(characters));
    index.origin_.reserve(static_cast<size_t>(characters));
    const QStringMatcher header(marker);
    for (int page = 1; page <= kPages; ++page) {
        if (!read[page]) {
            throw SearchIndexError(base + "order" + std::to_string(page % 10) +
                                   ".dat holds no page " + std::to_string(page));
        }
        const QStringList start = page - 1 < pageStart.size()
                                      ? pageStart[page - 1].split(QLatin1Char(','))
                                      : QStringList();
        const auto sura = start.size() >= 2 ? Number(start[0]) : std::nullopt;
        const auto verse = start.size() >= 2 ? Number(start[1]) : std::nullopt;
        if (!sura || !verse) {
            throw SearchIndexError(base +
                                   "support.dat: the page-start table gives no sura and "
                                   "verse for page " +
                                   std::to_string(page));
        }
        VerseReference next{*sura, *verse};
        index.AddPage(page, pages[page], header, next, verseCounts);
    }
    return index;
}

void SearchIndex::AddPage(int page, QStringView pageText, const QStringMatcher& header,
                          VerseReference& next, const std::vector<int>& verseCounts) {
    if (pageText.isEmpty()) {
        return;
    }
    // Header, basmala and verse lines as the page view lays them out.
    const bool basmalaFollowsHeader = page != 1 && page != 187;
    bool afterHeader = false;
    ForEachLine(pageText, [&](QStringView line) {
        if (afterHeader && basmalaFollowsHeader) {
            afterHeader = false;
            return;
        }
        afterHeader = header.indexIn(line) >= 0;
        if (afterHeader) {
            return;
        }
        const QStringView text = WithoutNumber(line);
        if (!text.isEmpty()) {
            Entry entry;
            entry.where = {next.sura, next.verse, page};
            entry.textBegin = static_cast<int>(text_.size());
            entry.textLength = static_cast<int>(text.size());
            entry.foldedBegin = static_cast<int>(folded_.size());
            text_ += text;
            FoldVerse(text, folded_, origin_);
            entry.foldedLength = static_cast<int>(folded_.size()) - entry.foldedBegin;
            verses_.push_back(entry);
            verses_.back().letters = LetterSet(Folded(verses_.size() - 1));
        }
        ++next.verse;
        const size_t sura = static_cast<size_t>(next.sura - 1);
        if (sura < verseCounts.size() && verseCounts[sura] > 0 && next.verse > verseCounts[sura]) {
            ++next.sura;
            next.verse = 1;
        }
    });
}

QStringView SearchIndex::Text(size_t i) const {
    return QStringView(text_).mid(verses_[i].textBegin, verses_[i].textLength);
}

std::u16string_view SearchIndex::Folded(size_t i) const {
    return std::u16string_view(folded_).substr(static_cast<size_t>(verses_[i].foldedBegin),
                                               static_cast<size_t>(verses_[i].foldedLength));
}

QString SearchIndex::SuraName(int sura) const {
    return sura >= 1 && sura <= suraNames_.size() ? suraNames_[sura - 1] : QString();
}

std::optional<size_t> SearchIndex::Find(VerseReference reference) const {
    const auto found = std::lower_bound(
        verses_.begin(), verses_.end(), reference, [](const Entry& e, const VerseReference& r) {
            return e.where.sura != r.sura ? e.where.sura < r.sura : e.where.verse < r.verse;
        });
    if (found == verses_.end() || found->where.sura != reference.sura ||
        found->where.verse != reference.verse) {
        return std::nullopt;
    }
    return static_cast<size_t>(found - verses_.begin());
}

std::vector<size_t> SearchIndex::Search(QStringView query) const {
    std::vector<size_t> found;
    std::optional<size_t> named;
    if (const auto reference = ParseVerseReference(query)) {
        named = Find(*reference);
    }
    if (named) {
        found.push_back(*named);
    }
    const Matcher matcher(query);
    if (matcher.IsEmpty()) {
        return found;
    }
    for (size_t i = 0; i < verses_.size(); ++i) {
        if ((matcher.Letters() & ~verses_[i].letters) == 0 && i != named &&
            matcher.FoundIn(Folded(i))) {
            found.push_back(i);
        }
    }
    return found;
}

std::vector<Span> SearchIndex::MarkedParts(size_t i, QStringView query) const {
    const QStringView text = Text(i);
    const int* origin = origin_.data() + verses_[i].foldedBegin;
    std::vector<Span> parts;
    for (const auto& [first, last] : Matcher(query).Occurrences(Folded(i))) {
        // From the first matched letter to the last one with the marks written on it.
        int end = origin[last - 1] + 1;
        while (end < text.size() &&
               (text[end].category() == QChar::Mark_NonSpacing || text[end] == QChar(0x0640))) {
            ++end;
        }
        parts.emplace_back(origin[first], end);
    }
    return parts;
}

}  // namespace pagora::search
