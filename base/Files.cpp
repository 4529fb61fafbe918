#include "base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace pagora {

UniqueFd OpenFile(const std::string& path, int flags, const std::string& source, mode_t mode) {
    UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC, mode));
    if (!fd.valid()) {
        throw FileError(errno, source, path);
    }
    return fd;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, const std::string& source,
                                   size_t maxSize) {
    const UniqueFd fd = OpenFile(path, O_RDONLY, source);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        throw FileError(errno, source, path);
    }
    auto tooLarge = [&] {
        return Error(errnum::kOverflow, source, "Overflow: file too large: " + path);
    };
    if (st.st_size > 0 && static_cast<uintmax_t>(st.st_size) > maxSize) {
        throw tooLarge();
    }
    // The size is only a hint: the file may shrink or grow while it is read.
    std::vector<uint8_t> bytes;
    size_t want = static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 1;
    for (;;) {
        // One byte more than the room left tells a file that is too long.
        const size_t room = maxSize - bytes.size();
        const std::vector<uint8_t> more = ReadAt(fd.get(), static_cast<int64_t>(bytes.size()),
                                                 room < want ? room + 1 : want, source, path);
        bytes.insert(bytes.end(), more.begin(), more.end());
        if (bytes.size() > maxSize) {
            throw tooLarge();
        }
        if (more.empty()) {
            return bytes;
        }
        want = 1 << 16;
    }
}

std::vector<uint8_t> ReadAt(int fd, int64_t offset, size_t count, const std::string& source,
                            const std::string& path) {
    std::vector<uint8_t> bytes(count);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, bytes.data() + done, count - done,
                                  static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, source, path);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

void WriteAllAt(int fd, const void* data, size_t size, int64_t offset, const std::string& source,
                const std::string& path) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, source, path);
        }
        bytes += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
}

void WriteNewFile(const std::string& path, const void* data, size_t size, const std::string& source,
                  mode_t mode) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && ::unlink(path.c_str()) != 0) {
        throw FileError(errno, source, path);
    }
    UniqueFd fd = OpenFile(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, source, mode);
    try {
        WriteAllAt(fd.get(), data, size, 0, source, path);
        fd.Close(source, path);
    } catch (const Error&) {
        ::unlink(path.c_str());  // a full disk must not leave an empty or partial file
        throw;
    }
}

std::string SystemTempFolder() {
    const char* tmpdir = std::getenv("TMPDIR");
    return (tmpdir != nullptr && tmpdir[0] == '/') ? tmpdir : "/tmp";
}

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
    std::string base = SystemTempFolder();
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    path_ = base + "/" + prefix + "-XXXXXX";
    if (::mkdtemp(path_.data()) == nullptr) {
        throw FileError(errno, "TemporaryFolder", path_);
    }
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace pagora
