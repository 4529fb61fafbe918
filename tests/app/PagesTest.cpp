#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "base/Error.h"
#include "data/ArchiveWriter.h"
#include "platform/BrowserControl.h"
#include "render/PageDocument.h"
#include "tests/app/ReaderFixture.h"
#include "window/Layout.h"

namespace pagora::testing {
namespace {

using PagesTest = ReaderTest;

const QString k5 = QString::fromUtf16(u"\u0665");

TEST_F(PagesTest, DoublePageModeShowsTheOddPageOnTheRight) {
    Store("UserSelection", "PageMode", "2");
    auto w = Open();
    w->LoadQuranPage(1);
    EXPECT_EQ(w->wbPageOne().Tag, "001");
    EXPECT_EQ(w->wbPageTwo().Tag, "002");
    EXPECT_EQ(w->cmdPageNo().text(), "2 1");
    EXPECT_EQ(w->CurrentPage(), 1);
    EXPECT_FALSE(w->lblPage2().isHidden());
    EXPECT_EQ(w->lblPage1().text(), w->SurasInPage(2));
    EXPECT_EQ(w->lblPage2().text(), w->SurasInPage(1));

    w->LoadQuranPage(604);
    EXPECT_EQ(w->wbPageOne().Tag, "603");
    EXPECT_EQ(w->wbPageTwo().Tag, "604");
    EXPECT_EQ(w->cmdPageNo().text(), "604 603");
    EXPECT_EQ(w->CurrentPage(), 603);

    w->LoadQuranPage(3);
    EXPECT_EQ(w->cmdPageNo().text(), "4 3");
    w->LoadQuranPage(4);
    EXPECT_EQ(w->cmdPageNo().text(), "4 3");
    EXPECT_EQ(w->CurrentPage(), 3);
}

TEST_F(PagesTest, SinglePageModeLeavesTheCurrentPageToTheCaller) {
    auto w = Open();
    w->LoadQuranPage(17);
    EXPECT_EQ(w->cmdPageNo().text(), "17");
    EXPECT_EQ(w->wbSinglePage().Tag, "017");
    EXPECT_EQ(w->lblPage1().text(), w->SurasInPage(17));
    EXPECT_TRUE(w->lblPage2().isHidden());
    EXPECT_EQ(w->CurrentPage(), 440);
}

TEST_F(PagesTest, ModeCommandsSwitchFramesAndShowTheCurrentPage) {
    auto w = Open();
    w->SetCurrentPage(18);
    w->mnuDoublePage();
    EXPECT_TRUE(w->fraOnePage().isHidden());
    EXPECT_FALSE(w->fraTwoPage().isHidden());
    EXPECT_EQ(w->CurrentPage(), 17);
    EXPECT_EQ(w->wbPageTwo().Tag, "018");
    const QString before = w->DocumentOf(w->wbPageOne());
    w->mnuDoublePage();
    EXPECT_EQ(w->CurrentPage(), 17);
    EXPECT_EQ(w->DocumentOf(w->wbPageOne()), before);
    w->mnuSinglePage();
    EXPECT_TRUE(w->fraTwoPage().isHidden());
    EXPECT_EQ(w->wbSinglePage().Tag, "017");
    EXPECT_EQ(w->cmdPageNo().text(), "17");
    // The hidden views keep their pages.
    EXPECT_EQ(w->wbPageTwo().Tag, "018");
}

TEST_F(PagesTest, PageDocumentIsBuiltFromTheArchiveText) {
    auto w = Open();
    w->LoadPage(w->wbSinglePage(), 2);
    const QString linked = AddBookMarkLinks(book_.pages.at(2));
    EXPECT_EQ(w->PageCacheOf(w->wbSinglePage()), linked);
    const QString document = w->DocumentOf(w->wbSinglePage());
    EXPECT_TRUE(document.startsWith("<HTML Dir=\"RTL\"> <HEAD> <style type=\"text/css\">"));
    EXPECT_TRUE(document.contains("<A class = \"aya\" href='#aya1'>verse 4 of 1 "));
    EXPECT_TRUE(document.contains("href=\"#num0\">"));
    EXPECT_TRUE(document.contains(w->Index().pageFrame.section("#data#", 0, 0)));
    // The view holds the verse links in reading order.
    QStringList hrefs;
    for (const auto& anchor : w->wbSinglePage().Anchors()) {
        hrefs << anchor.href;
    }
    EXPECT_TRUE(hrefs.contains("about:blank#aya1"));
    EXPECT_TRUE(hrefs.contains("about:blank#num2"));
}

TEST_F(PagesTest, ShownPageIsRebuiltFromTheCacheAtTheNewTextSize) {
    auto w = Open();
    w->LoadPage(w->wbSinglePage(), 10);
    ASSERT_EQ(w->wbSinglePage().Tag, "010");
    // Were the page fetched again, it would fail now.
    ASSERT_TRUE(QFile::remove(exeDir_.path() + "/order0.dat"));
    w->SetTextSize(60);
    w->LoadPage(w->wbSinglePage(), 10);
    EXPECT_EQ(w->wbSinglePage().Tag, "010");
    EXPECT_TRUE(w->DocumentOf(w->wbSinglePage()).contains("font-size: 60px;"));
    EXPECT_TRUE(w->DocumentOf(w->wbSinglePage()).contains("#aya3"));
}

TEST_F(PagesTest, PageOutsideTheBookChangesNothing) {
    auto w = Open();
    const QString before = w->DocumentOf(w->wbSinglePage());
    for (int16_t page : {0, 605, -1}) {
        w->LoadPage(w->wbSinglePage(), page);
        EXPECT_EQ(w->wbSinglePage().Tag, "440");
        EXPECT_EQ(w->DocumentOf(w->wbSinglePage()), before);
    }
}

TEST_F(PagesTest, UnreadablePageShowsAMessageAndClaimsNothing) {
    auto w = Open();
    auto& view = w->wbSinglePage();
    ::testing::internal::CaptureStderr();
    // Missing archive.
    ASSERT_TRUE(QFile::remove(exeDir_.path() + "/order5.dat"));
    w->LoadPage(view, 45);
    EXPECT_TRUE(view.Tag.isEmpty());
    EXPECT_TRUE(w->PageCacheOf(view).isEmpty());
    EXPECT_TRUE(view.toPlainText().contains("Page 45 cannot be shown"))
        << view.toPlainText().toStdString();
    // Missing member.
    std::vector<ArchiveMember> only = {{"006", Utf16Le("x")}};
    WriteArchive((exeDir_.path() + "/order6.dat").toStdString(), only);
    w->LoadPage(view, 16);
    EXPECT_TRUE(view.Tag.isEmpty());
    EXPECT_TRUE(view.toPlainText().contains("Page 16 cannot be shown"));
    // Damaged member: the archive's bytes overwritten in the middle.
    QFile order7(exeDir_.path() + "/order7.dat");
    ASSERT_TRUE(order7.open(QIODevice::ReadWrite));
    QByteArray bytes = order7.readAll();
    for (int i = 20; i < 60 && i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(0xA5);
    }
    order7.seek(0);
    order7.write(bytes);
    order7.close();
    w->LoadPage(view, 7);
    EXPECT_TRUE(view.Tag.isEmpty());
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(WorkingFiles().size(), 8);
    // A readable page afterwards is shown as usual.
    w->LoadPage(view, 8);
    EXPECT_EQ(view.Tag, "008");
}

class BookmarkTest : public ReaderTest {
  protected:
    static std::vector<QColor> NumberColours(BrowserControl& view) {
        std::vector<QColor> colours;
        const auto anchors = view.Anchors();
        for (size_t i = 0; i < anchors.size(); ++i) {
            if (anchors[i].href.contains("#num")) {
                colours.push_back(view.AnchorColor(i));
            }
        }
        return colours;
    }
};

TEST_F(BookmarkTest, BookmarkedPageIsShownWithItsNumberRed) {
    Store("Bookmark", "BookmarkPage", "012");
    Store("Bookmark", "BookmarkAya", "1");
    auto w = Open();
    EXPECT_EQ(w->BookmarkPage(), "012");
    w->LoadPage(w->wbSinglePage(), 12);
    const auto colours = NumberColours(w->wbSinglePage());
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[0], QColor(Qt::blue));
    EXPECT_EQ(colours[1], QColor(Qt::red));
    EXPECT_EQ(colours[2], QColor(Qt::blue));
    w->LoadPage(w->wbSinglePage(), 13);
    for (const QColor& c : NumberColours(w->wbSinglePage())) {
        EXPECT_EQ(c, QColor(Qt::blue));
    }
}

TEST_F(BookmarkTest, SettingTheBookmarkPaintsAndSaves) {
    auto w = Open();
    w->LoadPage(w->wbSinglePage(), 45);
    w->SetBookMark(w->wbSinglePage(), "2", true);
    EXPECT_EQ(w->BookmarkPage(), "045");
    EXPECT_EQ(w->BookmarkItem(), "2");
    EXPECT_EQ(Stored("Bookmark", "BookmarkPage"), "045");
    EXPECT_EQ(Stored("Bookmark", "BookmarkAya"), "2");
    const auto colours = NumberColours(w->wbSinglePage());
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[2], QColor(Qt::red));
    EXPECT_EQ(colours[0], QColor(Qt::blue));
    // A text that matches no number link paints all blue and saves nothing.
    w->LoadPage(w->wbSinglePage(), 46);
    w->SetBookMark(w->wbSinglePage(), "XX", true);
    for (const QColor& c : NumberColours(w->wbSinglePage())) {
        EXPECT_EQ(c, QColor(Qt::blue));
    }
    EXPECT_EQ(Stored("Bookmark", "BookmarkPage"), "045");
    // Without the flag nothing is remembered.
    w->SetBookMark(w->wbSinglePage(), "0", false);
    EXPECT_EQ(NumberColours(w->wbSinglePage())[0], QColor(Qt::red));
    EXPECT_EQ(w->BookmarkPage(), "045");
    // Shut-down does not write the bookmark again; the next start reads it.
    w->close();
    auto again = Open();
    EXPECT_EQ(again->BookmarkPage(), "045");
    EXPECT_EQ(again->BookmarkItem(), "2");
}

TEST(FormResizeOnTheWindow, ControlsFollowTheOuterSize) {
    EnsureApplication();
    FakeProcessFacts process;
    RecordingMessageBoxes boxes;
    QTemporaryDir config;
    IniSettingsStore store(config.path());
    frmMain w(store, process, boxes);
    w.show();
    const double dpiX = w.logicalDpiX();
    const double dpiY = w.logicalDpiY();
    // 12000 x 9000 twips outer.
    const QSize extra = w.frameGeometry().size() - w.size();
    w.resize(TwipsToPixels(12000, dpiX) - extra.width(),
             TwipsToPixels(9000, dpiY) - extra.height());
    QApplication::processEvents();
    const TwipRect outer = w.OuterTwips();
    const PageLayout expected = FormResize(outer.Width, outer.Height, 930, DesignedLayout());
    EXPECT_EQ(w.Layout(), expected);
    if (std::abs(dpiX - 96) < 0.01 && std::abs(dpiY - 96) < 0.01) {
        EXPECT_EQ(w.Layout().fraOnePage, (TwipRect{100, 50, 11700, 7170}));
        EXPECT_EQ(w.Layout().wbPageOne, (TwipRect{5900, 180, 5700, 6870}));
        EXPECT_EQ(w.Layout().fraFooter, (TwipRect{100, 7220, 11700, 930}));
    }
    {
        const PageLayout& l = w.Layout();
        auto px = [&](const TwipRect& r) {
            return QRect(TwipsToPixels(r.Left, dpiX), TwipsToPixels(r.Top, dpiY),
                         TwipsToPixels(r.Width, dpiX), TwipsToPixels(r.Height, dpiY));
        };
        EXPECT_EQ(w.fraOnePage().geometry(), px(l.fraOnePage));
        EXPECT_EQ(w.wbSinglePage().geometry(), px(l.wbSinglePage));
        EXPECT_EQ(w.wbPageOne().geometry(), px(l.wbPageOne));
        EXPECT_EQ(w.wbPageTwo().geometry(), px(l.wbPageTwo));
        EXPECT_EQ(w.fraFooter().geometry(), px(l.fraFooter));
    }
    // Shorter than F + 900: heights and the footer's top stay, widths follow.
    const PageLayout tall = w.Layout();
    w.resize(TwipsToPixels(9000, dpiX), TwipsToPixels(1500, dpiY));
    QApplication::processEvents();
    EXPECT_EQ(w.Layout().fraOnePage.Height, tall.fraOnePage.Height);
    EXPECT_EQ(w.Layout().fraFooter.Top, tall.fraFooter.Top);
    EXPECT_NE(w.Layout().fraOnePage.Width, tall.fraOnePage.Width);
}

}  // namespace
}  // namespace pagora::testing
