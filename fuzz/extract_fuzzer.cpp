// Extracts members from arbitrary bytes taken as an archive: a few fixed names and names taken
// from where the directory would be. Besides staying inside its buffers, an extraction must
// leave a file exactly when it reports success.

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "data/ArchiveFormat.h"
#include "data/Module1.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
    std::string folder;
    std::string archive;
    std::string work;
};

// Made once and never destroyed, so that the clean-up at exit can still read it.
const Scratch& Folders() {
    static const Scratch* scratch = [] {
        // Memory-backed when possible: every run creates and deletes files.
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = base.string() + "/extract_fuzzer-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        auto* s = new Scratch{pattern, pattern + "/order0.dat", pattern + "/work/"};
        fs::create_directory(s->work);
        pagora::UseWorkingFolder(s->work);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(Folders().folder, ec);
        });
        return s;
    }();
    return *scratch;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

[[noreturn]] void Fault(const char* what, const std::string& name) {
    std::fprintf(stderr, "extracting \"%s\": %s\n", name.c_str(), what);
    std::abort();
}

// The first two fields after the count, where an archive's directory would list its names;
// the first one also with its letter case changed, to take the case-only path.
std::vector<std::string> NamesFromDirectory(const uint8_t* data, size_t size) {
    const size_t tail = size < 5010 ? size : 5010;
    const std::string text(reinterpret_cast<const char*>(data) + (size - tail), tail);
    std::vector<std::string> names;
    size_t pos = text.find(':');
    for (int k = 0; k < 2 && pos != std::string::npos; ++k) {
        const size_t next = text.find(':', pos + 1);
        if (next == std::string::npos) {
            break;
        }
        names.push_back(text.substr(pos + 1, next - pos - 1));
        pos = next;
    }
    if (!names.empty()) {
        std::string flipped = names.front();
        for (char& c : flipped) {
            c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c)
                                                                              : std::toupper(c));
        }
        names.push_back(flipped);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Scratch& scratch = Folders();
    {
        std::ofstream out(scratch.archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<std::string> names = {"a.txt", "001", "border.html"};
    for (std::string& name : NamesFromDirectory(data, size)) {
        names.push_back(std::move(name));
    }

    for (const std::string& name : names) {
        const std::string file = scratch.work + name;
        const bool refused = pagora::MemberNameFault(name).has_value();  // no member has it
        if (!refused) {
            ::unlink(file.c_str());
        }
        bool extracted = false;
        try {
            extracted = pagora::ExtractArchiveMember(scratch.archive, name).empty();
            if (refused) {
                Fault("a name that is no plain file name was accepted", name);
            }
        } catch (const pagora::Error& e) {
            if (refused && e.Number() != pagora::errnum::kBadFileName) {
                Fault("a name that no member can have was not refused first", name);
            }
        }
        if (!refused) {
            if (extracted != Exists(file)) {
                Fault(extracted ? "reported success but left no file"
                                : "failed or found nothing but left a file",
                      name);
            }
            ::unlink(file.c_str());
        }
    }
    return 0;
}
