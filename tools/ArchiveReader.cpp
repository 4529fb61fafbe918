#include "tools/ArchiveReader.h"

#include <fcntl.h>

#include <cstdint>
#include <optional>

#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/clsCompress.h"
#include "tools/MushafSources.h"

namespace pagora::pack {

namespace {

constexpr int64_t kTrailerSize = 10;
const char* const kSource = "pagora-pack";

}  // namespace

ArchiveDirectory ReadArchiveDirectory(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path, kSource);
    auto bad = [&](const std::string& why) {
        return PackError(path + " is not a valid archive: " + why);
    };
    ArchiveDirectory dir;
    dir.fileSize = static_cast<int64_t>(bytes.size());
    if (dir.fileSize < kTrailerSize) {
        throw bad("shorter than its 10-byte trailer");
    }
    std::string trailer(bytes.end() - kTrailerSize, bytes.end());
    const size_t first = trailer.find_first_not_of(' ');
    const size_t last = trailer.find_last_not_of(' ');
    const std::optional<int64_t> directorySize =
        first == std::string::npos ? std::nullopt
                                   : DigitsToNumber(trailer.substr(first, last - first + 1));
    if (!directorySize) {
        throw bad("the trailer \"" + trailer + "\" holds no directory size");
    }
    dir.directorySize = *directorySize;
    if (dir.directorySize > dir.fileSize - kTrailerSize) {
        throw bad("the trailer's directory size " + std::to_string(dir.directorySize) +
                  " reaches before the start of the file");
    }
    const int64_t dirStart = dir.fileSize - kTrailerSize - dir.directorySize;
    const std::string text(bytes.begin() + dirStart, bytes.end() - kTrailerSize);
    std::vector<std::string> fields;
    size_t from = 0;
    while (from < text.size()) {
        const size_t colon = text.find(':', from);
        if (colon == std::string::npos) {
            throw bad("the directory's last field does not end with \":\"");
        }
        fields.push_back(text.substr(from, colon - from));
        from = colon + 1;
    }
    const std::optional<int64_t> count = fields.empty() ? std::nullopt : DigitsToNumber(fields[0]);
    if (!count) {
        throw bad("the directory does not start with the member count");
    }
    if (static_cast<int64_t>(fields.size()) != 3 * *count + 1) {
        throw bad("the directory has " + std::to_string(fields.size()) + " fields for " +
                  std::to_string(*count) + " members");
    }
    int64_t offset = 0;
    for (int64_t k = 0; k < *count; ++k) {
        ArchiveEntry e;
        e.name = fields[1 + k];
        const std::optional<int64_t> size = DigitsToNumber(fields[1 + 2 * *count + k]);
        if (!size) {
            throw bad("the size of member \"" + e.name + "\" is not a number");
        }
        e.storedSize = *size;
        e.offset = offset;
        offset += e.storedSize;
        if (offset > dirStart) {
            throw bad("member \"" + e.name + "\" reaches into the directory");
        }
        dir.entries.push_back(std::move(e));
    }
    if (offset != dirStart) {
        throw bad(std::to_string(dirStart - offset) +
                  " bytes between the last stream and the directory belong to no member");
    }
    return dir;
}

std::vector<uint8_t> ReadStoredStream(const std::string& path, const ArchiveEntry& entry) {
    const UniqueFd fd = OpenFile(path, O_RDONLY, kSource);
    std::vector<uint8_t> bytes =
        ReadAt(fd.get(), entry.offset, static_cast<size_t>(entry.storedSize), kSource, path);
    if (static_cast<int64_t>(bytes.size()) != entry.storedSize) {
        throw PackError("cannot read member \"" + entry.name + "\" of " + path);
    }
    return bytes;
}

DecodedStream DecodeStream(std::vector<uint8_t> stream) {
    if (stream.size() > static_cast<size_t>(INT32_MAX)) {
        throw PackError("a stream larger than 2 GiB is not HE3");
    }
    clsCompress codec;
    DecodedStream out;
    try {
        codec.DecodeByte(stream, static_cast<int32_t>(stream.size()));
    } catch (const Error& e) {
        throw PackError(e.Source() + ": " + e.Description());
    }
    out.checksumMatches = !codec.ChecksumError().has_value();
    out.bytes = std::move(stream);
    return out;
}

}  // namespace pagora::pack
