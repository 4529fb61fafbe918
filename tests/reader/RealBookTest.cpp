#include <QFileInfo>

#include "reader/PageDocument.h"
#include "reader/PageSource.h"
#include "reader/TypedNumber.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

QString DataFolder() {
    const QByteArray override = qgetenv("PAGORA_DATA_DIR");
    return override.isEmpty() ? QStringLiteral(PAGORA_BIN_DIR) : QString::fromLocal8Bit(override);
}

// The verse number written in Arabic-Indic digits at the end of a page-text line, or -1.
int TrailingVerseNumber(const QString& line) {
    static const QRegularExpression digits(QStringLiteral("[\u0660-\u0669]+$"));
    const QString found = digits.match(line).captured();
    return found.isEmpty() ? -1 : std::stoi(AsciiDigits(found));
}

using RealBook = CoreTest;

// Every verse link of the shipped book against the verse numbers printed in the page texts.
TEST_F(RealBook, EveryVerseLinkNamesTheVerseItsLineEndsWith) {
    const QString folder = DataFolder();
    if (!QFileInfo(folder + "/support.dat").isFile() ||
        !QFileInfo(folder + "/order9.dat").isFile()) {
        GTEST_SKIP() << "The real archives are not in " << folder.toStdString()
                     << " (build the data with `make`, or set PAGORA_DATA_DIR)";
    }
    process_.folder = folder;
    process_.lastRunning = false;
    ReaderCore& w = Start();
    const QuranIndex& index = w.Index();
    ASSERT_FALSE(index.suraMarker.isEmpty());

    ArchivePageSource pages(folder, WorkingFolderPath());
    int previousSura = 0;
    int previousVerse = 0;
    int verses = 0;
    for (int page = 1; page <= 604; ++page) {
        const QString text = pages.FetchPageText(PadWithZeros(page, 3));

        QStringList surasSeen;
        bool afterHeader = false;
        int link = 0;
        for (const QString& line : text.split("\r\n")) {
            if (page != 1 && page != 187 && afterHeader) {
                afterHeader = false;
                continue;
            }
            if (line.contains(index.suraMarker)) {
                afterHeader = true;
                continue;
            }
            ++link;
            const QString reference = w.GetSuraVerse(page, link);
            const int sura = reference.section(':', 0, 0).toInt();
            const int verse = reference.section(':', 1, 1).toInt();
            ASSERT_EQ(verse, TrailingVerseNumber(line))
                << "page " << page << " link " << link << " gave " << reference.toStdString();
            if (verse == 1) {
                ASSERT_EQ(sura, previousSura + 1) << "page " << page << " link " << link;
                if (previousSura > 0) {
                    ASSERT_EQ(previousVerse, index.verseCount[previousSura - 1].toInt())
                        << "sura " << previousSura << " ends early";
                }
            } else {
                ASSERT_EQ(std::pair(sura, verse), std::pair(previousSura, previousVerse + 1))
                    << "page " << page << " link " << link;
            }
            previousSura = sura;
            previousVerse = verse;
            ++verses;
            surasSeen << index.suraNames[sura - 1];
        }
        surasSeen.removeDuplicates();
        EXPECT_EQ(w.SurasInPage(page).split("\r\n", Qt::SkipEmptyParts), surasSeen)
            << "page " << page;
        if (page % 50 == 0 || page == 1 || page == 604) {
            w.LoadPage(View::SinglePage, static_cast<int16_t>(page));
            EXPECT_EQ(w.Document(View::SinglePage).count("href='#aya"), link) << "page " << page;
        }
    }
    EXPECT_EQ(previousSura, 114);
    EXPECT_EQ(verses, 6236);
}

}  // namespace
}  // namespace pagora::testing
