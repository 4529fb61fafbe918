// Where the reader finds its archives: beside the program, or in ../share/pagora when installed.
#include <QDirIterator>

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

    ReaderCore& core = Start();
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "440");
    core.NextPage();  // a page archive of the data folder
    EXPECT_EQ(Shown(View::SinglePage).pageKey, "441");
    Close();
    EXPECT_EQ(FilesUnder(prefix), installed);
}

}  // namespace
}  // namespace pagora::testing
