#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "reader/WindowLayout.h"

namespace pagora {
namespace {

constexpr float kFooter = 930;

TEST(FormResize, DesignedWindowOf12000By9000AndTheCallersFooterHeight) {
    const PageLayout l = FormResize(12000, 9000, kFooter, DesignedLayout());
    EXPECT_EQ(l.fraOnePage, (TwipRect{100, 50, 11700, 7170}));
    EXPECT_EQ(l.fraTwoPage, (TwipRect{100, 50, 11700, 7170}));
    // Tops inside the frames stay as designed.
    EXPECT_EQ(l.wbSinglePage, (TwipRect{45, 120, 11550, 6970}));
    EXPECT_EQ(l.wbPageTwo, (TwipRect{100, 210, 5700, 6870}));
    EXPECT_EQ(l.wbPageOne, (TwipRect{5900, 180, 5700, 6870}));
    EXPECT_EQ(l.fraFooter, (TwipRect{100, 7220, 11700, 930}));
    // The footer's height comes from the caller; its own height is never set here.
    const PageLayout tall = FormResize(12000, 9000, 1000, DesignedLayout());
    EXPECT_EQ(tall.fraOnePage.Height, 7100);
    EXPECT_EQ(tall.fraFooter, (TwipRect{100, 7150, 11700, 930}));
}

TEST(FooterLabels, TwoLabelsShareTheRoomAfterTheControlsUpToTheFootersMargin) {
    const PageLayout l = FormResize(12000, 9000, kFooter, DesignedLayout());
    const float end = l.fraFooter.Width - 90;
    const FooterLabels spread = PlaceFooterLabels(l, true);
    EXPECT_GT(spread.lblPage1.Width, 0);
    EXPECT_EQ(spread.lblPage1.Left + spread.lblPage1.Width + 60, spread.lblPage2.Left);
    EXPECT_EQ(spread.lblPage2.Left + spread.lblPage2.Width, end);
    const FooterLabels single = PlaceFooterLabels(l, false);
    EXPECT_EQ(single.lblPage1.Left, spread.lblPage1.Left);
    EXPECT_EQ(single.lblPage1.Left + single.lblPage1.Width, end);
    EXPECT_EQ(single.lblPage2.Width, 0);
}

TEST(FormResize, SizesLeavingNoRoomKeepTheFormerValuesAndWidthsAndHeightsFollowApart) {
    const PageLayout before = FormResize(12000, 9000, kFooter, DesignedLayout());
    // Shorter than footer and margins: the heights of 9000 kept, widths follow.
    EXPECT_EQ(FormResize(10000, 1829, kFooter, before), FormResize(10000, 9000, kFooter, before));
    // 1830 leaves exactly no room: the frames become 0 high, the browsers cannot follow.
    PageLayout expected = before;
    expected.fraOnePage.Height = expected.fraTwoPage.Height = 0;
    expected.fraFooter.Top = 50;
    EXPECT_EQ(FormResize(12000, 1830, kFooter, before), expected);
    // Narrower than the margins changes nothing; room for the frames but not the browsers.
    EXPECT_EQ(FormResize(299, 9000, kFooter, before), before);
    expected = before;
    expected.fraOnePage.Width = expected.fraTwoPage.Width = expected.fraFooter.Width = 100;
    EXPECT_EQ(FormResize(400, 9000, kFooter, before), expected);
    // An odd frame width gives half twips.
    const PageLayout odd = FormResize(12001, 9000, kFooter, DesignedLayout());
    EXPECT_EQ(odd.wbPageTwo, (TwipRect{100, 210, 5700.5f, 6870}));
    EXPECT_EQ(odd.wbPageOne, (TwipRect{5900.5f, 180, 5700.5f, 6870}));
}

TEST(FormResize, MinimisedKeepsEverySizeAndRestoringBringsItBack) {
    const PageLayout normal = FormResize(12000, 9000, kFooter, DesignedLayout());
    const PageLayout minimised = FormResize(0, 0, kFooter, normal);
    EXPECT_EQ(minimised, normal);

    // Minimised before the first resize: the frames move into place with their designed sizes.
    const PageLayout first = FormResize(0, 0, kFooter, DesignedLayout());
    EXPECT_EQ(first.fraOnePage, (TwipRect{100, 50, 16260, 10290}));
    EXPECT_EQ(first.fraTwoPage, (TwipRect{100, 50, 16245, 10245}));
    // The browsers follow the kept frame width: (16245 - 300) / 2.
    EXPECT_EQ(first.wbPageTwo.Width, 7972.5f);
    EXPECT_EQ(first.wbPageOne.Left, 8172.5f);
    EXPECT_EQ(first.fraFooter, (TwipRect{100, 10340, 16260, 930}));

    EXPECT_EQ(FormResize(12000, 9000, kFooter, minimised), normal);
}

TEST(TwipConversion, FifteenTwipsPerPixelAt96DpiAndUnusableInputGivesAnUsableResult) {
    const std::tuple<float, float, int> toPixels[] = {
        {15, 96, 1}, {1440, 96, 96}, {1440, 144, 144}, {-150, 96, -10}};
    for (const auto& [twips, dpi, pixels] : toPixels) {
        EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
        EXPECT_EQ(PixelsToTwips(pixels, dpi), twips) << pixels << " at " << dpi;
    }
    EXPECT_EQ(TwipsToPixels(5700.5f, 96), 380);
    // No DPI known: the classic 96; unusable twips give an usable result.
    EXPECT_EQ(TwipsToPixels(1440, 0), 96);
    EXPECT_EQ(TwipsToPixels(1440, std::nan("")), 96);
    EXPECT_EQ(PixelsToTwips(96, -1), 1440);
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<float>::max(), 96),
              std::numeric_limits<int>::max());
    EXPECT_EQ(TwipsToPixels(-std::numeric_limits<float>::max(), 96),
              std::numeric_limits<int>::min());
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<float>::quiet_NaN(), 96), 0);
}

}  // namespace
}  // namespace pagora
