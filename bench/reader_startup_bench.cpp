// Whole-process start-up of the reader: from just before the program is started until its first
// page has been painted (pagora-first-paint, the reader built to report that moment and then
// close), and the peak resident memory of the process. Usage:
//   reader_startup_bench [PATH-TO-pagora-first-paint] [RUNS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

long long RealtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::string SelfFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return ".";
    }
    std::string text(path, static_cast<size_t>(n));
    return text.substr(0, text.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string reader = argc > 1 ? argv[1] : SelfFolder() + "/pagora-first-paint";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    char configTemplate[] = "/tmp/pagora-startup-XXXXXX";
    if (mkdtemp(configTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", configTemplate, 1);
    if (getenv("DISPLAY") == nullptr && getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    std::vector<double> startMs;
    std::vector<double> rssMb;
    for (int run = 0; run < runs; ++run) {
        int out[2];
        if (pipe(out) != 0) {
            std::perror("pipe");
            return 1;
        }
        const long long before = RealtimeNs();
        const pid_t child = fork();
        if (child == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(reader.c_str(), reader.c_str(), static_cast<char*>(nullptr));
            std::perror("exec");
            _exit(127);
        }
        close(out[1]);
        std::string text;
        char buffer[512];
        ssize_t got;
        while ((got = read(out[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<size_t>(got));
        }
        close(out[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const auto at = text.find("first-paint-realtime-ns ");
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos) {
            std::fprintf(stderr, "the reader did not report its first paint (status %d)\n", status);
            return 1;
        }
        const long long painted =
            std::atoll(text.c_str() + at + std::strlen("first-paint-realtime-ns "));
        startMs.push_back(static_cast<double>(painted - before) / 1e6);
        rssMb.push_back(static_cast<double>(usage.ru_maxrss) / 1024.0);
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("start-up to first page painted: runs %d  p50 %.1f ms  max %.1f ms\n", runs,
                startMs[startMs.size() / 2], startMs.back());
    std::printf("peak RSS: max %.1f MB\n", *std::max_element(rssMb.begin(), rssMb.end()));
    return 0;
}
