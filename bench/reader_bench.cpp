// Page turns of the reader, each fetched from its archive, laid out (unless it was prepared)
// and painted offscreen:
//   - sequential turns: the next page or spread after a pause of 300 ms in which the event loop
//     runs (a reader reading; the pages of the next turns are prepared meanwhile);
//   - jump turns: to a random page more than two turns away, without a pause;
//   - every spread in double-page mode and every page in single-page mode in a row, without
//     letting the event loop run (two rounds, the second printed with its painting and CPU time).
// Prints p50, p95 and max per turn. Run from the build's bin folder, where the archives are:
//   reader_bench [WIDTH HEIGHT [TURNS [SCENARIO_TURNS]]]
// TURNS limits the turns per mode of the rounds (0 leaves them out), SCENARIO_TURNS the turns
// of each sequential and jump scenario (100 by default).
// A scenario's turn ends when the window has painted what the turn changed, as the event loop
// has it painted after a key press (PAGORA_BENCH_REPAINT=area: the whole page area and footer
// repainted instead, as the rounds do). With PAGORA_BENCH_PERF_CTL naming the control FIFO of
// `perf record -D -1 --control fifo:CTL,ACK`, perf counts only the scenarios' turns
// (PAGORA_BENCH_PERF_TURNS=sequential or jump: only those).
#include <fcntl.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "base/Book.h"
#include "base/Numbers.h"
#include "base/UniqueFd.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "reader/StoredSettings.h"
#include "reader/WindowLayout.h"

namespace {

class PrintingMessageBoxes : public pagora::MessageBoxes {
  public:
    void ShowInformation(const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void ShowError(const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
};

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)];
    };
    std::printf("%-28s turns %4zu  p50 %6.2f ms  p95 %6.2f ms  max %6.2f ms\n", what, ms.size(),
                at(0.50), at(0.95), ms.back());
}

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Lets the event loop run for `ms` milliseconds, as it does while the user reads.
void RunEventLoop(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                    static_cast<int>(ms - timer.elapsed()));
    }
}

// CPU time of this thread: steadier than wall time on a machine shared with other work.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Switches a waiting perf on and off around each turn, so that its profile holds the turns and
// not the reading pauses between them.
class ProfilerSwitch {
  public:
    ProfilerSwitch() {
        if (const char* fifo = std::getenv("PAGORA_BENCH_PERF_CTL")) {
            fd_ = pagora::UniqueFd(::open(fifo, O_WRONLY | O_CLOEXEC));
        }
        if (const char* turns = std::getenv("PAGORA_BENCH_PERF_TURNS")) {
            only_ = turns;
        }
    }
    void Enable(bool sequential) {
        if (only_.empty() || only_ == (sequential ? "sequential" : "jump")) {
            Send("enable\n");
        }
    }
    void Disable() { Send("disable\n"); }

  private:
    void Send(const char* command) {
        if (fd_.valid() && ::write(fd_.get(), command, std::strlen(command)) < 0) {
            fd_ = pagora::UniqueFd();
        }
    }
    pagora::UniqueFd fd_;
    std::string only_;
};

// Paints what a turn changed the way the event loop would after the key press: the posted
// layout requests first, then the update requests of the views, scroll bars and captions.
void PaintTurn(pagora::frmMain& window, pagora::PageMode mode, QWidget& footer) {
    static const bool wholeArea = qEnvironmentVariable("PAGORA_BENCH_REPAINT") == "area";
    if (wholeArea) {
        window.PageArea(mode).repaint();
        footer.repaint();
        return;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

// Wall and thread CPU time of each turn.
struct TurnTimes {
    std::vector<double> wall;
    std::vector<double> cpu;
};

// Shows `pages` one after another in `mode`, each after `pauseMs` of event loop, and times each
// turn: the page(s) written and painted.
TurnTimes TimeTurns(pagora::frmMain& window, pagora::PageMode mode, const std::vector<int>& pages,
                    int pauseMs) {
    QWidget& footer = *window.findChild<QWidget*>(QStringLiteral("fraFooter"));
    if (window.Core().Mode() != mode) {
        mode == pagora::PageMode::Single ? window.mnuSinglePage() : window.mnuDoublePage();
    }
    static ProfilerSwitch profiler;
    TurnTimes times;
    for (const int page : pages) {
        RunEventLoop(pauseMs);
        profiler.Enable(pauseMs > 0);
        const double cpuStart = CpuMs();
        const auto start = Clock::now();
        window.LoadQuranPage(static_cast<int16_t>(page));
        PaintTurn(window, mode, footer);
        times.wall.push_back(MsSince(start));
        times.cpu.push_back(CpuMs() - cpuStart);
        profiler.Disable();
    }
    return times;
}

// `count` turns forward from a random page (going on from the start at the end of the book).
std::vector<int> SequentialTurns(pagora::PageMode mode, int count, std::mt19937& random) {
    const int step = mode == pagora::PageMode::Single ? 1 : 2;
    const int turnsInBook = pagora::kPageCount / step;
    int turn = std::uniform_int_distribution<int>(0, turnsInBook - 1)(random);
    std::vector<int> pages;
    for (int i = 0; i < count; ++i, turn = (turn + 1) % turnsInBook) {
        pages.push_back(1 + turn * step);
    }
    return pages;
}

// `count` random pages, none within two turns of the page before it.
std::vector<int> JumpTurns(pagora::PageMode mode, int count, std::mt19937& random) {
    std::uniform_int_distribution<int> anyPage(pagora::kFirstPage, pagora::kPageCount);
    const int step = mode == pagora::PageMode::Single ? 1 : 2;
    std::vector<int> pages;
    int last = -100;
    while (static_cast<int>(pages.size()) < count) {
        const int page = anyPage(random);
        if (std::abs(page - last) > 3 * step) {
            pages.push_back(page);
            last = page;
        }
    }
    return pages;
}

struct Quantiles {
    double p50, p95, max;
};

Quantiles QuantilesOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)];
    };
    return {at(0.50), at(0.95), ms.back()};
}

// The scenario's line (wall time), then the same turns' thread CPU time on a line of its own.
void ReportScenario(const char* what, int width, int height, const TurnTimes& times) {
    const Quantiles wall = QuantilesOf(times.wall);
    const Quantiles cpu = QuantilesOf(times.cpu);
    std::printf("%s  %dx%d  p50 %.1f ms  p95 %.1f ms  max %.1f ms\n", what, width, height, wall.p50,
                wall.p95, wall.max);
    std::printf("  thread CPU time  p50 %.1f ms  p95 %.1f ms  max %.1f ms\n", cpu.p50, cpu.p95,
                cpu.max);
}

// Reading on in fit mode: each spread after the previous one, turned after a 300 ms pause (the
// reader's idle time between turns); the turn finds the fitted size of both pages, writes and
// paints them.
void SequentialFitSpreadTurns(pagora::frmMain& window, int width, int height, int turns) {
    // The start-up placement keeps the window on the (small) offscreen screen.
    window.resize(width, height);
    QApplication::processEvents();
    window.mnuDoublePage();
    window.findChild<QAction*>(QStringLiteral("mnuFitPage"))->setChecked(false);
    window.findChild<QAction*>(QStringLiteral("mnuFitPage"))->trigger();
    window.LoadQuranPage(1);
    QWidget& area = window.PageArea(pagora::PageMode::Double);
    std::vector<double> ms;
    for (int turn = 0; turn < std::min(turns, 50); ++turn) {
        RunEventLoop(300);
        const auto start = Clock::now();
        window.cmdNext_Click();
        area.repaint();
        ms.push_back(MsSince(start));
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[static_cast<size_t>(q * static_cast<double>(ms.size() - 1) + 0.5)];
    };
    std::printf(
        "sequential fit spread turn  %dx%d  p50 %.1f ms  p95 %.1f ms  max %.1f ms  "
        "(%zu turns; window %d x %d px, text size %d px at the end)\n",
        width, height, at(0.50), at(0.95), ms.back(), ms.size(), window.width(), window.height(),
        window.Core().ShownTextSize());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    pagora::InstallMushafFontFallback();

    QTemporaryDir settingsFolder;
    pagora::IniSettingsStore settings(settingsFolder.path());
    pagora::SystemProcessFacts process(QStringList{QString::fromLocal8Bit(argv[0])});
    PrintingMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);
    // By default a 1600 x 1000 pixel window, a common laptop screen's work area; the size may be
    // given as two arguments.
    const int width = argc > 2 ? std::max(200, std::atoi(argv[1])) : 1600;
    const int height = argc > 2 ? std::max(200, std::atoi(argv[2])) : 1000;
    // A third argument limits the turns per mode, for a short run under a profiler.
    const int turns = argc > 3
                          ? static_cast<int>(std::clamp<int64_t>(
                                pagora::TextToInteger(argv[3]).value_or(1), 0, pagora::kPageCount))
                          : pagora::kPageCount;
    const int scenarioTurns =
        argc > 4 ? static_cast<int>(std::clamp<int64_t>(pagora::TextToInteger(argv[4]).value_or(1),
                                                        1, pagora::kPageCount))
                 : 100;
    const QString name = process.ExecutableName();
    settings.SaveSetting(name, "WindowState", "State", "0");
    settings.SaveSetting(name, "WindowState", "Left", "0");
    settings.SaveSetting(name, "WindowState", "Top", "0");
    settings.SaveSetting(name, "WindowState", "Width",
                         pagora::SingleText(pagora::PixelsToTwips(width, window.logicalDpiX())));
    settings.SaveSetting(name, "WindowState", "Height",
                         pagora::SingleText(pagora::PixelsToTwips(height, window.logicalDpiY())));
    settings.SaveSetting(name, "UserSelection", "Pageno", "1");
    if (!window.Start()) {
        return 1;
    }
    // Start-up fits the window onto the offscreen screen (about 800 x 800 px); the turns are
    // timed at the size asked for.
    window.resize(width, height);
    QApplication::processEvents();
    std::printf("window %d x %d px\n", window.width(), window.height());
    QWidget& footer = *window.findChild<QWidget*>(QStringLiteral("fraFooter"));

    // The same pages in every run, for before-and-after comparisons.
    std::mt19937 random(20261206);
    constexpr int kReadingPauseMs = 300;
    using pagora::PageMode;
    const std::vector<int> sequentialSpreads =
        SequentialTurns(PageMode::Double, scenarioTurns, random);
    const std::vector<int> sequentialPages =
        SequentialTurns(PageMode::Single, scenarioTurns, random);
    const std::vector<int> jumpSpreads = JumpTurns(PageMode::Double, scenarioTurns, random);
    const std::vector<int> jumpPages = JumpTurns(PageMode::Single, scenarioTurns, random);
    ReportScenario("sequential spread turn", width, height,
                   TimeTurns(window, PageMode::Double, sequentialSpreads, kReadingPauseMs));
    ReportScenario("sequential page turn", width, height,
                   TimeTurns(window, PageMode::Single, sequentialPages, kReadingPauseMs));
    ReportScenario("jump spread turn", width, height,
                   TimeTurns(window, PageMode::Double, jumpSpreads, 0));
    ReportScenario("jump page turn", width, height,
                   TimeTurns(window, PageMode::Single, jumpPages, 0));
    std::fflush(stdout);
    const auto elapsed = MsSince;
    const auto cpuMs = CpuMs;

    for (int round = 0; round < 2 && turns > 0; ++round) {
        std::vector<double> spreads, spreadPaints, spreadCpu;
        window.mnuDoublePage();
        for (int page = 1; page <= std::min(603, 2 * turns - 1); page += 2) {
            const double cpuStart = cpuMs();
            const auto start = Clock::now();
            window.LoadQuranPage(static_cast<int16_t>(page));
            const auto built = Clock::now();
            window.PageArea(pagora::PageMode::Double).repaint();
            footer.repaint();
            spreads.push_back(elapsed(start));
            spreadCpu.push_back(cpuMs() - cpuStart);
            spreadPaints.push_back(elapsed(built));
        }
        std::vector<double> singles, singlePaints, singleCpu;
        window.mnuSinglePage();
        for (int page = 1; page <= turns; ++page) {
            const double cpuStart = cpuMs();
            const auto start = Clock::now();
            window.LoadQuranPage(static_cast<int16_t>(page));
            const auto built = Clock::now();
            window.PageArea(pagora::PageMode::Single).repaint();
            footer.repaint();
            singles.push_back(elapsed(start));
            singleCpu.push_back(cpuMs() - cpuStart);
            singlePaints.push_back(elapsed(built));
        }
        std::printf("round %d (window %d x %d px, text size %d px)\n", round + 1, width, height,
                    window.Core().TextSize());
        Report("spread turn (double page)", spreads);
        Report("  of which painting", spreadPaints);
        Report("  CPU time of the turn", spreadCpu);
        Report("page turn (single page)", singles);
        Report("  of which painting", singlePaints);
        Report("  CPU time of the turn", singleCpu);
    }
    SequentialFitSpreadTurns(window, width, height, scenarioTurns);
    window.close();
    return 0;
}
