#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/frmMain.h"
#include "pagora_version.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "platform/TerminationSignals.h"

namespace pagora {

namespace {

const char kHelp[] =
    R"(Usage: pagora [NAME]
  or:  pagora --help | --version

Tamrit Pagora shows the Quran page by page: the 604 pages of the Madani mushaf, one page or two
facing pages with the odd page on the right. Next and Previous (or the keys Z and X) turn the
pages; the page number, Sura and Juz buttons go to a page; the text size runs from 10 to 200
pixels. Clicking a verse's number sets the bookmark; clicking a verse's text puts its reference,
such as 2:255, on the clipboard for the recitation program Tilora.

Any command line other than --help or --version is a NAME: the reader then keeps its settings
(page, text size, page mode, window placement and bookmark) under that name, apart from those of
a plain "pagora". Qt's own options, such as -platform offscreen, are taken out first.

The reader needs a display. Without one, run it in a virtual X server (xvfb-run -a pagora);
pagora-export renders pages as images without any display.

Options:
      --help     display this help and exit
      --version  output version information and exit

Files:
  The book's archives, support.dat and order0.dat to order9.dat, are read from the program's
  folder or, when they are not there, from ../share/pagora beside it. The settings are kept in
  $XDG_CONFIG_HOME/pagora/ (~/.config/pagora/ by default), one file per NAME. While a reader
  runs, the page frame's images are in its working folder: $XDG_RUNTIME_DIR/PG/, or else
  PG-UID/ in $TMPDIR or /tmp.
)";

// The command lines the program answers by itself: the whole command line "--help" or
// "--version". Anything else names a set of settings.
std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    if (argc != 2) {
        return std::nullopt;
    }
    const std::string_view request = argv[1];
    if (request == "--help") {
        std::fputs(kHelp, stdout);
    } else if (request == "--version") {
        std::printf(
            "pagora (Tamrit Pagora) %d.%d.%d\n"
            "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
            "The book's text: CC BY-SA 4.0, adapted from quran-json; its page layout: MIT, from "
            "quran-meta.\n",
            kVersionMajor, kVersionMinor, kVersionRevision);
    } else {
        return std::nullopt;
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

bool DisplayAvailable() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int RunReader(int argc, char** argv, const std::function<void(frmMain&)>& prepare) {
    if (const auto answered = AnswerInformationRequest(argc, argv)) {
        return *answered;
    }
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "pagora: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set).\nRun the reader in a virtual X server instead, for example:\n"
                     "  xvfb-run -a -s '-screen 0 1600x1000x24' build/bin/pagora\n");
        return 2;
    }
    QApplication app(argc, argv);
    // The desktop matches the window to the installed desktop entry and its icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(PAGORA_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(PAGORA_APP_ID)));
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
