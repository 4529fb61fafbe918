#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/SettingsStore.h"
#include "reader/FileReaders.h"
#include "reader/ReaderCore.h"
#include "tests/support/ReaderDoubles.h"
#include "tests/support/VerseNumbers.h"

namespace pagora::testing {
namespace {

QString DataFolder() {
    const QByteArray override = qgetenv("PAGORA_DATA_DIR");
    return override.isEmpty() ? QStringLiteral(PAGORA_BIN_DIR) : QString::fromLocal8Bit(override);
}

// Every verse link of the shipped book against the verse numbers printed in the page texts.
TEST(RealBook, EveryVerseLinkNamesTheVerseItsLineEndsWith) {
    const QString folder = DataFolder();
    if (!QFileInfo(folder + "/support.dat").isFile() ||
        !QFileInfo(folder + "/order9.dat").isFile()) {
        GTEST_SKIP() << "The real archives are not in " << folder.toStdString()
                     << " (build the data with `make`, or set PAGORA_DATA_DIR)";
    }
    QTemporaryDir tmp, config;
    FakeProcessFacts process;
    process.folder = folder;
    process.lastRunning = false;
    RecordingMessageBoxes boxes;
    ScriptedPrompt prompt;
    RecordingClipboard clipboard;
    RecordingShell shell;
    IniSettingsStore store(config.path());
    RecordingScreen screen;
    ReaderCore w(screen, ReaderServices{store, process, boxes, prompt, clipboard, shell,
                                        std::make_shared<AnsweringPopupMenu>()});
    w.SetUpWorkingFolder(TempEnvironment{tmp.path().toStdString(), std::nullopt});
    w.UnpackSupportFiles();
    w.ReadSettings();
    w.ShowFirstPage();
    const QuranIndex& index = w.Index();
    const QString marker = index.suraMarker;
    ASSERT_FALSE(marker.isEmpty());

    int previousSura = 0;
    int previousVerse = 0;
    int verses = 0;
    for (int page = 1; page <= 604; ++page) {
        const QString key = QStringLiteral("%1").arg(page, 3, 10, QLatin1Char('0'));
        ASSERT_EQ(ExtractArchiveMember((folder + "/order" + key.right(1) + ".dat").toStdString(),
                                       key.toStdString()),
                  "");
        const QString file = QString::fromStdString(WorkingFolder()) + key;
        const QString text = GetFileDataU(file);
        QFile::remove(file);

        QStringList surasSeen;
        bool afterHeader = false;
        int link = 0;
        for (const QString& line : text.split("\r\n")) {
            if (page != 1 && page != 187 && afterHeader) {
                afterHeader = false;
                continue;
            }
            if (line.contains(marker)) {
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
                ASSERT_EQ(sura, previousSura) << "page " << page << " link " << link;
                ASSERT_EQ(verse, previousVerse + 1) << "page " << page << " link " << link;
            }
            previousSura = sura;
            previousVerse = verse;
            ++verses;
            if (!surasSeen.contains(index.suraNames[sura - 1])) {
                surasSeen << index.suraNames[sura - 1];
            }
        }
        QString listed = w.SurasInPage(page);
        if (listed.startsWith("\r\n")) {
            listed.remove(0, 2);
        }
        EXPECT_EQ(listed.split("\r\n"), surasSeen) << "page " << page;
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
