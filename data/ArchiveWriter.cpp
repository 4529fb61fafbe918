#include "data/ArchiveWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/clsCompress.h"
#include "data/ArchiveFormat.h"

namespace pagora {
namespace {

constexpr const char* kWriteSource = "ArchiveWriter.WriteArchive()";

[[noreturn]] void Refuse(int32_t number, const std::string& archive, const std::string& why) {
    throw Error(number, kWriteSource, "Cannot write the archive " + archive + ": " + why);
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
        if (const auto fault = MemberNameFault(member.name)) {
            Refuse(errnum::kBadFileName, archivePath,
                   "the member name \"" + Escaped(member.name) + "\" " + *fault);
        }
        if (member.content.empty()) {
            Refuse(errnum::kInvalidArgument, archivePath,
                   "member \"" + member.name + "\" is empty; an HE3 stream holds at least a byte");
        }
        directoryFloor += member.name.size() + 1 + 2 + 2;
    }
    auto tooLong = [&](size_t length) {
        Refuse(errnum::kInvalidArgument, archivePath,
               "its directory would be " + std::to_string(length) +
                   " bytes or more, longer than the reader's " + std::to_string(kDirectoryLimit));
    };
    if (directoryFloor > static_cast<size_t>(kDirectoryLimit)) {
        tooLong(directoryFloor);
    }

    // Each member is stored by the codec's container writer, from the plain bytes in a file.
    TemporaryFolder scratch("pagora-archive");
    const std::string plainFile = scratch / "member";
    PendingArchive pending(archivePath);
    clsCompress codec;
    std::vector<ArchiveEntry> entries;
    int64_t offset = 0;
    for (const ArchiveMember& member : members) {
        WriteNewFile(plainFile, member.content, kWriteSource);
        codec.EncodeFile(plainFile, pending.Path(), std::to_string(offset + 1));
        const int64_t size = DigitsToNumber(LastWrittenSize).value();
        entries.push_back({member.name, offset, size});
        offset += size;
        if (offset > INT32_MAX) {
            Refuse(errnum::kOverflow, archivePath,
                   "its streams would pass the 2 GiB that the reader's offsets reach");
        }
    }
    const std::string directory = DirectoryText(entries);
    if (directory.size() > static_cast<size_t>(kDirectoryLimit)) {
        tooLong(directory.size());
    }
    pending.Commit(directory + TrailerText(static_cast<int64_t>(directory.size())), offset,
                   archivePath);
}

}  // namespace pagora
