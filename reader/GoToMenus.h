#pragma once

#include <optional>
#include <string>
#include <vector>

#include "menu/clsNewMenu.h"

namespace pagora {

// Starts `menu` afresh (Create with `owner`) as the sura chooser: the range entries
// "Sura 1 - 25" .. "Sura 101 - 114", each opening the names of its suras, taken unchanged from
// `suraNames` (line i names sura i + 1). Each sura's tag is its zero-based index in decimal. A
// sura whose line the table lacks is listed under its number.
void BuildSuraMenu(clsNewMenu& menu, WindowHandle owner, const std::vector<std::string>& suraNames);

// Starts `menu` afresh as the juz chooser: "Juz 1 - 10", "Juz 11 - 20", "Juz 21 - 30", each
// opening its juz numbers; tags are the zero-based indexes in decimal.
void BuildJuzMenu(clsNewMenu& menu, WindowHandle owner);

// Starts `menu` afresh as the hizb chooser: "Hizb 1 - 20", "Hizb 21 - 40", "Hizb 41 - 60", each
// opening its hizb numbers, each hizb opening its four quarters ("1", "1 ¼", "1 ½", "1 ¾");
// a quarter's tag is its zero-based index among the 240 quarters, in decimal.
void BuildHizbMenu(clsNewMenu& menu, WindowHandle owner);

// The page to show for the menu's answer: the page held by the start-table line that the tag
// names. Nothing for "-1" (dismissed), for a tag that names no line of the table, and for a line
// that is not a page number from 1 to 604 (damaged data is neither shown nor trusted).
std::optional<int> ChosenStartPage(const std::string& answer,
                                   const std::vector<std::string>& startTable);

}  // namespace pagora
