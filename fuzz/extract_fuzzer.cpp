// Extracts members from arbitrary bytes taken as an archive: a few fixed names and names taken
// from where the directory would be. Besides staying inside its buffers, an extraction must
// leave a file exactly when it reports success.

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

// The scratch folder, made once and never destroyed, so that the clean-up at exit can still
// read it; memory-backed when possible, since every run creates and deletes files.
const std::string& Folder() {
    static const std::string* folder = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        auto* made = new std::string(base.string() + "/extract_fuzzer-XXXXXX");
        if (::mkdtemp(made->data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        fs::create_directory(*made + "/work");
        pagora::UseWorkingFolder(*made + "/work/");
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(Folder(), ec);
        });
        return made;
    }();
    return *folder;
}

[[noreturn]] void Fault(const char* what, const std::string& name) {
    std::fprintf(stderr, "extracting \"%s\": %s\n", name.c_str(), what);
    std::abort();
}

// A few fixed names, then the first two fields after the count, where an archive's directory
// would list its names, and the first of them with its letter case changed (the case-only path).
std::vector<std::string> NamesToTry(const uint8_t* data, size_t size) {
    std::vector<std::string> names = {"a.txt", "001", "border.html"};
    const size_t tail = size < 5010 ? size : 5010;
    const std::string text(reinterpret_cast<const char*>(data) + (size - tail), tail);
    size_t pos = text.find(':');
    for (int k = 0; k < 2 && pos != std::string::npos; ++k) {
        const size_t next = text.find(':', pos + 1);
        if (next == std::string::npos) {
            break;
        }
        names.push_back(text.substr(pos + 1, next - pos - 1));
        pos = next;
    }
    if (names.size() > 3) {
        std::string flipped = names[3];
        for (char& c : flipped) {
            c = static_cast<char>(std::isalpha(static_cast<unsigned char>(c)) ? c ^ 0x20 : c);
        }
        names.push_back(flipped);
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string archive = Folder() + "/order0.dat";
    const std::string work = Folder() + "/work/";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    for (const std::string& name : NamesToTry(data, size)) {
        const std::string file = work + name;
        const bool refused = pagora::MemberNameFault(name).has_value();  // no member has it
        if (!refused) {
            ::unlink(file.c_str());
        }
        bool extracted = false;
        try {
            extracted = pagora::ExtractArchiveMember(archive, name).empty();
            if (refused) {
                Fault("a name that is no plain file name was accepted", name);
            }
        } catch (const pagora::Error& e) {
            if (refused && e.Number() != pagora::errnum::kBadFileName) {
                Fault("a name that no member can have was not refused first", name);
            }
        }
        if (!refused) {
            std::error_code ec;
            if (extracted != fs::exists(fs::symlink_status(file, ec))) {
                Fault(extracted ? "reported success but left no file"
                                : "failed or found nothing but left a file",
                      name);
            }
            ::unlink(file.c_str());
        }
    }
    return 0;
}
