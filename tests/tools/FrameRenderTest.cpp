// The page frame as the page view shows it: the images must be found through
// "##imagepath##" and lie where a mushaf frame has them, at their shown size.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTextDocument>
#include <cstdlib>
#include <filesystem>

#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/FrameArt.h"

namespace pagora::pack {
namespace {

using namespace testing;

// Distance of a pixel from a colour, summed over the channels.
int Distance(QRgb px, QColor c) {
    return std::abs(qRed(px) - c.red()) + std::abs(qGreen(px) - c.green()) +
           std::abs(qBlue(px) - c.blue());
}

TEST(FrameRenderTest, FrameImagesSurroundThePage) {
    TempDir folder;
    UseWorkingFolder(folder.Path());
    const std::string archive = std::string(PAGORA_ARCHIVE_DIR) + "/support.dat";
    ASSERT_EQ(ExtractArchiveMember(archive, "border.html"), "");
    for (const std::string& image : FrameImageNames()) {
        ASSERT_EQ(ExtractArchiveMember(archive, image), "") << image;
    }
    const std::vector<uint8_t> bytes = ReadBytes(WorkingFolder() + "border.html");
    QString frame = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size()));
    frame.replace("##imagepath##", QString::fromStdString(WorkingFolder()));
    frame.replace("#data#", "<div style=\"font-size: 30px\">x<br>x<br>x<br>x</div>");

    BrowserControl view(QStringLiteral("wbSinglePage"));
    view.setFrameStyle(QFrame::NoFrame);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.document()->setDocumentMargin(0);
    view.resize(400, 400);
    view.show();
    view.DocumentClear();
    view.DocumentWrite("<HTML Dir=\"RTL\"><BODY>" + frame + "</BODY></HTML>");
    view.DocumentClose();
    QApplication::processEvents();
    const QSize size = view.document()->size().toSize();
    ASSERT_GE(size.height(), 2 * kFrameBand + 60);
    ASSERT_LE(size.height(), 400);
    const QImage shot = view.viewport()->grab(QRect(QPoint(0, 0), size)).toImage();

    const QColor gold(0xC9, 0xA4, 0x3A);
    const QColor green(0x0E, 0x4B, 0x3B);
    const QColor parchment(0xFB, 0xF3, 0xDC);
    const int w = size.width();
    const int h = size.height();
    // The outer gold rule (depth 1) runs round all four sides, corners and strips alike.
    for (int x : {1, 20, w / 2, w - 21, w - 2}) {
        EXPECT_LT(Distance(shot.pixel(x, 1), gold), 40) << "top, x=" << x;
        EXPECT_LT(Distance(shot.pixel(x, h - 2), gold), 40) << "bottom, x=" << x;
    }
    for (int y : {20, h / 2, h - 21}) {
        EXPECT_LT(Distance(shot.pixel(1, y), gold), 40) << "left, y=" << y;
        EXPECT_LT(Distance(shot.pixel(w - 2, y), gold), 40) << "right, y=" << y;
    }
    // The green field (depth 8) on the sides, where the JPEG strips lie.
    EXPECT_LT(Distance(shot.pixel(8, h / 2 + 12), green), 60);
    EXPECT_LT(Distance(shot.pixel(w - 9, h / 2 + 12), green), 60);
    // Parchment inside the frame.
    EXPECT_LT(Distance(shot.pixel(kFrameBand + 3, h / 2), parchment), 20);
    EXPECT_LT(Distance(shot.pixel(w - kFrameBand - 3, h / 2), parchment), 20);
}

}  // namespace
}  // namespace pagora::pack
