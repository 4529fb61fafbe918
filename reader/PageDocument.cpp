#include "reader/PageDocument.h"

namespace pagora {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool IsArabicIndicDigit(QChar c) {
    return c.unicode() >= 1632 && c.unicode() <= 1641;
}

QString ScrollStyle() {
    static const char* const kRules[][2] = {
        {"scrollbar-face-color", "FEFEE4"},      {"scrollbar-arrow-color", "393C39"},
        {"scrollbar-highlight-color", "393C39"}, {"scrollbar-3dlight-color", "FEFEE4"},
        {"scrollbar-shadow-color", "393C39"},    {"scrollbar-darkshadow-color", "FEFEE4"},
        {"scrollbar-track-color", "FEFEE4"},
    };
    QStringList parts;
    for (const auto& rule : kRules) {
        parts << QString::fromLatin1(rule[0]) + QStringLiteral(": #") +
                     QString::fromLatin1(rule[1]) + QLatin1Char(';');
    }
    return parts.join(kCrLf) + QLatin1Char(' ');
}

}  // namespace

QString PadWithZeros(long long value, unsigned length) {
    QString text = QString::number(value);
    while (static_cast<unsigned>(text.size()) < length) {
        text.prepend(QLatin1Char('0'));
    }
    return text;
}

QString PageArchiveName(const QString& pageKey) {
    return QStringLiteral("order") + pageKey.right(1) + QStringLiteral(".dat");
}

QString AddBookMarkLinks(const QString& strInput) {
    QString result;
    result.reserve(strInput.size() + strInput.size() / 4);
    long long counter = 0;
    bool inNumber = false;
    for (QChar c : strInput) {
        const bool digit = IsArabicIndicDigit(c);
        if (digit && !inNumber) {
            result += QStringLiteral("<A class = \"num\" href=\"#num");
            result += QString::number(counter);
            result += QStringLiteral("\">");
            ++counter;
            inNumber = true;
        }
        if (!digit && inNumber) {
            result += QStringLiteral("</A>");
            inNumber = false;
        }
        result += c;
    }
    if (inNumber) {
        result += QStringLiteral("</A>");
    }
    return result;
}

QStringList PageLines(const QString& pageText) {
    if (pageText.isEmpty()) {
        return {};
    }
    return pageText.split(kCrLf, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString BuildPageBody(const QString& pageText, int pageNo, const QString& suraMarker) {
    QString lines;
    long long verse = 0;
    bool afterHeader = false;
    // The first pages of the Fatiha and of at-Tawba carry no basmala line of their own.
    const bool basmalaRule = pageNo != 1 && pageNo != 187;
    for (const QString& line : PageLines(pageText)) {
        if (basmalaRule && afterHeader) {
            lines += QStringLiteral("<center>") + line + QStringLiteral("</center>");
            afterHeader = false;
        } else if (line.contains(suraMarker, Qt::CaseSensitive)) {
            lines += lines.isEmpty() ? QStringLiteral("<CENTER>") : QStringLiteral("<HR/><CENTER>");
            lines += line + QStringLiteral("</CENTER>");
            afterHeader = true;
        } else {
            ++verse;
            lines += kCrLf + QStringLiteral("<A class = \"aya\" href='#aya") +
                     QString::number(verse) + QStringLiteral("'>") + line + QStringLiteral("</A>");
        }
    }
    return QStringLiteral("<div style=\"text-align:justify;TEXT-JUSTIFY: inter-word; \">") + lines +
           QStringLiteral("</div>");
}

QString BuildPageDocument(const QString& pageText, int pageNo, const QString& suraMarker,
                          const QString& pageFrame, int textSize) {
    QString framed = pageFrame;
    framed.replace(QStringLiteral("#data#"), BuildPageBody(pageText, pageNo, suraMarker));

    const QString style =
        QStringLiteral(
            "<style type=\"text/css\"> body{##scrollstyle##} div{border-width: 5px; "
            "font-family: \"KFGQPC Uthmanic Script HAFS\"; font-size: ") +
        QString::number(textSize) + QStringLiteral("px; }  ") +
        QStringLiteral(
            "a.num, a.num:link, a.num:hover, a.num:visited, a.num:active "
            "{text-decoration: none; color: blue;}  ") +
        kCrLf +
        QStringLiteral(
            "a.aya, a.aya:link, a.aya:hover, a.aya:visited, a.aya:active "
            "{text-decoration: none; color: black;}   </STYLE>");

    QString document = QStringLiteral(
                           "<HTML Dir=\"RTL\"> <HEAD> ##style##</HEAD><BODY SCROLL = \"auto\" "
                           "oncontextmenu=\"return false;\">##TEXT##") +
                       kCrLf + QStringLiteral("</BODY></HTML>");
    document.replace(QStringLiteral("##style##"), style);
    document.replace(QStringLiteral("##scrollstyle##"), ScrollStyle());
    document.replace(QStringLiteral("##TEXT##"), framed);
    return document;
}

}  // namespace pagora
