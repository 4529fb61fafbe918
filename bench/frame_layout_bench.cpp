// What the page frame costs a page that is laid out when it is written (a typed jump). The frame
// is a 3x3 table, and Qt lays a table's cells out twice: once at unlimited width to find the
// column widths, then at the width they get. Pages are written into a page view three ways, the
// frame as the data build makes it, the frame with the page's column given its width in pixels,
// and the page without a frame, and the thread CPU time of each write (layout included) is
// printed per page. Run from the build's bin folder, where the archives are:
//   frame_layout_bench [PAGES]
#include <QApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "base/Book.h"
#include "base/Numbers.h"
#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "reader/PageDocument.h"
#include "reader/PageSource.h"
#include "reader/SupportData.h"

namespace {

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    pagora::InstallMushafFontFallback();
    const int pages =
        argc > 1 ? std::clamp(static_cast<int>(pagora::TextToInteger(argv[1]).value_or(40)), 2, 604)
                 : 40;
    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir work;
    const QString folder = work.path() + u'/';
    pagora::UseWorkingFolder(folder.toStdString());
    const pagora::QuranIndex index = pagora::UnpackSupportFiles(bin + "/support.dat", folder);
    pagora::ArchivePageSource source(bin, folder);
    std::vector<std::pair<int, QString>> texts;
    for (int i = 0; i < pages; ++i) {
        const int page = 1 + i * (pagora::kPageCount - 1) / (pages - 1);
        texts.emplace_back(
            page, pagora::AddBookMarkLinks(source.FetchPageText(pagora::PadWithZeros(page, 3))));
    }
    const int band = QRegularExpression(QStringLiteral(R"re(width="(\d+)")re"))
                         .match(index.pageFrame)
                         .captured(1)
                         .toInt();
    std::printf("%d pages, text size 35 px, CPU ms per write (median)\n", pages);
    for (const int width : {364, 754}) {
        pagora::BrowserControl view(QStringLiteral("wbSinglePage"));
        view.resize(width, 900);
        view.show();
        QApplication::processEvents();
        const int column = view.viewport()->width() -
                           2 * static_cast<int>(view.document()->documentMargin()) - 2 * band;
        QString fixed = index.pageFrame;
        fixed.replace(
            QStringLiteral("<td style=\"padding: 6px 14px;\">#data#"),
            QStringLiteral("<td width=\"%1\" style=\"padding: 6px 14px;\">#data#").arg(column));
        const std::pair<const char*, QString> frames[] = {
            {"frame as built (3x3 table)", index.pageFrame},
            {"page column of fixed width", fixed},
            {"no frame", QStringLiteral("#data#")}};
        for (const auto& [what, frame] : frames) {
            std::vector<double> ms;
            for (int round = 0; round < 2; ++round) {
                for (const auto& [page, text] : texts) {
                    const QString html =
                        pagora::BuildPageDocument(text, page, index.suraMarker, frame, 35);
                    const double start = CpuMs();
                    view.DocumentClear();
                    view.DocumentWrite(html);
                    view.DocumentClose();
                    if (round == 1) {
                        ms.push_back(CpuMs() - start);
                    }
                }
            }
            std::printf("view %4d px  %-28s  %.2f ms\n", width, what, Median(ms));
        }
    }
    return 0;
}
