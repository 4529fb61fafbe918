#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pagora {

struct ArchiveMember {
    std::string name;              // plain file name, no ":" and no folder
    std::vector<uint8_t> content;  // the member's decoded bytes
};

// Writes a complete archive (replacing any file at `archivePath`): each member stored as an HE3
// stream one after the other, then the directory and the 10-byte trailer. Throws pagora::Error
// for a name holding ":" or a directory longer than the reader's 5000 bytes, and for an empty
// name, a name with a folder part and an empty member; the file at `archivePath` is then left
// as it was. The same members always give the same bytes.
void WriteArchive(const std::string& archivePath, const std::vector<ArchiveMember>& members);

}  // namespace pagora
