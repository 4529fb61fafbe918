#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "platform/TerminationSignals.h"

namespace pagora {

namespace {

bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int RunReader(int argc, char** argv, const std::function<void(frmMain&)>& prepare) {
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "pagora: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set).\nRun the reader in a virtual X server instead, for example:\n"
                     "  xvfb-run -a -s '-screen 0 1600x1000x24' build/bin/pagora\n");
        return 2;
    }
    QApplication app(argc, argv);
    InstallMushafFontFallback();

    IniSettingsStore settings;
    SystemProcessFacts process(QApplication::arguments());
    QtMessageBoxes messages;
    frmMain window(settings, process, messages);
    if (prepare) {
        prepare(window);
    }
    if (!window.Start()) {
        return 1;
    }
    // The end of the session and termination signals close the reader as its close button does,
    // so that the page reached and the window's place are kept.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.SaveSettings(); });
    TerminationSignals termination([] { QApplication::closeAllWindows(); });
    return QApplication::exec();
}

}  // namespace pagora
