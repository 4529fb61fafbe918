#include "base/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/Error.h"

namespace pagora {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

size_t DigitsAt(std::string_view text, size_t at) {
    size_t end = at;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    return end - at;
}

// A decimal number as found in text: sign, whole digits, fraction digits, decimal exponent.
struct DecimalText {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
    int64_t exponent = 0;
};

// The value of a decimal number. Digits beyond what a double holds read as infinity when the
// number is at least 1, else as 0.
double ValueOf(const DecimalText& number) {
    std::string text(number.whole.empty() ? std::string_view("0") : number.whole);
    if (!number.fraction.empty()) {
        text += '.';
        text += number.fraction;
    }
    text += 'e';
    text += std::to_string(number.exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // The power of ten of the leading nonzero digit decides between huge and tiny.
        const size_t firstWhole = number.whole.find_first_not_of('0');
        const size_t firstFraction = number.fraction.find_first_not_of('0');
        int64_t magnitude = number.exponent;
        if (firstWhole != std::string_view::npos) {
            magnitude += static_cast<int64_t>(number.whole.size() - firstWhole);
        } else if (firstFraction != std::string_view::npos) {
            magnitude -= static_cast<int64_t>(firstFraction);
        } else {
            magnitude = 0;
        }
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -value : value;
}

// Reads a sign and digits with a decimal part from `at` on; `exponent` also takes an exponent.
// Returns the position after the number, or nothing when no digit was found.
std::optional<size_t> ScanDecimal(std::string_view text, size_t at, bool exponent,
                                  DecimalText& number) {
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        number.negative = text[at] == '-';
        ++at;
    }
    number.whole = text.substr(at, DigitsAt(text, at));
    at += number.whole.size();
    if (at < text.size() && text[at] == '.') {
        number.fraction = text.substr(at + 1, DigitsAt(text, at + 1));
        at += 1 + number.fraction.size();
    }
    if (number.whole.empty() && number.fraction.empty()) {
        return std::nullopt;
    }
    if (exponent && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t digitsAt = at + 1;
        bool negative = false;
        if (digitsAt < text.size() && (text[digitsAt] == '+' || text[digitsAt] == '-')) {
            negative = text[digitsAt] == '-';
            ++digitsAt;
        }
        const size_t count = DigitsAt(text, digitsAt);
        if (count == 0) {
            return std::nullopt;
        }
        for (size_t k = digitsAt; k < digitsAt + count; ++k) {
            // Saturates long before it could overflow: any such exponent is out of range.
            number.exponent = std::min<int64_t>(number.exponent * 10 + (text[k] - '0'), 1 << 20);
        }
        number.exponent = negative ? -number.exponent : number.exponent;
        at = digitsAt + count;
    }
    return at;
}

}  // namespace

double LeadingNumber(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    DecimalText number;
    if (!ScanDecimal(text, at, false, number)) {
        return 0.0;
    }
    return ValueOf(number);
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

std::optional<double> TextToDouble(std::string_view text) {
    text = WithoutBlanks(text);
    DecimalText number;
    const std::optional<size_t> end = ScanDecimal(text, 0, true, number);
    if (!end || *end != text.size()) {
        return std::nullopt;
    }
    return ValueOf(number);
}

std::optional<int64_t> RoundedWithin(double value, int64_t lowest, int64_t highest) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= static_cast<double>(lowest) && rounded <= static_cast<double>(highest))) {
        return std::nullopt;
    }
    return static_cast<int64_t>(rounded);
}

std::optional<int64_t> TextToWhole(std::string_view text, int64_t lowest, int64_t highest) {
    const std::optional<double> value = TextToDouble(text);
    if (!value) {
        return std::nullopt;
    }
    return RoundedWithin(*value, lowest, highest);
}

int32_t TextToLong(std::string_view text, const char* source) {
    const std::optional<double> value = TextToDouble(text);
    if (!value) {
        throw Error(errnum::kTypeMismatch, source, "Type mismatch: \"" + std::string(text) + "\"");
    }
    const std::optional<int64_t> whole = RoundedWithin(*value, INT32_MIN, INT32_MAX);
    if (!whole) {
        throw Error(errnum::kOverflow, source, "Overflow: \"" + std::string(text) + "\"");
    }
    return static_cast<int32_t>(*whole);
}

std::optional<float> TextToSingle(std::string_view text) {
    const std::optional<double> value = TextToDouble(text);
    if (!value || !(std::fabs(*value) <= std::numeric_limits<float>::max())) {
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

std::string SingleToText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<int64_t> TextToInteger(std::string_view text) {
    text = WithoutBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || DigitsAt(text, 0) != text.size()) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    (void)end;
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (error != std::errc() || magnitude > limit) {
        return std::nullopt;
    }
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

std::optional<int64_t> DigitsToNumber(std::string_view text) {
    if (text.empty() || text.size() > 18 || DigitsAt(text, 0) != text.size()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace pagora
