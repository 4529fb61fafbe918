// pagora-export: renders a page or a spread headless, through the reader's own main window, and
// writes it as a PNG image or as the HTML document(s) the page view shows.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

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

const char kUsage[] =
    "usage: pagora-export --page N [--double] [--size PX] [--width W --height H]\n"
    "                     (--png FILE | --html FILE)\n"
    "  --page N      page 1 to 604; with --double the spread that holds it\n"
    "  --double      two facing pages, the odd one on the right\n"
    "  --size PX     text size in pixels, 10 to 200 (default 35)\n"
    "  --width W, --height H   window size in pixels (default: the designed size)\n"
    "  --png FILE    the page area as the window shows it\n"
    "  --html FILE   the page document; with --double the right page goes to FILE and the left\n"
    "                one to FILE with \"-left\" before its extension\n"
    "The archives are read from the folder of this program.\n";

struct Options {
    int page = 0;
    bool twoPages = false;
    int size = 35;
    int width = 0;
    int height = 0;
    QString png;
    QString html;
};

std::optional<int> WholeNumber(const char* text, int low, int high) {
    const std::optional<int64_t> value = pagora::TextToInteger(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

bool Fail(const std::string& message) {
    std::fprintf(stderr, "pagora-export: %s\n%s", message.c_str(), kUsage);
    return false;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        auto number = [&](int low, int high, int& out) {
            const char* text = value();
            const auto parsed = text ? WholeNumber(text, low, high) : std::nullopt;
            if (!parsed) {
                return Fail(arg + " needs a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high));
            }
            out = *parsed;
            return true;
        };
        if (arg == "--page") {
            if (!number(pagora::kFirstPage, pagora::kPageCount, options.page)) {
                return false;
            }
        } else if (arg == "--double") {
            options.twoPages = true;
        } else if (arg == "--size") {
            if (!number(10, 200, options.size)) {
                return false;
            }
        } else if (arg == "--width") {
            if (!number(200, 8000, options.width)) {
                return false;
            }
        } else if (arg == "--height") {
            if (!number(200, 8000, options.height)) {
                return false;
            }
        } else if (arg == "--png" || arg == "--html") {
            const char* file = value();
            if (file == nullptr || *file == '\0') {
                return Fail(arg + " needs a file name");
            }
            (arg == "--png" ? options.png : options.html) = QString::fromLocal8Bit(file);
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            return Fail("unknown argument " + arg);
        }
    }
    if (options.page == 0) {
        return Fail("--page is required");
    }
    if (options.png.isEmpty() == options.html.isEmpty()) {
        return Fail("give exactly one of --png and --html");
    }
    if ((options.width == 0) != (options.height == 0)) {
        return Fail("--width and --height go together");
    }
    return true;
}

class PrintingMessageBoxes : public pagora::MessageBoxes {
  public:
    void ShowInformation(const QString& text, const QString&) override {
        std::fprintf(stderr, "pagora-export: %s\n", qPrintable(text));
    }
    // Start-up already printed the description.
    void ShowError(const QString&, const QString&) override {}
};

bool WriteDocument(const QString& path, const QString& document) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "pagora-export: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    // A byte-order mark tells browsers the text is UTF-8; the document names no charset.
    file.write("\xEF\xBB\xBF");
    file.write(document.toUtf8());
    return file.flush();
}

QString LeftPageName(const QString& path) {
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base =
        suffix.isEmpty() ? info.filePath() : info.filePath().chopped(suffix.size() + 1);
    return base + QStringLiteral("-left") + (suffix.isEmpty() ? QString() : "." + suffix);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    pagora::InstallMushafFontFallback();

    // A private settings store: the export neither reads nor changes the reader's own settings.
    QTemporaryDir settingsFolder;
    if (!settingsFolder.isValid()) {
        std::fprintf(stderr, "pagora-export: cannot make a temporary folder\n");
        return 1;
    }
    pagora::IniSettingsStore settings(settingsFolder.path());
    pagora::SystemProcessFacts process(QStringList{QString::fromLocal8Bit(argv[0])});
    PrintingMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);

    const QString app_name = pagora::SettingsAppName(process.ExecutableName(), QString());
    auto store = [&](const char* section, const char* key, const QString& value) {
        settings.SaveSetting(app_name, QString::fromLatin1(section), QString::fromLatin1(key),
                             value);
    };
    store("UserSelection", "Pageno", QString::number(options.page));
    store("UserSelection", "FontSize", QString::number(options.size));
    store("UserSelection", "PageMode", options.twoPages ? "2" : "1");
    store("WindowState", "State", "0");
    if (options.width > 0) {
        const double dpiX = window.logicalDpiX();
        const double dpiY = window.logicalDpiY();
        store("WindowState", "Left", "0");
        store("WindowState", "Top", "0");
        store("WindowState", "Width",
              pagora::SingleText(pagora::PixelsToTwips(options.width, dpiX)));
        store("WindowState", "Height",
              pagora::SingleText(pagora::PixelsToTwips(options.height, dpiY)));
    }

    if (!window.Start()) {
        return 1;
    }
    QApplication::processEvents();

    bool written = true;
    if (!options.png.isEmpty()) {
        QWidget& area =
            window.PageArea(options.twoPages ? pagora::PageMode::Double : pagora::PageMode::Single);
        const QPixmap picture = area.grab();
        written = picture.save(options.png, "PNG");
        if (!written) {
            std::fprintf(stderr, "pagora-export: cannot write %s\n", qPrintable(options.png));
        }
    } else if (options.twoPages) {
        written = WriteDocument(options.html, window.Core().Document(pagora::View::PageOne)) &&
                  WriteDocument(LeftPageName(options.html),
                                window.Core().Document(pagora::View::PageTwo));
    } else {
        written = WriteDocument(options.html, window.Core().Document(pagora::View::SinglePage));
    }
    window.close();
    return written ? 0 : 1;
}
