#include "reader/StoredSettings.h"

#include <QStringList>
#include <iostream>
#include <limits>

#include "base/Numbers.h"

#include "platform/SettingsStore.h"

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

namespace {

QString Name(const char* text) {
    return QString::fromLatin1(text);
}

void WarnUnusable(SettingKey key, const QString& text, const char* what, const QString& used) {
    std::cerr << "pagora: the stored setting " << key.section << "/" << key.key << " = \""
              << text.toStdString() << "\" is not " << what << "; using " << used.toStdString()
              << " instead\n";
}

}  // namespace

QString StoredSettings::Text(SettingKey key, const QString& fallback) const {
    return store_->GetSetting(appName_, Name(key.section), Name(key.key), fallback);
}

int16_t StoredSettings::Whole(SettingKey key, int16_t fallback) const {
    const QString text = Text(key, QString::number(fallback));
    const auto value = ParseWholeNumber(text);
    if (!value) {
        WarnUnusable(key, text, "a whole number from -32768 to 32767", QString::number(fallback));
        return fallback;
    }
    return *value;
}

QString StoredSettings::OneOf(SettingKey key, std::initializer_list<const char*> choices) const {
    const QString fallback = QString::fromLatin1(*choices.begin());
    const QString text = Text(key, fallback);
    QStringList names;
    for (const char* choice : choices) {
        if (text == QLatin1String(choice)) {
            return text;
        }
        names << QLatin1Char('"') + QLatin1String(choice) + QLatin1Char('"');
    }
    const QString last = names.takeLast();
    WarnUnusable(key, text, qPrintable(names.join(QStringLiteral(", ")) + " or " + last), fallback);
    return fallback;
}

float StoredSettings::Twips(SettingKey key, float fallback, float low, float high) const {
    const QString text = Text(key, SingleText(fallback));
    const auto value = ParseSingle(text);
    if (!value || *value < low || *value > high) {
        WarnUnusable(key, text, "a usable window position or size in twips", SingleText(fallback));
        return fallback;
    }
    return *value;
}

void StoredSettings::Save(SettingKey key, const QString& value) {
    store_->SaveSetting(appName_, Name(key.section), Name(key.key), value);
}

TwipRect RestoredOuterRect(const StoredSettings& settings, const TwipRect& shown,
                           const std::vector<TwipRect>& screens) {
    const TwipRect primary = screens.empty() ? shown : screens.front();
    constexpr float kAny = std::numeric_limits<float>::max();
    TwipRect outer;
    outer.Left = settings.Twips(setting::kLeft, primary.Left + (primary.Width - shown.Width) / 2,
                                -kAny, kAny);
    outer.Top = settings.Twips(setting::kTop, primary.Top + (primary.Height - shown.Height) / 2,
                               -kAny, kAny);
    outer.Width = settings.Twips(setting::kWidth, shown.Width, 1, kAny);
    outer.Height = settings.Twips(setting::kHeight, shown.Height, 1, kAny);
    // A placement saved on a larger screen, or on one that is gone, still opens wholly visible.
    return FitOntoScreens(outer, screens);
}

}  // namespace pagora
