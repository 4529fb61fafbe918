#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "base/Book.h"
#include "base/Numbers.h"

namespace pagora {

inline constexpr int kSmallestTextSize = 10;
inline constexpr int kLargestTextSize = 200;

// What a number prompt shows and the range of answers it accepts.
struct NumberPrompt {
    const char* message;
    const char* title;
    int lowest;
    int highest;
};
inline constexpr NumberPrompt kPageNumberPrompt{"Enter page number (1 to 604)", "Enter Page Number",
                                                kFirstPage, kPageCount};
inline constexpr NumberPrompt kTextSizePrompt{"Enter text size (10 to 200)", "Enter text size",
                                              kSmallestTextSize, kLargestTextSize};

// Reads the answer typed into a number prompt. Nothing when the answer is empty or only spaces
// (a cancelled prompt answers with empty text) or when its leading number lies outside
// lowest..highest; the range is tested before rounding, so "604.4" is too large for 1..604.
// Otherwise the number rounded half to even.
std::optional<int> ReadTypedNumber(std::string_view answer, int lowest, int highest);
inline std::optional<int> ReadTypedNumber(std::string_view answer, const NumberPrompt& prompt) {
    return ReadTypedNumber(answer, prompt.lowest, prompt.highest);
}

// The text with Arabic-Indic (U+0660..U+0669) and Eastern Arabic-Indic (U+06F0..U+06F9) digits
// as ASCII digits, in UTF-8: what a typed number is read from.
std::string AsciiDigits(const QString& text);

}  // namespace pagora
