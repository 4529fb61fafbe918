#include "reader/TypedNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace pagora {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() &&
           (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t intStart = i;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    const std::string_view whole = text.substr(intStart, i - intStart);
    std::string_view fraction;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        fraction = text.substr(fracStart, i - fracStart);
    }
    if (whole.empty() && fraction.empty()) {
        return 0.0;
    }

    std::string number(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty()) {
        number += '.';
        number += fraction;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                              std::chars_format::fixed);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too many digits for a double: huge when there is a nonzero whole part, else tiny.
        const bool huge = whole.find_first_not_of('0') != std::string_view::npos;
        value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

double RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double rest = value - below;
    if (rest > 0.5) {
        return below + 1.0;
    }
    if (rest < 0.5) {
        return below;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

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
