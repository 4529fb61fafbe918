#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/UniqueFd.h"

namespace pagora {

// The small POSIX file operations the reader and its tools share. Failures throw FileError
// (base/Error.h) naming `source` and the path.

// Opens `path` with open(2) `flags` (O_CLOEXEC is always added).
UniqueFd OpenFile(const std::string& path, int flags, const std::string& source,
                  mode_t mode = 0644);

// The whole content of the file at `path`; Error 6 (overflow) when it is longer than `maxSize`.
std::vector<uint8_t> ReadWholeFile(const std::string& path, const std::string& source,
                                   size_t maxSize = SIZE_MAX);

// Up to `count` bytes of the open file from `offset` on; fewer when the file ends first.
std::vector<uint8_t> ReadAt(int fd, int64_t offset, size_t count, const std::string& source,
                            const std::string& path);

// Writes all `size` bytes at `offset`, however many calls the kernel needs.
void WriteAllAt(int fd, const void* data, size_t size, int64_t offset, const std::string& source,
                const std::string& path);

// Makes `data` the whole content of a freshly created file at `path`. Whatever non-folder entry
// held that name goes first, so that a link planted there is replaced, never followed. When the
// data cannot be written whole, no file is left.
void WriteNewFile(const std::string& path, const void* data, size_t size, const std::string& source,
                  mode_t mode = 0644);
inline void WriteNewFile(const std::string& path, const std::vector<uint8_t>& bytes,
                         const std::string& source) {
    WriteNewFile(path, bytes.data(), bytes.size(), source);
}

// The system's temporary folder: $TMPDIR when it is an absolute path, else "/tmp".
std::string SystemTempFolder();

// A private folder "<system temp>/<prefix>-XXXXXX", removed with its content when dropped.
class TemporaryFolder {
  public:
    explicit TemporaryFolder(const std::string& prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Without a trailing "/".
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace pagora
