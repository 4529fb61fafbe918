#pragma once

#include <optional>

#include "reader/ReaderScreen.h"

namespace pagora {

// The page "Next" moves to: one page on in single-page mode, one spread (two pages) in
// double-page mode, where the current page is the odd page of the spread. Nothing at the end of
// the book (page 604, spread 603-604).
std::optional<int> NextPage(int currentPage, PageMode mode);

// The page "Previous" moves to, nothing at page 1 or spread 1-2. Never goes below page 1.
std::optional<int> PreviousPage(int currentPage, PageMode mode);

// The text size after "+" or "-", nothing at the limit (200 or 10) or beyond it.
std::optional<int> IncreasedTextSize(int textSize);
std::optional<int> DecreasedTextSize(int textSize);

// The command a key press of the main window stands for: Z (key code 90) is "Next", X (88) is
// "Previous", with or without Shift, Ctrl or Alt; every other key does nothing.
enum class KeyCommand { None, Next, Previous };
KeyCommand CommandForKey(int keyCode);

}  // namespace pagora
