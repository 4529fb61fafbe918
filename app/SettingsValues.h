#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace pagora {

// The settings application name: the executable's base name, then "-" and the command-line
// text when there is one.
QString SettingsAppName(const QString& executableName, const QString& commandLineText);

// A stored whole number: the text as a number, rounded to the nearest 16-bit whole number with
// halves to the even neighbour. Nothing when the text is not a number or does not fit.
std::optional<int16_t> ParseWholeNumber(const QString& text);

// A stored single-precision value ("Left".."Height"). Nothing when the text is not a finite
// number that single precision can hold.
std::optional<float> ParseSingle(const QString& text);

// The decimal text of a single-precision value, as short as reads back to the same value.
QString SingleText(float value);

}  // namespace pagora
