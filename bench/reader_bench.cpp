// Page turns of the reader: every spread in double-page mode and every page in single-page
// mode, each fetched from its archive (a view never shows the same page twice in a row), laid
// out and painted offscreen.
// Prints p50, p95 and max per turn. Run from the build's bin folder, where the archives are.
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/frmMain.h"
#include "base/Book.h"
#include "base/Numbers.h"
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
        QEventLoop pause;
        QTimer::singleShot(300, &pause, &QEventLoop::quit);
        pause.exec();
        const auto start = std::chrono::steady_clock::now();
        window.cmdNext_Click();
        area.repaint();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
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
                                pagora::TextToInteger(argv[3]).value_or(1), 1, pagora::kPageCount))
                          : pagora::kPageCount;
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
    QApplication::processEvents();
    QWidget& footer = *window.findChild<QWidget*>(QStringLiteral("fraFooter"));

    using Clock = std::chrono::steady_clock;
    auto elapsed = [](Clock::time_point since) {
        return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    };
    // CPU time of this thread: steadier than wall time on a machine shared with other work.
    auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };

    for (int round = 0; round < 2; ++round) {
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
    SequentialFitSpreadTurns(window, width, height, turns);
    window.close();
    return 0;
}
