#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace pagora {

// How the reader is coloured: the page's own colours (Light), a warm paper tone (Sepia) or a
// dark page with light text (Night).
enum class Theme { Light, Sepia, Night };

// The stored name of a theme: "light", "sepia" or "night".
QString ThemeName(Theme theme);
// The theme a stored name stands for; nothing for any other text.
std::optional<Theme> ThemeNamed(const QString& name);

// A colour as 0xAARRGGBB (Qt's QRgb).
using Rgb = uint32_t;

// The colour a page shows in `theme` for a colour its document names: the page document is
// written in the light colours (black verses, blue verse numbers, the red bookmarked number,
// the parchment behind the page, the view's white round it), and each theme gives those its
// own; any other colour shows as it is. Light gives every colour back unchanged.
Rgb PageColour(Theme theme, Rgb documentColour);

// The colour a pixel of the frame art shows in `theme`: the parchment and the light lines
// between the gold rules take the theme's page background, the darker ornament is dimmed at
// night; blends of the two (the drawing's smoothed edges) move in proportion. Light gives every
// pixel back unchanged.
Rgb FrameColour(Theme theme, Rgb pixel);

// The colours of the window's controls, menus and dialogs in a theme (a Qt palette's roles).
struct WindowColours {
    Rgb window, windowText, base, alternateBase, text, button, buttonText, highlight,
        highlightedText, link, toolTipBase, toolTipText, placeholderText, disabledText, light, mid,
        dark, shadow;
};
// Nothing for Light: the window keeps the desktop's own colours.
std::optional<WindowColours> WindowColoursOf(Theme theme);

}  // namespace pagora
