#include "data/Module1.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Files.h"
#include "codec/clsCompress.h"
#include "data/ArchiveFormat.h"

namespace pagora {
namespace {

constexpr const char* kExtractSource = "Module1.ExtractArchiveMember()";

std::string g_workingFolder;
// Whether g_workingFolder is a fresh folder made for this run, which ReleaseWorkingFolder removes.
bool g_madeForThisRun = false;

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Looks at `path` itself, never through a link: true when it is a folder owned by this user
// with exactly the owner's permissions. A folder we have just made gets its mode set instead,
// since the umask may have taken bits from it.
bool IsPrivateFolder(const std::string& path, bool justMade) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    if (justMade) {
        return ::fchmod(fd.get(), 0700) == 0;
    }
    return (st.st_mode & 0777) == 0700;
}

struct Folder {
    std::string path;  // ends with "/"
    bool madeForThisRun = false;
};

// The private folder `name` inside `parent`, made when missing; when something unfit already
// holds that name, a fresh folder "<name>-XXXXXX" beside it, made for this run alone.
std::optional<Folder> PrivateFolderIn(const std::string& parent, const std::string& name) {
    const std::string path = WithSlash(WithoutSlash(parent)) + name;
    if (::mkdir(path.c_str(), 0700) == 0) {
        if (IsPrivateFolder(path, true)) {
            return Folder{path + "/"};
        }
    } else if (errno == EEXIST && IsPrivateFolder(path, false)) {
        return Folder{path + "/"};
    }
    std::string pattern = path + "-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr && IsPrivateFolder(pattern, true)) {
        return Folder{pattern + "/", true};
    }
    return std::nullopt;
}

Folder ChooseWorkingFolder(const std::string& executableFolder,
                           const TempEnvironment& environment) {
    const Folder fallback{WithSlash(executableFolder)};
    if (environment.xdgRuntimeDir && !environment.xdgRuntimeDir->empty() &&
        environment.xdgRuntimeDir->front() == '/' &&
        IsPrivateFolder(WithoutSlash(*environment.xdgRuntimeDir), false)) {
        if (auto folder = PrivateFolderIn(*environment.xdgRuntimeDir, "PG")) {
            return *folder;
        }
    }
    if (!IsFolder(environment.systemTemp)) {
        return fallback;
    }
    if (auto folder =
            PrivateFolderIn(environment.systemTemp, "PG-" + std::to_string(::geteuid()))) {
        return *folder;
    }
    return fallback;
}

}  // namespace

TempEnvironment TempEnvironment::FromProcess() {
    TempEnvironment environment;
    environment.systemTemp = SystemTempFolder();
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR")) {
        environment.xdgRuntimeDir = xdg;
    }
    return environment;
}

const std::string& WorkingFolder() {
    return g_workingFolder;
}

void SetWorkingFolder(const std::string& executableFolder) {
    SetWorkingFolder(executableFolder, TempEnvironment::FromProcess());
}

void SetWorkingFolder(const std::string& executableFolder, const TempEnvironment& environment) {
    const Folder folder = ChooseWorkingFolder(executableFolder, environment);
    g_workingFolder = folder.path;
    g_madeForThisRun = folder.madeForThisRun;
}

void UseWorkingFolder(const std::string& folder) {
    g_workingFolder = WithSlash(folder.empty() ? "." : folder);
    g_madeForThisRun = false;
}

void ReleaseWorkingFolder() {
    if (!g_madeForThisRun) {
        return;
    }
    const std::string folder = WithoutSlash(g_workingFolder);
    g_workingFolder.clear();
    g_madeForThisRun = false;
    // Everything in it is this run's; a folder inside, which the reader never makes, keeps it.
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    DIR* entries = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
    if (entries == nullptr) {
        return;
    }
    fd.Release();
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
        }
    }
    ::closedir(entries);
    ::rmdir(folder.c_str());
}

std::string ExtractArchiveMember(const std::string& strArchivePath,
                                 const std::string& strMemberName) {
    if (g_workingFolder.empty()) {
        throw Error(errnum::kPathNotFound, kExtractSource,
                    "Path not found: the working folder has not been set");
    }
    // Members are extracted under their plain name; anything else would land outside the
    // working folder, and no such name can be listed.
    if (const auto fault = MemberNameFault(strMemberName)) {
        throw Error(errnum::kBadFileName, kExtractSource,
                    "Bad file name or number: the member name \"" + Escaped(strMemberName) + "\" " +
                        *fault);
    }
    // Every failure names the member; those of the archive name the archive too.
    const std::string member = "Cannot extract member \"" + Escaped(strMemberName) + "\"";
    auto fail = [&](const Error& e, const std::string& context) {
        return Error(e.Number(), kExtractSource, member + context + ": " + e.Description());
    };
    ArchiveDirectory directory;
    std::vector<uint8_t> bytes;
    const ArchiveEntry* entry = nullptr;
    try {
        directory = ReadArchiveDirectory(strArchivePath, DirectoryReading::kReader, kExtractSource);
        // The membership test in upper case and the walk through the names in their exact
        // case find the first name that equals the request exactly; one that differs only in
        // letter case is not found.
        entry = directory.Find(strMemberName);
        if (entry == nullptr) {
            return "filenotfound";
        }
        bytes = ReadStoredStream(strArchivePath, *entry, kExtractSource);
    } catch (const Error& e) {
        throw fail(e, "");
    }

    // Decoded in memory first, so that nothing but a whole, sound member becomes a file.
    const std::string ofArchive = " of the archive " + strArchivePath;
    clsCompress codec;
    DecodeReport report;
    try {
        report = codec.DecodeStream(bytes);
    } catch (const Error& e) {
        throw fail(e, ofArchive);
    }
    if (const char* flaw = report.Flaw()) {
        throw Error(errnum::kComponentError, kExtractSource,
                    member + ofArchive + ": it is corrupted (" + flaw + ")");
    }
    codec.ExtractFile(g_workingFolder + strMemberName, bytes);
    return "";
}

}  // namespace pagora
