#include <gtest/gtest.h>

#include <optional>

#include "reader/KeyCodes.h"
#include "reader/PageSteps.h"

namespace pagora {
namespace {

TEST(PageStepsTest, SinglePageModeStepsOnePageAndStopsAtTheEnds) {
    EXPECT_EQ(NextPage(1, PageMode::Single), 2);
    EXPECT_EQ(NextPage(603, PageMode::Single), 604);
    EXPECT_EQ(NextPage(604, PageMode::Single), std::nullopt);
    EXPECT_EQ(NextPage(700, PageMode::Single), std::nullopt);
    EXPECT_EQ(PreviousPage(604, PageMode::Single), 603);
    EXPECT_EQ(PreviousPage(2, PageMode::Single), 1);
    EXPECT_EQ(PreviousPage(1, PageMode::Single), std::nullopt);
    EXPECT_EQ(PreviousPage(0, PageMode::Single), std::nullopt);
}

TEST(PageStepsTest, DoublePageModeStepsOneSpreadAndStopsAtTheEnds) {
    EXPECT_EQ(NextPage(601, PageMode::Double), 603);
    EXPECT_EQ(NextPage(603, PageMode::Double), std::nullopt);
    EXPECT_EQ(NextPage(3, PageMode::Double), 5);
    EXPECT_EQ(PreviousPage(3, PageMode::Double), 1);
    EXPECT_EQ(PreviousPage(1, PageMode::Double), std::nullopt);
    EXPECT_EQ(PreviousPage(603, PageMode::Double), 601);
    // An even page here never steps below the first page.
    EXPECT_EQ(PreviousPage(2, PageMode::Double), 1);
}

TEST(PageStepsTest, TextSizeButtonsStopAtTheirLimits) {
    EXPECT_EQ(IncreasedTextSize(35), 36);
    EXPECT_EQ(IncreasedTextSize(199), 200);
    EXPECT_EQ(IncreasedTextSize(200), std::nullopt);
    EXPECT_EQ(IncreasedTextSize(250), std::nullopt);
    EXPECT_EQ(IncreasedTextSize(5), 6);
    EXPECT_EQ(DecreasedTextSize(35), 34);
    EXPECT_EQ(DecreasedTextSize(11), 10);
    EXPECT_EQ(DecreasedTextSize(10), std::nullopt);
    EXPECT_EQ(DecreasedTextSize(5), std::nullopt);
    EXPECT_EQ(DecreasedTextSize(250), 249);
}

TEST(PageStepsTest, OnlyZAndXAreCommands) {
    EXPECT_EQ(CommandForKey(90), KeyCommand::Next);
    EXPECT_EQ(CommandForKey(88), KeyCommand::Previous);
    for (int key : {38, 40, 37, 39, 0, 89, 91, 122, 120, 32, 13}) {
        EXPECT_EQ(CommandForKey(key), KeyCommand::None) << key;
    }
}

TEST(PageStepsTest, QtKeysBecomeVirtualKeyCodes) {
    EXPECT_TRUE(IsCommandKey(VirtualKeyCode(Qt::Key_Z)));
    EXPECT_TRUE(IsCommandKey(VirtualKeyCode(Qt::Key_X)));
    EXPECT_FALSE(IsCommandKey(VirtualKeyCode(Qt::Key_Up)));
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Up), 38);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_PageDown), 34);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_F2), 0);
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}

}  // namespace
}  // namespace pagora
