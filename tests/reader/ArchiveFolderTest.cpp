// Where the reader finds its archives and how it fetches page texts from them.
#include <QDirIterator>
#include <atomic>
#include <thread>

#include "data/Module1.h"
#include "reader/PageSource.h"
#include "reader/SupportData.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

using ArchiveFolderTest = CoreTest;

QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

TEST_F(ArchiveFolderTest, BesideTheProgramFirstThenTheInstalledDataFolder) {
    const QString bin = tmpDir_.path() + "/bin";
    const QString share = tmpDir_.path() + "/share/pagora";
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share + "/support.dat"));
    // Nothing anywhere (a folder is no archive): the program's folder, for start-up to report.
    EXPECT_EQ(ArchiveFolder(bin), bin);
    ASSERT_TRUE(QDir(share).rmdir("support.dat") &&
                QFile(share + "/support.dat").open(QIODevice::WriteOnly));
    EXPECT_EQ(ArchiveFolder(bin), share);
    ASSERT_TRUE(QFile(bin + "/support.dat").open(QIODevice::WriteOnly));
    EXPECT_EQ(ArchiveFolder(bin), bin);
}

TEST_F(ArchiveFolderTest, InstalledReaderReadsItsDataFolderAndWritesNothingUnderThePrefix) {
    const QString prefix = exeDir_.path() + "/moved/prefix";
    const QString data = prefix + "/share/pagora";
    ASSERT_TRUE(QDir().mkpath(prefix + "/bin") && QDir().mkpath(data));
    book_.WriteSupport(data);
    book_.WritePages(data);
    process_.folder = prefix + "/bin";
    const QStringList installed = FilesUnder(prefix);

    Start().NextPage();  // a page archive of the data folder
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "441");
    Close();
    EXPECT_EQ(FilesUnder(prefix), installed);
}

// Readers sharing a working folder extract a page under the same name: each gets it whole.
TEST_F(ArchiveFolderTest, ReadersFetchingTheSamePageTogetherEachGetIt) {
    UseWorkingFolder(tmpDir_.path().toStdString());
    const QString folder = WorkingFolderPath();
    std::atomic<int> wrong{0};
    auto fetch = [&] {
        ArchivePageSource source(exeDir_.path(), folder);
        for (int k = 0; k < 300; ++k) {
            try {
                wrong += source.FetchPageText(QStringLiteral("440")) != book_.pages.at(440);
            } catch (const std::exception&) {
                ++wrong;
            }
        }
    };
    { std::jthread first(fetch), second(fetch); }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(QDir(folder).isEmpty());
}

}  // namespace
}  // namespace pagora::testing
