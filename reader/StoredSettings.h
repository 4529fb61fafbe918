#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "reader/WindowLayout.h"

namespace pagora {

class SettingsStore;

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

// A key of the settings store and its section.
struct SettingKey {
    const char* section;
    const char* key;
};
namespace setting {
inline constexpr SettingKey kFontSize{"UserSelection", "FontSize"};
inline constexpr SettingKey kPageNo{"UserSelection", "Pageno"};
inline constexpr SettingKey kPageMode{"UserSelection", "PageMode"};
inline constexpr SettingKey kTheme{"UserSelection", "Theme"};
inline constexpr SettingKey kFitPage{"UserSelection", "FitPage"};
inline constexpr SettingKey kBookmarkPage{"Bookmark", "BookmarkPage"};
inline constexpr SettingKey kBookmarkAya{"Bookmark", "BookmarkAya"};
inline constexpr SettingKey kWindowState{"WindowState", "State"};
inline constexpr SettingKey kLeft{"WindowState", "Left"};
inline constexpr SettingKey kTop{"WindowState", "Top"};
inline constexpr SettingKey kWidth{"WindowState", "Width"};
inline constexpr SettingKey kHeight{"WindowState", "Height"};
inline constexpr SettingKey kFullScreen{"WindowState", "FullScreen"};
}  // namespace setting

// Window states as the settings keep them.
enum WindowStateNumber { kStateNormal = 0, kStateMinimised = 1, kStateMaximised = 2 };

// The reader's settings under its application name. A stored number that cannot be used reads
// as the key's default, with a warning on stderr.
class StoredSettings {
  public:
    StoredSettings(SettingsStore& store, QString appName)
        : store_(&store), appName_(std::move(appName)) {}

    const QString& AppName() const { return appName_; }
    QString Text(SettingKey key, const QString& fallback) const;
    int16_t Whole(SettingKey key, int16_t fallback) const;
    // One of `choices` (the first is the default).
    QString OneOf(SettingKey key, std::initializer_list<const char*> choices) const;
    // A position or size in twips within [low, high].
    float Twips(SettingKey key, float fallback, float low, float high) const;
    // Throws pagora::Error when the value cannot be written.
    void Save(SettingKey key, const QString& value);

  private:
    SettingsStore* store_;
    QString appName_;
};

// The outer rectangle start-up gives a normal window, in twips: each stored value in turn, the
// defaults centring the window as shown (`shown`) on the first of `screens` (the available
// areas of the screens, the primary one first); then fitted onto the screen it overlaps most.
TwipRect RestoredOuterRect(const StoredSettings& settings, const TwipRect& shown,
                           const std::vector<TwipRect>& screens);

}  // namespace pagora
