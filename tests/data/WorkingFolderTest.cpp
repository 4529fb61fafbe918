// Choosing the working folder: a private folder of this user, never one that someone else
// prepared, and the executable's folder when there is no temporary folder at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "data/Module1.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;

constexpr uid_t kOtherUser = 65534;

class WorkingFolderChoice : public TestFolder {
  protected:
    void SetUp() override {
        tmp_ = dir_ / "tmp";
        fs::create_directory(tmp_);
        exe_ = (dir_ / "bin").string();
        fixed_ = (tmp_ / ("PG-" + std::to_string(::geteuid()))).string();
    }

    std::string Choose(const std::optional<std::string>& xdg = std::nullopt) {
        SetWorkingFolder(exe_, TempEnvironment{tmp_.string(), xdg});
        return WorkingFolder();
    }

    // The chosen folder is a real folder of ours with mode 0700, named by a path ending in "/".
    static void ExpectPrivate(const std::string& folder) {
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.back(), '/');
        struct stat st {};
        ASSERT_EQ(::lstat(folder.substr(0, folder.size() - 1).c_str(), &st), 0) << folder;
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
        EXPECT_EQ(st.st_uid, ::geteuid()) << folder;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << folder;
    }

    // A fresh folder made beside the fixed one because the fixed one was unfit.
    void ExpectFreshBesideFixed(const std::string& folder) const {
        EXPECT_EQ(folder.rfind(fixed_ + "-", 0), 0u) << folder;
        EXPECT_EQ(folder.size(), fixed_.size() + 1 + 6 + 1) << folder;
        ExpectPrivate(folder);
    }

    static mode_t Mode(const fs::path& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }

    fs::path tmp_;
    std::string exe_;
    std::string fixed_;
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
    // A trailing separator on the temporary folder changes nothing.
    SetWorkingFolder(exe_, TempEnvironment{tmp_.string() + "/", std::nullopt});
    EXPECT_EQ(WorkingFolder(), folder);
}

TEST_F(WorkingFolderChoice, UnfitFolderInItsPlaceIsLeftAsItWasAndAFreshOneMadeBeside) {
    for (mode_t mode : {0755, 0770, 0701, 0500}) {  // group or other permissions, or no writing
        ASSERT_EQ(::mkdir(fixed_.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(fixed_.c_str(), mode), 0);
        ExpectFreshBesideFixed(Choose());
        EXPECT_EQ(Mode(fixed_), mode);
        fs::remove_all(fixed_);
    }
    if (::geteuid() == 0) {  // only root can hand a folder to another user
        ASSERT_EQ(::mkdir(fixed_.c_str(), 0700), 0);
        ASSERT_EQ(::chown(fixed_.c_str(), kOtherUser, kOtherUser), 0);
        ExpectFreshBesideFixed(Choose());
        fs::remove_all(fixed_);
    }
    // A link to a folder, a dangling link, a file.
    const fs::path elsewhere = dir_ / "elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0700), 0);
    fs::create_directory_symlink(elsewhere, fixed_);
    ExpectFreshBesideFixed(Choose());
    EXPECT_TRUE(fs::is_empty(elsewhere));
    fs::remove(fixed_);
    fs::create_symlink(dir_ / "dangling", fixed_);
    ExpectFreshBesideFixed(Choose());
    EXPECT_FALSE(fs::exists(dir_ / "dangling"));
    fs::remove(fixed_);
    WriteText(fixed_, "a file");
    ExpectFreshBesideFixed(Choose());
    EXPECT_EQ(ReadText(fixed_), "a file");
}

TEST_F(WorkingFolderChoice, OnlyAFolderMadeForThisRunIsRemovedAtTheEnd) {
    WriteText(fixed_, "a file in the way");
    const std::string fresh = Choose();
    ExpectFreshBesideFixed(fresh);
    WriteText(fresh + "top.gif", "frame image");
    WriteText(fresh + "pagora.lock", "");
    ReleaseWorkingFolder();
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(WorkingFolder(), "");
    EXPECT_EQ(ReadText(fixed_), "a file in the way");

    // The fixed folder, the executable's folder and a folder of the user's choice stay.
    fs::remove(fixed_);
    const std::string fixed = Choose();
    const std::string chosen = (dir_ / "chosen").string();
    fs::create_directory(chosen);
    for (const auto& use :
         std::vector<std::function<void()>>{[&] { Choose(); },
                                            [&] {
                                                SetWorkingFolder(exe_, {"", std::nullopt});
                                            },
                                            [&] { UseWorkingFolder(chosen); }}) {
        use();
        const std::string folder = WorkingFolder();
        ReleaseWorkingFolder();
        EXPECT_EQ(WorkingFolder(), folder);
    }
    EXPECT_TRUE(fs::is_directory(fixed));
    EXPECT_TRUE(fs::is_directory(chosen));
}

TEST_F(WorkingFolderChoice, MissingTemporaryFolderMeansTheExecutablesFolder) {
    SetWorkingFolder(exe_, TempEnvironment{(dir_ / "no-such-folder").string(), std::nullopt});
    EXPECT_EQ(WorkingFolder(), exe_ + "/");
    SetWorkingFolder(exe_, TempEnvironment{"", std::nullopt});
    EXPECT_EQ(WorkingFolder(), exe_ + "/");
    // A file where the temporary folder should be is no folder either.
    WriteText(dir_ / "tmpfile", "x");
    SetWorkingFolder(exe_, TempEnvironment{(dir_ / "tmpfile").string(), std::nullopt});
    EXPECT_EQ(WorkingFolder(), exe_ + "/");
}

TEST_F(WorkingFolderChoice, PrivateRuntimeFolderIsPreferred) {
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
    const std::string fresh = Choose(xdg.string());
    EXPECT_EQ(fresh.rfind((xdg / "PG-").string(), 0), 0u) << fresh;
    ExpectPrivate(fresh);
}

TEST_F(WorkingFolderChoice, UnfitRuntimeFolderFallsBackToTheTemporaryFolder) {
    const fs::path xdg = dir_ / "run";
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    const fs::path link = dir_ / "run-link";
    fs::create_directory_symlink(xdg, link);

    std::vector<std::optional<std::string>> unfit = {std::string(), "run",
                                                     (dir_ / "missing").string(), link.string()};
    for (const auto& value : unfit) {
        EXPECT_EQ(Choose(value), fixed_ + "/") << *value;
    }
    ASSERT_EQ(::chmod(xdg.c_str(), 0750), 0);
    EXPECT_EQ(Choose(xdg.string()), fixed_ + "/");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(xdg.c_str(), 0700), 0);
        ASSERT_EQ(::chown(xdg.c_str(), kOtherUser, kOtherUser), 0);
        EXPECT_EQ(Choose(xdg.string()), fixed_ + "/");
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
    TempEnvironment environment = TempEnvironment::FromProcess();
    EXPECT_EQ(environment.systemTemp, tmp_.string());
    EXPECT_FALSE(environment.xdgRuntimeDir.has_value());
    SetWorkingFolder(exe_);
    EXPECT_EQ(WorkingFolder(), fixed_ + "/");

    ::setenv("TMPDIR", "relative/tmp", 1);
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    environment = TempEnvironment::FromProcess();
    EXPECT_EQ(environment.systemTemp, "/tmp");
    EXPECT_EQ(environment.xdgRuntimeDir, "/run/user/4242");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TempEnvironment::FromProcess().systemTemp, "/tmp");

    oldTmp ? ::setenv("TMPDIR", savedTmp.c_str(), 1) : ::unsetenv("TMPDIR");
    oldXdg ? ::setenv("XDG_RUNTIME_DIR", savedXdg.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace pagora
