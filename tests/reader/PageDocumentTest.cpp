#include <gtest/gtest.h>

#include <tuple>

#include "reader/PageDocument.h"

namespace pagora {
namespace {

const QString kMarker = QStringLiteral("SURA");
// U+0661 U+0662 and U+0663: Arabic-Indic one, two, three.
const QString k12 = QString::fromUtf16(u"\u0661\u0662");
const QString k3 = QString::fromUtf16(u"\u0663");

TEST(PageKeys, PadsToThreeDigitsKeepsLongerTextsAndTheLastDigitChoosesTheArchive) {
    const std::tuple<int, QString, QString> keys[] = {
        {7, "007", "order7.dat"}, {10, "010", "order0.dat"}, {1231, "1231", "order1.dat"}};
    for (const auto& [page, key, archive] : keys) {
        EXPECT_EQ(PadWithZeros(page, 3), key);
        EXPECT_EQ(PageArchiveName(key), archive);
    }
    EXPECT_EQ(PadWithZeros(5, 0), "5");
}

TEST(NumberLinks, EachRunOfArabicIndicDigitsBecomesOneLinkClosedBeforeTheLineBreak) {
    const QString input = QStringLiteral("a ") + k12 + QStringLiteral("\r\nb ") + k3;
    const QString expected = QStringLiteral("a <A class = \"num\" href=\"#num0\">") + k12 +
                             QStringLiteral("</A>\r\nb <A class = \"num\" href=\"#num1\">") + k3 +
                             QStringLiteral("</A>");
    EXPECT_EQ(AddBookMarkLinks(input), expected);
    // Digits in header lines are counted like any others.
    EXPECT_TRUE(AddBookMarkLinks(kMarker + QStringLiteral(" ") + k3)
                    .contains(QStringLiteral("href=\"#num0\">") + k3 + QStringLiteral("</A>")));
    // Latin digits and text without digits stay unchanged.
    EXPECT_EQ(AddBookMarkLinks(QStringLiteral("12 abc")), "12 abc");
    EXPECT_EQ(AddBookMarkLinks(QString()), "");
    // U+065F and U+066A lie just outside the digit range.
    const QString border = QString::fromUtf16(u"\u065F\u066A");
    EXPECT_EQ(AddBookMarkLinks(border), border);
}

QString VerseLink(int n, const QString& line) {
    return QStringLiteral("\r\n<A class = \"aya\" href='#aya") + QString::number(n) +
           QStringLiteral("'>") + line + QStringLiteral("</A>");
}

TEST(PageBody, HeadersBasmalasAndVerseLinksOfAPage) {
    const QString header1 = QStringLiteral("<CENTER>SURA 1</CENTER>");
    const QString later3 = QStringLiteral("<HR/><CENTER>SURA 3</CENTER><center>BASMALA</center>");
    const QString noBasmala = header1 + VerseLink(1, "first") + VerseLink(2, "second");
    const QString basmala = header1 + "<center>first</center>" + VerseLink(1, "second");
    const std::tuple<QString, int, QString> pages[] = {
        {"SURA 2\r\nBASMALA\r\nv1\r\nv2", 2,
         "<CENTER>SURA 2</CENTER><center>BASMALA</center>" + VerseLink(1, "v1") +
             VerseLink(2, "v2")},
        // Later headers follow a rule.
        {"v9\r\nSURA 3\r\nBASMALA\r\nv1", 49, VerseLink(1, "v9") + later3 + VerseLink(2, "v1")},
        // Pages 1 and 187 have no basmala line.
        {"SURA 1\r\nfirst\r\nsecond", 1, noBasmala},
        {"SURA 1\r\nfirst\r\nsecond", 187, noBasmala},
        {"SURA 1\r\nfirst\r\nsecond", 188, basmala},
        // A line holding the marker (case-sensitive) anywhere is a header and not counted.
        {"v1\r\nwords SURA words\r\nBASMALA\r\nv2", 300,
         VerseLink(1, "v1") + "<HR/><CENTER>words SURA words</CENTER><center>BASMALA</center>" +
             VerseLink(2, "v2")},
        {"sura x", 300, VerseLink(1, "sura x")},
        // An empty last line is one more verse; a header at the end leaves nothing pending.
        {"v1\r\n", 5, VerseLink(1, "v1") + VerseLink(2, "")},
        {"", 5, ""},
        {"v1\r\nSURA 3", 100, VerseLink(1, "v1") + "<HR/><CENTER>SURA 3</CENTER>"}};
    for (const auto& [text, page, body] : pages) {
        EXPECT_EQ(BuildPageBody(text, page, kMarker),
                  "<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">" + body + "</div>")
            << text.toStdString() << " on page " << page;
    }
}

TEST(PageDocument, TheFrameHoldsTheBodyAtEveryPlaceholderInTheStyledDocument) {
    const QString body = BuildPageBody(QStringLiteral("v"), 3, kMarker);
    const QString doc = BuildPageDocument(QStringLiteral("v"), 3, kMarker,
                                          QStringLiteral("<td>#data#|#data#</td>"), 200);
    EXPECT_TRUE(
        doc.startsWith("<HTML Dir=\"RTL\"> <HEAD> <style type=\"text/css\"> body{scrollbar"));
    EXPECT_TRUE(doc.contains("font-family: \"KFGQPC Uthmanic Script HAFS\"; font-size: 200px; }"));
    EXPECT_TRUE(doc.endsWith("oncontextmenu=\"return false;\"><td>" + body + "|" + body +
                             "</td>\r\n</BODY></HTML>"))
        << doc.toStdString();
    // Placeholders that reach the page text are written as they stand.
    const QString odd = BuildPageDocument(QStringLiteral("##style## #data#"), 3, kMarker,
                                          QStringLiteral("#data#"), 35);
    EXPECT_TRUE(odd.contains("'>##style## #data#</A>"));
}

}  // namespace
}  // namespace pagora
