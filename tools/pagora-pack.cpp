// pagora-pack: builds, inspects and checks the reader's archives.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/Files.h"
#include "codec/clsCompress.h"
#include "data/ArchiveFormat.h"
#include "data/Module1.h"
#include "reader/search/SearchIndex.h"
#include "tools/Build.h"
#include "tools/MushafSources.h"
#include "tools/Verify.h"

namespace {

using namespace pagora::pack;
namespace fs = std::filesystem;

constexpr int kFailure = 1;
const char* const kSource = "pagora-pack";
constexpr int kUsage = 2;

const char* const kHelp =
    R"(Usage: pagora-pack COMMAND [ARGUMENTS]

Builds, inspects and checks the archives of Tamrit Pagora (support.dat, order0.dat..order9.dat).

Commands:
  build --out DIR [--node-modules DIR] [--meta FILE]
        Build the eleven archives into DIR from the npm packages quran-json and quran-meta.
        The page layout is exported with `node tools/export-quran-meta.mjs` unless --meta
        names a file that the script wrote.
  list ARCHIVE
        Show each member's name, stored (HE3) size and decoded size.
  extract ARCHIVE MEMBER... [--to DIR]
        Extract members, exactly as the reader does, into DIR (default: the current folder).
  verify DIR [--node-modules DIR] [--meta FILE] [--no-sources]
        Check the archives in DIR: directories, checksums, support tables and every page.
        Unless --no-sources is given, the texts are also compared with the packages.
  encode IN OUT
        Encode the file IN as one HE3 stream in OUT.
  decode IN OUT
        Decode the HE3 stream in IN into OUT; fails on a checksum mismatch.
  search DIR TEXT
        Print "sura:verse page" for every verse that TEXT finds in the archives in DIR, as the
        reader's search finds it; exit status 1 when none.
  --help
        Show this text.

Exit status: 0 on success, 1 when the work fails or a check finds a problem, 2 on a bad
command line.
)";

struct UsageError {
    std::string message;
};

struct Options {
    std::vector<std::string> positional;
    std::string out;
    std::string to;
    std::string nodeModules = PAGORA_NODE_MODULES;
    std::string meta;
    bool noSources = false;
};

Options Parse(const std::vector<std::string>& args, const std::vector<std::string>& allowed) {
    Options o;
    auto allowedFlag = [&](const std::string& flag) {
        for (const std::string& a : allowed) {
            if (a == flag) {
                return true;
            }
        }
        return false;
    };
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            if (!allowedFlag(a)) {
                throw UsageError{"unknown option " + a};
            }
            if (a == "--no-sources") {
                o.noSources = true;
                continue;
            }
            if (k + 1 >= args.size() || args[k + 1].empty()) {
                throw UsageError{a + " needs a value"};
            }
            const std::string& v = args[++k];
            if (a == "--out") {
                o.out = v;
            } else if (a == "--to") {
                o.to = v;
            } else if (a == "--node-modules") {
                o.nodeModules = v;
            } else if (a == "--meta") {
                o.meta = v;
            }
        } else {
            o.positional.push_back(a);
        }
    }
    return o;
}

void Positional(const Options& o, size_t count, const char* what) {
    if (o.positional.size() != count) {
        throw UsageError{std::string("expected ") + what};
    }
}

MushafSources Sources(const Options& o) {
    const nlohmann::json layout =
        o.meta.empty() ? ExportLayout(PAGORA_EXPORT_SCRIPT, o.nodeModules) : ReadLayoutFile(o.meta);
    return LoadSources(o.nodeModules, layout);
}

int Build(const std::vector<std::string>& args) {
    const Options o = Parse(args, {"--out", "--node-modules", "--meta"});
    Positional(o, 0, "no arguments besides --out DIR");
    if (o.out.empty()) {
        throw UsageError{"build needs --out DIR"};
    }
    const MushafSources src = Sources(o);
    BuildArchives(src, o.nodeModules, o.out);
    std::cout << "pagora-pack: " << src.quranJson.name << " " << src.quranJson.version
              << " is the reviewed text; " << src.mapping.versesChanged
              << " verses changed for the page view (open tanween in Unicode in "
              << src.mapping.versesWithOpenTanween << " verses, " << src.mapping.openTanween
              << " marks; " << src.mapping.thinSpaces << " thin space removed)\n";
    uintmax_t total = 0;
    for (const std::string& name : ArchiveFileNames()) {
        total += fs::file_size(fs::path(o.out) / name);
    }
    std::cout << "pagora-pack: wrote support.dat and order0.dat..order9.dat (" << total
              << " bytes) to " << o.out << "\n";
    return 0;
}

// What a stored stream decodes to, in words for the listing; `sound` tells whether it is all
// there and passes its checksum.
std::string DecodedSize(std::vector<uint8_t> stream, bool& sound) {
    try {
        const char* flaw = pagora::clsCompress().DecodeStream(stream).Flaw();
        sound = flaw == nullptr;
        return std::to_string(stream.size()) + (sound ? "" : std::string("  ") + flaw);
    } catch (const pagora::Error& e) {
        sound = false;
        return "undecodable: " + e.Description();
    }
}

int List(const std::vector<std::string>& args) {
    const Options o = Parse(args, {});
    Positional(o, 1, "one ARCHIVE");
    const std::string& path = o.positional[0];
    const pagora::ArchiveDirectory dir =
        pagora::ReadArchiveDirectory(path, pagora::DirectoryReading::kStrict, kSource);
    std::printf("%s: %zu members, directory %lld bytes\n", pagora::Escaped(path).c_str(),
                dir.entries.size(), static_cast<long long>(dir.directorySize));
    std::printf("%-24s %10s %10s\n", "name", "stored", "decoded");
    int status = 0;
    for (const pagora::ArchiveEntry& e : dir.entries) {
        bool sound = false;
        const std::string decoded = DecodedSize(pagora::ReadStoredStream(path, e, kSource), sound);
        status = sound ? status : kFailure;
        std::printf("%-24s %10lld %10s\n", pagora::Escaped(e.name).c_str(),
                    static_cast<long long>(e.size), decoded.c_str());
    }
    return status;
}

int Extract(const std::vector<std::string>& args) {
    const Options o = Parse(args, {"--to"});
    if (o.positional.size() < 2) {
        throw UsageError{"expected ARCHIVE MEMBER..."};
    }
    const std::string& archive = o.positional[0];
    const std::string to = o.to.empty() ? "." : o.to;
    for (size_t k = 1; k < o.positional.size(); ++k) {
        if (const auto fault = pagora::MemberNameFault(o.positional[k])) {
            throw UsageError{"the member name \"" + pagora::Escaped(o.positional[k]) + "\" " +
                             *fault};
        }
    }
    if (!fs::is_regular_file(archive)) {
        throw PackError("no archive " + archive);
    }
    if (!fs::is_directory(to)) {
        throw PackError("no folder " + to);
    }
    pagora::UseWorkingFolder(to);
    int status = 0;
    for (size_t k = 1; k < o.positional.size(); ++k) {
        const std::string& member = o.positional[k];
        try {
            if (pagora::ExtractArchiveMember(archive, member) == "filenotfound") {
                std::cerr << "pagora-pack: " << archive << " has no member \""
                          << pagora::Escaped(member) << "\"\n";
                status = kFailure;
            } else {
                std::cout << pagora::WorkingFolder() << member << "\n";
            }
        } catch (const pagora::Error& e) {
            std::cerr << "pagora-pack: " << e.Description() << "\n";
            status = kFailure;
        }
    }
    return status;
}

int Verify(const std::vector<std::string>& args) {
    const Options o = Parse(args, {"--node-modules", "--meta", "--no-sources"});
    Positional(o, 1, "one DIR");
    const std::string& dir = o.positional[0];
    if (!fs::is_directory(dir)) {
        throw PackError("no folder " + dir);
    }
    std::optional<MushafSources> src;
    if (!o.noSources) {
        src = Sources(o);
    }
    const VerifyReport report = VerifyArchives(dir, src ? &*src : nullptr);
    for (const std::string& p : report.problems) {
        std::cerr << "pagora-pack: " << p << "\n";
    }
    std::cout << "pagora-pack: " << report.membersDecoded << " members decoded, "
              << report.pagesChecked << " pages and " << report.versesSeen << " verses checked"
              << (src ? " against the sources" : "") << ": "
              << (report.problems.empty() ? "all good"
                                          : std::to_string(report.problems.size()) + " problems")
              << "\n";
    std::cout << "pagora-pack: " << report.versesInMushafForm
              << " verses with Unicode open tanween and no-break spaces before their numbers\n";
    return report.problems.empty() ? 0 : kFailure;
}

int Code(const std::vector<std::string>& args, bool encode) {
    const Options o = Parse(args, {});
    Positional(o, 2, "IN OUT");
    std::vector<uint8_t> bytes = pagora::ReadWholeFile(o.positional[0], kSource);
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        throw PackError(o.positional[0] + " is larger than an HE3 stream can describe (2 GiB)");
    }
    pagora::clsCompress codec;
    if (encode) {
        if (bytes.empty()) {
            throw PackError(o.positional[0] + " is empty; an HE3 stream holds at least one byte");
        }
        codec.EncodeByte(bytes, static_cast<int32_t>(bytes.size()));
    } else {
        if (const char* flaw = codec.DecodeStream(bytes).Flaw()) {
            throw PackError(o.positional[0] + " is a corrupt stream: " + flaw);
        }
    }
    pagora::WriteNewFile(o.positional[1], bytes, kSource);
    return 0;
}

int Search(const std::vector<std::string>& args) {
    const Options o = Parse(args, {});
    Positional(o, 2, "DIR TEXT");
    using pagora::search::SearchIndex;
    const SearchIndex index = SearchIndex::Build(QString::fromStdString(o.positional[0]));
    std::vector<size_t> found = index.Search(QString::fromStdString(o.positional[1]));
    std::sort(found.begin(), found.end());
    for (const size_t i : found) {
        const pagora::search::IndexedVerse& v = index.Verse(i);
        std::printf("%d:%d %d\n", v.sura, v.verse, v.page);
    }
    return found.empty() ? kFailure : 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        throw UsageError{"no command given"};
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return 0;
    }
    if (command == "build") {
        return Build(rest);
    }
    if (command == "list") {
        return List(rest);
    }
    if (command == "extract") {
        return Extract(rest);
    }
    if (command == "verify") {
        return Verify(rest);
    }
    if (command == "encode" || command == "decode") {
        return Code(rest, command == "encode");
    }
    if (command == "search") {
        return Search(rest);
    }
    throw UsageError{"unknown command \"" + command + "\""};
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const UsageError& e) {
        std::cerr << "pagora-pack: " << e.message << "\nTry 'pagora-pack --help'.\n";
        return kUsage;
    } catch (const pagora::Error& e) {
        std::cerr << "pagora-pack: " << e.Description() << " (" << e.Source() << ")\n";
    } catch (const PackError& e) {
        std::cerr << "pagora-pack: " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "pagora-pack: " << e.what() << "\n";
    }
    return kFailure;
}
