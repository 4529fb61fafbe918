#include "data/ArchiveWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/clsCompress.h"

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

// The new archive, built beside its final place and renamed over it when complete.
class PendingArchive {
  public:
    explicit PendingArchive(const std::string& archivePath) : path_(archivePath + ".XXXXXX") {
        fd_ = UniqueFd(::mkostemp(path_.data(), O_CLOEXEC));
        if (!fd_.valid()) {
            throw FileError(errno, kWriteSource, archivePath);
        }
    }
    PendingArchive(const PendingArchive&) = delete;
    PendingArchive& operator=(const PendingArchive&) = delete;
    ~PendingArchive() {
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }

    const std::string& Path() const { return path_; }

    void Commit(const std::string& tail, int64_t offset, const std::string& archivePath) {
        WriteAllAt(fd_.get(), tail.data(), tail.size(), offset, kWriteSource, path_);
        if (::fchmod(fd_.get(), 0644) != 0 || ::fsync(fd_.get()) != 0) {
            throw FileError(errno, kWriteSource, path_);
        }
        fd_.Close(kWriteSource, path_);
        if (::rename(path_.c_str(), archivePath.c_str()) != 0) {
            throw FileError(errno, kWriteSource, archivePath);
        }
        committed_ = true;
    }

  private:
    std::string path_;
    UniqueFd fd_;
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

    TemporaryFolder scratch("pagora-archive");
    const std::string plainFile = scratch / "member";
    PendingArchive pending(archivePath);
    clsCompress codec;
    int64_t offset = 0;
    std::string directory = std::to_string(members.size()) + ":";
    std::string secondList;
    std::string sizes;
    for (size_t k = 0; k < members.size(); ++k) {
        WriteNewFile(plainFile, members[k].content, kWriteSource);
        codec.EncodeFile(plainFile, pending.Path(), std::to_string(offset + 1));
        const int64_t size = DigitsToNumber(LastWrittenSize).value();
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
    pending.Commit(directory + trailer, offset, archivePath);
}

}  // namespace pagora
