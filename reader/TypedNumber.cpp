#include "reader/TypedNumber.h"

namespace pagora {

std::optional<int> ReadTypedNumber(std::string_view answer, int lowest, int highest) {
    const std::size_t first = answer.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const double value = LeadingNumber(answer.substr(first));
    if (value < lowest || value > highest) {
        return std::nullopt;
    }
    return static_cast<int>(RoundHalfEven(value));
}

std::string AsciiDigits(const QString& text) {
    QString ascii = text;
    for (QChar& c : ascii) {
        const char16_t unit = c.unicode();
        if (unit >= 0x0660 && unit <= 0x0669) {
            c = QChar(u'0' + (unit - 0x0660));
        } else if (unit >= 0x06F0 && unit <= 0x06F9) {
            c = QChar(u'0' + (unit - 0x06F0));
        }
    }
    return ascii.toStdString();
}

}  // namespace pagora
