#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagora {

// The container of the reader's archives. From offset 0 the members' stored streams follow one
// another in directory order, without gaps. Then comes the directory: text fields, each ending
// with ":" (the member count N, the N names, N fields that readers skip, the N stored sizes in
// bytes). The file ends with a 10-byte trailer: the directory's length in decimal digits, padded
// with blanks. The reader reads at most kDirectoryLimit bytes of directory.
inline constexpr int64_t kTrailerSize = 10;
inline constexpr int64_t kDirectoryLimit = 5000;

// What is wrong with `name` as a member name, or nothing. A member is extracted under its name,
// so it must be a plain file name (not empty, not "." or "..", no "/" and no NUL), and ":" ends
// directory fields.
std::optional<std::string> MemberNameFault(std::string_view name);

// `text` safe to show in a message or on a terminal: bytes outside printable ASCII and the
// backslash itself are written as \xHH.
std::string Escaped(std::string_view text);

struct ArchiveEntry {
    std::string name;
    int64_t offset = 0;  // of the stored stream, from the start of the file
    int64_t size = 0;    // of the stored stream
};

struct ArchiveDirectory {
    std::vector<ArchiveEntry> entries;
    int64_t fileSize = 0;
    int64_t directorySize = 0;  // the trailer's number

    // The first entry named exactly `name`, letter case included; null when there is none.
    const ArchiveEntry* Find(std::string_view name) const;
};

enum class DirectoryReading {
    // As the reader reads it: the trailer's number at its start after optional blanks, whatever
    // follows ignored; the count and the sizes converted as the reader converts text to numbers;
    // at most kDirectoryLimit bytes of directory.
    kReader,
    // As pagora-pack checks it: only blanks and digits in the trailer, only digits in the count
    // and the sizes, every name a member name, a directory of any length.
    kStrict,
};

// Reads the trailer and the directory of the archive at `path`. Either way the directory must
// hold together: every field ends with ":", there are 3 x N + 1 fields, and the sizes add up to
// where the directory starts. Throws pagora::Error from `source` naming the archive otherwise,
// and the file error when it cannot be read.
ArchiveDirectory ReadArchiveDirectory(const std::string& path, DirectoryReading reading,
                                      const std::string& source);

// The stored stream of `entry`, read in an opening of its own. Throws pagora::Error naming the
// archive and the member when the file no longer holds it.
std::vector<uint8_t> ReadStoredStream(const std::string& path, const ArchiveEntry& entry,
                                      const std::string& source);

// The directory of an archive of `entries` (names and sizes; offsets are not written).
std::string DirectoryText(const std::vector<ArchiveEntry>& entries);
// The trailer of a directory of `directorySize` bytes.
std::string TrailerText(int64_t directorySize);

}  // namespace pagora
