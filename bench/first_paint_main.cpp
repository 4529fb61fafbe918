// The reader, reporting when its first page has been painted (CLOCK_REALTIME in nanoseconds, for
// a caller that noted the time before starting it) and closing then; reader_startup_bench runs it.
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"

namespace {

class FirstPaintProbe : public QObject {
  public:
    FirstPaintProbe(pagora::frmMain& window, std::chrono::steady_clock::time_point mainStart)
        : QObject(&window), window_(&window), mainStart_(mainStart) {}

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
    return pagora::RunReader(argc, argv, [mainStart](pagora::frmMain& window) {
        auto* probe = new FirstPaintProbe(window, mainStart);
        for (pagora::View view : pagora::kAllViews) {
            window.PageView(view).viewport()->installEventFilter(probe);
        }
    });
}
