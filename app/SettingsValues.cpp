#include "app/SettingsValues.h"

#include "base/Numbers.h"

namespace pagora {

QString SettingsAppName(const QString& executableName, const QString& commandLineText) {
    if (commandLineText.isEmpty()) {
        return executableName;
    }
    return executableName + QLatin1Char('-') + commandLineText;
}

std::optional<int16_t> ParseWholeNumber(const QString& text) {
    const std::optional<int64_t> value = TextToWhole(text.toStdString(), INT16_MIN, INT16_MAX);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int16_t>(*value);
}

std::optional<float> ParseSingle(const QString& text) {
    return TextToSingle(text.toStdString());
}

QString SingleText(float value) {
    return QString::fromStdString(SingleToText(value));
}

}  // namespace pagora
