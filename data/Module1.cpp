#include "data/Module1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/clsCompress.h"

namespace pagora {
namespace {

constexpr const char* kExtractSource = "Module1.ExtractArchiveMember()";
constexpr int64_t kTrailerSize = 10;
constexpr int64_t kDirectoryBufferSize = 5000;

std::string g_workingFolder;

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

// The private folder `name` inside `parent`, made when missing; when something unfit already
// holds that name, a fresh folder "<name>-XXXXXX" beside it. Ends with "/".
std::optional<std::string> PrivateFolderIn(const std::string& parent, const std::string& name) {
    const std::string path = WithSlash(WithoutSlash(parent)) + name;
    if (::mkdir(path.c_str(), 0700) == 0) {
        if (IsPrivateFolder(path, true)) {
            return path + "/";
        }
    } else if (errno == EEXIST && IsPrivateFolder(path, false)) {
        return path + "/";
    }
    std::string pattern = path + "-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr && IsPrivateFolder(pattern, true)) {
        return pattern + "/";
    }
    return std::nullopt;
}

std::string ChooseWorkingFolder(const std::string& executableFolder,
                                const TempEnvironment& environment) {
    const std::string fallback = WithSlash(executableFolder);
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

// Archive text quoted for a message: printable characters only, and not too many of them.
std::string Quote(std::string_view text) {
    constexpr size_t kMax = 40;
    std::string out = "\"";
    for (size_t k = 0; k < text.size() && k < kMax; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    if (text.size() > kMax) {
        out += "...";
    }
    return out + "\"";
}

[[noreturn]] void Damaged(int32_t number, const std::string& archive, const std::string& what) {
    throw Error(number, kExtractSource, "The archive " + archive + " is damaged: " + what);
}

// One opening of an archive for reading.
class ArchiveReader {
  public:
    explicit ArchiveReader(const std::string& path)
        : path_(path), fd_(OpenFile(path, O_RDONLY | O_NONBLOCK, kExtractSource)) {
        struct stat st {};
        if (::fstat(fd_.get(), &st) != 0) {
            throw FileError(errno, kExtractSource, path);
        }
        if (!S_ISREG(st.st_mode)) {
            throw Error(errnum::kPathFileAccessError, kExtractSource,
                        "Path/File access error: " + path + " is not a file");
        }
        length_ = st.st_size;
    }

    int64_t Length() const { return length_; }

    // Up to `count` bytes at `offset`; fewer when the file ends first.
    std::string Read(int64_t offset, int64_t count) const {
        const std::vector<uint8_t> bytes =
            ReadAt(fd_.get(), offset, static_cast<size_t>(count), kExtractSource, path_);
        return std::string(bytes.begin(), bytes.end());
    }

  private:
    std::string path_;
    UniqueFd fd_;
    int64_t length_ = 0;
};

// The directory length at the start of the trailer, after optional blanks.
int64_t TrailerNumber(const std::string& trailer, const std::string& archive) {
    size_t k = 0;
    while (k < trailer.size() && (trailer[k] == ' ' || trailer[k] == '\t')) {
        ++k;
    }
    const size_t first = k;
    int64_t value = 0;
    for (; k < trailer.size() && trailer[k] >= '0' && trailer[k] <= '9'; ++k) {
        value = value * 10 + (trailer[k] - '0');  // at most ten digits: no overflow
    }
    if (k == first) {
        Damaged(errnum::kTypeMismatch, archive,
                "its last 10 bytes " + Quote(trailer) + " hold no directory length");
    }
    return value;
}

// A decimal field of the directory, converted as the reader converts numbers.
int64_t FieldNumber(std::string_view field, const std::string& archive, const std::string& what) {
    int32_t value = 0;
    try {
        value = TextToLong(field, kExtractSource);
    } catch (const Error& e) {
        Damaged(e.Number(), archive, what + " " + Quote(field) + " is not a whole number");
    }
    if (value < 0) {
        Damaged(errnum::kInvalidArgument, archive, what + " " + Quote(field) + " is negative");
    }
    return value;
}

std::string AsciiUpper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
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
    g_workingFolder = ChooseWorkingFolder(executableFolder, environment);
}

void UseWorkingFolder(const std::string& folder) {
    g_workingFolder = WithSlash(folder.empty() ? "." : folder);
}

std::string ExtractArchiveMember(const std::string& strArchivePath,
                                 const std::string& strMemberName) {
    if (g_workingFolder.empty()) {
        throw Error(errnum::kPathNotFound, kExtractSource,
                    "Path not found: the working folder has not been set");
    }
    // Members are extracted under their plain name; anything else would land outside the
    // working folder.
    if (!IsPlainFileName(strMemberName)) {
        throw Error(
            errnum::kBadFileName, kExtractSource,
            "Bad file name or number: " + Quote(strMemberName) + " is not a plain member name");
    }
    const std::string& archive = strArchivePath;

    // Trailer and directory, from the end of the file backward.
    std::string buffer;
    {
        ArchiveReader reader(archive);
        const int64_t length = reader.Length();
        if (length < kTrailerSize) {
            Damaged(errnum::kBadRecordNumber, archive,
                    "it is " + std::to_string(length) + " bytes long, shorter than its trailer");
        }
        const int64_t directoryLength =
            TrailerNumber(reader.Read(length - kTrailerSize, kTrailerSize), archive);
        if (directoryLength > length - kTrailerSize) {
            Damaged(errnum::kBadRecordNumber, archive,
                    "its trailer gives a directory of " + std::to_string(directoryLength) +
                        " bytes, which would start before the start of the file");
        }
        buffer = reader.Read(length - kTrailerSize - directoryLength, kDirectoryBufferSize);
    }

    size_t pos = buffer.find(':');
    if (pos == std::string::npos) {
        Damaged(errnum::kInvalidArgument, archive,
                "its directory does not start with a member count followed by \":\"");
    }
    const int64_t count =
        FieldNumber(std::string_view(buffer).substr(0, pos), archive, "the member count");
    ++pos;

    if (AsciiUpper(buffer).find(":" + AsciiUpper(strMemberName) + ":") == std::string::npos) {
        return "filenotfound";
    }

    int64_t field = 0;  // fields taken so far after the count, for messages
    auto nextField = [&](const char* list) {
        const size_t colon = buffer.find(':', pos);
        ++field;
        if (colon == std::string::npos) {
            Damaged(errnum::kInvalidArgument, archive,
                    std::string("its directory ends inside the ") + list + " (field " +
                        std::to_string(field) + " after the count of " + std::to_string(count) +
                        " lacks its \":\")");
        }
        std::string_view text = std::string_view(buffer).substr(pos, colon - pos);
        pos = colon + 1;
        return text;
    };

    int64_t index = 0;
    for (int64_t k = 1; k <= count; ++k) {
        std::string_view name = nextField("name list");
        if (index == 0 && name == strMemberName) {
            index = k;
        }
    }
    if (index == 0) {
        return "filenotfound";  // listed only under another letter case
    }
    for (int64_t k = 1; k <= count; ++k) {
        nextField("second list");
    }
    int64_t offset = 0;
    int64_t size = 0;
    for (int64_t k = 1; k <= index; ++k) {
        size = FieldNumber(nextField("size list"), archive,
                           "the stored size of member " + std::to_string(k));
        if (k < index) {
            offset += size;
        }
    }

    std::vector<uint8_t> stream;
    {
        ArchiveReader reader(archive);
        if (offset + size > reader.Length()) {
            Damaged(errnum::kBadRecordNumber, archive,
                    "member " + Quote(strMemberName) + " would lie at bytes " +
                        std::to_string(offset) + " to " + std::to_string(offset + size) +
                        ", past the end of the file (" + std::to_string(reader.Length()) +
                        " bytes)");
        }
        const std::string bytes = reader.Read(offset, size);
        if (static_cast<int64_t>(bytes.size()) != size) {
            Damaged(errnum::kBadRecordNumber, archive,
                    "it ended while member " + Quote(strMemberName) + " was read");
        }
        stream.assign(bytes.begin(), bytes.end());
    }

    const std::string destination = g_workingFolder + strMemberName;
    clsCompress codec;
    codec.DecodeFile(destination, stream);
    if (codec.ChecksumError()) {
        ::unlink(destination.c_str());
        throw Error(errnum::kComponentError, kExtractSource,
                    "Member " + Quote(strMemberName) + " of the archive " + archive +
                        " is corrupted (checksum did not match expected value); it was not "
                        "extracted");
    }
    return "";
}

}  // namespace pagora
