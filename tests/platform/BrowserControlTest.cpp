#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <memory>
#include <tuple>

#include "platform/BrowserControl.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A page document laid out the way the reader writes its pages: right to left, a justified div
// in the mushaf font, centred sura headers and basmala, verse links holding number links.
QString PageDocument(const QString& lines, QString frame = QStringLiteral("#data#")) {
    frame.replace(
        QStringLiteral("#data#"),
        "<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">" + lines + "</div>");
    return QStringLiteral(
               "<HTML Dir=\"RTL\"> <HEAD> <style type=\"text/css\"> body{scrollbar-face-color: "
               "#FEFEE4;} div{border-width: 5px; font-family: \"KFGQPC Uthmanic Script HAFS\"; "
               "font-size: 35px; }  a.num, a.num:link, a.num:hover, a.num:visited, a.num:active "
               "{text-decoration: none; color: blue;}  \r\na.aya, a.aya:link, a.aya:hover, "
               "a.aya:visited, a.aya:active {text-decoration: none; color: black;}   </STYLE>"
               "</HEAD><BODY SCROLL = \"auto\" oncontextmenu=\"return false;\">") +
           frame + kCrLf + QStringLiteral("</BODY></HTML>");
}

QString NumLink(int ordinal, const QString& digits) {
    return QStringLiteral("<A class = \"num\" href=\"#num%1\">").arg(ordinal) + digits + "</A>";
}

QString VerseLink(int ordinal, const QString& content) {
    return kCrLf + QStringLiteral("<A class = \"aya\" href='#aya%1'>").arg(ordinal) + content +
           "</A>";
}

const QString kBasmala = QStringLiteral("بسم الله الرحمن الرحيم");

// Header, basmala and three verses; the third verse's text goes on after its number.
QString PageLines() {
    return "<CENTER>سورة البقرة " + NumLink(0, "٢") + "</CENTER><center>" + kBasmala + "</center>" +
           VerseLink(1, "الم " + NumLink(1, "١")) +
           VerseLink(2, "ذلك الكتاب لا ريب فيه " + NumLink(2, "٢")) +
           VerseLink(3, "الذين يؤمنون " + NumLink(3, "٣") + " بالغيب");
}

void Write(BrowserControl& browser, const QString& html) {
    browser.DocumentClear();
    browser.DocumentWrite(html);
    browser.DocumentClose();
    QApplication::processEvents();
}

std::unique_ptr<BrowserControl> ShowPage(const QString& html, QSize size = {600, 800}) {
    auto browser = std::make_unique<BrowserControl>(QStringLiteral("wbSinglePage"));
    browser->resize(size);
    browser->show();
    Write(*browser, html);
    return browser;
}

QString TextOf(const BrowserControl& browser, const BrowserControl::Anchor& anchor) {
    return browser.toPlainText().mid(anchor.start, anchor.end - anchor.start);
}

// The format of the character at `pos`.
QTextCharFormat FormatAt(const BrowserControl& browser, int pos) {
    QTextCursor cursor(browser.document());
    cursor.setPosition(pos + 1);
    return cursor.charFormat();
}

TEST(BrowserControl, DocumentIsShownWhenClosedAndNotBeforeAndNavigateAsksFirst) {
    BrowserControl browser(QStringLiteral("wbPageOne"));
    QStringList asked;
    QObject::connect(&browser, &BrowserControl::BeforeNavigate2,
                     [&](const QString& url, bool& cancel) {
                         asked << url;
                         cancel = url != QStringLiteral("about:blank");
                     });
    browser.DocumentClear();
    browser.DocumentWrite(QStringLiteral("<HTML><BODY>first "));
    browser.DocumentWrite(QStringLiteral("part</BODY></HTML>"));
    EXPECT_TRUE(browser.toPlainText().isEmpty());
    browser.DocumentClose();
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("first part"));
    browser.Navigate(QStringLiteral("http://example.com/"));  // refused
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
    EXPECT_EQ(asked, (QStringList{"http://example.com/", "about:blank"}));
    EXPECT_EQ(browser.PositionOfCharacter(5), QPoint());
    browser.DocumentWrite(QStringLiteral("<p>third</p>"));
    browser.DocumentClose();
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("third"));
    // Positions outside the document give no point.
    EXPECT_EQ(browser.PositionOfCharacter(-1), QPoint());
    EXPECT_EQ(browser.PositionOfCharacter(1 << 20), QPoint());
}

TEST(BrowserControl, AnchorsListEachLinkOnceInDocumentOrderAndShowTheirColours) {
    const auto browser = ShowPage(PageDocument(PageLines()));
    const std::vector<BrowserControl::Anchor> anchors = browser->Anchors();
    QStringList hrefs;
    for (const auto& a : anchors) {
        hrefs << a.href;
        EXPECT_TRUE(&a == &anchors[0] || (&a - 1)->start < a.start) << a.href.toStdString();
    }
    EXPECT_EQ(hrefs, (QStringList{"about:blank#num0", "about:blank#aya1", "about:blank#num1",
                                  "about:blank#aya2", "about:blank#num2", "about:blank#aya3",
                                  "about:blank#num3"}));
    ASSERT_EQ(anchors.size(), 7u);
    EXPECT_EQ(anchors[0].target, QStringLiteral("#num0"));
    EXPECT_EQ(TextOf(*browser, anchors[0]), QStringLiteral("٢"));
    // A verse link runs up to its own last character, over any link nested inside it.
    EXPECT_EQ(TextOf(*browser, anchors[1]), QStringLiteral("الم "));
    EXPECT_EQ(TextOf(*browser, anchors[5]), QStringLiteral("الذين يؤمنون ٣ بالغيب"));

    const QColor blue(Qt::blue), black(Qt::black), red(Qt::red), green(Qt::green);
    const auto shownColour = [&](int pos) { return FormatAt(*browser, pos).foreground().color(); };
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
    for (int pos = anchors[3].start; pos < anchors[3].end; ++pos) {
        const bool number = pos >= anchors[4].start && pos < anchors[4].end;
        EXPECT_EQ(shownColour(pos), number ? red : black) << pos;
    }

    // Recolouring the verse whose text goes on after its number leaves the number alone.
    browser->SetAnchorColor(5, green);
    EXPECT_EQ(browser->AnchorColor(5), green);
    EXPECT_EQ(browser->AnchorColor(6), blue);
    EXPECT_EQ(shownColour(anchors[5].end - 1), green);
    EXPECT_EQ(browser->Anchors().size(), anchors.size());  // recolouring splits no link

    browser->SetAnchorColor(99, red);  // out of range: nothing happens
    EXPECT_FALSE(browser->AnchorColor(99).isValid());

    // In other colours, every link of a page written shows the colour its style gives, mapped.
    const auto night = [](QRgb c) { return qRgb(255 - qRed(c), 80, 255 - qBlue(c)); };
    browser->SetShownColours({QStringLiteral("night"), night, [](QRgb c) { return c; }});
    Write(*browser, PageDocument(PageLines()));
    for (const auto& anchor : anchors) {
        const QRgb style = anchor.target.startsWith("#num") ? qRgb(0, 0, 255) : qRgb(0, 0, 0);
        EXPECT_EQ(shownColour(anchor.start).rgb(), night(style)) << anchor.href.toStdString();
    }
}

// Each block with text as its alignment (J, C or -), direction (R or L) and text; a rule as "HR".
QStringList Blocks(const QTextDocument& document) {
    QStringList blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const Qt::Alignment a =
            b.blockFormat().alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
        if (!b.text().trimmed().isEmpty()) {
            blocks << QString(a == Qt::AlignJustify   ? u'J'
                              : a == Qt::AlignHCenter ? u'C'
                                                      : u'-') +
                          (b.textDirection() == Qt::RightToLeft ? u'R' : u'L') + u' ' + b.text();
        }
        if (b.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            blocks << QStringLiteral("HR");
        }
    }
    return blocks;
}

// Qt's own rich text would glue the basmala and the verses after it into one line.
TEST(BrowserControl, HeaderAndBasmalaAreLinesOfTheirOwn) {
    const auto browser = ShowPage(
        PageDocument(PageLines() + "<HR/><CENTER>سورة " + NumLink(4, "٣") + "</CENTER><center>" +
                     kBasmala + "</center>" + VerseLink(4, "الم " + NumLink(5, "١"))));
    EXPECT_EQ(Blocks(*browser->document()),
              (QStringList{"CR سورة البقرة ٢", "CR " + kBasmala,
                           "JR الم ١ ذلك الكتاب لا ريب فيه ٢ الذين يؤمنون ٣ بالغيب", "HR",
                           "CR سورة ٣", "CR " + kBasmala, "JR الم ١"}));
}

TEST(BrowserControl, WhitespaceInsideTextIsLeftAlone) {
    const auto browser =
        ShowPage(QStringLiteral("<p>one  <b>two</b>\r\n three</p><pre>a\r\n  b</pre>"));
    EXPECT_EQ(Blocks(*browser->document()), (QStringList{"-R one two three", "-R a", "-R   b"}));
}

// On a plain page, and on one that sits in a table cell of the frame, scrolled down a little:
// a click on a link character or Return on a link reached with Tab raises BeforeNavigate2 for
// that link, a click elsewhere nothing, and nothing navigates.
TEST(BrowserControl, ClicksAndKeysOnLinksRaiseBeforeNavigateAndNeverNavigate) {
    for (const QString& frame : {QStringLiteral("#data#"),
                                 QStringLiteral("<table><tr><td width=\"30\">x</td><td>#data#</td>"
                                                "</tr></table>")}) {
        const auto browser = ShowPage(PageDocument(PageLines() + PageLines(), frame), {400, 300});
        QStringList urls;
        QObject::connect(
            browser.get(), &BrowserControl::BeforeNavigate2, [&](const QString& url, bool& cancel) {
                EXPECT_FALSE(cancel);
                urls << url;
                cancel = url.contains(u"#aya");  // the answer changes nothing for links
            });
        const QString before = browser->toHtml();
        const QString text = browser->toPlainText();
        const QPoint basmala = browser->PositionOfCharacter(text.indexOf(kBasmala) + 3);
        ASSERT_TRUE(browser->viewport()->rect().contains(basmala));
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, basmala);
        EXPECT_TRUE(urls.isEmpty());
        browser->verticalScrollBar()->setValue(40);
        int clicked = 0;
        for (const auto& anchor : browser->Anchors()) {
            for (int pos = anchor.start; pos < anchor.end; ++pos) {
                const QPoint at = browser->PositionOfCharacter(pos);
                // A space at a line end has no place of its own; others are scrolled out of view.
                if (text[pos].isSpace() || !browser->viewport()->rect().contains(at)) {
                    continue;
                }
                urls.clear();
                QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
                // A number nested in the verse answers for itself.
                EXPECT_EQ(urls, QStringList{"about:blank" + FormatAt(*browser, pos).anchorHref()})
                    << pos;
                ++clicked;
            }
        }
        EXPECT_GT(clicked, 40);
        urls.clear();
        browser->setFocus();
        QTest::keyClick(browser.get(), Qt::Key_Tab);
        QTest::keyClick(browser.get(), Qt::Key_Return);
        ASSERT_EQ(urls.size(), 1);
        EXPECT_TRUE(urls[0].startsWith(QStringLiteral("about:blank#")));
        EXPECT_EQ(browser->toHtml(), before);
        EXPECT_TRUE(browser->source().isEmpty());
    }
}

// A 1 x 1 GIF of colour #FF00FF.
const std::vector<uint8_t> kMagentaGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01,
                                          0x00, 0x80, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00,
                                          0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                          0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

QImage Solid(int side, QRgb colour) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A picture drawn at three times its shown size: its left third in `colour`, the rest blue.
QImage ThreeTimesPicture(QRgb colour) {
    QImage picture = Solid(120, qRgb(0, 0, 255));
    QPainter(&picture).fillRect(0, 0, 40, 120, QColor(colour));
    return picture;
}

// The pixels of `colour` (each channel within `tolerance`): how many rows show it, the most
// in one row, and all of them.
std::tuple<int, int, int> Showing(const QImage& image, QRgb colour, int tolerance = 0) {
    int rows = 0, widest = 0, all = 0;
    for (int y = 0; y < image.height(); ++y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) <= tolerance &&
                 std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
                 std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
        }
        rows += n > 0;
        widest = std::max(widest, n);
        all += n;
    }
    return {rows, widest, all};
}

int CountPixels(const QImage& image, QRgb colour, int tolerance = 0) {
    return std::get<2>(Showing(image, colour, tolerance));
}

// Images that their tag gives a size are drawn at that size from all their pixels, one screen
// pixel for each pixel of the picture made for the screen (run with QT_SCALE_FACTOR=2 too).
// Images load from absolute paths, whatever their characters, and again when their file changes.
TEST(BrowserControl, ImagesAreShownAtTheirGivenSize) {
    QTemporaryDir temp;
    // The working folder may hold characters that mean something in a URL.
    const QString folder = temp.path() + QStringLiteral("/P G #1 %20?/");
    ASSERT_TRUE(QDir().mkpath(folder));
    testing::WriteBytes((folder + "top.gif").toStdString(), kMagentaGif);
    const QRgb green = qRgb(0, 200, 0), magenta = qRgb(255, 0, 255), blue = qRgb(0, 0, 200);
    ASSERT_TRUE(Solid(8, green).save(folder + "right-s.jpg", "JPG", 100));
    ASSERT_TRUE(ThreeTimesPicture(qRgb(255, 0, 0)).save(folder + "corner.png", "PNG"));
    ASSERT_TRUE(ThreeTimesPicture(qRgb(0, 255, 0)).save(folder + "strip.png", "PNG"));
    const QString page = PageDocument(
        VerseLink(1, "الم"),
        "<table><tr><td><img src=\"" + folder +
            "corner.png\" width=\"40\" height=\"40\"><img src=\"" + folder +
            "top.gif\" width=\"40\" height=\"40\"></td><td background='" + folder +
            "right-s.jpg' width=\"60\">#data#</td><td width=\"40\" background=\"" + folder +
            "strip.png\" style=\"background-size: 40px 40px\"></td><td><IMG "
            "SRC=/nonexistent/x.gif></td></tr></table>");
    const auto browser = ShowPage(page);
    QImage shot = browser->viewport()->grab().toImage();
    const double ratio = browser->devicePixelRatioF();
    const auto [redRows, red, redAll] = Showing(shot, qRgb(255, 0, 0));
    EXPECT_NEAR(redRows, 40 * ratio, 1);
    EXPECT_NEAR(red, 40 * ratio / 3, 1.5);
    // The strip repeats its picture at 40 x 40 pixels: a third of 40 in every row.
    const auto [stripRows, strip, stripAll] = Showing(shot, qRgb(0, 255, 0));
    EXPECT_GE(stripRows, 40 * ratio - 1);
    EXPECT_NEAR(strip, 40 * ratio / 3, 1.5);
    EXPECT_GE(CountPixels(shot, magenta), 30 * 30);
    EXPECT_GE(CountPixels(shot, green, 16), 100);
    EXPECT_EQ(browser->Anchors().size(), 1u);

    // Another view reuses the pictures; a new picture under the same name replaces them.
    const auto other = ShowPage(page);
    EXPECT_GE(CountPixels(other->viewport()->grab().toImage(), magenta), 30 * 30);
    for (const char* name : {"top.gif", "right-s.jpg"}) {
        ASSERT_TRUE(Solid(16, blue).save(folder + name, "PNG"));
    }
    Write(*browser, page);
    shot = browser->viewport()->grab().toImage();
    EXPECT_GE(CountPixels(shot, blue), 30 * 30 + 100);
    EXPECT_EQ(CountPixels(shot, magenta) + CountPixels(shot, green, 16), 0);
}

TEST(BrowserControl, MushafFontFallsBackToAmiriQuran) {
    InstallMushafFontFallback();
    const QString mushaf = QStringLiteral("KFGQPC Uthmanic Script HAFS");
    if (QFontDatabase::families().contains(mushaf)) {
        GTEST_SKIP() << "the mushaf font is installed";
    }
    EXPECT_EQ(QFontInfo(QFont(mushaf)).family(), QStringLiteral("Amiri Quran"));
}

}  // namespace
}  // namespace pagora
