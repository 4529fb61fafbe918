#pragma once

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

// Twips <-> pixels at `dpi` logical dots per inch (1440 twips per inch).
int TwipsToPixels(float twips, double dpi);
float PixelsToTwips(int pixels, double dpi);

}  // namespace pagora
