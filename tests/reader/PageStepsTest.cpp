#include <gtest/gtest.h>

#include <optional>
#include <vector>

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

TEST(PageStepsTest, PagesOfTurnsAreTheNearestFirstForwardFirstInTheViewsThatShowThem) {
    using P = PageInView;
    const View one = View::SinglePage;
    EXPECT_EQ(PagesOfTurns(45, PageMode::Single, 1), (std::vector<P>{{one, 46}, {one, 44}}));
    EXPECT_EQ(PagesOfTurns(45, PageMode::Single, 2),
              (std::vector<P>{{one, 46}, {one, 44}, {one, 47}, {one, 43}}));
    EXPECT_EQ(PagesOfTurns(2, PageMode::Single, 2), (std::vector<P>{{one, 3}, {one, 1}, {one, 4}}));
    EXPECT_EQ(PagesOfTurns(604, PageMode::Single, 1), (std::vector<P>{{one, 603}}));
    const View right = View::PageOne;
    const View left = View::PageTwo;
    EXPECT_EQ(PagesOfTurns(45, PageMode::Double, 1),
              (std::vector<P>{{right, 47}, {left, 48}, {right, 43}, {left, 44}}));
    // An even page stands for its spread.
    EXPECT_EQ(PagesOfTurns(46, PageMode::Double, 1), PagesOfTurns(45, PageMode::Double, 1));
    EXPECT_EQ(
        PagesOfTurns(3, PageMode::Double, 2),
        (std::vector<P>{{right, 5}, {left, 6}, {right, 1}, {left, 2}, {right, 7}, {left, 8}}));
    EXPECT_EQ(PagesOfTurns(603, PageMode::Double, 1), (std::vector<P>{{right, 601}, {left, 602}}));
    EXPECT_TRUE(PagesOfTurns(45, PageMode::Single, 0).empty());
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

TEST(PageStepsTest, KeyCommandsAndTheKeysLeftToTheFocusedControl) {
    EXPECT_EQ(CommandForKey(90), KeyCommand::Next);
    EXPECT_EQ(CommandForKey(88, 7), KeyCommand::Previous);
    EXPECT_EQ(CommandForKey(37), KeyCommand::Next);
    EXPECT_EQ(CommandForKey(39), KeyCommand::Previous);
    EXPECT_EQ(CommandForKey(36, 1), KeyCommand::First);
    EXPECT_EQ(CommandForKey(35), KeyCommand::Last);
    EXPECT_EQ(CommandForKey(187, 2), KeyCommand::Larger);
    EXPECT_EQ(CommandForKey(109, 3), KeyCommand::Smaller);
    for (int key : {38, 40, 0, 89, 91, 122, 120, 13, 187, 189}) {
        EXPECT_EQ(CommandForKey(key), KeyCommand::None) << key;
    }
    EXPECT_EQ(CommandForKey(34, 0, ScrollRoom{false, true, false, false}), KeyCommand::None);
    EXPECT_EQ(CommandForKey(32, 1, ScrollRoom{false, true, false, false}), KeyCommand::Previous);
}

TEST(PageStepsTest, QtKeysBecomeVirtualKeyCodesAndOtherScriptsKeepZAndXInPlace) {
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Z), 90);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_X, 53), 88);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_W, 52), 87);  // a Latin layout keeps its letters
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Up), 38);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_PageDown), 34);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_Equal), 187);
    EXPECT_EQ(VirtualKeyCode(Qt::Key_F2), 0);
    // The Arabic layout's letters on the Z and X keys (evdev 44 and 45, plus 8).
    EXPECT_EQ(VirtualKeyCode(0x0626, 52), 90);
    EXPECT_EQ(VirtualKeyCode(0x0621, 53), 88);
    EXPECT_EQ(VirtualKeyCode(0x0621, 54), 0);
    EXPECT_EQ(ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}

}  // namespace
}  // namespace pagora
