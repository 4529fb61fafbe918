#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pagora::search {

struct ArchiveMember {
    std::string name;
    std::vector<uint8_t> bytes;  // decoded
};

// The members of the archive `path` whose names `wanted` accepts, decoded in memory, in
// directory order. The search reads archives only through this function. Throws
// SearchIndexError naming the archive when it cannot be read or a member does not decode.
std::vector<ArchiveMember> ReadArchiveMembers(
    const std::string& path, const std::function<bool(const std::string&)>& wanted);

}  // namespace pagora::search
