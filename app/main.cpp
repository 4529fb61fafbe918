#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"

namespace {

bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// With PAGORA_FIRST_PAINT_PROBE set, the reader reports when its first page has been painted
// (CLOCK_REALTIME in nanoseconds, for a caller that noted the time before starting it) and
// closes; start-up benchmarks use it.
class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(pagora::frmMain& window, std::chrono::steady_clock::time_point mainStart)
        : window_(&window), mainStart_(mainStart) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void Report() {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const auto sinceMain =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mainStart_)
                .count();
        std::printf("first-paint-realtime-ns %lld\nfirst-paint-ms-since-main %.2f\n",
                    static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, sinceMain);
        std::fflush(stdout);
        if (window_) {
            window_->close();
        }
    }

    QPointer<pagora::frmMain> window_;
    std::chrono::steady_clock::time_point mainStart_;
    bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const auto mainStart = std::chrono::steady_clock::now();
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "pagora: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set).\nRun the reader in a virtual X server instead, for example:\n"
                     "  xvfb-run -a -s '-screen 0 1600x1000x24' build/bin/pagora\n");
        return 2;
    }
    QApplication app(argc, argv);
    pagora::InstallMushafFontFallback();

    pagora::IniSettingsStore settings;
    pagora::SystemProcessFacts process(QApplication::arguments());
    pagora::QtMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);

    FirstPaintProbe probe(window, mainStart);
    if (std::getenv("PAGORA_FIRST_PAINT_PROBE") != nullptr) {
        for (pagora::BrowserControl* view :
             {&window.wbSinglePage(), &window.wbPageOne(), &window.wbPageTwo()}) {
            view->viewport()->installEventFilter(&probe);
        }
    }
    if (!window.Start()) {
        return 1;
    }
    return QApplication::exec();
}
