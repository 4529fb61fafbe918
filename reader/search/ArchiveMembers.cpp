#include "reader/search/ArchiveMembers.h"

#include <cstdint>

#include "base/Error.h"
#include "codec/clsCompress.h"
#include "data/ArchiveFormat.h"
#include "reader/search/SearchIndex.h"

namespace pagora::search {

std::vector<ArchiveMember> ReadArchiveMembers(
    const std::string& path, const std::function<bool(const std::string&)>& wanted) {
    std::vector<ArchiveMember> members;
    try {
        const ArchiveDirectory directory =
            ReadArchiveDirectory(path, DirectoryReading::kStrict, "ReadArchiveMembers");
        for (const ArchiveEntry& entry : directory.entries) {
            if (!wanted(entry.name)) {
                continue;
            }
            std::vector<uint8_t> bytes = ReadStoredStream(path, entry, "ReadArchiveMembers");
            if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
                throw SearchIndexError("member \"" + Escaped(entry.name) + "\" of " + path +
                                       " is too large");
            }
            clsCompress codec;
            codec.DecodeStream(bytes);
            if (codec.ChecksumError()) {
                throw SearchIndexError("member \"" + Escaped(entry.name) + "\" of " + path +
                                       " is corrupted (its checksum does not match)");
            }
            members.push_back({entry.name, std::move(bytes)});
        }
    } catch (const Error& e) {
        throw SearchIndexError(path + ": " + e.Description());
    }
    return members;
}

}  // namespace pagora::search
