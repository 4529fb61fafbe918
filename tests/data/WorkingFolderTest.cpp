// Choosing the working folder: a private folder of this user, never one that someone else
// prepared, and the executable's folder when there is no temporary folder at all; and its lock.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "data/FolderLock.h"
#include "data/Module1.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;
using namespace std::chrono_literals;

constexpr uid_t kOtherUser = 65534;

class WorkingFolderChoice : public TestFolder {
  protected:
    void SetUp() override { fs::create_directories(tmp_); }

    std::string Choose(const std::optional<std::string>& xdg = std::nullopt) {
        return ChooseIn(tmp_.string(), xdg);
    }
    std::string ChooseIn(const std::string& temp, const std::optional<std::string>& xdg = {}) {
        SetWorkingFolder(exe_, TempEnvironment{temp, xdg});
        return WorkingFolder();
    }

    // The chosen folder is a real folder of ours with mode 0700, named by a path ending in "/";
    // with `beside`, a fresh one made beside that one, which was unfit.
    static void ExpectPrivate(const std::string& folder, const std::string& beside = "") {
        if (!beside.empty()) {
            EXPECT_EQ(folder.rfind(beside + "-", 0), 0u) << folder;
            EXPECT_EQ(folder.size(), beside.size() + 1 + 6 + 1) << folder;
        }
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.back(), '/');
        struct stat st {};
        ASSERT_EQ(::lstat(folder.substr(0, folder.size() - 1).c_str(), &st), 0) << folder;
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
        EXPECT_EQ(st.st_uid, ::geteuid()) << folder;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
    }

    const fs::path tmp_ = dir_ / "tmp";
    const std::string exe_ = dir_ / "bin";
    const std::string fixed_ = tmp_ / ("PG-" + std::to_string(::geteuid()));
};

TEST_F(WorkingFolderChoice, PrivatePerUserFolderUnderTheTemporaryFolderIsMadeAndReused) {
    const mode_t old = ::umask(0277);  // private whatever the umask
    const std::string folder = Choose();
    ::umask(old);
    EXPECT_EQ(folder, fixed_ + "/");
    ExpectPrivate(folder);
    WriteText(folder + "left.txt", "from an earlier run");
    EXPECT_EQ(Choose(), folder);
    EXPECT_EQ(ReadText(folder + "left.txt"), "from an earlier run");
    EXPECT_EQ(ChooseIn(tmp_.string() + "/"), folder);  // a trailing separator changes nothing
}

TEST_F(WorkingFolderChoice, UnfitFolderInItsPlaceIsLeftAsItWasAndAFreshOneMadeBeside) {
    for (mode_t mode : {0755, 0770, 0701, 0500}) {  // group or other permissions, or no writing
        ASSERT_EQ(::mkdir(fixed_.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(fixed_.c_str(), mode), 0);
        ExpectPrivate(Choose(), fixed_);
        struct stat st {};
        EXPECT_EQ(::lstat(fixed_.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        fs::remove_all(fixed_);
    }
    if (::geteuid() == 0) {  // only root can hand a folder to another user
        ASSERT_EQ(::mkdir(fixed_.c_str(), 0700), 0);
        ASSERT_EQ(::chown(fixed_.c_str(), kOtherUser, kOtherUser), 0);
        ExpectPrivate(Choose(), fixed_);
        fs::remove_all(fixed_);
    }
    // A link to a folder, a dangling link.
    const fs::path elsewhere = dir_ / "elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    fs::create_directory_symlink(elsewhere, fixed_);
    ExpectPrivate(Choose(), fixed_);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove(fixed_);
    fs::create_symlink(dir_ / "dangling", fixed_);
    ExpectPrivate(Choose(), fixed_);
    EXPECT_FALSE(fs::exists(dir_ / "dangling"));
}

TEST_F(WorkingFolderChoice, OnlyAFolderMadeForThisRunIsRemovedAtTheEnd) {
    WriteText(fixed_, "a file in the way");
    const std::string fresh = Choose();
    ExpectPrivate(fresh, fixed_);
    WriteText(fresh + "top.gif", "frame image");
    WriteText(fresh + "pagora.lock", "");
    ReleaseWorkingFolder();
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(WorkingFolder(), "");
    EXPECT_EQ(ReadText(fixed_), "a file in the way");

    // The fixed folder, the executable's folder and a folder of the user's choice stay.
    fs::remove(fixed_);
    const std::string chosen = dir_ / "chosen";
    fs::create_directory(chosen);
    for (const std::function<void()>& use :
         {std::function<void()>([&] { Choose(); }), std::function<void()>([&] { ChooseIn(""); }),
          std::function<void()>([&] { UseWorkingFolder(chosen); })}) {
        use();
        const std::string folder = WorkingFolder();
        ReleaseWorkingFolder();
        EXPECT_EQ(WorkingFolder(), folder);
    }
    EXPECT_TRUE(fs::is_directory(fixed_));
    EXPECT_TRUE(fs::is_directory(chosen));
}

TEST_F(WorkingFolderChoice, MissingTemporaryFolderMeansTheExecutablesFolder) {
    WriteText(dir_ / "tmpfile", "x");  // a file where the temporary folder should be
    for (const std::string& temp :
         {(dir_ / "no-such-folder").string(), std::string(), (dir_ / "tmpfile").string()}) {
        EXPECT_EQ(ChooseIn(temp), exe_ + "/") << temp;
    }
}

TEST_F(WorkingFolderChoice, PrivateRuntimeFolderIsPreferredAndAnUnfitOnePassedOver) {
    const fs::path xdg = dir_ / "run";
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(xdg.c_str(), 0700), 0);
    const std::string folder = Choose(xdg.string());
    EXPECT_EQ(folder, (xdg / "PG").string() + "/");
    ExpectPrivate(folder);
    EXPECT_EQ(Choose(xdg.string() + "/"), folder);
    EXPECT_FALSE(fs::exists(fixed_));

    // Something unfit named PG there: a fresh folder beside it, still in the runtime folder.
    fs::remove_all(xdg / "PG");
    fs::create_directory_symlink(tmp_, xdg / "PG");
    ExpectPrivate(Choose(xdg.string()), xdg / "PG");
    fs::remove(xdg / "PG");

    // An empty, relative or unfit runtime folder is passed over for the temporary folder.
    ASSERT_EQ(::chmod(xdg.c_str(), 0750), 0);
    for (const std::string& value : {std::string(), std::string("run"), xdg.string()}) {
        EXPECT_EQ(Choose(value), fixed_ + "/") << value;
    }
    EXPECT_FALSE(fs::exists(xdg / "PG"));
}

TEST_F(WorkingFolderChoice, EnvironmentNamesTheFolders) {
    const char* oldTmp = std::getenv("TMPDIR");
    const char* oldXdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    const std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("TMPDIR", tmp_.c_str(), 1);
    ::unsetenv("XDG_RUNTIME_DIR");
    SetWorkingFolder(exe_);
    EXPECT_EQ(WorkingFolder(), fixed_ + "/");
    // A relative or missing temporary folder means /tmp.
    ::setenv("TMPDIR", "relative/tmp", 1);
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    const TempEnvironment environment = TempEnvironment::FromProcess();
    EXPECT_EQ(environment.systemTemp, "/tmp");
    EXPECT_EQ(environment.xdgRuntimeDir, "/run/user/4242");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TempEnvironment::FromProcess().systemTemp, "/tmp");

    oldTmp ? ::setenv("TMPDIR", savedTmp.c_str(), 1) : ::unsetenv("TMPDIR");
    oldXdg ? ::setenv("XDG_RUNTIME_DIR", savedXdg.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

// The lock that lets readers sharing a working folder use it one at a time; a folder that
// cannot be opened is used without it.
using FolderLockTest = TestFolder;

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
    EXPECT_FALSE(FolderLock((dir_ / "missing").string(), 10ms).Held());
}

}  // namespace
}  // namespace pagora
