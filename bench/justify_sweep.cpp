// Lays out every page of the book in the reader's own page views, in single-page and
// double-page mode, at text sizes 20, 35, 60, 120 and 200 px in windows 703 x 548 (the designed
// first-start size) and 1600 x 1000 px, and counts the justified lines whose words are not drawn
// as the unjustified layout draws them ("torn"), lines that break elsewhere than unjustified
// lines would, stretched lines that end short of the margin, sura headers or basmala lines
// that wrap, and lines that start with a verse number. Run from the build's bin folder, where
// the archives are. Exit status 0 when all five counts are 0.
#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/frmMain.h"
#include "base/Book.h"
#include "base/Numbers.h"
#include "bench/PrintingMessageBoxes.h"
#include "platform/BrowserControl.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "reader/WindowLayout.h"
#include "tests/support/JustifiedWords.h"

namespace {

struct Totals {
    long stretched = 0;
    long torn = 0;
    long moved = 0;
    long unfilled = 0;
    long wrapped = 0;
    long numbers = 0;

    Totals& operator+=(const Totals& more) {
        stretched += more.stretched;
        torn += more.torn;
        moved += more.moved;
        unfilled += more.unfilled;
        wrapped += more.wrapped;
        numbers += more.numbers;
        return *this;
    }
};

}  // namespace

int main(int, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    pagora::InstallMushafFontFallback();
    const auto started = std::chrono::steady_clock::now();
    Totals all;
    for (const QSize window : {QSize(703, 548), QSize(1600, 1000)}) {
        for (const int size : {20, 35, 60, 120, 200}) {
            QTemporaryDir settingsFolder;
            pagora::IniSettingsStore settings(settingsFolder.path());
            pagora::SystemProcessFacts process(QStringList{QString::fromLocal8Bit(argv[0])});
            pagora::testing::PrintingMessageBoxes messages;
            pagora::frmMain reader(settings, process, messages);
            const QString name = process.ExecutableName();
            auto twips = [&](int pixels, double dpi) {
                return pagora::SingleText(pagora::PixelsToTwips(pixels, dpi));
            };
            settings.SaveSetting(name, "WindowState", "State", "0");
            settings.SaveSetting(name, "WindowState", "Left", "0");
            settings.SaveSetting(name, "WindowState", "Top", "0");
            settings.SaveSetting(name, "WindowState", "Width",
                                 twips(window.width(), reader.logicalDpiX()));
            settings.SaveSetting(name, "WindowState", "Height",
                                 twips(window.height(), reader.logicalDpiY()));
            settings.SaveSetting(name, "UserSelection", "FontSize", QString::number(size));
            if (!reader.Start()) {
                return 2;
            }
            for (const bool twoPages : {false, true}) {
                twoPages ? reader.mnuDoublePage() : reader.mnuSinglePage();
                QApplication::processEvents();
                std::vector<pagora::BrowserControl*> views = {
                    &reader.PageView(pagora::View::SinglePage)};
                if (twoPages) {
                    views = {&reader.PageView(pagora::View::PageOne),
                             &reader.PageView(pagora::View::PageTwo)};
                }
                Totals here;
                QString example;
                for (int page = 1; page <= pagora::kPageCount; page += twoPages ? 2 : 1) {
                    reader.LoadQuranPage(static_cast<int16_t>(page));
                    for (size_t v = 0; v < views.size(); ++v) {
                        const pagora::testing::WordCheck check =
                            pagora::testing::CheckWords(*views[v]->document());
                        here += Totals{check.stretchedLines,      check.tornLines,
                                       check.movedLines,          check.unfilledLines,
                                       check.wrappedCentredLines, check.numberLineStarts};
                        if (example.isEmpty() && !check.firstTorn.isEmpty()) {
                            example = QStringLiteral(" (page %1: %2)")
                                          .arg(page + static_cast<int>(v))
                                          .arg(check.firstTorn);
                        }
                    }
                }
                std::printf(
                    "window %4d x %4d, %s, page view %4d px, text size %3d: %6ld stretched "
                    "lines, %5ld torn, %4ld moved, %4ld short, %4ld wrapped headers, %4ld numbers "
                    "starting a line%s\n",
                    window.width(), window.height(), twoPages ? "double page" : "single page",
                    views[0]->viewport()->width(), size, here.stretched, here.torn, here.moved,
                    here.unfilled, here.wrapped, here.numbers, qPrintable(example));
                std::fflush(stdout);
                all += here;
            }
            reader.close();
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "all 604 pages, 2 modes, 5 text sizes, 2 windows: %ld stretched lines, %ld torn, %ld "
        "moved, %ld short of the margin, %ld wrapped headers, %ld numbers starting a line, in %.0f "
        "s\n",
        all.stretched, all.torn, all.moved, all.unfilled, all.wrapped, all.numbers, seconds);
    return all.torn == 0 && all.moved == 0 && all.unfilled == 0 && all.wrapped == 0 &&
                   all.numbers == 0
               ? 0
               : 1;
}
