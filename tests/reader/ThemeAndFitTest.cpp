// Themes and fit mode in the reader core: theme colours, stored values, the fitted text size.
#include <algorithm>
#include <cmath>

#include "reader/PageSteps.h"
#include "reader/Theme.h"
#include "tests/reader/CoreFixture.h"

namespace pagora::testing {
namespace {

constexpr Rgb kBlack = 0xFF000000, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kParchment = 0xFFFBF3DC;
constexpr Rgb kFrameGold = 0xFFC9A43A, kFrameGreen = 0xFF0E4B3B;

// WCAG contrast ratio of two colours.
double Contrast(Rgb a, Rgb b) {
    auto luminance = [](Rgb c) {
        auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear((c >> 16) & 0xFF) + 0.7152 * linear((c >> 8) & 0xFF) +
               0.0722 * linear(c & 0xFF);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Themes, NamesReadBack) {
    for (Theme theme : {Theme::Light, Theme::Sepia, Theme::Night}) {
        EXPECT_EQ(ThemeNamed(ThemeName(theme)), theme);
    }
}

TEST(Themes, LightKeepsEveryColourAndTheOthersMakeThePageReadable) {
    for (Rgb colour : {kBlack, kBlue, kRed, kParchment, kFrameGold, 0x80123456u}) {
        EXPECT_EQ(PageColour(Theme::Light, colour), colour);
        EXPECT_EQ(FrameColour(Theme::Light, colour), colour);
    }
    EXPECT_FALSE(WindowColoursOf(Theme::Light));
    for (Theme theme : {Theme::Sepia, Theme::Night}) {
        const Rgb page = PageColour(theme, kParchment);
        EXPECT_NE(page, kParchment);
        // Text, number links and the marked number.
        for (Rgb ink : {kBlack, kBlue, kRed}) {
            EXPECT_GE(Contrast(PageColour(theme, ink), page), ink == kBlack ? 7.0 : 4.5) << ink;
        }
        EXPECT_NE(PageColour(theme, kBlue), PageColour(theme, kRed));
        // Colours the theme does not know, and their alpha, stay.
        EXPECT_EQ(PageColour(theme, 0xFF123456), 0xFF123456u);
        // The frame's parchment becomes the theme's page, so that frame and page meet unseen.
        EXPECT_EQ(FrameColour(theme, kParchment), page);
        const auto window = WindowColoursOf(theme);
        ASSERT_TRUE(window);
        EXPECT_GE(Contrast(window->windowText, window->window), 7.0);
        EXPECT_GE(Contrast(window->text, window->base), 7.0);
        EXPECT_GE(Contrast(window->buttonText, window->button), 7.0);
    }
    // Night: a dark page, not black, with light text; the ornament is dimmed, not lost.
    const Rgb night = PageColour(Theme::Night, kParchment);
    EXPECT_NE(night & 0xFFFFFF, 0u);
    EXPECT_LT(Contrast(night, kBlack), 1.5);
    for (Rgb ornament : {kFrameGold, kFrameGreen}) {
        const Rgb dimmed = FrameColour(Theme::Night, ornament);
        EXPECT_LT(Contrast(dimmed, kBlack), Contrast(ornament, kBlack));
        EXPECT_GT(Contrast(dimmed, night), 1.3);
    }
    // A smoothed edge halfway between gold and parchment ends halfway between their new colours.
    const Rgb edge = FrameColour(Theme::Night, 0xFFE2CB8B),
              gold = FrameColour(Theme::Night, kFrameGold);
    auto at = [](Rgb c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    for (int shift : {16, 8, 0}) {
        EXPECT_NEAR(at(edge, shift), (at(gold, shift) + at(night, shift)) / 2, 12) << shift;
    }
}

TEST(FitSearch, FindsTheLargestFittingSizeFromAnyGuessInFewTries) {
    for (int largest = 9; largest <= 201; ++largest) {
        for (int guess : {10, 35, 100, 200, largest - 1, largest, largest + 1}) {
            int tries = 0;
            const int found = LargestFittingSize(10, 200, guess, [&](int size) {
                ++tries;
                EXPECT_TRUE(size >= 10 && size <= 200) << size;
                return size <= largest;
            });
            EXPECT_EQ(found, std::clamp(largest, 10, 200)) << largest << " from " << guess;
            EXPECT_LE(tries, 16) << largest << " from " << guess;
            if (guess == largest && largest >= 10 && largest < 200) {
                EXPECT_EQ(tries, 2);
            }
        }
    }
}

using ThemeAndFitTest = CoreTest;

TEST_F(ThemeAndFitTest, AThemeRewritesThePagesWithTheSameDocumentsAndIsStored) {
    Store(setting::kTheme, "night");
    Start();
    EXPECT_EQ(screen_.theme, Theme::Night);
    EXPECT_EQ(core_->CurrentTheme(), Theme::Night);
    core_->SetPageMode(PageMode::Double);
    const QString before = Shown(View::PageOne).document;
    const int writes = Shown(View::PageOne).writes;
    core_->SetTheme(Theme::Sepia);
    EXPECT_EQ(screen_.theme, Theme::Sepia);
    EXPECT_EQ(Shown(View::PageOne).writes, writes + 1);
    EXPECT_EQ(Shown(View::PageOne).document, before);
    EXPECT_EQ(Shown(View::PageTwo).document, core_->Document(View::PageTwo));
    Close();
    EXPECT_EQ(Stored(setting::kTheme), "sepia");
    EXPECT_EQ(Stored(setting::kFitPage), "0");
    Start();
    EXPECT_EQ(screen_.theme, Theme::Sepia);
}

TEST_F(ThemeAndFitTest, FitModeShowsTheLargestSizeBothPagesFitAndFollowsTheViews) {
    Store(setting::kFitPage, "1");
    Store(setting::kFontSize, "40");
    Start();  // a fresh screen: every view has room for 60
    EXPECT_EQ(screen_.fitPage, true);
    EXPECT_EQ(ShownSize(View::SinglePage), 60);
    EXPECT_EQ(screen_.captions.textSize, "Fit");
    EXPECT_EQ(core_->TextSize(), 40);

    screen_.rooms = {{View::PageOne, 80}, {View::PageTwo, 52}};
    core_->SetPageMode(PageMode::Double);
    EXPECT_EQ(ShownSize(View::PageOne), 52);
    EXPECT_EQ(ShownSize(View::PageTwo), 52);
    // A turn at the same room costs two tries a page.
    screen_.fitTries = 0;
    core_->NextPage();
    EXPECT_EQ(ShownSize(View::PageOne), 52);
    EXPECT_LE(screen_.fitTries, 4);
    // A size found ahead, while idle, leaves nothing to measure at the turn.
    core_->PrepareNextFit();
    screen_.fitTries = 0;
    core_->NextPage();
    EXPECT_EQ(screen_.fitTries, 0);
    EXPECT_EQ(ShownSize(View::PageTwo), 52);
    // Resized views: the pages are written again only when the size changes.
    const int writes = Shown(View::PageOne).writes;
    core_->FitToViews();
    EXPECT_EQ(Shown(View::PageOne).writes, writes);
    screen_.rooms[View::PageTwo] = 90;
    core_->FitToViews();
    EXPECT_EQ(ShownSize(View::PageOne), 80);
    EXPECT_EQ(ShownSize(View::PageTwo), 80);
    EXPECT_EQ(core_->ShownTextSize(), 80);
    // A page too large for its view even at the smallest size shows at that size.
    screen_.rooms[View::PageOne] = 3;
    core_->FitToViews();
    EXPECT_EQ(ShownSize(View::PageOne), 10);

    Close();
    EXPECT_EQ(Stored(setting::kFitPage), "1");
    EXPECT_EQ(Stored(setting::kFontSize), "40");
}

TEST_F(ThemeAndFitTest, LargerSmallerOrATypedSizeLeaveFitModeFromTheFittedSize) {
    Store(setting::kFontSize, "40");
    Start();
    core_->SetFitPage(true);
    EXPECT_EQ(ShownSize(View::SinglePage), 60);
    core_->IncreaseTextSize();
    EXPECT_FALSE(core_->FitPage());
    EXPECT_EQ(screen_.fitPage, false);
    EXPECT_EQ(core_->TextSize(), 61);
    EXPECT_EQ(screen_.captions.textSize, "61");

    core_->SetFitPage(true);
    EXPECT_TRUE(core_->KeyDown(189, 2));  // Ctrl+-
    EXPECT_EQ(core_->TextSize(), 59);
    EXPECT_EQ(ShownSize(View::SinglePage), 59);

    // A cancelled prompt keeps fit mode; it offers the fitted size.
    core_->SetFitPage(true);
    core_->AskForTextSize();
    EXPECT_TRUE(core_->FitPage());
    EXPECT_EQ(prompt_.asked.back().defaultText, "60");
    prompt_.answers = {"30"};
    core_->AskForTextSize();
    EXPECT_FALSE(core_->FitPage());
    EXPECT_EQ(ShownSize(View::SinglePage), 30);

    // Leaving fit mode by the menu brings back the size chosen by hand; "+" at 200 still leaves.
    core_->SetFitPage(true);
    core_->SetFitPage(false);
    EXPECT_EQ(ShownSize(View::SinglePage), 30);
    screen_.rooms[View::SinglePage] = 500;  // a resize while not fitting
    core_->FitToViews();
    core_->SetFitPage(true);
    EXPECT_EQ(ShownSize(View::SinglePage), 200);
    core_->IncreaseTextSize();
    EXPECT_FALSE(core_->FitPage());
    EXPECT_EQ(core_->TextSize(), 200);
}

}  // namespace
}  // namespace pagora::testing
