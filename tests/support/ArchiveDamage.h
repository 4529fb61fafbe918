#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/ArchiveFormat.h"

namespace pagora::testing {

// The kinds of damage that the reader and the tools must refuse rather than show.
enum class ArchiveDamage {
    kMemberCount,    // the count in the directory one less than the members listed
    kSizeField,      // the first member's stored size one byte more
    kPlainText,      // `member`'s stored stream replaced by plain text of its length
    kMissingMember,  // `member` left out, the rest of the archive sound
};

// Damages the sound archive at `path` in place.
inline void DamageArchive(const std::string& path, ArchiveDamage damage,
                          const std::string& member = {}) {
    const ArchiveDirectory directory =
        ReadArchiveDirectory(path, DirectoryReading::kStrict, "test");
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::string streams;
    std::vector<ArchiveEntry> entries;
    for (const ArchiveEntry& entry : directory.entries) {
        std::string stream =
            bytes.substr(static_cast<size_t>(entry.offset), static_cast<size_t>(entry.size));
        if (entry.name == member && damage == ArchiveDamage::kMissingMember) {
            continue;
        }
        if (entry.name == member && damage == ArchiveDamage::kPlainText) {
            stream.assign(stream.size(), 'p');
        }
        streams += stream;
        entries.push_back(entry);
    }
    if (damage == ArchiveDamage::kSizeField) {
        ++entries.front().size;
    }
    std::string text = DirectoryText(entries);
    if (damage == ArchiveDamage::kMemberCount) {
        text = std::to_string(entries.size() - 1) + text.substr(text.find(':'));
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << streams << text << TrailerText(static_cast<int64_t>(text.size()));
}

}  // namespace pagora::testing
