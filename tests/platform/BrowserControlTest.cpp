#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>

#include "platform/BrowserControl.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace pagora {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A page document laid out the way the reader writes its pages: right to left, a justified div
// in the mushaf font, centred sura headers and basmala, verse links holding number links.
QString PageDocument(const QString& lines, const QString& frame = QStringLiteral("#data#")) {
    const QString style = QStringLiteral(
        "<style type=\"text/css\"> body{scrollbar-face-color: #FEFEE4;} div{border-width: 5px; "
        "font-family: \"KFGQPC Uthmanic Script HAFS\"; font-size: 35px; }  "
        "a.num, a.num:link, a.num:hover, a.num:visited, a.num:active {text-decoration: none; "
        "color: blue;}  \r\n"
        "a.aya, a.aya:link, a.aya:hover, a.aya:visited, a.aya:active {text-decoration: none; "
        "color: black;}   </STYLE>");
    const QString body =
        QStringLiteral("<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">") + lines +
        QStringLiteral("</div>");
    QString framed = frame;
    framed.replace(QStringLiteral("#data#"), body);
    return QStringLiteral("<HTML Dir=\"RTL\"> <HEAD> ") + style +
           QStringLiteral("</HEAD><BODY SCROLL = \"auto\" oncontextmenu=\"return false;\">") +
           framed + kCrLf + QStringLiteral("</BODY></HTML>");
}

QString NumLink(int ordinal, const QString& digits) {
    return QStringLiteral("<A class = \"num\" href=\"#num%1\">").arg(ordinal) + digits +
           QStringLiteral("</A>");
}

QString VerseLink(int ordinal, const QString& content) {
    return kCrLf + QStringLiteral("<A class = \"aya\" href='#aya%1'>").arg(ordinal) + content +
           QStringLiteral("</A>");
}

const QString kHeader = QStringLiteral("سورة البقرة ") + NumLink(0, QStringLiteral("٢"));
const QString kBasmala = QStringLiteral("بسم الله الرحمن الرحيم");

// Header, basmala and three verses; the third verse's text goes on after its number.
QString PageLines() {
    return QStringLiteral("<CENTER>") + kHeader + QStringLiteral("</CENTER>") +
           QStringLiteral("<center>") + kBasmala + QStringLiteral("</center>") +
           VerseLink(1, QStringLiteral("الم ") + NumLink(1, QStringLiteral("١"))) +
           VerseLink(2,
                     QStringLiteral("ذلك الكتاب لا ريب فيه ") + NumLink(2, QStringLiteral("٢"))) +
           VerseLink(3, QStringLiteral("الذين يؤمنون ") + NumLink(3, QStringLiteral("٣")) +
                            QStringLiteral(" بالغيب"));
}

std::unique_ptr<BrowserControl> ShowPage(const QString& html, QSize size = {600, 800}) {
    auto browser = std::make_unique<BrowserControl>(QStringLiteral("wbSinglePage"));
    browser->resize(size);
    browser->show();
    browser->DocumentClear();
    browser->DocumentWrite(html);
    browser->DocumentClose();
    QApplication::processEvents();
    return browser;
}

QString TextOf(const BrowserControl& browser, const BrowserControl::Anchor& anchor) {
    return browser.toPlainText().mid(anchor.start, anchor.end - anchor.start);
}

TEST(BrowserControl, DocumentIsShownWhenClosedAndNotBefore) {
    BrowserControl browser(QStringLiteral("wbPageOne"));
    EXPECT_EQ(browser.Name(), QStringLiteral("wbPageOne"));
    EXPECT_TRUE(browser.Tag.isEmpty());
    browser.Tag = QStringLiteral("045");
    EXPECT_EQ(browser.Tag, QStringLiteral("045"));

    browser.Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(browser.toPlainText().isEmpty());

    browser.DocumentClear();
    browser.DocumentWrite(QStringLiteral("<HTML><BODY>first "));
    browser.DocumentWrite(QStringLiteral("part</BODY></HTML>"));
    EXPECT_TRUE(browser.toPlainText().isEmpty());
    browser.DocumentClose();
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("first part"));

    // A cleared, rewritten document replaces the old one whole; nothing of it is left over.
    browser.DocumentClear();
    browser.DocumentWrite(QStringLiteral("dropped"));
    browser.DocumentClear();
    browser.DocumentWrite(QStringLiteral("<p>second</p>"));
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("first part"));
    browser.DocumentClose();
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("second"));

    // Navigating drops what was written and not yet closed too.
    browser.DocumentWrite(QStringLiteral("unfinished "));
    browser.Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(browser.toPlainText().isEmpty());
    EXPECT_TRUE(browser.Anchors().empty());
    EXPECT_EQ(browser.Tag, QStringLiteral("045"));
    browser.DocumentWrite(QStringLiteral("<p>third</p>"));
    browser.DocumentClose();
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("third"));
}

TEST(BrowserControl, NavigateReportsTheAddressFirst) {
    BrowserControl browser(QStringLiteral("wbSinglePage"));
    QStringList seen;
    QObject::connect(&browser, &BrowserControl::BeforeNavigate2,
                     [&](const QString& url, bool& cancel) {
                         seen << url;
                         cancel = url != QStringLiteral("about:blank");
                     });
    browser.DocumentWrite(QStringLiteral("kept"));
    browser.DocumentClose();
    browser.Navigate(QStringLiteral("http://example.com/"));
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("kept"));
    browser.Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(browser.toPlainText().isEmpty());
    EXPECT_EQ(seen, (QStringList{"http://example.com/", "about:blank"}));
}

TEST(BrowserControl, AnchorsListEachLinkOnceInDocumentOrder) {
    const auto browser = ShowPage(PageDocument(PageLines()));
    const std::vector<BrowserControl::Anchor> anchors = browser->Anchors();
    QStringList hrefs;
    for (const auto& a : anchors) {
        hrefs << a.href;
    }
    EXPECT_EQ(hrefs, (QStringList{"about:blank#num0", "about:blank#aya1", "about:blank#num1",
                                  "about:blank#aya2", "about:blank#num2", "about:blank#aya3",
                                  "about:blank#num3"}));
    ASSERT_EQ(anchors.size(), 7u);
    EXPECT_EQ(anchors[0].target, QStringLiteral("#num0"));
    EXPECT_EQ(TextOf(*browser, anchors[0]), QStringLiteral("٢"));
    EXPECT_EQ(TextOf(*browser, anchors[2]), QStringLiteral("١"));
    // A verse link runs up to its own last character, over any link nested inside it.
    EXPECT_EQ(TextOf(*browser, anchors[1]), QStringLiteral("الم "));
    EXPECT_EQ(TextOf(*browser, anchors[5]), QStringLiteral("الذين يؤمنون ٣ بالغيب"));
    for (size_t i = 1; i < anchors.size(); ++i) {
        EXPECT_LT(anchors[i - 1].start, anchors[i].start);
    }
}

TEST(BrowserControl, StyleSheetColoursAndRecolouringOneNumberLink) {
    const auto browser = ShowPage(PageDocument(PageLines()));
    const auto anchors = browser->Anchors();
    ASSERT_EQ(anchors.size(), 7u);
    const QColor blue(Qt::blue), black(Qt::black), red(Qt::red);
    for (size_t i = 0; i < anchors.size(); ++i) {
        EXPECT_EQ(browser->AnchorColor(i), anchors[i].target.startsWith("#num") ? blue : black)
            << i;
    }

    // Painting a link in the colour it already shows changes nothing in the document.
    const int revision = browser->document()->revision();
    browser->SetAnchorColor(2, blue);
    browser->SetAnchorColor(3, black);
    EXPECT_EQ(browser->document()->revision(), revision);

    browser->SetAnchorColor(4, red);  // #num2
    EXPECT_NE(browser->document()->revision(), revision);
    for (size_t i = 0; i < anchors.size(); ++i) {
        const QColor expected = i == 4 ? red : anchors[i].target.startsWith("#num") ? blue : black;
        EXPECT_EQ(browser->AnchorColor(i), expected) << i;
    }
    // Every character of the enclosing verse outside its number is still black.
    const auto& verse = anchors[3];
    for (int pos = verse.start; pos < verse.end; ++pos) {
        QTextCursor cursor(browser->document());
        cursor.setPosition(pos + 1);
        const QColor expected = pos >= anchors[4].start && pos < anchors[4].end ? red : black;
        EXPECT_EQ(cursor.charFormat().foreground().color(), expected) << pos;
    }
    // The anchors are still the same after the edit.
    const auto after = browser->Anchors();
    ASSERT_EQ(after.size(), anchors.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].target, anchors[i].target);
        EXPECT_EQ(after[i].start, anchors[i].start);
        EXPECT_EQ(after[i].end, anchors[i].end);
    }

    // Recolouring the verse whose text goes on after its number leaves the number alone.
    browser->SetAnchorColor(5, Qt::green);
    EXPECT_EQ(browser->AnchorColor(5), QColor(Qt::green));
    EXPECT_EQ(browser->AnchorColor(6), blue);
    QTextCursor last(browser->document());
    last.setPosition(anchors[5].end);
    EXPECT_EQ(last.charFormat().foreground().color(), QColor(Qt::green));

    browser->SetAnchorColor(99, red);  // out of range: nothing happens
    EXPECT_FALSE(browser->AnchorColor(99).isValid());
}

struct BlockInfo {
    QString text;
    Qt::Alignment alignment;
};

std::vector<BlockInfo> TextBlocks(const QTextDocument& document) {
    std::vector<BlockInfo> blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        if (!b.text().trimmed().isEmpty()) {
            blocks.push_back({b.text(), b.blockFormat().alignment() & Qt::AlignHorizontal_Mask});
        }
    }
    return blocks;
}

TEST(BrowserControl, HeaderAndBasmalaAreLinesOfTheirOwn) {
    const QString lines = PageLines() + QStringLiteral("<HR/><CENTER>سورة ") +
                          NumLink(4, QStringLiteral("٣")) + QStringLiteral("</CENTER><center>") +
                          kBasmala + QStringLiteral("</center>") +
                          VerseLink(4, QStringLiteral("الم ") + NumLink(5, QStringLiteral("١")));
    const QString html = PageDocument(lines);

    // The view itself would glue the basmala and the verses into one line.
    QTextDocument plain;
    plain.setHtml(html);
    const auto glued = TextBlocks(plain);
    ASSERT_GE(glued.size(), 2u);
    EXPECT_TRUE(glued[1].text.startsWith(kBasmala + QStringLiteral(" الم")));

    const auto browser = ShowPage(html);
    const auto blocks = TextBlocks(*browser->document());
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[0].text, QStringLiteral("سورة البقرة ٢"));
    EXPECT_EQ(blocks[1].text, kBasmala);
    EXPECT_TRUE(blocks[2].text.startsWith(QStringLiteral("الم ١ ذلك")));
    EXPECT_TRUE(blocks[2].text.endsWith(QStringLiteral("بالغيب")));
    EXPECT_EQ(blocks[3].text, QStringLiteral("سورة ٣"));
    EXPECT_EQ(blocks[4].text, kBasmala);
    EXPECT_EQ(blocks[5].text, QStringLiteral("الم ١"));
    for (int i : {0, 1, 3, 4}) {
        EXPECT_EQ(blocks[i].alignment & ~Qt::AlignAbsolute, Qt::AlignHCenter) << i;
    }
    EXPECT_EQ(blocks[2].alignment, Qt::AlignJustify);
    EXPECT_EQ(blocks[5].alignment, Qt::AlignJustify);

    // Every line reads right to left.
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.text().isEmpty()) {
            EXPECT_EQ(b.textDirection(), Qt::RightToLeft) << b.text().toStdString();
        }
    }
    // A rule separates the two suras.
    int rules = 0;
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next()) {
        rules += b.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth);
    }
    EXPECT_EQ(rules, 1);
}

TEST(BrowserControl, WhitespaceInsideTextIsLeftAlone) {
    const auto browser =
        ShowPage(QStringLiteral("<p>one  <b>two</b>\r\n three</p><pre>a\r\n  b</pre>"));
    const auto blocks = TextBlocks(*browser->document());
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].text, QStringLiteral("one two three"));
    EXPECT_EQ(blocks[1].text, QStringLiteral("a"));
    EXPECT_EQ(blocks[2].text, QStringLiteral("  b"));
}

class LinkClicks : public ::testing::Test {
  protected:
    void SetUp() override {
        browser_ = ShowPage(PageDocument(PageLines()));
        QObject::connect(browser_.get(), &BrowserControl::BeforeNavigate2,
                         [this](const QString& url, bool& cancel) {
                             EXPECT_FALSE(cancel);
                             urls_ << url;
                             cancel = cancelAnswer_;
                         });
        before_ = browser_->toHtml();
    }

    void Click(const BrowserControl::Anchor& anchor, int offset) {
        const QPoint at = browser_->PositionOfCharacter(anchor.start + offset);
        ASSERT_TRUE(browser_->viewport()->rect().contains(at));
        QTest::mouseClick(browser_->viewport(), Qt::LeftButton, {}, at);
    }

    std::unique_ptr<BrowserControl> browser_;
    QStringList urls_;
    bool cancelAnswer_ = false;
    QString before_;
};

TEST_F(LinkClicks, ClickOnANumberOrAVerseRaisesBeforeNavigateAndNeverNavigates) {
    const auto anchors = browser_->Anchors();
    ASSERT_EQ(anchors.size(), 7u);
    Click(anchors[4], 0);  // the number of verse 2
    Click(anchors[3], 3);  // the text of verse 2
    cancelAnswer_ = true;
    Click(anchors[6], 0);
    Click(anchors[0], 0);  // the number in the header
    EXPECT_EQ(urls_, (QStringList{"about:blank#num2", "about:blank#aya2", "about:blank#num3",
                                  "about:blank#num0"}));
    EXPECT_EQ(browser_->toHtml(), before_);
    EXPECT_TRUE(browser_->source().isEmpty());
    EXPECT_TRUE(browser_->historyTitle(0).isEmpty());
}

TEST_F(LinkClicks, EveryLinkCharacterOfAFramedPageCanBeClicked) {
    // The page sits in a table cell of the frame, scrolled down a little.
    browser_ = ShowPage(PageDocument(PageLines() + PageLines(),
                                     QStringLiteral("<table><tr><td width=\"30\">x</td><td>"
                                                    "#data#</td></tr></table>")),
                        QSize(400, 300));
    QObject::connect(browser_.get(), &BrowserControl::BeforeNavigate2,
                     [this](const QString& url, bool&) { urls_ << url; });
    browser_->verticalScrollBar()->setValue(40);
    const QString text = browser_->toPlainText();
    int clicked = 0;
    for (const auto& anchor : browser_->Anchors()) {
        for (int pos = anchor.start; pos < anchor.end; ++pos) {
            if (text[pos].isSpace()) {
                continue;  // a space at a line end has no place of its own
            }
            const QPoint at = browser_->PositionOfCharacter(pos);
            if (!browser_->viewport()->rect().contains(at)) {
                continue;  // scrolled out of view
            }
            // A number nested in the verse answers for itself.
            QTextCursor cursor(browser_->document());
            cursor.setPosition(pos + 1);
            const QString expected =
                QStringLiteral("about:blank") + cursor.charFormat().anchorHref();
            urls_.clear();
            QTest::mouseClick(browser_->viewport(), Qt::LeftButton, {}, at);
            EXPECT_EQ(urls_, QStringList{expected}) << pos;
            ++clicked;
        }
    }
    EXPECT_GT(clicked, 40);
}

TEST_F(LinkClicks, PositionsOutsideTheDocumentGiveNoPoint) {
    EXPECT_EQ(browser_->PositionOfCharacter(-1), QPoint());
    EXPECT_EQ(browser_->PositionOfCharacter(1 << 20), QPoint());
    browser_->Navigate(QStringLiteral("about:blank"));
    EXPECT_EQ(browser_->PositionOfCharacter(5), QPoint());
}

TEST_F(LinkClicks, ClickOutsideLinksRaisesNothing) {
    const auto anchors = browser_->Anchors();
    // The basmala carries no link.
    const int basmala = browser_->toPlainText().indexOf(kBasmala);
    ASSERT_GE(basmala, 0);
    QTest::mouseClick(browser_->viewport(), Qt::LeftButton, {},
                      browser_->PositionOfCharacter(basmala + 3));
    EXPECT_TRUE(urls_.isEmpty());
}

TEST_F(LinkClicks, KeyboardActivationIsReportedToo) {
    browser_->setFocus();
    // Tab moves to the first link, Return activates it.
    QTest::keyClick(browser_.get(), Qt::Key_Tab);
    QTest::keyClick(browser_.get(), Qt::Key_Return);
    ASSERT_EQ(urls_.size(), 1);
    EXPECT_TRUE(urls_[0].startsWith(QStringLiteral("about:blank#")));
    EXPECT_EQ(browser_->toHtml(), before_);
}

// A 1 x 1 GIF of colour #FF00FF.
const unsigned char kMagentaGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01,
                                     0x00, 0x80, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00,
                                     0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                     0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

int CountPixels(const QImage& image, QRgb colour, int tolerance) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) <= tolerance &&
                 std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
                 std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
        }
    }
    return n;
}

TEST(BrowserControl, FrameImagesLoadFromAbsolutePaths) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    // The working folder may hold characters that mean something in a URL.
    const QString folder = temp.path() + QStringLiteral("/P G #1 %20?/");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile gif(folder + QStringLiteral("top.gif"));
    ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
    gif.write(reinterpret_cast<const char*>(kMagentaGif), sizeof kMagentaGif);
    gif.close();
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(green.save(folder + QStringLiteral("right-s.jpg"), "JPG", 100));

    const QString frame = QStringLiteral("<table><tr><td><img src=\"") + folder +
                          QStringLiteral(
                              "top.gif\" width=\"40\" height=\"40\"></td><td "
                              "background='") +
                          folder + QStringLiteral("right-s.jpg' width=\"60\">#data#</td>") +
                          QStringLiteral("<td><IMG SRC=") + QStringLiteral("/nonexistent/x.gif") +
                          QStringLiteral("></td></tr></table>");
    const auto browser = ShowPage(PageDocument(VerseLink(1, QStringLiteral("الم")), frame));
    const QImage shot = browser->grab().toImage();
    EXPECT_GE(CountPixels(shot, qRgb(255, 0, 255), 0), 30 * 30);
    EXPECT_GE(CountPixels(shot, qRgb(0, 200, 0), 16), 100);
    EXPECT_EQ(browser->Anchors().size(), 1u);
}

TEST(BrowserControl, FrameImagesAreReadAgainWhenTheirFileChanges) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString path = temp.path() + QStringLiteral("/left_top.png");
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(green.save(path, "PNG"));
    const QString frame = QStringLiteral("<table><tr><td><img src=\"") + path +
                          QStringLiteral("\" width=\"40\" height=\"40\"></td><td>#data#</td>") +
                          QStringLiteral("<td background=\"") + path +
                          QStringLiteral("\" width=\"40\"></td></tr></table>");
    const QString page = PageDocument(VerseLink(1, QStringLiteral("الم")), frame);
    const auto browser = ShowPage(page);
    EXPECT_GE(CountPixels(browser->grab().toImage(), qRgb(0, 200, 0), 0), 2 * 30 * 30);

    // Another document and another view reuse the image; a new picture under the same name
    // replaces it.
    const auto other = ShowPage(page);
    EXPECT_GE(CountPixels(other->grab().toImage(), qRgb(0, 200, 0), 0), 2 * 30 * 30);
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 200));
    ASSERT_TRUE(blue.save(path, "PNG"));
    browser->DocumentClear();
    browser->DocumentWrite(page);
    browser->DocumentClose();
    QApplication::processEvents();
    const QImage shot = browser->grab().toImage();
    EXPECT_GE(CountPixels(shot, qRgb(0, 0, 200), 0), 2 * 30 * 30);
    EXPECT_EQ(CountPixels(shot, qRgb(0, 200, 0), 0), 0);
}

// A picture drawn at three times its shown size: its left third in `colour`, the rest blue.
QImage ThreeTimesPicture(QRgb colour) {
    QImage picture(120, 120, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 40; ++x) {
            picture.setPixel(x, y, colour);
        }
    }
    return picture;
}

// The rows that show `colour`, and the most pixels of it in one row.
std::pair<int, int> RowsShowing(const QImage& image, QRgb colour) {
    int rows = 0;
    int widest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == colour;
        }
        rows += n > 0;
        widest = std::max(widest, n);
    }
    return {rows, widest};
}

// Images that their tag gives a size are drawn at that size from all their pixels, one screen
// pixel for each pixel of the picture made for the screen (run with QT_SCALE_FACTOR=2 too).
TEST(BrowserControl, ImagesAreShownAtTheirGivenSize) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString corner = temp.path() + QStringLiteral("/corner.png");
    const QString strip = temp.path() + QStringLiteral("/strip.png");
    ASSERT_TRUE(ThreeTimesPicture(qRgb(255, 0, 0)).save(corner, "PNG"));
    ASSERT_TRUE(ThreeTimesPicture(qRgb(0, 255, 0)).save(strip, "PNG"));
    const QString frame =
        QStringLiteral("<table><tr><td><img src=\"") + corner +
        QStringLiteral("\" width=\"40\" height=\"40\"></td><td>#data#</td><td width=\"40\" ") +
        QStringLiteral("background=\"") + strip +
        QStringLiteral("\" style=\"background-size: 40px 40px\"></td></tr></table>");
    const auto browser = ShowPage(PageDocument(VerseLink(1, QStringLiteral("الم")), frame));
    const QImage shot = browser->viewport()->grab().toImage();
    const double ratio = browser->devicePixelRatioF();
    const auto [redRows, red] = RowsShowing(shot, qRgb(255, 0, 0));
    EXPECT_NEAR(redRows, 40 * ratio, 1);
    EXPECT_NEAR(red, 40 * ratio / 3, 1.5);
    // The strip repeats its picture at 40 x 40 pixels: a third of 40 in every row.
    const auto [greenRows, green] = RowsShowing(shot, qRgb(0, 255, 0));
    EXPECT_GE(greenRows, 40 * ratio - 1);
    EXPECT_NEAR(green, 40 * ratio / 3, 1.5);
}

TEST(BrowserControl, MushafFontFallsBackToAmiriQuran) {
    InstallMushafFontFallback();
    const QStringList substitutes =
        QFont::substitutes(QStringLiteral("KFGQPC Uthmanic Script HAFS"));
    if (QFontDatabase::families().contains(QStringLiteral("KFGQPC Uthmanic Script HAFS"))) {
        GTEST_SKIP() << "the mushaf font is installed";
    }
    EXPECT_TRUE(substitutes.contains(QStringLiteral("Amiri Quran"), Qt::CaseInsensitive));
    QFont font(QStringLiteral("KFGQPC Uthmanic Script HAFS"));
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Amiri Quran"));
}

}  // namespace
}  // namespace pagora

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
