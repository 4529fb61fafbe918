#include "reader/Theme.h"

#include <algorithm>
#include <array>

namespace pagora {

namespace {

// The colours the page document is written in.
constexpr Rgb kBlack = 0xFF000000;
constexpr Rgb kBlue = 0xFF0000FF;
constexpr Rgb kRed = 0xFFFF0000;
constexpr Rgb kParchment = 0xFFFBF3DC;
constexpr Rgb kWhite = 0xFFFFFFFF;

struct PageColours {
    Rgb text, number, marked, background, surround;
};

constexpr PageColours kSepiaPage{0xFF433422, 0xFF2F5B8A, 0xFFB3261E, 0xFFEFDFBB, 0xFFE2CDA2};
// Not black: a dark grey-blue page is gentler beside light text, and the frame still shows.
constexpr PageColours kNightPage{0xFFE8E2D4, 0xFF8AB4F8, 0xFFFF7B72, 0xFF1F2227, 0xFF17191D};

int Red(Rgb c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
int Green(Rgb c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int Blue(Rgb c) {
    return static_cast<int>(c & 0xFF);
}
Rgb Make(int r, int g, int b, Rgb alphaOf) {
    auto channel = [](int v) { return static_cast<Rgb>(std::clamp(v, 0, 255)); };
    return (alphaOf & 0xFF000000) | channel(r) << 16 | channel(g) << 8 | channel(b);
}

}  // namespace

QString ThemeName(Theme theme) {
    switch (theme) {
        case Theme::Sepia:
            return QStringLiteral("sepia");
        case Theme::Night:
            return QStringLiteral("night");
        case Theme::Light:
            break;
    }
    return QStringLiteral("light");
}

std::optional<Theme> ThemeNamed(const QString& name) {
    for (Theme theme : {Theme::Light, Theme::Sepia, Theme::Night}) {
        if (name == ThemeName(theme)) {
            return theme;
        }
    }
    return std::nullopt;
}

Rgb PageColour(Theme theme, Rgb documentColour) {
    if (theme == Theme::Light) {
        return documentColour;
    }
    const PageColours& page = theme == Theme::Sepia ? kSepiaPage : kNightPage;
    switch (documentColour | 0xFF000000) {
        case kBlack:
            return page.text;
        case kBlue:
            return page.number;
        case kRed:
            return page.marked;
        case kParchment:
            return page.background;
        case kWhite:
            return page.surround;
        default:
            return documentColour;
    }
}

Rgb FrameColour(Theme theme, Rgb pixel) {
    const int r = Red(pixel);
    const int g = Green(pixel);
    const int b = Blue(pixel);
    switch (theme) {
        case Theme::Light:
            return pixel;
        case Theme::Sepia: {
            // A tint that takes the parchment to the sepia page: linear, so smoothed edges
            // keep their blend.
            const Rgb to = kSepiaPage.background;
            return Make(r * Red(to) / Red(kParchment), g * Green(to) / Green(kParchment),
                        b * Blue(to) / Blue(kParchment), pixel);
        }
        case Theme::Night: {
            // How much of the pixel is paper, by its darkest channel: 0 for the gold (0x3A) and
            // anything darker, 1 for the parchment (0xDC) and anything lighter. The paper's
            // part becomes the night page, what is left (the ornament) is dimmed.
            constexpr int kGoldLow = 0x3A;
            constexpr int kPaperLow = 0xDC;
            const double paper = std::clamp(
                (std::min({r, g, b}) - kGoldLow) / double(kPaperLow - kGoldLow), 0.0, 1.0);
            const Rgb to = kNightPage.background;
            constexpr double kDim = 0.85;
            auto mix = [&](int own, int parchment, int page) {
                const double ornament = std::max(0.0, own - paper * parchment);
                return static_cast<int>(ornament * kDim + page * paper + 0.5);
            };
            return Make(mix(r, Red(kParchment), Red(to)), mix(g, Green(kParchment), Green(to)),
                        mix(b, Blue(kParchment), Blue(to)), pixel);
        }
    }
    return pixel;
}

std::optional<WindowColours> WindowColoursOf(Theme theme) {
    switch (theme) {
        case Theme::Light:
            return std::nullopt;
        case Theme::Sepia:
            return WindowColours{0xFFEADCBC, 0xFF433422, 0xFFF6ECD6, 0xFFEEDFC0, 0xFF433422,
                                 0xFFE2D0AA, 0xFF433422, 0xFF8B5A2B, 0xFFFFF8EA, 0xFF2F5B8A,
                                 0xFFF6ECD6, 0xFF433422, 0xFF8C7A60, 0xFF9C8B70, 0xFFF8F0DE,
                                 0xFFC9B48A, 0xFFA08A62, 0xFF6E5C3E};
        case Theme::Night:
            return WindowColours{0xFF2A2D33, 0xFFE8E2D4, 0xFF1F2227, 0xFF272A30, 0xFFE8E2D4,
                                 0xFF353941, 0xFFE8E2D4, 0xFF4A6FA5, 0xFFFFFFFF, 0xFF8AB4F8,
                                 0xFF353941, 0xFFE8E2D4, 0xFF8A8F98, 0xFF767B84, 0xFF454A53,
                                 0xFF2E3238, 0xFF1A1C20, 0xFF0E0F11};
    }
    return std::nullopt;
}

}  // namespace pagora
