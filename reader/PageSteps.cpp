#include "reader/PageSteps.h"

#include <algorithm>

#include "reader/TypedNumber.h"

namespace pagora {

std::optional<int> NextPage(int currentPage, PageMode mode) {
    switch (mode) {
        case PageMode::Single:
            if (currentPage >= kLastPage) {
                return std::nullopt;
            }
            return currentPage + 1;
        case PageMode::Double:
            if (currentPage >= kLastPage - 1) {
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

KeyCommand CommandForKey(int keyCode) {
    switch (keyCode) {
        case 90:
            return KeyCommand::Next;
        case 88:
            return KeyCommand::Previous;
        default:
            return KeyCommand::None;
    }
}

}  // namespace pagora
