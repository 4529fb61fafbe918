#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pagora {

// The classic number conversions of the reader, side by side. Blanks are spaces, tabs and line
// breaks; the decimal separator is always "."; rounding is always half to even.

// The number at the start of `text`, read like Val(): leading blanks, an optional sign, digits
// and a decimal part; whatever follows is ignored. 0 when there is no number.
double LeadingNumber(std::string_view text);

// `value` rounded to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The whole of `text` as a number, read like CDbl(): optional blanks around an optional sign,
// digits with an optional decimal part, and an optional exponent ("1e2"). Nothing when `text` is
// no such number; a number beyond the range of a double reads as infinity.
std::optional<double> TextToDouble(std::string_view text);

// `value` rounded half to even, when the result lies within lowest..highest.
std::optional<int64_t> RoundedWithin(double value, int64_t lowest, int64_t highest);

// CInt()/CLng(): TextToDouble, then RoundedWithin.
std::optional<int64_t> TextToWhole(std::string_view text, int64_t lowest, int64_t highest);

// CLng() failing as the classic run time does: Error 13 (type mismatch) when `text` is not a
// number, Error 6 (overflow) when it does not fit 32 bits.
int32_t TextToLong(std::string_view text, const char* source);

// CSng(): a finite number that single precision can hold.
std::optional<float> TextToSingle(std::string_view text);

// The decimal text of a single-precision value, as short as reads back to the same value.
std::string SingleToText(float value);

// A whole number written as digits only, with optional blanks around and an optional sign (table
// entries, command-line arguments). Nothing when it is not one or does not fit 64 bits.
std::optional<int64_t> TextToInteger(std::string_view text);

// Decimal digits and nothing else: no blank, no sign, at most 18 digits (archive fields).
std::optional<int64_t> DigitsToNumber(std::string_view text);

}  // namespace pagora
