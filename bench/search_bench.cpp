// Search: building the verse index from the archives, and queries over all verses.
//
//   search_bench [ARCHIVE_DIR] [BUILDS] [QUERIES_PER_LENGTH]
//
// ARCHIVE_DIR defaults to the folder of this program. Prints the wall and thread CPU time of a
// build (the first in the process, then median and maximum of BUILDS more) and, for query
// lengths of 1 to 20 letters, of SearchIndex::Search (folding the query, a verse reference check
// and a scan of every verse): median, p95 and maximum per length and over all lengths. Queries are
// pieces of verse texts written without marks, so each finds at least one verse ("found" is
// the mean number of verses found).

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "reader/search/Folding.h"
#include "reader/search/SearchIndex.h"

namespace {

using Clock = std::chrono::steady_clock;
using pagora::search::SearchIndex;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double ThreadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall and CPU time of one call, in ms.
struct Timed {
    double wall = 0;
    double cpu = 0;
};

template <class F>
Timed Time(F&& f) {
    const double cpu = ThreadCpuMilliseconds();
    const auto start = Clock::now();
    f();
    return {Milliseconds(Clock::now() - start), ThreadCpuMilliseconds() - cpu};
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t k = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[k];
}

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder =
        argc > 1 ? argv[1] : std::filesystem::canonical("/proc/self/exe").parent_path().string();
    const int builds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int perLength = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
    std::printf("load average before: %s\n", LoadAverage().c_str());

    const auto build = [&] { return SearchIndex::Build(QString::fromStdString(folder)); };
    std::optional<SearchIndex> index;
    const Timed first = Time([&] { index = build(); });
    std::vector<double> buildWall, buildCpu;
    for (int k = 0; k < builds; ++k) {
        const Timed t = Time([&] { index = build(); });
        buildWall.push_back(t.wall);
        buildCpu.push_back(t.cpu);
    }
    std::printf("index of %zu verses from %s\n", index->VerseCount(), folder.c_str());
    std::printf(
        "build (target <= 50 ms), wall / CPU ms: first %.2f / %.2f, median %.2f / %.2f, "
        "max %.2f / %.2f (%d builds)\n",
        first.wall, first.cpu, Percentile(buildWall, 0.5), Percentile(buildCpu, 0.5),
        Percentile(buildWall, 1.0), Percentile(buildCpu, 1.0), builds);

    std::mt19937 random(20261206);
    std::vector<double> allWall, allCpu;
    std::printf("queries, wall / CPU ms\n%7s %15s %15s %15s %7s\n", "letters", "median", "p95",
                "max", "found");
    for (int length = 1; length <= 20; ++length) {
        std::vector<double> wall, cpu;
        size_t found = 0;
        while (static_cast<int>(wall.size()) < perLength) {
            const size_t verse = random() % index->VerseCount();
            const std::u16string plain = pagora::search::FoldQuery(index->Text(verse));
            if (plain.size() < static_cast<size_t>(length)) {
                continue;
            }
            const size_t at = random() % (plain.size() - static_cast<size_t>(length) + 1);
            const QString query = QString::fromStdU16String(plain.substr(at, length));
            const Timed t = Time([&] { found += index->Search(query).size(); });
            wall.push_back(t.wall);
            cpu.push_back(t.cpu);
        }
        allWall.insert(allWall.end(), wall.begin(), wall.end());
        allCpu.insert(allCpu.end(), cpu.begin(), cpu.end());
        std::printf("%7d %7.3f/%7.3f %7.3f/%7.3f %7.3f/%7.3f %7zu\n", length, Percentile(wall, 0.5),
                    Percentile(cpu, 0.5), Percentile(wall, 0.95), Percentile(cpu, 0.95),
                    Percentile(wall, 1.0), Percentile(cpu, 1.0), found / wall.size());
    }
    std::printf(
        "all lengths (target p95 <= 5 ms), wall / CPU ms: median %.3f / %.3f, p95 %.3f / "
        "%.3f, max %.3f / %.3f (%zu queries)\n",
        Percentile(allWall, 0.5), Percentile(allCpu, 0.5), Percentile(allWall, 0.95),
        Percentile(allCpu, 0.95), Percentile(allWall, 1.0), Percentile(allCpu, 1.0),
        allWall.size());
    std::printf("load average after: %s\n", LoadAverage().c_str());
    return 0;
}
