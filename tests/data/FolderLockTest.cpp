// The lock that lets readers sharing a working folder use it one at a time.
#include "data/FolderLock.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace std::chrono_literals;

class FolderLockTest : public testing::TestFolder {};

TEST_F(FolderLockTest, OneHolderAtATimeAndTheNextOneWaitsForIt) {
    auto first = std::make_unique<FolderLock>(dir_.string());
    ASSERT_TRUE(first->Held());
    EXPECT_FALSE(FolderLock(dir_.string(), 30ms).Held());
    std::thread release([&first] {
        std::this_thread::sleep_for(50ms);
        first.reset();
    });
    const FolderLock next(dir_.string(), 5s);
    release.join();
    EXPECT_TRUE(next.Held());
}

TEST_F(FolderLockTest, AFolderThatCannotBeOpenedIsUsedWithoutTheLock) {
    EXPECT_FALSE(FolderLock((dir_ / "missing").string(), 10ms).Held());
}

}  // namespace
}  // namespace pagora
