// Page texts fetched from the page archives through the working folder.
#include "reader/PageSource.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "data/Module1.h"
#include "tests/support/SmallBook.h"

namespace pagora::testing {
namespace {

// Two readers sharing a working folder extract the same page under the same name; each must
// get the whole page every time.
TEST(ArchivePageSource, ReadersFetchingTheSamePageTogetherEachGetIt) {
    QTemporaryDir archives, working;
    ASSERT_TRUE(archives.isValid() && working.isValid());
    const SmallBook book;
    book.WritePages(archives.path());
    UseWorkingFolder(working.path().toStdString());
    const QString folder = QString::fromStdString(WorkingFolder());
    std::atomic<int> wrong{0};
    auto fetch = [&] {
        ArchivePageSource source(archives.path(), folder);
        for (int k = 0; k < 300; ++k) {
            try {
                wrong += source.FetchPageText(QStringLiteral("440")) != book.pages.at(440);
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
