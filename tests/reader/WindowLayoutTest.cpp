#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "reader/WindowLayout.h"

namespace pagora {
namespace {

constexpr float kFooter = 930;

TEST(FormResize, DesignedWindowOf12000By9000) {
    const PageLayout l = FormResize(12000, 9000, kFooter, DesignedLayout());
    EXPECT_EQ(l.fraOnePage, (TwipRect{100, 50, 11700, 7170}));
    EXPECT_EQ(l.fraTwoPage, (TwipRect{100, 50, 11700, 7170}));
    // Tops inside the frames stay as designed.
    EXPECT_EQ(l.wbSinglePage, (TwipRect{45, 120, 11550, 6970}));
    EXPECT_EQ(l.wbPageTwo, (TwipRect{100, 210, 5700, 6870}));
    EXPECT_EQ(l.wbPageOne, (TwipRect{5900, 180, 5700, 6870}));
    EXPECT_EQ(l.fraFooter, (TwipRect{100, 7220, 11700, 930}));
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

TEST(FormResize, DesignedLayoutIsTheWindowDesign) {
    const PageLayout d = DesignedLayout();
    EXPECT_EQ(d.fraOnePage, (TwipRect{15045, 780, 16260, 10290}));
    EXPECT_EQ(d.wbSinglePage, (TwipRect{45, 120, 16170, 10035}));
    EXPECT_EQ(d.fraTwoPage, (TwipRect{675, 270, 16245, 10245}));
    EXPECT_EQ(d.wbPageOne, (TwipRect{7905, 180, 8250, 9990}));
    EXPECT_EQ(d.wbPageTwo, (TwipRect{150, 210, 7650, 9945}));
    EXPECT_EQ(d.fraFooter, (TwipRect{375, 11025, 16260, 930}));
}

TEST(FormResize, ShorterThanFooterAndMarginsKeepsHeightsWhileWidthsFollow) {
    const PageLayout before = FormResize(12000, 9000, kFooter, DesignedLayout());
    const PageLayout l = FormResize(10000, 1829, kFooter, before);
    EXPECT_EQ(l.fraOnePage.Height, 7170);
    EXPECT_EQ(l.fraTwoPage.Height, 7170);
    EXPECT_EQ(l.wbSinglePage.Height, 6970);
    EXPECT_EQ(l.wbPageOne.Height, 6870);
    EXPECT_EQ(l.wbPageTwo.Height, 6870);
    EXPECT_EQ(l.fraFooter.Top, 7220);
    EXPECT_EQ(l.fraOnePage.Width, 9700);
    EXPECT_EQ(l.wbSinglePage.Width, 9550);
    EXPECT_EQ(l.wbPageTwo.Width, 4700);
    EXPECT_EQ(l.wbPageOne.Left, 4900);
    EXPECT_EQ(l.fraFooter.Width, 9700);
}

TEST(FormResize, ZeroHeightIsAppliedButLaterNegativeSizesReadTheKeptValues) {
    const PageLayout before = FormResize(12000, 9000, kFooter, DesignedLayout());
    // 1830 leaves exactly no room: the frames become 0 high, the browsers cannot follow.
    const PageLayout l = FormResize(12000, 1830, kFooter, before);
    EXPECT_EQ(l.fraOnePage.Height, 0);
    EXPECT_EQ(l.fraTwoPage.Height, 0);
    EXPECT_EQ(l.wbSinglePage.Height, 6970);
    EXPECT_EQ(l.wbPageOne.Height, 6870);
    EXPECT_EQ(l.wbPageTwo.Height, 6870);
    EXPECT_EQ(l.fraFooter.Top, 50);
}

TEST(FormResize, NarrowerThanMarginsKeepsWidthsAndLaterRulesUseThem) {
    const PageLayout before = FormResize(12000, 9000, kFooter, DesignedLayout());
    PageLayout l = FormResize(299, 9000, kFooter, before);
    EXPECT_EQ(l.fraOnePage.Width, 11700);
    EXPECT_EQ(l.fraTwoPage.Width, 11700);
    EXPECT_EQ(l.wbSinglePage.Width, 11550);
    EXPECT_EQ(l.wbPageOne, before.wbPageOne);
    EXPECT_EQ(l.wbPageTwo, before.wbPageTwo);
    EXPECT_EQ(l.fraFooter.Width, 11700);

    // Room for the frames but not for the browsers inside them.
    l = FormResize(400, 9000, kFooter, before);
    EXPECT_EQ(l.fraOnePage.Width, 100);
    EXPECT_EQ(l.fraTwoPage.Width, 100);
    EXPECT_EQ(l.wbSinglePage.Width, 11550);
    EXPECT_EQ(l.wbPageTwo.Width, 5700);
    EXPECT_EQ(l.wbPageOne.Width, 5700);
    EXPECT_EQ(l.wbPageOne.Left, 5900);
    EXPECT_EQ(l.fraFooter.Width, 100);
}

TEST(FormResize, OddFrameWidthGivesHalfTwips) {
    const PageLayout l = FormResize(12001, 9000, kFooter, DesignedLayout());
    EXPECT_EQ(l.fraTwoPage.Width, 11701);
    EXPECT_EQ(l.wbPageTwo.Width, 5700.5f);
    EXPECT_EQ(l.wbPageOne.Width, 5700.5f);
    EXPECT_EQ(l.wbPageOne.Left, 5900.5f);
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

TEST(FormResize, FooterHeightComesFromTheCaller) {
    const PageLayout l = FormResize(12000, 9000, 1000, DesignedLayout());
    EXPECT_EQ(l.fraOnePage.Height, 7100);
    EXPECT_EQ(l.fraFooter.Top, 7150);
    EXPECT_EQ(l.fraFooter.Height, 930);  // the footer's own height is never set here
}

TEST(TwipConversion, FifteenTwipsPerPixelAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(11700, 96), 780);
    EXPECT_EQ(TwipsToPixels(1440, 192), 192);
    EXPECT_EQ(TwipsToPixels(5700.5f, 96), 380);
    EXPECT_EQ(TwipsToPixels(-150, 96), -10);
    EXPECT_EQ(PixelsToTwips(1, 96), 15);
    EXPECT_EQ(PixelsToTwips(780, 96), 11700);
    EXPECT_EQ(PixelsToTwips(192, 192), 1440);
    EXPECT_EQ(PixelsToTwips(144, 144), 1440);
    for (int px : {0, 1, 7, 640, 1920, 3840}) {
        EXPECT_EQ(TwipsToPixels(PixelsToTwips(px, 144), 144), px);
    }
}

TEST(TwipConversion, UnusableInputGivesAnUsableResult) {
    // No DPI known: the classic 96.
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
