#pragma once

#include <QString>

namespace pagora::testing {

inline bool IsArabicIndicDigit(QChar c) {
    return c.unicode() >= 0x0660 && c.unicode() <= 0x0669;
}

// The verse number written in Arabic-Indic digits at the end of a page-text line, or -1.
inline int TrailingVerseNumber(const QString& line) {
    qsizetype start = line.size();
    while (start > 0 && IsArabicIndicDigit(line[start - 1])) {
        --start;
    }
    if (start == line.size()) {
        return -1;
    }
    int value = 0;
    for (qsizetype i = start; i < line.size(); ++i) {
        value = value * 10 + (line[i].unicode() - 0x0660);
    }
    return value;
}

}  // namespace pagora::testing
