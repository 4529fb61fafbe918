#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pagora::pack {

struct ArchiveEntry {
    std::string name;
    int64_t offset = 0;  // from the start of the file, 0-based
    int64_t storedSize = 0;
};

struct ArchiveDirectory {
    std::vector<ArchiveEntry> entries;
    int64_t directorySize = 0;  // the number in the trailer
    int64_t fileSize = 0;
};

// Reads an archive's trailer and directory strictly: every field ends with ":", the count and
// the sizes are decimal numbers, the streams fill the file up to the directory exactly.
// Throws PackError naming the archive otherwise.
ArchiveDirectory ReadArchiveDirectory(const std::string& path);

// The stored (HE3) bytes of one entry.
std::vector<uint8_t> ReadStoredStream(const std::string& path, const ArchiveEntry& entry);

struct DecodedStream {
    std::vector<uint8_t> bytes;
    bool checksumMatches = false;
};

// Decodes an HE3 stream in memory; throws PackError when it is not one.
DecodedStream DecodeStream(std::vector<uint8_t> stream);

}  // namespace pagora::pack
