#include "reader/PageSteps.h"

#include <algorithm>

#include "reader/TypedNumber.h"

namespace pagora {

std::optional<int> NextPage(int currentPage, PageMode mode) {
    switch (mode) {
        case PageMode::Single:
            if (currentPage >= kPageCount) {
                return std::nullopt;
            }
            return currentPage + 1;
        case PageMode::Double:
            if (currentPage >= kPageCount - 1) {
                return std::nullopt;
            }
            return currentPage + 2;
    }
    return std::nullopt;
}

std::optional<int> PreviousPage(int currentPage, PageMode mode) {
    if (currentPage <= kFirstPage) {
        return std::nullopt;
    }
    switch (mode) {
        case PageMode::Single:
            return currentPage - 1;
        case PageMode::Double:
            // An even current page (which double-page mode never holds) must not step to 0.
            return std::max(kFirstPage, currentPage - 2);
    }
    return std::nullopt;
}

int LargestFittingSize(int low, int high, int guess, const std::function<bool(int)>& fits) {
    guess = std::clamp(guess, low, high);
    // Invariant: every size up to `good` fits (or `good` is below the range), none from `bad`.
    int good = low - 1;
    int bad = high + 1;
    int step = 1;
    if (fits(guess)) {
        good = guess;
        while (good < high) {
            const int next = std::min(high, good + step);
            if (!fits(next)) {
                bad = next;
                break;
            }
            good = next;
            step *= 2;
        }
    } else {
        bad = guess;
        while (bad > low) {
            const int next = std::max(low, bad - step);
            if (fits(next)) {
                good = next;
                break;
            }
            bad = next;
            step *= 2;
        }
    }
    while (bad - good > 1) {
        const int middle = good + (bad - good) / 2;
        (fits(middle) ? good : bad) = middle;
    }
    return std::max(low, good);
}

std::vector<PageInView> PagesOfTurns(int currentPage, PageMode mode, int turns) {
    std::vector<PageInView> pages;
    if (mode == PageMode::Double && currentPage % 2 == 0) {
        --currentPage;  // a spread is known by its odd, right-hand page
    }
    std::optional<int> forward = currentPage;
    std::optional<int> backward = currentPage;
    for (int turn = 0; turn < turns; ++turn) {
        forward = forward ? NextPage(*forward, mode) : std::nullopt;
        backward = backward ? PreviousPage(*backward, mode) : std::nullopt;
        for (const std::optional<int>& page : {forward, backward}) {
            if (!page) {
                continue;
            }
            if (mode == PageMode::Single) {
                pages.push_back({View::SinglePage, *page});
            } else {
                pages.push_back({View::PageOne, *page});
                pages.push_back({View::PageTwo, *page + 1});
            }
        }
    }
    return pages;
}

// The buttons stop at the limits and also at any size past them (a hand-edited setting), so
// that repeated clicks cannot run the size away from the valid range.
std::optional<int> IncreasedTextSize(int textSize) {
    if (textSize >= kLargestTextSize) {
        return std::nullopt;
    }
    return textSize + 1;
}

std::optional<int> DecreasedTextSize(int textSize) {
    if (textSize <= kSmallestTextSize) {
        return std::nullopt;
    }
    return textSize - 1;
}

KeyCommand CommandForKey(int keyCode, int shift, const ScrollRoom& room) {
    constexpr int kShift = 1;
    constexpr int kCtrl = 2;
    const bool ctrl = (shift & kCtrl) != 0;
    switch (keyCode) {
        case 90:
            return KeyCommand::Next;
        case 88:
            return KeyCommand::Previous;
        case 37:
            return room.left ? KeyCommand::None : KeyCommand::Next;
        case 39:
            return room.right ? KeyCommand::None : KeyCommand::Previous;
        case 34:
            return room.down ? KeyCommand::None : KeyCommand::Next;
        case 33:
            return room.up ? KeyCommand::None : KeyCommand::Previous;
        case 32:
            if ((shift & kShift) != 0) {
                return room.up ? KeyCommand::None : KeyCommand::Previous;
            }
            return room.down ? KeyCommand::None : KeyCommand::Next;
        case 36:
            return KeyCommand::First;
        case 35:
            return KeyCommand::Last;
        case 187:
        case 107:
            return ctrl ? KeyCommand::Larger : KeyCommand::None;
        case 189:
        case 109:
            return ctrl ? KeyCommand::Smaller : KeyCommand::None;
        default:
            return KeyCommand::None;
    }
}

}  // namespace pagora
