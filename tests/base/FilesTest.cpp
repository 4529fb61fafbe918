// The shared file operations, where their callers do not reach.
#include "base/Files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

#include <filesystem>

#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;

TEST(Files, WholeFilesOfAnySizeUpToTheLimit) {
    TemporaryFolder folder("pagora-files-test");
    const std::string path = folder / "f";
    for (const size_t size : {size_t{0}, size_t{1}, size_t{70000}}) {
        WriteText(path, std::string(size, 'x'));
        EXPECT_EQ(ReadWholeFile(path, "t").size(), size);
        EXPECT_EQ(ReadWholeFile(path, "t", size).size(), size);
        if (size > 0) {
            EXPECT_EQ(CaughtError([&] { ReadWholeFile(path, "t", size - 1); }).Number(),
                      errnum::kOverflow);
        }
    }
    // A file that reports no size still reads whole.
    EXPECT_NE(Text(ReadWholeFile("/proc/self/status", "t")).find("Pid:"), std::string::npos);
    EXPECT_EQ(CaughtError([&] { ReadWholeFile(folder / "none", "t"); }).Number(),
              errnum::kFileNotFound);
}

TEST(Files, ReadsAndWritesAtOffsets) {
    TemporaryFolder folder("pagora-files-test");
    const std::string path = folder / "f";
    {
        UniqueFd fd = OpenFile(path, O_RDWR | O_CREAT, "t");
        WriteAllAt(fd.get(), "abcdef", 6, 0, "t", path);
        WriteAllAt(fd.get(), "XY", 2, 8, "t", path);
        EXPECT_EQ(Text(ReadAt(fd.get(), 4, 100, "t", path)), std::string("ef\0\0XY", 6));
        EXPECT_TRUE(ReadAt(fd.get(), 50, 4, "t", path).empty());
    }
    // A new file replaces a link, live or dangling, instead of writing through it.
    std::filesystem::rename(path, folder / "target");
    std::filesystem::create_symlink(folder / "target", path);
    std::filesystem::create_symlink(folder / "nowhere", folder / "dangling");
    for (const std::string& link : {path, folder / "dangling"}) {
        WriteNewFile(link, Bytes("new"), "t");
        EXPECT_FALSE(std::filesystem::is_symlink(link));
        EXPECT_EQ(ReadText(link), "new");
    }
    EXPECT_EQ(ReadText(folder / "target").size(), 10u);
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

TEST(Files, AFileThatCannotBeWrittenWholeIsNotLeftBehind) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TemporaryFolder folder("pagora-files-test");
    const std::string path = folder / "f";
    auto writeOnAFullDisk = [&] {
        // Writes past 100 bytes fail, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteNewFile(path, Bytes(std::string(1000, 'x')), "t");
        } catch (const Error&) {
            std::exit(std::filesystem::exists(path) ? 1 : 0);
        }
        std::exit(2);
    };
    EXPECT_EXIT(writeOnAFullDisk(), ::testing::ExitedWithCode(0), "");
}

TEST(Files, TemporaryFolderGoesWithItsContent) {
    std::string path;
    {
        TemporaryFolder folder("pagora-files-test");
        path = folder.Path();
        std::filesystem::create_directories(folder / "a/b");
        WriteText(folder / "a/b/c", "x");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace pagora
