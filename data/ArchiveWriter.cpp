#include "data/ArchiveWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "codec/Error.h"
#include "codec/clsCompress.h"
#include "data/Module1.h"

namespace pagora {
namespace {

constexpr const char* kWriteSource = "ArchiveWriter.WriteArchive()";
constexpr size_t kTrailerSize = 10;
constexpr size_t kMaxDirectory = 5000;

[[noreturn]] void Refuse(int32_t number, const std::string& archive, const std::string& why) {
    throw Error(number, kWriteSource, "Cannot write the archive " + archive + ": " + why);
}

void CheckName(const std::string& archive, const std::string& name) {
    std::string why;
    if (name.empty()) {
        why = "a member name is empty";
    } else if (name.find(':') != std::string::npos) {
        why = "the member name \"" + name + "\" holds \":\", which ends directory fields";
    } else if (name.find('/') != std::string::npos || name == "." || name == "..") {
        why = "the member name \"" + name + "\" is not a plain file name";
    } else if (name.find('\0') != std::string::npos) {
        why = "a member name holds a NUL character";
    }
    if (!why.empty()) {
        Refuse(errnum::kBadFileName, archive, why);
    }
}

void WriteAllAt(int fd, const std::string& bytes, off_t offset, const std::string& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, kWriteSource, path);
        }
        done += static_cast<size_t>(n);
    }
}

// A folder of our own for the members' plain bytes, removed with what it holds.
class ScratchFolder {
  public:
    ScratchFolder() {
        path_ = TempEnvironment::FromProcess().systemTemp;
        while (path_.size() > 1 && path_.back() == '/') {
            path_.pop_back();
        }
        path_ += "/pagora-archive-XXXXXX";
        if (::mkdtemp(path_.data()) == nullptr) {
            throw FileError(errno, kWriteSource, path_);
        }
        file_ = path_ + "/member";
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        ::unlink(file_.c_str());
        ::rmdir(path_.c_str());
    }

    // Makes `content` the whole of the scratch file and returns its path.
    const std::string& Hold(const std::vector<uint8_t>& content) {
        ::unlink(file_.c_str());
        const int fd =
            ::open(file_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            throw FileError(errno, kWriteSource, file_);
        }
        try {
            WriteAllAt(fd, std::string(content.begin(), content.end()), 0, file_);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (::close(fd) != 0) {
            throw FileError(errno, kWriteSource, file_);
        }
        return file_;
    }

  private:
    std::string path_;
    std::string file_;
};

// The new archive, built beside its final place and renamed over it when complete.
class PendingArchive {
  public:
    explicit PendingArchive(const std::string& archivePath) : path_(archivePath + ".XXXXXX") {
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            throw FileError(errno, kWriteSource, archivePath);
        }
    }
    PendingArchive(const PendingArchive&) = delete;
    PendingArchive& operator=(const PendingArchive&) = delete;
    ~PendingArchive() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }

    const std::string& Path() const { return path_; }

    void Commit(const std::string& tail, off_t offset, const std::string& archivePath) {
        WriteAllAt(fd_, tail, offset, path_);
        if (::fchmod(fd_, 0644) != 0 || ::fsync(fd_) != 0) {
            throw FileError(errno, kWriteSource, path_);
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            throw FileError(errno, kWriteSource, path_);
        }
        if (::rename(path_.c_str(), archivePath.c_str()) != 0) {
            throw FileError(errno, kWriteSource, archivePath);
        }
        committed_ = true;
    }

  private:
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

void WriteArchive(const std::string& archivePath, const std::vector<ArchiveMember>& members) {
    // Names and the count take room whatever the sizes turn out to be: refuse early.
    size_t directoryFloor = std::to_string(members.size()).size() + 1;
    for (const ArchiveMember& member : members) {
        CheckName(archivePath, member.name);
        if (member.content.empty()) {
            Refuse(errnum::kInvalidArgument, archivePath,
                   "member \"" + member.name + "\" is empty; an HE3 stream holds at least a byte");
        }
        directoryFloor += member.name.size() + 1 + 2 + 2;
    }
    if (directoryFloor > kMaxDirectory) {
        Refuse(errnum::kInvalidArgument, archivePath,
               "its directory would be longer than the reader's " + std::to_string(kMaxDirectory) +
                   " bytes");
    }

    ScratchFolder scratch;
    PendingArchive pending(archivePath);
    clsCompress codec;
    int64_t offset = 0;
    std::string directory = std::to_string(members.size()) + ":";
    std::string secondList;
    std::string sizes;
    for (size_t k = 0; k < members.size(); ++k) {
        codec.EncodeFile(scratch.Hold(members[k].content), pending.Path(),
                         std::to_string(offset + 1));
        const int64_t size = std::stoll(LastWrittenSize);
        offset += size;
        if (offset > INT32_MAX) {
            Refuse(errnum::kOverflow, archivePath,
                   "its streams would pass the 2 GiB that the reader's offsets reach");
        }
        directory += members[k].name + ":";
        secondList += "0:";
        sizes += std::to_string(size) + ":";
    }
    directory += secondList + sizes;
    if (directory.size() > kMaxDirectory) {
        Refuse(errnum::kInvalidArgument, archivePath,
               "its directory would be " + std::to_string(directory.size()) +
                   " bytes, longer than the reader's " + std::to_string(kMaxDirectory));
    }
    std::string trailer = std::to_string(directory.size());
    trailer.resize(kTrailerSize, ' ');
    pending.Commit(directory + trailer, static_cast<off_t>(offset), archivePath);
}

}  // namespace pagora
