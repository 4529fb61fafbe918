// The reader, printing "ready" once its first page is shown.
#include <QTimer>
#include <cstdio>

#include "app/frmMain.h"

int main(int argc, char** argv) {
    return pagora::RunReader(argc, argv, [](pagora::frmMain& window) {
        // The window has started once its event loop runs.
        QTimer::singleShot(0, &window, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
    });
}
