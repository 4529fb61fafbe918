// Folding, matching, verse references, the index of the real archives and `pagora-pack search`.

#include <gmock/gmock.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <tuple>

#include "data/ArchiveWriter.h"
#include "reader/search/ArchiveMembers.h"
#include "reader/search/Folding.h"
#include "reader/search/SearchIndex.h"
#include "tests/support/QuranText.h"

namespace pagora::search {
namespace {

QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The folded verse; `origin` gets where each folded character came from.
std::u16string Verse(std::u16string_view text, std::vector<int>* origin = nullptr) {
    std::u16string folded;
    std::vector<int> ignored;
    FoldVerse(Q(text), folded, origin ? *origin : ignored);
    return folded;
}

TEST(FoldingTest, DropsMarksTatweelSignsHamzaOnTheLineAndWhiteSpace) {
    // Between two letters: marks (Mn: harakat, open tanween, Quranic signs), then the others.
    for (const char16_t dropped :
         {u'\u064E', u'\u0651', u'\u0652', u'\u0657', u'\u065E', u'\u0656', u'\u08F0', u'\u06D6',
          u'\u06DA', u'\u06DF', u'\u06E2', u'\u06ED', u'\u0640', u'\u06DE', u'\u06E9', u'\u06E5',
          u'\u06E6', u'\u0621', u' ',      u'\u00A0', u'\u2009', u'\t',     u'\n'}) {
        const std::u16string text = std::u16string(u"\u0628") + dropped + u"\u062A";
        EXPECT_EQ(FoldQuery(Q(text)), u"\u0628\u062A") << std::hex << int(dropped);
        std::vector<int> origin;
        EXPECT_EQ(Verse(text, &origin), u"\u0628\u062A") << std::hex << int(dropped);
        EXPECT_EQ(origin, (std::vector<int>{0, 2}));
    }
    // Everything else stays: letters, digits, punctuation, the end-of-ayah sign (Cf).
    EXPECT_EQ(FoldQuery(u"\u0600\u0628x1\u0661:\u060C\u06DD"),
              u"\u0600\u0628x1\u0661:\u060C\u06DD");
}

TEST(FoldingTest, MapsLetterForms) {
    // Alef forms to alef, alef maqsura and hamza yeh to yeh, teh marbuta to heh, hamza waw to waw.
    const std::u16string from = u"\u0623\u0625\u0622\u0671\u0672\u0673\u0649\u0626\u0629\u0624";
    const std::u16string to = u"\u0627\u0627\u0627\u0627\u0627\u0627\u064A\u064A\u0647\u0648";
    EXPECT_EQ(FoldQuery(Q(from)), to);
    EXPECT_EQ(Verse(from), to);
    // The superscript alef: an alef in a query, kept as the optional alef in a verse.
    EXPECT_EQ(FoldQuery(u"\u0647\u0670\u0630\u0627"), u"\u0647\u0627\u0630\u0627");
    EXPECT_EQ(Verse(u"\u0647\u064E\u0670\u0630\u064E\u0627"), u"\u0647\u0670\u0630\u0627");
}

TEST(FoldingTest, OptionalAlefMatchesAnAlefOrNothing) {
    const std::u16string hadha = Verse(u"\u0647\u064E\u0670\u0630\u064E\u0627");  // هَٰذَا
    for (const char16_t* query : {u"\u0647\u0630\u0627", u"\u0647\u0627\u0630\u0627",
                                  u"\u0647\u0670\u0630\u0627", u"\u0630\u0627", u"\u0627"}) {
        EXPECT_TRUE(Matcher(Q(query)).FoundIn(hadha)) << Q(query).toStdString();
    }
    // The letters of a text that holds a query include the query's, also when the text's only
    // alef is the optional one (هَٰذِهِ).
    const std::u16string hadhihi = Verse(u"\u0647\u064E\u0670\u0630\u0650\u0647\u0650");
    const Matcher withAlef(u"\u0647\u0627\u0630\u0647");
    EXPECT_TRUE(withAlef.FoundIn(hadhihi));
    EXPECT_EQ(withAlef.Letters() & ~LetterSet(hadhihi), 0u);
    EXPECT_NE(LetterSet(u"\u0628"), LetterSet(u"\u0627"));
    // Not another letter, not twice, and the text's real letters are not optional.
    for (const char16_t* query : {u"\u0647\u0648\u0630\u0627", u"\u0647\u0627\u0627\u0630\u0627",
                                  u"\u0647\u0630\u0630\u0627", u"\u0630\u0627\u0627"}) {
        EXPECT_FALSE(Matcher(Q(query)).FoundIn(hadha)) << Q(query).toStdString();
    }
}

TEST(FoldingTest, EmptyQueriesFindNothing) {
    for (const char16_t* query : {u"", u"  ", u"\u064E\u0640", u"\u0621"}) {
        const Matcher matcher(Q(query));
        EXPECT_TRUE(matcher.IsEmpty());
        EXPECT_FALSE(matcher.FoundIn(u"\u0628\u062A"));
        EXPECT_TRUE(matcher.Occurrences(u"\u0628\u062A").empty());
    }
}

TEST(FoldingTest, OccurrencesAreLeftmostAndDoNotOverlap) {
    const char16_t b = u'\u0628';
    const std::u16string ba = {b, u'\u0627'};
    // با, a lone ب, ب with the optional alef taken as ا, then با.
    const std::u16string text = {b, u'\u0627', b, b, kOptionalAlef, b, u'\u0627'};
    EXPECT_EQ(Matcher(Q(ba)).Occurrences(text), (std::vector<Span>{{0, 2}, {3, 5}, {5, 7}}));
    // A skipped optional alef lies inside the match; ببب holds one ب ب match, not two.
    EXPECT_EQ(Matcher(u"\u0628\u0628").Occurrences(std::u16string{b, kOptionalAlef, b}),
              (std::vector<Span>{{0, 3}}));
    EXPECT_EQ(Matcher(u"\u0628\u0628").Occurrences(std::u16string(3, b)),
              (std::vector<Span>{{0, 2}}));
    EXPECT_EQ(Matcher(u"\u0628").Occurrences(std::u16string(2, b)),
              (std::vector<Span>{{0, 1}, {1, 2}}));
}

TEST(FoldingTest, LongQueriesSpanSeveralMachineWords) {
    // 150 letters with an alef at every third place; the text writes some as optional alefs.
    std::u16string query;
    for (int k = 0; k < 150; ++k) {
        query += k % 3 == 0 ? u'\u0627' : (k % 2 ? u'\u0628' : u'\u062A');
    }
    std::u16string text = u"\u0646" + query + u"\u0646";
    for (size_t k = 1; k < text.size(); k += 6) {
        if (text[k] == u'\u0627') {
            text[k] = kOptionalAlef;
        }
    }
    const Matcher matcher(Q(query));
    EXPECT_TRUE(matcher.FoundIn(text));
    EXPECT_EQ(matcher.Occurrences(text), (std::vector<Span>{{1, 151}}));
    text[150] = u'\u0646';
    EXPECT_FALSE(matcher.FoundIn(text));
}

TEST(VerseReferenceTest, ParsesSuraColonVerseInThreeKindsOfDigits) {
    const VerseReference ayatAlKursi{2, 255};
    for (const char16_t* text :
         {u"2:255", u"\u0662:\u0662\u0665\u0665", u"\u06F2:\u06F2\u06F5\u06F5",
          u" 2 : \u0662\u06F55 ", u"002:255"}) {
        EXPECT_EQ(ParseVerseReference(Q(text)), ayatAlKursi) << Q(text).toStdString();
    }
    for (const char16_t* text : {u"", u"2", u"2:", u":5", u"2:255a", u"0:1", u"2:0", u"2-255",
                                 u"2:2:2", u"12345:1", u"\u0628 2:255", u"2\uFF1A255"}) {
        EXPECT_EQ(ParseVerseReference(Q(text)), std::nullopt) << Q(text).toStdString();
    }
}

const QString kArchives = QStringLiteral(PAGORA_ARCHIVE_DIR);

const SearchIndex& Book() {
    static const SearchIndex index = SearchIndex::Build(kArchives);
    return index;
}

std::string Ref(size_t i) {
    const IndexedVerse& v = Book().Verse(i);
    return std::to_string(v.sura) + ":" + std::to_string(v.verse);
}

std::vector<std::string> Refs(const std::vector<size_t>& found) {
    std::vector<std::string> refs;
    for (const size_t i : found) {
        refs.push_back(Ref(i));
    }
    return refs;
}

TEST(SearchIndexTest, HoldsEveryVerseInBookOrderWithItsTextAndPage) {
    const SearchIndex& book = Book();
    const std::vector<uint8_t> bytes = testing::QuranTextUtf16(PAGORA_NODE_MODULES);
    // The archives hold the text with Unicode's open tanween and without the thin space of 2:72.
    const QString source = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()),
                                              static_cast<qsizetype>(bytes.size() / 2))
                               .replace(QChar(0x0657), QChar(0x08F0))
                               .replace(QChar(0x065E), QChar(0x08F1))
                               .replace(QChar(0x0656), QChar(0x08F2))
                               .remove(QChar(0x2009));
    const QStringList verses = source.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(verses.size(), 6236);
    ASSERT_EQ(book.VerseCount(), 6236u);
    IndexedVerse before{1, 0, 1};
    for (size_t i = 0; i < book.VerseCount(); ++i) {
        const IndexedVerse& v = book.Verse(i);
        const bool next = v.sura == before.sura ? v.verse == before.verse + 1
                                                : v.sura == before.sura + 1 && v.verse == 1;
        ASSERT_TRUE(next && v.page >= before.page && v.page <= before.page + 1)
            << Ref(i) << " page " << v.page << " follows " << before.sura << ":" << before.verse;
        ASSERT_EQ(book.Text(i), verses[static_cast<qsizetype>(i)]) << Ref(i);
        ASSERT_EQ(book.Find({v.sura, v.verse}), i);
        before = v;
    }
    EXPECT_EQ(std::pair(before.sura, before.page), std::pair(114, 604));
    EXPECT_EQ(book.SuraName(2), QStringLiteral("2. Al-Baqara"));
    EXPECT_EQ(book.SuraName(115), QString());
    EXPECT_EQ(book.Find({115, 1}), std::nullopt);
    EXPECT_EQ(book.Find({2, 287}), std::nullopt);
}

TEST(SearchIndexTest, FindsVersesTypedInEverydaySpelling) {
    const SearchIndex& book = Book();
    for (const char16_t* rahman : {u"\u0627\u0644\u0631\u062D\u0645\u0646",  // الرحمن
                                   u"\u0627\u0644\u0631\u062D\u0645\u0627\u0646"}) {  // الرحمان
        EXPECT_THAT(Refs(book.Search(QString::fromUtf16(rahman))),
                    ::testing::IsSupersetOf({"1:3", "55:1"}));
    }
    // هذا finds هَٰذَا, and marks it whole, the marks on its last letter included.
    const size_t v2_25 = *book.Find({2, 25});
    EXPECT_THAT(Refs(book.Search(u"\u0647\u0630\u0627")), ::testing::Contains("2:25"));
    const std::vector<Span> marked = book.MarkedParts(v2_25, u"\u0647\u0630\u0627");
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(book.Text(v2_25).mid(marked[0].first, marked[0].second - marked[0].first),
              QStringView(u"\u0647\u064E\u0670\u0630\u064E\u0627"));

    const std::vector<size_t> believers = book.Search(
        u"\u064A\u0627 \u0623\u064A\u0647\u0627 \u0627\u0644\u0630\u064A\u0646 "
        u"\u0622\u0645\u0646\u0648\u0627");
    EXPECT_EQ(Refs(believers).front(), "2:104");
    EXPECT_EQ(believers.size(), 89u);
    EXPECT_TRUE(std::is_sorted(believers.begin(), believers.end()));
    // No match runs from the end of one verse into the next (1:1 and 1:2).
    EXPECT_TRUE(book.Search(u"\u0627\u0644\u0631\u062D\u064A\u0645 \u0627\u0644\u062D\u0645\u062F")
                    .empty());
    // A reference names its verse (its digits and the verses the book has: the units' tests).
    EXPECT_EQ(Refs(book.Search(u"\u06F1\u06F1\u06F4:\u0666")), std::vector<std::string>{"114:6"});
}

TEST(SearchIndexTest, DamagedArchivesGiveAnErrorNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString support = dir.filePath(QStringLiteral("support.dat"));
    auto fails = [&](auto... texts) {
        EXPECT_THAT([&] { SearchIndex::Build(dir.path()); },
                    ::testing::ThrowsMessage<SearchIndexError>(
                        ::testing::AllOf(::testing::HasSubstr(texts)...)));
    };
    fails("support.dat");
    for (const QString& name : QDir(kArchives).entryList({QStringLiteral("*.dat")})) {
        ASSERT_TRUE(QFile::copy(kArchives + "/" + name, dir.filePath(name)));
    }
    // A page-start table one page short.
    std::vector<pagora::ArchiveMember> members;
    for (ArchiveMember& m :
         ReadArchiveMembers(support.toStdString(), [](const std::string&) { return true; })) {
        const std::string_view text(reinterpret_cast<const char*>(m.bytes.data()), m.bytes.size());
        m.bytes.resize(m.name == "pagestartsuraverse.txt" ? text.rfind(';') : m.bytes.size());
        members.push_back({m.name, m.bytes});
    }
    WriteArchive(support.toStdString(), members);
    fails("page 604");
    ASSERT_TRUE(QFile::remove(support) && QFile::copy(kArchives + "/support.dat", support));
    // A member that does not decode: the first page stream of order5.dat names another format;
    // then an archive cut short.
    QFile order5(dir.filePath(QStringLiteral("order5.dat")));
    ASSERT_TRUE(order5.open(QIODevice::ReadWrite) && order5.write("HE9\r") == 4);
    order5.close();
    fails("order5.dat", "corrupt");
    QFile order3(dir.filePath(QStringLiteral("order3.dat")));
    ASSERT_TRUE(order3.resize(order3.size() / 2));
    fails("order3.dat");
}

// Runs `pagora-pack search`: exit status, then stdout, then stderr.
std::tuple<int, QString, QString> Pack(const QStringList& args) {
    QProcess pack;
    pack.start(QStringLiteral(PAGORA_PACK_EXE), QStringList{"search"} + args);
    pack.waitForFinished(60000);
    return {pack.exitStatus() == QProcess::NormalExit ? pack.exitCode() : -1,
            QString::fromUtf8(pack.readAllStandardOutput()),
            QString::fromUtf8(pack.readAllStandardError())};
}

TEST(PackSearchTest, PrintsSuraVersePageOfEachVerseFound) {
    EXPECT_EQ(Pack({kArchives, "2:255"}), std::tuple(0, QStringLiteral("2:255 42\n"), QString()));
    const QString rahman = QString::fromUtf16(u"\u0627\u0644\u0631\u062D\u0645\u0627\u0646");
    QString expected;
    for (const size_t i : Book().Search(rahman)) {
        const IndexedVerse& v = Book().Verse(i);
        expected += QStringLiteral("%1:%2 %3\n").arg(v.sura).arg(v.verse).arg(v.page);
    }
    EXPECT_EQ(Pack({kArchives, rahman}), std::tuple(0, expected, QString()));
    // Nothing found: status 1 and no output at all; no index: a message naming the file.
    for (const QString& none : {QStringLiteral("xyz"), QStringLiteral("2:287"), QString()}) {
        EXPECT_EQ(Pack({kArchives, none}), std::tuple(1, QString(), QString()));
    }
    const auto [status, out, err] = Pack({kArchives + "/none", "x"});
    EXPECT_EQ(std::pair(status, out), std::pair(1, QString()));
    EXPECT_TRUE(err.contains(QStringLiteral("support.dat"))) << err.toStdString();
    for (const QStringList& bad :
         {QStringList{}, QStringList{kArchives}, QStringList{kArchives, "a", "b"},
          QStringList{"--all", kArchives, "a"}}) {
        const auto [badStatus, badOut, badErr] = Pack(bad);
        EXPECT_EQ(std::pair(badStatus, badOut), std::pair(2, QString()))
            << bad.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace pagora::search
