#include <gtest/gtest.h>

#include "reader/PageDocument.h"

namespace pagora {
namespace {

const QString kMarker = QStringLiteral("SURA");
// U+0661 U+0662 and U+0663: Arabic-Indic one, two, three.
const QString k12 = QString::fromUtf16(u"\u0661\u0662");
const QString k3 = QString::fromUtf16(u"\u0663");

TEST(PageKeys, PadsToThreeDigitsAndKeepsLongerTexts) {
    EXPECT_EQ(PadWithZeros(7, 3), "007");
    EXPECT_EQ(PadWithZeros(45, 3), "045");
    EXPECT_EQ(PadWithZeros(604, 3), "604");
    EXPECT_EQ(PadWithZeros(1234, 3), "1234");
    EXPECT_EQ(PadWithZeros(5, 0), "5");
}

TEST(PageKeys, LastDigitChoosesTheArchive) {
    EXPECT_EQ(PageArchiveName(PadWithZeros(1, 3)), "order1.dat");
    EXPECT_EQ(PageArchiveName(PadWithZeros(10, 3)), "order0.dat");
    EXPECT_EQ(PageArchiveName(PadWithZeros(45, 3)), "order5.dat");
    EXPECT_EQ(PageArchiveName(PadWithZeros(600, 3)), "order0.dat");
    EXPECT_EQ(PageArchiveName(PadWithZeros(604, 3)), "order4.dat");
}

TEST(NumberLinks, EachRunOfDigitsBecomesOneLinkClosedBeforeTheLineBreak) {
    const QString input = QStringLiteral("a ") + k12 + QStringLiteral("\r\nb ") + k3;
    const QString expected = QStringLiteral("a <A class = \"num\" href=\"#num0\">") + k12 +
                             QStringLiteral("</A>\r\nb <A class = \"num\" href=\"#num1\">") + k3 +
                             QStringLiteral("</A>");
    EXPECT_EQ(AddBookMarkLinks(input), expected);
}

TEST(NumberLinks, LatinDigitsAndTextWithoutDigitsStayUnchanged) {
    EXPECT_EQ(AddBookMarkLinks(QStringLiteral("12 abc")), "12 abc");
    EXPECT_EQ(AddBookMarkLinks(QString()), "");
    // U+065F and U+066A lie just outside the digit range.
    const QString border = QString::fromUtf16(u"\u065F\u066A");
    EXPECT_EQ(AddBookMarkLinks(border), border);
}

TEST(NumberLinks, DigitsInHeaderLinesAreCountedLikeAnyOthers) {
    const QString input = kMarker + QStringLiteral(" ") + k3 + QStringLiteral("\r\nv ") + k12;
    const QString out = AddBookMarkLinks(input);
    EXPECT_TRUE(out.contains(QStringLiteral("href=\"#num0\">") + k3 + QStringLiteral("</A>")));
    EXPECT_TRUE(out.contains(QStringLiteral("href=\"#num1\">") + k12 + QStringLiteral("</A>")));
}

QString VerseLink(int n, const QString& line) {
    return QStringLiteral("\r\n<A class = \"aya\" href='#aya") + QString::number(n) +
           QStringLiteral("'>") + line + QStringLiteral("</A>");
}

QString Div(const QString& inner) {
    return QStringLiteral("<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">") + inner +
           QStringLiteral("</div>");
}

TEST(PageBody, HeaderBasmalaAndVersesOnAnOrdinaryPage) {
    const QString text = QStringLiteral("SURA 2\r\nBASMALA\r\nv1\r\nv2");
    EXPECT_EQ(BuildPageBody(text, 2, kMarker),
              Div(QStringLiteral("<CENTER>SURA 2</CENTER><center>BASMALA</center>") +
                  VerseLink(1, "v1") + VerseLink(2, "v2")));
}

TEST(PageBody, LaterHeadersFollowARule) {
    const QString text = QStringLiteral("v9\r\nSURA 3\r\nBASMALA\r\nv1");
    EXPECT_EQ(BuildPageBody(text, 49, kMarker),
              Div(VerseLink(1, "v9") +
                  QStringLiteral("<HR/><CENTER>SURA 3</CENTER><center>BASMALA</center>") +
                  VerseLink(2, "v1")));
}

TEST(PageBody, PagesOneAndOneEightySevenHaveNoBasmalaLine) {
    const QString text = QStringLiteral("SURA 1\r\nfirst\r\nsecond");
    const QString expected = Div(QStringLiteral("<CENTER>SURA 1</CENTER>") + VerseLink(1, "first") +
                                 VerseLink(2, "second"));
    EXPECT_EQ(BuildPageBody(text, 1, kMarker), expected);
    EXPECT_EQ(BuildPageBody(text, 187, kMarker), expected);
    EXPECT_NE(BuildPageBody(text, 186, kMarker), expected);
    EXPECT_TRUE(BuildPageBody(text, 188, kMarker).contains("<center>first</center>"));
}

TEST(PageBody, LineHoldingTheMarkerIsAHeaderAndNotCounted) {
    const QString text = QStringLiteral("v1\r\nwords SURA words\r\nBASMALA\r\nv2");
    const QString body = BuildPageBody(text, 300, kMarker);
    EXPECT_TRUE(body.contains("<HR/><CENTER>words SURA words</CENTER>"));
    EXPECT_TRUE(body.contains(VerseLink(2, "v2")));
    EXPECT_FALSE(body.contains("#aya3"));
    // The marker is matched case-sensitively.
    EXPECT_TRUE(BuildPageBody("sura x", 300, kMarker).contains(VerseLink(1, "sura x")));
}

TEST(PageBody, EmptyLastLineIsOneMoreVerse) {
    EXPECT_EQ(BuildPageBody(QStringLiteral("v1\r\n"), 5, kMarker),
              Div(VerseLink(1, "v1") + VerseLink(2, "")));
}

TEST(PageBody, EmptyTextGivesAnEmptyDiv) {
    EXPECT_EQ(BuildPageBody(QString(), 5, kMarker), Div(QString()));
}

TEST(PageBody, HeaderAtTheEndLeavesNothingPending) {
    EXPECT_EQ(BuildPageBody(QStringLiteral("v1\r\nSURA 9"), 100, kMarker),
              Div(VerseLink(1, "v1") + QStringLiteral("<HR/><CENTER>SURA 9</CENTER>")));
}

TEST(PageDocument, WholeDocumentByteForByte) {
    const QString frame = QStringLiteral("<table><tr><td>#data#</td></tr></table>");
    const QString text = QStringLiteral("v ") + k3;
    const QString expected = QString::fromUtf16(
        u"<HTML Dir=\"RTL\"> <HEAD> <style type=\"text/css\"> body{"
        u"scrollbar-face-color: #FEFEE4;\r\n"
        u"scrollbar-arrow-color: #393C39;\r\n"
        u"scrollbar-highlight-color: #393C39;\r\n"
        u"scrollbar-3dlight-color: #FEFEE4;\r\n"
        u"scrollbar-shadow-color: #393C39;\r\n"
        u"scrollbar-darkshadow-color: #FEFEE4;\r\n"
        u"scrollbar-track-color: #FEFEE4; } "
        u"div{border-width: 5px; font-family: \"KFGQPC Uthmanic Script HAFS\"; "
        u"font-size: 35px; }  "
        u"a.num, a.num:link, a.num:hover, a.num:visited, a.num:active "
        u"{text-decoration: none; color: blue;}  \r\n"
        u"a.aya, a.aya:link, a.aya:hover, a.aya:visited, a.aya:active "
        u"{text-decoration: none; color: black;}   </STYLE>"
        u"</HEAD><BODY SCROLL = \"auto\" oncontextmenu=\"return false;\">"
        u"<table><tr><td>"
        u"<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">"
        u"\r\n<A class = \"aya\" href='#aya1'>v <A class = \"num\" href=\"#num0\">\u0663</A></A>"
        u"</div></td></tr></table>\r\n</BODY></HTML>");
    EXPECT_EQ(BuildPageDocument(AddBookMarkLinks(text), 3, kMarker, frame, 35), expected);
}

TEST(PageDocument, TextSizeAndEveryDataPlaceholder) {
    const QString frame = QStringLiteral("#data#|#data#");
    const QString doc = BuildPageDocument(QStringLiteral("v"), 3, kMarker, frame, 200);
    EXPECT_TRUE(doc.contains("font-size: 200px; }  a.num"));
    EXPECT_EQ(doc.count(QStringLiteral("#aya1")), 2);
    EXPECT_FALSE(doc.contains("#data#"));
    // Placeholders that reach the page text are written as they stand.
    const QString odd = BuildPageDocument(QStringLiteral("##style## #data#"), 3, kMarker,
                                          QStringLiteral("#data#"), 35);
    EXPECT_TRUE(odd.contains("'>##style## #data#</A>"));
}

}  // namespace
}  // namespace pagora
