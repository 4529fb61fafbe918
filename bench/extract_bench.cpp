// Time of one ExtractArchiveMember of a page: open the archive twice, read trailer, directory
// and stream, decode, and write the page file into the working folder.
//
//   extract_bench [benchmark flags] [ARCHIVE]
//
// ARCHIVE (or $PAGORA_EXTRACT_ARCHIVE) is a page archive such as <build>/bin/order5.dat; without
// one the benchmark uses order5.dat beside its own program when present, else a synthetic archive
// of 60 pages of about 2.5 KB of UTF-16LE Arabic-like text. Each iteration extracts the next
// member of the archive's directory, so the figure is the mean over all its pages. Pages are
// extracted into a private folder under $TMPDIR (else /tmp), the file system of the reader's
// working folder; TMPDIR=/dev/shm measures a memory-backed one.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "data/ArchiveFormat.h"
#include "data/ArchiveWriter.h"
#include "data/Module1.h"

namespace {

namespace fs = std::filesystem;

struct Subject {
    std::string archive;
    std::string description;
    std::vector<std::string> members;
    fs::path scratch;  // private folder of this run: working folder, synthetic archive
};

Subject g_subject;

std::string ExecutableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

void AppendUtf16(std::string& out, char16_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// About 2.5 KB of verse lines: words of Arabic letters with vowel marks, each line ending in
// a verse number in Arabic-Indic digits, CR LF between lines.
std::string SyntheticPage(int page) {
    uint32_t seed = 2463534242u + static_cast<uint32_t>(page) * 7919u;
    auto next = [&] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    std::string out;
    for (int verse = 1; out.size() < 2500; ++verse) {
        if (verse > 1) {
            AppendUtf16(out, u'\r');
            AppendUtf16(out, u'\n');
        }
        const int words = 6 + static_cast<int>(next() % 10);
        for (int w = 0; w < words; ++w) {
            const int letters = 2 + static_cast<int>(next() % 5);
            for (int l = 0; l < letters; ++l) {
                AppendUtf16(out, static_cast<char16_t>(0x0621 + next() % 26));
                if (next() % 3 != 0) {
                    AppendUtf16(out, static_cast<char16_t>(0x064B + next() % 8));
                }
            }
            AppendUtf16(out, u' ');
        }
        for (char digit : std::to_string(verse)) {
            AppendUtf16(out, static_cast<char16_t>(0x0660 + (digit - '0')));
        }
    }
    return out;
}

// The member names of an archive's directory, read the way the extractor reads them.
std::vector<std::string> MemberNames(const std::string& archive) {
    std::vector<std::string> names;
    for (const pagora::ArchiveEntry& entry :
         pagora::ReadArchiveDirectory(archive, pagora::DirectoryReading::kReader, "extract_bench")
             .entries) {
        names.push_back(entry.name);
    }
    return names;
}

Subject ChooseSubject(int argc, char** argv) {
    Subject subject;
    // On the file system of the reader's working folder, but private: other programs using the
    // shared folder extract and delete files of the same names.
    std::string pattern =
        pagora::TempEnvironment::FromProcess().systemTemp + "/extract_bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    subject.scratch = pattern;
    fs::create_directory(subject.scratch / "work");
    if (argc > 1) {
        subject.archive = argv[1];
    } else if (const char* env = std::getenv("PAGORA_EXTRACT_ARCHIVE")) {
        subject.archive = env;
    } else if (fs::exists(ExecutableFolder() + "/order5.dat")) {
        subject.archive = ExecutableFolder() + "/order5.dat";
    }
    if (!subject.archive.empty()) {
        subject.description = subject.archive;
        subject.members = MemberNames(subject.archive);
        return subject;
    }

    subject.archive = (subject.scratch / "order5.dat").string();
    std::vector<pagora::ArchiveMember> members;
    size_t total = 0;
    for (int page = 5; page <= 595; page += 10) {
        char key[4];
        std::snprintf(key, sizeof key, "%03d", page);
        const std::string text = SyntheticPage(page);
        total += text.size();
        members.push_back({key, std::vector<uint8_t>(text.begin(), text.end())});
        subject.members.push_back(key);
    }
    pagora::WriteArchive(subject.archive, members);
    subject.description = "synthetic archive of " + std::to_string(members.size()) + " pages, " +
                          std::to_string(total / members.size()) + " bytes per page on average";
    return subject;
}

void BM_ExtractPage(benchmark::State& state) {
    const bool deleteAfter = state.range(0) != 0;
    size_t next = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string& name = g_subject.members[next];
        next = (next + 1) % g_subject.members.size();
        const std::string result = pagora::ExtractArchiveMember(g_subject.archive, name);
        benchmark::DoNotOptimize(result);
        if (deleteAfter) {
            state.PauseTiming();
        }
        const std::string file = pagora::WorkingFolder() + name;
        bytes += static_cast<size_t>(fs::file_size(file));
        if (deleteAfter) {
            // The page loader deletes each page file once read; time the extraction only.
            ::unlink(file.c_str());
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["page_bytes"] =
        benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ExtractPage)
    ->ArgName("into_empty_folder")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int Run(int argc, char** argv) {
    g_subject = ChooseSubject(argc, argv);
    if (g_subject.members.empty()) {
        std::fprintf(stderr, "extract_bench: no members listed in %s\n", g_subject.archive.c_str());
        return 1;
    }
    pagora::UseWorkingFolder((g_subject.scratch / "work").string());
    std::printf("Archive: %s (%zu members)\nWorking folder: %s\n", g_subject.description.c_str(),
                g_subject.members.size(), pagora::WorkingFolder().c_str());
    {
        // The reader extracts one page at a time, far apart: time the first call on its own too.
        const std::string& name = g_subject.members[g_subject.members.size() / 2];
        ::unlink((pagora::WorkingFolder() + name).c_str());
        const auto start = std::chrono::steady_clock::now();
        pagora::ExtractArchiveMember(g_subject.archive, name);
        const auto end = std::chrono::steady_clock::now();
        std::printf("First extraction in this process (member %s): %.1f us\n", name.c_str(),
                    std::chrono::duration<double, std::micro>(end - start).count());
    }
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const pagora::Error& e) {
        std::fprintf(stderr, "extract_bench: %s (%s)\n", e.Description().c_str(),
                     e.Source().c_str());
    }
    benchmark::Shutdown();
    if (!g_subject.scratch.empty()) {
        std::error_code ec;
        fs::remove_all(g_subject.scratch, ec);
    }
    return status;
}
