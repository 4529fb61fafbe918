#pragma once

#include <vector>

namespace pagora {

// Geometry in twips (1/1440 inch), single precision like the window design.
struct TwipRect {
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    bool operator==(const TwipRect&) const = default;
};

// The controls whose geometry follows the window size.
struct PageLayout {
    TwipRect fraOnePage;
    TwipRect wbSinglePage;
    TwipRect fraTwoPage;
    TwipRect wbPageOne;
    TwipRect wbPageTwo;
    TwipRect fraFooter;
    bool operator==(const PageLayout&) const = default;
};

// The controls as designed, before the first resize.
PageLayout DesignedLayout();

// The resize rules: W and H are the window's outer size, F the footer's height (all twips).
// Assignments run in order; one whose computed size is negative is skipped and later rules read
// the kept value.
PageLayout FormResize(float W, float H, float F, const PageLayout& current);

// `outer` moved (and shrunk where it must) so that it lies wholly on one of `screens` (their
// available areas): the screen it overlaps most, or the first when it overlaps none.
TwipRect FitOntoScreens(const TwipRect& outer, const std::vector<TwipRect>& screens);

// The "Go To" group of the footer is this wide (twips), so that it holds Sura, Juz and Hizb.
inline constexpr float kGotoWidth = 2790;

// Where the footer's sura labels stand, in the footer: lblPage1 names the suras of the single
// page or of the left page of a spread, lblPage2 those of the right page. They use the room
// right of the footer's button groups, each under its own page where that leaves it room.
struct FooterLabels {
    TwipRect lblPage1;
    TwipRect lblPage2;
    bool operator==(const FooterLabels&) const = default;
};
FooterLabels PlaceFooterLabels(const PageLayout& layout, bool twoPages);

// Twips <-> pixels at `dpi` logical dots per inch (1440 twips per inch).
int TwipsToPixels(float twips, double dpi);
float PixelsToTwips(int pixels, double dpi);

}  // namespace pagora
