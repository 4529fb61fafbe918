// The verse index over the real archives, and `pagora-pack search`.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>

#include "data/ArchiveWriter.h"
#include "reader/search/ArchiveMembers.h"
#include "reader/search/SearchIndex.h"
#include "tests/support/QuranText.h"

namespace pagora::search {
namespace {

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

bool Holds(const std::vector<std::string>& refs, const std::string& ref) {
    return std::find(refs.begin(), refs.end(), ref) != refs.end();
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
    EXPECT_EQ(before.sura, 114);
    EXPECT_EQ(before.page, 604);
    EXPECT_EQ(book.Verse(*book.Find({2, 255})).page, 42);
    EXPECT_EQ(book.SuraName(2), QStringLiteral("2. Al-Baqara"));
    EXPECT_EQ(book.SuraName(115), QString());
    EXPECT_EQ(book.Find({115, 1}), std::nullopt);
    EXPECT_EQ(book.Find({2, 287}), std::nullopt);
}

TEST(SearchIndexTest, FindsVersesTypedInEverydaySpelling) {
    const SearchIndex& book = Book();
    for (const char16_t* rahman : {u"\u0627\u0644\u0631\u062D\u0645\u0646",  // الرحمن
                                   u"\u0627\u0644\u0631\u062D\u0645\u0627\u0646"}) {  // الرحمان
        const std::vector<std::string> found = Refs(book.Search(QString::fromUtf16(rahman)));
        EXPECT_TRUE(Holds(found, "1:3") && Holds(found, "55:1"));
    }
    // هذا finds هَٰذَا, and marks it whole, the marks on its last letter included.
    const size_t v2_25 = *book.Find({2, 25});
    EXPECT_TRUE(Holds(Refs(book.Search(u"\u0647\u0630\u0627")), "2:25"));
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
    EXPECT_TRUE(book.Search(u"\u0640 \u064E").empty());
}

TEST(SearchIndexTest, OffersTheVerseAReferenceNames) {
    const SearchIndex& book = Book();
    EXPECT_EQ(Refs(book.Search(u"2:255")), std::vector<std::string>{"2:255"});
    EXPECT_EQ(Refs(book.Search(u"\u06F1\u06F1\u06F4:\u0666")), std::vector<std::string>{"114:6"});
    EXPECT_TRUE(book.Search(u"2:287").empty());
    EXPECT_TRUE(book.Search(u"115:1").empty());
}

TEST(SearchIndexTest, DamagedArchivesGiveAnErrorNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString support = dir.filePath(QStringLiteral("support.dat"));
    auto message = [&] {
        try {
            SearchIndex::Build(dir.path());
        } catch (const SearchIndexError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message().find("support.dat"), std::string::npos) << message();
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
    EXPECT_NE(message().find("page 604"), std::string::npos) << message();
    ASSERT_TRUE(QFile::remove(support) && QFile::copy(kArchives + "/support.dat", support));
    // A member that does not decode: the first page stream of order5.dat names another format;
    // then an archive cut short.
    QFile order5(dir.filePath(QStringLiteral("order5.dat")));
    ASSERT_TRUE(order5.open(QIODevice::ReadWrite) && order5.write("HE9\r") == 4);
    order5.close();
    EXPECT_NE(message().find("order5.dat"), std::string::npos) << message();
    EXPECT_NE(message().find("corrupt"), std::string::npos) << message();
    QFile order3(dir.filePath(QStringLiteral("order3.dat")));
    ASSERT_TRUE(order3.resize(order3.size() / 2));
    EXPECT_NE(message().find("order3.dat"), std::string::npos) << message();
}

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome Pack(const QStringList& args) {
    QProcess pack;
    pack.start(QStringLiteral(PAGORA_PACK_EXE), args);
    pack.waitForFinished(60000);
    return {pack.exitStatus() == QProcess::NormalExit ? pack.exitCode() : -1,
            QString::fromUtf8(pack.readAllStandardOutput()),
            QString::fromUtf8(pack.readAllStandardError())};
}

TEST(PackSearchTest, PrintsSuraVersePageOfEachVerseFound) {
    const Outcome kursi = Pack({"search", kArchives, "2:255"});
    EXPECT_EQ(kursi.status, 0);
    EXPECT_EQ(kursi.out, QStringLiteral("2:255 42\n"));

    const QString rahman = QString::fromUtf16(u"\u0627\u0644\u0631\u062D\u0645\u0627\u0646");
    const Outcome found = Pack({"search", kArchives, rahman});
    QString expected;
    for (const size_t i : Book().Search(rahman)) {
        const IndexedVerse& v = Book().Verse(i);
        expected += QStringLiteral("%1:%2 %3\n").arg(v.sura).arg(v.verse).arg(v.page);
    }
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, expected);
    EXPECT_TRUE(found.out.startsWith(QStringLiteral("1:1 1\n1:3 1\n"))) << found.out.toStdString();

    for (const QString& none : {QStringLiteral("xyz"), QStringLiteral("2:287"), QString()}) {
        const Outcome o = Pack({"search", kArchives, none});
        EXPECT_EQ(o.status, 1);
        EXPECT_TRUE(o.out.isEmpty() && o.err.isEmpty()) << o.err.toStdString();
    }
    const Outcome missing = Pack({"search", kArchives + "/none", "x"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(QStringLiteral("support.dat"))) << missing.err.toStdString();

    for (const QStringList& bad : {QStringList{"search"}, QStringList{"search", kArchives},
                                   QStringList{"search", kArchives, "a", "b"},
                                   QStringList{"search", "--all", kArchives, "a"}}) {
        const Outcome o = Pack(bad);
        EXPECT_EQ(o.status, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(o.out.isEmpty());
    }
}

}  // namespace
}  // namespace pagora::search
