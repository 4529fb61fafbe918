// Page turns of the reader: every spread in double-page mode and every page in single-page
// mode, each fetched from its archive (nothing cached), laid out and painted offscreen.
// Prints p50, p95 and max per turn. Run from the build's bin folder, where the archives are.
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/SettingsValues.h"
#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "window/Layout.h"

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pagora::InstallMushafFontFallback();

    QTemporaryDir settingsFolder;
    pagora::IniSettingsStore settings(settingsFolder.path());
    pagora::SystemProcessFacts process(QStringList{QString::fromLocal8Bit(argv[0])});
    PrintingMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);
    // A 1600 x 1000 pixel window, the size of a common laptop screen's work area.
    const QString name = process.ExecutableName();
    settings.SaveSetting(name, "WindowState", "State", "0");
    settings.SaveSetting(name, "WindowState", "Left", "0");
    settings.SaveSetting(name, "WindowState", "Top", "0");
    settings.SaveSetting(name, "WindowState", "Width",
                         pagora::SingleText(pagora::PixelsToTwips(1600, window.logicalDpiX())));
    settings.SaveSetting(name, "WindowState", "Height",
                         pagora::SingleText(pagora::PixelsToTwips(1000, window.logicalDpiY())));
    settings.SaveSetting(name, "UserSelection", "Pageno", "1");
    if (!window.Start()) {
        return 1;
    }
    QApplication::processEvents();

    using Clock = std::chrono::steady_clock;
    auto elapsed = [](Clock::time_point since) {
        return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
    };

    for (int round = 0; round < 2; ++round) {
        std::vector<double> spreads, spreadPaints;
        window.mnuDoublePage();
        for (int page = 1; page <= 603; page += 2) {
            window.wbPageOne().Tag.clear();
            window.wbPageTwo().Tag.clear();
            const auto start = Clock::now();
            window.SetCurrentPage(static_cast<int16_t>(page));
            window.LoadQuranPage(static_cast<int16_t>(page));
            const auto built = Clock::now();
            window.fraTwoPage().repaint();
            window.fraFooter().repaint();
            spreads.push_back(elapsed(start));
            spreadPaints.push_back(elapsed(built));
        }
        std::vector<double> singles, singlePaints;
        window.mnuSinglePage();
        for (int page = 1; page <= 604; ++page) {
            window.wbSinglePage().Tag.clear();
            const auto start = Clock::now();
            window.SetCurrentPage(static_cast<int16_t>(page));
            window.LoadQuranPage(static_cast<int16_t>(page));
            const auto built = Clock::now();
            window.fraOnePage().repaint();
            window.fraFooter().repaint();
            singles.push_back(elapsed(start));
            singlePaints.push_back(elapsed(built));
        }
        std::printf("round %d (window 1600 x 1000 px, text size %d px)\n", round + 1,
                    window.TextSize());
        Report("spread turn (double page)", spreads);
        Report("  of which painting", spreadPaints);
        Report("page turn (single page)", singles);
        Report("  of which painting", singlePaints);
    }
    window.close();
    return 0;
}
