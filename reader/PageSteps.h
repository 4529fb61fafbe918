#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "reader/ReaderScreen.h"

namespace pagora {

// The page "Next" moves to: one page on in single-page mode, one spread (two pages) in
// double-page mode, where the current page is the odd page of the spread. Nothing at the end of
// the book (page 604, spread 603-604).
std::optional<int> NextPage(int currentPage, PageMode mode);

// The page "Previous" moves to, nothing at page 1 or spread 1-2. Never goes below page 1.
std::optional<int> PreviousPage(int currentPage, PageMode mode);

// A page as one of the page views shows it.
struct PageInView {
    View view = View::SinglePage;
    int page = 0;
    bool operator==(const PageInView&) const = default;
};

// The pages that up to `turns` turns each way from `currentPage` would show, in the views that
// would show them: the nearest turn first, forward before backward, and in double-page mode the
// right page of a spread before its left one. Ends of the book give fewer pages.
std::vector<PageInView> PagesOfTurns(int currentPage, PageMode mode, int turns);

// The text size after "+" or "-", nothing at the limit (200 or 10) or beyond it.
std::optional<int> IncreasedTextSize(int textSize);
std::optional<int> DecreasedTextSize(int textSize);

// The largest size from `low` to `high` for which `fits` holds, `low` when none does; `fits`
// must hold for every size below one it holds for. The search starts at `guess` (the size
// that fitted last, most often right again) and spreads out from there, so that a right
// guess costs two tries and a wrong one a few more.
int LargestFittingSize(int low, int high, int guess, const std::function<bool(int)>& fits);

// Which ways the page view that a key concerns can still scroll.
struct ScrollRoom {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
};

// The command a key press of the main window stands for, by virtual-key code and shift state
// (1 Shift, 2 Ctrl, 4 Alt):
//   - Z (90) "Next" and X (88) "Previous", whatever the shift state;
//   - Left (37), Page Down (34) and Space (32) the next page, Right (39), Page Up (33) and
//     Shift+Space the previous one, as in a right-to-left book, but only when the page view has
//     nothing left to scroll that way;
//   - Home (36) the first page, End (35) the last;
//   - Ctrl with "=" or "+" (187, 107) a larger text, with "-" (189, 109) a smaller one.
// Every other key (None) is left to the control that has the focus.
enum class KeyCommand { None, Next, Previous, First, Last, Larger, Smaller };
KeyCommand CommandForKey(int keyCode, int shift = 0, const ScrollRoom& room = {});

}  // namespace pagora
