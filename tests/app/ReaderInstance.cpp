// The reader, printing "ready" once its first page is shown and closing on a line "close".
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <string_view>

#include "app/frmMain.h"

int main(int argc, char** argv) {
    return pagora::RunReader(argc, argv, [](pagora::frmMain& window) {
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &window);
        QObject::connect(input, &QSocketNotifier::activated, &window, [input, &window] {
            char buffer[64];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0 || std::string_view(buffer, static_cast<size_t>(got)).find("close") !=
                                std::string_view::npos) {
                input->setEnabled(false);
                window.close();
            }
        });
        // The window has started once its event loop runs.
        QTimer::singleShot(0, &window, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
    });
}
