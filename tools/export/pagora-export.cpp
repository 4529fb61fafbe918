// pagora-export: renders a page or a spread headless, through the reader's own main window, and
// writes it as a PNG image or as the HTML document(s) the page view shows.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "base/Book.h"
#include "base/Numbers.h"
#include "pagora_version.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "reader/PageDocument.h"
#include "reader/StoredSettings.h"
#include "reader/SupportData.h"
#include "reader/Theme.h"
#include "reader/WindowLayout.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

const char kUsageText[] =
    "Usage: pagora-export --page N [--double] [--size PX] [--width W] [--height H]\n"
    "                     [--scale F] [--theme NAME] (--png FILE | --html FILE)\n"
    "  or:  pagora-export --help | --version\n"
    "\n"
    "Renders a page of Tamrit Pagora, or the spread that holds it, exactly as the reader's window\n"
    "shows it, without a display.\n"
    "\n"
    "Options:\n"
    "  --page N      the page, 1 to 604; with --double the spread that holds it\n"
    "  --double      two facing pages, the odd one on the right\n"
    "  --size PX     text size in pixels, 10 to 200 (default 35)\n"
    "  --width W     width of the page area in pixels, 200 to 8000 (default: as the window\n"
    "                shows it at its designed size)\n"
    "  --height H    least height of the page area in pixels, 200 to 8000 (default: as the\n"
    "                window shows it); the area grows to hold the whole page\n"
    "  --scale F     device pixel ratio of the image, 1 to 4 (default 1): a W x H area gives an\n"
    "                image of F*W x F*H pixels, drawn sharp at that size\n"
    "  --theme NAME  the colours of the picture: light (default), sepia or night\n"
    "  --png FILE    write the page area as a PNG image: the whole page (or both pages), with\n"
    "                no scroll bars\n"
    "  --html FILE   write the page document, with the frame images embedded; with --double the\n"
    "                right page goes to FILE and the left one to FILE with \"-left\" before its\n"
    "                extension\n"
    "  --help        display this help and exit\n"
    "  --version     output version information and exit\n"
    "\n"
    "The archives are read from the folder of this program or, when they are not there, from\n"
    "../share/pagora beside it. Exit status: 0 when the file was written, 1 when the page\n"
    "could not be read or the file not written, 2 on a bad command line.\n";

// What Qt's painter can draw into, and a bound on the memory a picture takes; larger pictures
// (a narrow area at a large text size and scale) are refused.
constexpr double kMaxImagePixels = 256e6;
constexpr int kMaxImageSide = 32767;

struct Options {
    int page = 0;
    bool twoPages = false;
    int size = 35;
    int width = 0;
    int height = 0;
    double scale = 1;
    QString theme = QStringLiteral("light");
    QString png;
    QString html;
};

// The command line, or the exit status when it says to stop (help, version, refused).
using Parsed = std::optional<int>;

Parsed Refuse(const std::string& message) {
    std::fprintf(stderr, "pagora-export: %s\n%s", message.c_str(), kUsageText);
    return kUsage;
}

std::optional<int> WholeNumber(const char* text, int low, int high) {
    const std::optional<int64_t> value = pagora::TextToInteger(text);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

std::optional<double> Number(const char* text, double low, double high) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value) || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

Parsed ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto whole = [&](int low, int high, int& out) -> Parsed {
            const auto parsed = value ? WholeNumber(value, low, high) : std::nullopt;
            if (!parsed) {
                return Refuse(arg + " needs a whole number from " + std::to_string(low) + " to " +
                              std::to_string(high));
            }
            out = *parsed;
            ++i;
            return std::nullopt;
        };
        Parsed stop;
        if (arg == "--page") {
            stop = whole(pagora::kFirstPage, pagora::kPageCount, options.page);
        } else if (arg == "--size") {
            stop = whole(10, 200, options.size);
        } else if (arg == "--width") {
            stop = whole(200, 8000, options.width);
        } else if (arg == "--height") {
            stop = whole(200, 8000, options.height);
        } else if (arg == "--scale") {
            const auto parsed = value ? Number(value, 1, 4) : std::nullopt;
            if (!parsed) {
                return Refuse("--scale needs a number from 1 to 4, such as 2 or 1.5");
            }
            options.scale = *parsed;
            ++i;
        } else if (arg == "--theme") {
            if (value == nullptr || !pagora::ThemeNamed(QString::fromLocal8Bit(value))) {
                return Refuse("--theme needs light, sepia or night");
            }
            options.theme = QString::fromLocal8Bit(value);
            ++i;
        } else if (arg == "--double") {
            options.twoPages = true;
        } else if (arg == "--png" || arg == "--html") {
            if (value == nullptr || *value == '\0') {
                return Refuse(arg + " needs a file name");
            }
            (arg == "--png" ? options.png : options.html) = QString::fromLocal8Bit(value);
            ++i;
        } else if (arg == "--help") {
            std::fputs(kUsageText, stdout);
            return kSuccess;
        } else if (arg == "--version") {
            std::printf("pagora-export (Tamrit Pagora) %d.%d.%d\n", pagora::kVersionMajor,
                        pagora::kVersionMinor, pagora::kVersionRevision);
            return kSuccess;
        } else {
            return Refuse("unknown argument " + arg +
                          " (the options are --page, --double, --size, --width, --height, "
                          "--scale, --theme, --png, --html, --help and --version)");
        }
        if (stop) {
            return stop;
        }
    }
    if (options.page == 0) {
        return Refuse("--page is required");
    }
    if (options.png.isEmpty() == options.html.isEmpty()) {
        return Refuse("give exactly one of --png and --html");
    }
    if (!options.html.isEmpty() && options.scale != 1) {
        return Refuse("--scale goes with --png only");
    }
    return std::nullopt;
}

// The offscreen platform cannot hand size hints to a window manager and says so on every
// window; nothing here needs them. Every other message goes through.
QtMessageHandler g_nextHandler = nullptr;

void QuietAboutSizeHints(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("propagateSizeHints"))) {
        return;
    }
    if (g_nextHandler != nullptr) {
        g_nextHandler(type, context, text);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }
}

class PrintingMessageBoxes : public pagora::MessageBoxes {
  public:
    void ShowInformation(const QString& text, const QString&) override {
        std::fprintf(stderr, "pagora-export: %s\n", qPrintable(text));
    }
    // Start-up already printed the description.
    void ShowError(const QString&, const QString&) override {}
};

std::vector<pagora::View> ViewsOf(pagora::PageMode mode) {
    if (mode == pagora::PageMode::Single) {
        return {pagora::View::SinglePage};
    }
    return {pagora::View::PageOne, pagora::View::PageTwo};
}

// The page keys the views of `mode` must show for `page`: the page, or its spread.
std::vector<QString> ExpectedKeys(pagora::PageMode mode, int page) {
    if (mode == pagora::PageMode::Single) {
        return {pagora::PadWithZeros(page, 3)};
    }
    const int right = page % 2 == 0 ? page - 1 : page;
    return {pagora::PadWithZeros(right, 3), pagora::PadWithZeros(right + 1, 3)};
}

// Lays the page area of `mode` out at `width` x `height` pixels by the window's own resize
// rules, then makes it taller until every page shows whole, with no scroll bars.
void LayOutWholePages(pagora::frmMain& window, pagora::PageMode mode, int width, int height) {
    const double dpiX = window.logicalDpiX() > 0 ? window.logicalDpiX() : 96.0;
    const double dpiY = window.logicalDpiY() > 0 ? window.logicalDpiY() : 96.0;
    const float footer = window.Layout().fraFooter.Height;
    // The rules give the page frames the window's outer size less 300 twips across and less the
    // footer and 900 twips down.
    const pagora::PageLayout layout = pagora::FormResize(
        pagora::PixelsToTwips(width, dpiX) + 300,
        pagora::PixelsToTwips(height, dpiY) + footer + 900, footer, window.Layout());
    auto pixels = [&](const pagora::TwipRect& r) {
        return QRect(pagora::TwipsToPixels(r.Left, dpiX), pagora::TwipsToPixels(r.Top, dpiY),
                     pagora::TwipsToPixels(r.Width, dpiX), pagora::TwipsToPixels(r.Height, dpiY));
    };
    auto viewRect = [&](pagora::View view) {
        switch (view) {
            case pagora::View::PageOne:
                return pixels(layout.wbPageOne);
            case pagora::View::PageTwo:
                return pixels(layout.wbPageTwo);
            case pagora::View::SinglePage:
                break;
        }
        return pixels(layout.wbSinglePage);
    };
    QWidget& area = window.PageArea(mode);
    area.resize(
        pixels(mode == pagora::PageMode::Single ? layout.fraOnePage : layout.fraTwoPage).size());
    int grow = 0;
    for (pagora::View view : ViewsOf(mode)) {
        pagora::BrowserControl& page = window.PageView(view);
        page.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        page.setGeometry(viewRect(view));
        QApplication::sendPostedEvents();
        const int whole =
            static_cast<int>(std::ceil(page.document()->size().height())) + 2 * page.frameWidth();
        grow = std::max(grow, whole - page.height());
    }
    if (grow > 0) {
        area.resize(area.width(), area.height() + grow);
        for (pagora::View view : ViewsOf(mode)) {
            QWidget& page = window.PageView(view);
            page.resize(page.width(), page.height() + grow);
        }
    }
    QApplication::sendPostedEvents();
}

bool WritePicture(QWidget& area, double scale, const QString& path) {
    const double pixels = static_cast<double>(area.width()) * area.height() * scale * scale;
    const QSize size(static_cast<int>(std::ceil(area.width() * scale)),
                     static_cast<int>(std::ceil(area.height() * scale)));
    if (pixels > kMaxImagePixels || size.width() > kMaxImageSide || size.height() > kMaxImageSide) {
        std::fprintf(stderr,
                     "pagora-export: the image would be %d x %d pixels, beyond the limit of %d "
                     "pixels a side and %.0f million pixels; use a smaller --scale, --size or "
                     "--height, or a wider --width\n",
                     size.width(), size.height(), kMaxImageSide, kMaxImagePixels / 1e6);
        return false;
    }
    QPixmap picture(size);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    area.render(&picture);
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "pagora-export: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The document with its frame images, which live in the reader's working folder only while a
// reader runs, embedded as data addresses.
std::optional<QString> SelfContained(QString document, const QString& workingFolder) {
    for (const char* image : pagora::kFrameImages) {
        const QString name = QString::fromLatin1(image);
        const QString path = workingFolder + name;
        if (!document.contains(path)) {
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "pagora-export: cannot read the frame image %s: %s\n",
                         qPrintable(path), qPrintable(file.errorString()));
            return std::nullopt;
        }
        const QString type = name.endsWith(QLatin1String(".jpg")) ? QStringLiteral("image/jpeg")
                                                                  : QStringLiteral("image/gif");
        document.replace(path, QStringLiteral("data:") + type + QStringLiteral(";base64,") +
                                   QString::fromLatin1(file.readAll().toBase64()));
    }
    return document;
}

bool WriteDocument(const QString& path, const QString& document, const QString& workingFolder) {
    const auto whole = SelfContained(document, workingFolder);
    if (!whole) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "pagora-export: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    // A byte-order mark tells browsers the text is UTF-8; the document names no charset.
    file.write("\xEF\xBB\xBF");
    file.write(whole->toUtf8());
    if (!file.flush()) {
        std::fprintf(stderr, "pagora-export: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
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
    if (const Parsed stop = ParseOptions(argc, argv, options)) {
        return *stop;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_nextHandler = qInstallMessageHandler(QuietAboutSizeHints);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    pagora::InstallMushafFontFallback();

    // A private settings store: the export neither reads nor changes the reader's own settings.
    QTemporaryDir settingsFolder;
    if (!settingsFolder.isValid()) {
        std::fprintf(stderr, "pagora-export: cannot make a temporary folder\n");
        return kFailure;
    }
    pagora::IniSettingsStore settings(settingsFolder.path());
    pagora::SystemProcessFacts process(QStringList{QString::fromLocal8Bit(argv[0])});
    PrintingMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);

    const QString appName = pagora::SettingsAppName(process.ExecutableName(), QString());
    auto store = [&](const char* section, const char* key, const QString& value) {
        settings.SaveSetting(appName, QString::fromLatin1(section), QString::fromLatin1(key),
                             value);
    };
    store("UserSelection", "Pageno", QString::number(options.page));
    store("UserSelection", "FontSize", QString::number(options.size));
    store("UserSelection", "PageMode", options.twoPages ? "2" : "1");
    store("UserSelection", "Theme", options.theme);
    store("WindowState", "State", "0");
    if (!window.Start()) {
        return kFailure;
    }
    QApplication::processEvents();

    const pagora::PageMode mode =
        options.twoPages ? pagora::PageMode::Double : pagora::PageMode::Single;
    const std::vector<pagora::View> views = ViewsOf(mode);
    const std::vector<QString> keys = ExpectedKeys(mode, options.page);
    for (size_t k = 0; k < views.size(); ++k) {
        // The reader has said why on stderr; its message page is no export.
        if (window.Core().Tag(views[k]) != keys[k]) {
            std::fprintf(stderr, "pagora-export: page %s could not be read; nothing was written\n",
                         qPrintable(keys[k]));
            window.close();
            return kFailure;
        }
    }

    bool written = true;
    const QString folder = window.Core().WorkingFolder();
    if (!options.png.isEmpty()) {
        QWidget& area = window.PageArea(mode);
        LayOutWholePages(window, mode, options.width > 0 ? options.width : area.width(),
                         options.height > 0 ? options.height : area.height());
        written = WritePicture(area, options.scale, options.png);
    } else if (options.twoPages) {
        written =
            WriteDocument(options.html, window.Core().Document(pagora::View::PageOne), folder) &&
            WriteDocument(LeftPageName(options.html), window.Core().Document(pagora::View::PageTwo),
                          folder);
    } else {
        written =
            WriteDocument(options.html, window.Core().Document(pagora::View::SinglePage), folder);
    }
    window.close();
    return written ? kSuccess : kFailure;
}
