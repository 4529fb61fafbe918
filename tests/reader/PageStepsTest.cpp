// Page and size steps, keys, and the numbers typed into the prompts or kept in the settings.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

#include "reader/KeyCodes.h"
#include "reader/PageSteps.h"
#include "reader/StoredSettings.h"
#include "reader/TypedNumber.h"

namespace pagora {
namespace {

TEST(PageStepsTest, EachModeStepsOnePageOrSpreadAndStopsAtTheEnds) {
    const PageMode single = PageMode::Single, spread = PageMode::Double;
    // Page, mode, then the next and the previous page.
    const std::tuple<int, PageMode, std::optional<int>, std::optional<int>> steps[] = {
        {1, single, 2, std::nullopt}, {2, single, 3, 1},
        {603, single, 604, 602},      {604, single, std::nullopt, 603},
        {1, spread, 3, std::nullopt}, {3, spread, 5, 1},
        {601, spread, 603, 599},      {603, spread, std::nullopt, 601}};
    for (const auto& [page, mode, next, previous] : steps) {
        EXPECT_EQ(NextPage(page, mode), next) << page;
        EXPECT_EQ(PreviousPage(page, mode), previous) << page;
    }
    EXPECT_EQ(NextPage(700, single), std::nullopt);
    EXPECT_EQ(PreviousPage(0, single), std::nullopt);
    EXPECT_EQ(PreviousPage(2, spread), 1);  // an even page here never steps below the first page
}

TEST(PageStepsTest, PagesOfTurnsAreTheNearestFirstForwardFirstInTheViewsThatShowThem) {
    using P = PageInView;
    const View one = View::SinglePage;
    EXPECT_EQ(PagesOfTurns(45, PageMode::Single, 2),
              (std::vector<P>{{one, 46}, {one, 44}, {one, 47}, {one, 43}}));
    EXPECT_EQ(PagesOfTurns(2, PageMode::Single, 2), (std::vector<P>{{one, 3}, {one, 1}, {one, 4}}));
    EXPECT_EQ(PagesOfTurns(604, PageMode::Single, 1), (std::vector<P>{{one, 603}}));
    const View right = View::PageOne, left = View::PageTwo;
    EXPECT_EQ(
        PagesOfTurns(3, PageMode::Double, 2),
        (std::vector<P>{{right, 5}, {left, 6}, {right, 1}, {left, 2}, {right, 7}, {left, 8}}));
    // An even page stands for its spread.
    EXPECT_EQ(PagesOfTurns(4, PageMode::Double, 2), PagesOfTurns(3, PageMode::Double, 2));
    EXPECT_EQ(PagesOfTurns(603, PageMode::Double, 1), (std::vector<P>{{right, 601}, {left, 602}}));
    EXPECT_TRUE(PagesOfTurns(45, PageMode::Single, 0).empty());
}

TEST(PageStepsTest, TextSizeButtonsStopAtTheirLimits) {
    const std::tuple<int, std::optional<int>, std::optional<int>> sizes[] = {
        {35, 36, 34},         {199, 200, 198}, {200, std::nullopt, 199}, {250, std::nullopt, 249},
        {5, 6, std::nullopt}, {11, 12, 10},    {10, 11, std::nullopt}};
    for (const auto& [size, larger, smaller] : sizes) {
        EXPECT_EQ(IncreasedTextSize(size), larger) << size;
        EXPECT_EQ(DecreasedTextSize(size), smaller) << size;
    }
}

TEST(PageStepsTest, KeyCommandsAndTheKeysLeftToTheFocusedControlOrToAViewThatCanScroll) {
    using enum KeyCommand;
    // Left, Page Down and Space are the next page in a right-to-left book.
    const ScrollRoom no{}, all{true, true, true, true}, left{.left = true}, right{.right = true},
        up{.up = true}, down{.down = true};
    const std::tuple<int, int, ScrollRoom, KeyCommand> keys[] = {
        {90, 0, all, Next},   {88, 7, all, Previous}, {36, 1, all, First},   {35, 0, all, Last},
        {187, 2, no, Larger}, {107, 2, no, Larger},   {109, 3, no, Smaller}, {189, 2, no, Smaller},
        {37, 0, no, Next},    {37, 0, left, None},    {39, 0, no, Previous}, {39, 0, right, None},
        {34, 0, no, Next},    {34, 0, down, None},    {33, 0, no, Previous}, {33, 0, up, None},
        {32, 0, no, Next},    {32, 0, down, None},    {32, 1, no, Previous}, {32, 1, up, None}};
    for (const auto& [key, shift, room, command] : keys) {
        EXPECT_EQ(CommandForKey(key, shift, room), command) << key << "/" << shift;
    }
    for (int key : {38, 40, 0, 89, 91, 122, 120, 13, 187, 189}) {
        EXPECT_EQ(CommandForKey(key), None) << key;
    }
}

TEST(PageStepsTest, QtKeysBecomeVirtualKeyCodesAndOtherScriptsKeepZAndXInPlace) {
    // Qt key, scan code, virtual key: the Arabic letters on the Z and X keys stay Z and X.
    const std::tuple<int, int, int> keys[] = {
        {Qt::Key_Z, 0, 90},      {Qt::Key_W, 52, 87},     {Qt::Key_PageDown, 0, 34},
        {Qt::Key_Delete, 0, 46}, {Qt::Key_Equal, 0, 187}, {Qt::Key_F2, 0, 0},
        {0x0626, 52, 90},        {0x0621, 53, 88},        {0x0621, 54, 0}};
    for (const auto& [key, scanCode, code] : keys) {
        EXPECT_EQ(VirtualKeyCode(key, scanCode), code) << key << " at " << scanCode;
    }
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}

TEST(ReadTypedNumberTest, PromptsTakeTheRoundedLeadingNumberWithinTheirRange) {
    const NumberPrompt *page = &kPageNumberPrompt, *size = &kTextSizePrompt;
    const auto none = std::nullopt;
    const std::tuple<const NumberPrompt*, const char*, std::optional<int>> answers[] = {
        {page, " 46 ", 46},  {page, "1", 1},        {page, "604", 604},   {page, "12abc", 12},
        {page, "2.5", 2},    {page, "1.4", 1},      {page, "603.5", 604}, {page, "604.0", 604},
        {page, "", none},    {page, "   ", none},   {page, "0", none},    {page, "605", none},
        {page, "abc", none}, {page, "604.4", none}, {page, "0.6", none},  {page, "-1", none},
        {page, "-0", none},  {page, ".", none},     {size, "10", 10},     {size, "200", 200},
        {size, "10.4", 10},  {size, "199.5", 200},  {size, "35px", 35},   {size, "9", none},
        {size, "9.9", none}, {size, "201", none},   {size, "200.1", none}};
    for (const auto& [prompt, answer, number] : answers) {
        EXPECT_EQ(ReadTypedNumber(answer, *prompt), number) << '"' << answer << '"';
    }
    EXPECT_EQ(ReadTypedNumber("18446744073709551661", *page), none);  // 2^64 + 45
}

// Whole numbers in the settings are sixteen-bit, rounded half to even.
TEST(SettingsValues, StoredWholeNumbersKeepToSixteenBits) {
    EXPECT_EQ(ParseWholeNumber("-32768.5"), -32768);
    EXPECT_EQ(ParseWholeNumber("32767.5"), std::nullopt);
}

}  // namespace
}  // namespace pagora
