#include "reader/search/ArchiveMembers.h"

#include <cstdint>

#include "codec/clsCompress.h"
#include "reader/search/SearchIndex.h"
#include "tools/ArchiveReader.h"
#include "tools/MushafSources.h"

namespace pagora::search {

std::vector<ArchiveMember> ReadArchiveMembers(
    const std::string& path, const std::function<bool(const std::string&)>& wanted) {
    std::vector<ArchiveMember> members;
    try {
        for (const pack::ArchiveEntry& entry : pack::ReadArchiveDirectory(path).entries) {
            if (!wanted(entry.name)) {
                continue;
            }
            std::vector<uint8_t> bytes = pack::ReadStoredStream(path, entry);
            if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
                throw SearchIndexError("member \"" + entry.name + "\" of " + path +
                                       " is too large");
            }
            clsCompress codec;
            codec.DecodeByte(bytes, static_cast<int32_t>(bytes.size()));
            if (codec.ChecksumError()) {
                throw SearchIndexError("member \"" + entry.name + "\" of " + path +
                                       " is corrupted (its checksum does not match)");
            }
            members.push_back({entry.name, std::move(bytes)});
        }
    } catch (const pack::PackError& e) {
        throw SearchIndexError(e.what());
    } catch (const Error& e) {
        throw SearchIndexError(path + ": " + e.Description());
    }
    return members;
}

}  // namespace pagora::search
