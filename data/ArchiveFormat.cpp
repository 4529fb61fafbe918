#include "data/ArchiveFormat.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"

namespace pagora {

namespace {

// A field quoted for a message, shortened when long.
std::string Quote(std::string_view text) {
    constexpr size_t kShown = 40;
    return "\"" + Escaped(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

[[noreturn]] void Damaged(int32_t number, const std::string& source, const std::string& archive,
                          const std::string& what) {
    throw Error(number, source, "The archive " + archive + " is damaged: " + what);
}

// One opening of an archive for reading.
struct OpenArchive {
    UniqueFd fd;
    int64_t length = 0;
};

OpenArchive Open(const std::string& path, const std::string& source) {
    // Non-blocking, so that a named pipe in the archive's place cannot hold the reader up.
    OpenArchive archive{OpenFile(path, O_RDONLY | O_NONBLOCK, source)};
    struct stat st {};
    if (::fstat(archive.fd.get(), &st) != 0) {
        throw FileError(errno, source, path);
    }
    if (!S_ISREG(st.st_mode)) {
        throw Error(errnum::kPathFileAccessError, source,
                    "Path/File access error: " + path + " is not a file");
    }
    archive.length = st.st_size;
    return archive;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The directory length that the trailer gives.
int64_t TrailerNumber(std::string_view trailer, DirectoryReading reading, const std::string& source,
                      const std::string& archive) {
    std::string_view digits = trailer;
    while (!digits.empty() && IsBlank(digits.front())) {
        digits.remove_prefix(1);
    }
    if (reading == DirectoryReading::kReader) {
        digits = digits.substr(0, digits.find_first_not_of("0123456789"));
    } else {
        while (!digits.empty() && IsBlank(digits.back())) {
            digits.remove_suffix(1);
        }
    }
    const std::optional<int64_t> number = DigitsToNumber(digits);
    if (!number) {
        Damaged(errnum::kTypeMismatch, source, archive,
                "its last 10 bytes " + Quote(trailer) + " hold no directory length");
    }
    return *number;
}

// A count or a size field of the directory.
int64_t FieldNumber(std::string_view field, DirectoryReading reading, const std::string& source,
                    const std::string& archive, const std::string& what) {
    int64_t value = 0;
    if (reading == DirectoryReading::kReader) {
        try {
            value = TextToLong(field, source.c_str());
        } catch (const Error& e) {
            Damaged(e.Number(), source, archive, what + " " + Quote(field) + " is not a number");
        }
    } else {
        const std::optional<int64_t> digits = DigitsToNumber(field);
        if (!digits) {
            Damaged(errnum::kTypeMismatch, source, archive,
                    what + " " + Quote(field) + " is not a number");
        }
        value = *digits;
    }
    if (value < 0) {
        Damaged(errnum::kInvalidArgument, source, archive,
                what + " " + Quote(field) + " is negative");
    }
    return value;
}

// The fields of a directory, each without its ":".
std::vector<std::string_view> Fields(std::string_view text, const std::string& source,
                                     const std::string& archive) {
    std::vector<std::string_view> fields;
    for (size_t from = 0; from < text.size();) {
        const size_t colon = text.find(':', from);
        if (colon == std::string_view::npos) {
            Damaged(errnum::kInvalidArgument, source, archive,
                    "its directory ends inside field " + std::to_string(fields.size() + 1) + " " +
                        Quote(text.substr(from)) + ", which lacks its \":\"");
        }
        fields.push_back(text.substr(from, colon - from));
        from = colon + 1;
    }
    if (fields.empty()) {
        Damaged(errnum::kInvalidArgument, source, archive,
                "its directory does not start with a member count followed by \":\"");
    }
    return fields;
}

}  // namespace

std::optional<std::string> MemberNameFault(std::string_view name) {
    if (name.empty()) {
        return "is empty";
    }
    if (name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return "is not a plain file name";
    }
    if (name.find(':') != std::string_view::npos) {
        return "holds \":\", which ends directory fields";
    }
    return std::nullopt;
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

const ArchiveEntry* ArchiveDirectory::Find(std::string_view name) const {
    for (const ArchiveEntry& entry : entries) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

ArchiveDirectory ReadArchiveDirectory(const std::string& path, DirectoryReading reading,
                                      const std::string& source) {
    const OpenArchive archive = Open(path, source);
    ArchiveDirectory directory;
    directory.fileSize = archive.length;
    if (archive.length < kTrailerSize) {
        Damaged(
            errnum::kBadRecordNumber, source, path,
            "it is " + std::to_string(archive.length) + " bytes long, shorter than its trailer");
    }
    const std::vector<uint8_t> trailer =
        ReadAt(archive.fd.get(), archive.length - kTrailerSize, kTrailerSize, source, path);
    directory.directorySize = TrailerNumber(
        std::string_view(reinterpret_cast<const char*>(trailer.data()), trailer.size()), reading,
        source, path);
    const int64_t start = archive.length - kTrailerSize - directory.directorySize;
    if (start < 0) {
        Damaged(errnum::kBadRecordNumber, source, path,
                "its trailer gives a directory of " + std::to_string(directory.directorySize) +
                    " bytes, which would start before the start of the file");
    }
    if (reading == DirectoryReading::kReader && directory.directorySize > kDirectoryLimit) {
        Damaged(errnum::kInvalidArgument, source, path,
                "its directory of " + std::to_string(directory.directorySize) +
                    " bytes is longer than the " + std::to_string(kDirectoryLimit) +
                    " bytes the reader reads");
    }
    const std::vector<uint8_t> bytes =
        ReadAt(archive.fd.get(), start, static_cast<size_t>(directory.directorySize), source, path);
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    const std::vector<std::string_view> fields = Fields(text, source, path);
    const int64_t count = FieldNumber(fields[0], reading, source, path, "the member count");
    if (static_cast<int64_t>(fields.size()) != 3 * count + 1) {
        Damaged(errnum::kInvalidArgument, source, path,
                "its directory has " + std::to_string(fields.size()) + " fields where " +
                    std::to_string(count) + " members need " + std::to_string(3 * count + 1));
    }
    int64_t offset = 0;
    for (int64_t k = 1; k <= count; ++k) {
        ArchiveEntry entry;
        entry.name = fields[k];
        if (reading == DirectoryReading::kStrict) {
            if (const auto fault = MemberNameFault(entry.name)) {
                Damaged(errnum::kBadFileName, source, path,
                        "the name " + Quote(entry.name) + " of member " + std::to_string(k) + " " +
                            *fault);
            }
        }
        entry.offset = offset;
        entry.size = FieldNumber(fields[2 * count + k], reading, source, path,
                                 "the stored size of member " + std::to_string(k));
        offset += entry.size;
        if (offset > start) {
            break;  // reported below; stopping here keeps the sum far from overflowing
        }
        directory.entries.push_back(std::move(entry));
    }
    if (offset != start) {
        Damaged(errnum::kBadRecordNumber, source, path,
                "its stored sizes add up to " + std::to_string(offset) +
                    " bytes, but its directory starts at byte " + std::to_string(start));
    }
    return directory;
}

std::vector<uint8_t> ReadStoredStream(const std::string& path, const ArchiveEntry& entry,
                                      const std::string& source) {
    const OpenArchive archive = Open(path, source);
    std::vector<uint8_t> stream;
    if (entry.offset + entry.size <= archive.length) {
        stream =
            ReadAt(archive.fd.get(), entry.offset, static_cast<size_t>(entry.size), source, path);
    }
    if (static_cast<int64_t>(stream.size()) != entry.size) {
        Damaged(errnum::kBadRecordNumber, source, path,
                "member " + Quote(entry.name) + " would lie at bytes " +
                    std::to_string(entry.offset) + " to " +
                    std::to_string(entry.offset + entry.size) + ", past its end (" +
                    std::to_string(archive.length) + " bytes)");
    }
    return stream;
}

std::string DirectoryText(const std::vector<ArchiveEntry>& entries) {
    std::string names;
    std::string skipped;
    std::string sizes;
    for (const ArchiveEntry& entry : entries) {
        names += entry.name + ":";
        skipped += "0:";
        sizes += std::to_string(entry.size) + ":";
    }
    return std::to_string(entries.size()) + ":" + names + skipped + sizes;
}

std::string TrailerText(int64_t directorySize) {
    std::string trailer = std::to_string(directorySize);
    trailer.resize(kTrailerSize, ' ');
    return trailer;
}

}  // namespace pagora
