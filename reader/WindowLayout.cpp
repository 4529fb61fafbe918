#include "reader/WindowLayout.h"

#include <algorithm>

#include <cmath>
#include <limits>

namespace pagora {

PageLayout DesignedLayout() {
    PageLayout layout;
    layout.fraOnePage = {15045, 780, 16260, 10290};
    layout.wbSinglePage = {45, 120, 16170, 10035};
    layout.fraTwoPage = {675, 270, 16245, 10245};
    layout.wbPageOne = {7905, 180, 8250, 9990};
    layout.wbPageTwo = {150, 210, 7650, 9945};
    layout.fraFooter = {375, 11025, 16260, 930};
    return layout;
}

namespace {

// A negative size cannot be applied to a control: it keeps its previous value.
void SetSize(float& field, float value) {
    if (value >= 0) {
        field = value;
    }
}

}  // namespace

PageLayout FormResize(float W, float H, float F, const PageLayout& current) {
    PageLayout l = current;
    l.fraOnePage.Left = 100;
    l.fraOnePage.Top = 50;
    SetSize(l.fraOnePage.Width, W - 300);
    SetSize(l.fraOnePage.Height, H - F - 900);
    SetSize(l.wbSinglePage.Width, l.fraOnePage.Width - 150);
    SetSize(l.wbSinglePage.Height, l.fraOnePage.Height - 200);
    l.fraTwoPage.Left = 100;
    SetSize(l.fraTwoPage.Width, W - 300);
    l.wbPageTwo.Left = 100;
    SetSize(l.wbPageTwo.Width, (l.fraTwoPage.Width - 300) / 2);
    l.wbPageOne.Left = l.wbPageTwo.Width + l.wbPageTwo.Left + 100;
    SetSize(l.wbPageOne.Width, (l.fraTwoPage.Width - 300) / 2);
    l.fraTwoPage.Top = 50;
    SetSize(l.fraTwoPage.Height, H - F - 900);
    SetSize(l.wbPageTwo.Height, l.fraTwoPage.Height - 300);
    SetSize(l.wbPageOne.Height, l.fraTwoPage.Height - 300);
    l.fraFooter.Top = l.fraOnePage.Top + l.fraOnePage.Height;
    l.fraFooter.Left = l.fraOnePage.Left;
    SetSize(l.fraFooter.Width, l.fraOnePage.Width);
    return l;
}

namespace {

double SaneDpi(double dpi) {
    return std::isfinite(dpi) && dpi > 0 ? dpi : 96.0;
}

}  // namespace

int TwipsToPixels(float twips, double dpi) {
    const double pixels = std::round(static_cast<double>(twips) * SaneDpi(dpi) / 1440.0);
    if (std::isnan(pixels)) {
        return 0;
    }
    if (pixels <= std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    if (pixels >= std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(pixels);
}

float PixelsToTwips(int pixels, double dpi) {
    return static_cast<float>(static_cast<double>(pixels) * 1440.0 / SaneDpi(dpi));
}

TwipRect FitOntoScreens(const TwipRect& outer, const std::vector<TwipRect>& screens) {
    if (screens.empty()) {
        return outer;
    }
    auto overlap = [&outer](const TwipRect& s) {
        const float w =
            std::min(outer.Left + outer.Width, s.Left + s.Width) - std::max(outer.Left, s.Left);
        const float h =
            std::min(outer.Top + outer.Height, s.Top + s.Height) - std::max(outer.Top, s.Top);
        return w > 0 && h > 0 ? w * h : 0.0F;
    };
    const TwipRect* best = &screens.front();
    for (const TwipRect& screen : screens) {
        if (overlap(screen) > overlap(*best)) {
            best = &screen;
        }
    }
    TwipRect fitted = outer;
    fitted.Width = std::min(outer.Width, best->Width);
    fitted.Height = std::min(outer.Height, best->Height);
    fitted.Left = std::clamp(outer.Left, best->Left, best->Left + best->Width - fitted.Width);
    fitted.Top = std::clamp(outer.Top, best->Top, best->Top + best->Height - fitted.Height);
    return fitted;
}

FooterLabels PlaceFooterLabels(const PageLayout& layout, bool twoPages) {
    // The designed labels' tops and height; they start where the button groups end.
    constexpr float kStart = 5505 + kGotoWidth + 60;
    constexpr float kMargin = 90;
    constexpr float kGap = 60;
    constexpr float kNarrowest = 1500;
    const float end = std::max(kStart, layout.fraFooter.Width - kMargin);
    FooterLabels labels;
    labels.lblPage1 = {kStart, 240, end - kStart, 570};
    labels.lblPage2 = {end, 225, 0, 570};
    if (!twoPages) {
        return labels;
    }
    // The gap between the two pages, in the footer's coordinates.
    const float between = layout.fraTwoPage.Left + layout.wbPageOne.Left - layout.fraFooter.Left;
    float split = between;
    if (split - kStart < kNarrowest || end - split < kNarrowest) {
        split = kStart + (end - kStart) / 2;
    }
    labels.lblPage1.Width = std::max(0.0F, split - kGap / 2 - kStart);
    labels.lblPage2.Left = split + kGap / 2;
    labels.lblPage2.Width = std::max(0.0F, end - labels.lblPage2.Left);
    return labels;
}

}  // namespace pagora
