#include "reader/GoToMenus.h"

#include <algorithm>

#include "reader/TypedNumber.h"

namespace pagora {

namespace {

constexpr int kSurasPerRange = 25;
constexpr int kJuzPerRange = 10;
constexpr int kHizbCount = 60;
constexpr int kHizbPerRange = 20;
constexpr int kQuartersPerHizb = 4;

// A whole decimal number made of digits only (blanks around it allowed), or nothing.
std::optional<long long> WholeNumber(std::string_view text) {
    const std::optional<int64_t> value = TextToInteger(text);
    if (!value || *value < 0) {
        return std::nullopt;
    }
    return *value;
}

}  // namespace

void BuildSuraMenu(clsNewMenu& menu, WindowHandle owner,
                   const std::vector<std::string>& suraNames) {
    menu.Create(owner);
    for (int first = 1; first <= kSuraCount; first += kSurasPerRange) {
        const int last = std::min(first + kSurasPerRange - 1, kSuraCount);
        menu.AddMenu("Sura " + std::to_string(first) + " - " + std::to_string(last), "", false,
                     false, 0, false);
    }
    for (int i = 0; i < kSuraCount; ++i) {
        const auto line = static_cast<std::size_t>(i);
        const std::string caption =
            line < suraNames.size() ? suraNames[line] : std::to_string(i + 1);
        menu.SubMenu(i / kSurasPerRange)->AddMenu(caption, std::to_string(i), false);
    }
}

void BuildJuzMenu(clsNewMenu& menu, WindowHandle owner) {
    menu.Create(owner);
    for (int first = 1; first <= kJuzCount; first += kJuzPerRange) {
        menu.AddMenu(
            "Juz " + std::to_string(first) + " - " + std::to_string(first + kJuzPerRange - 1), "",
            false, false, 0, false);
    }
    for (int i = 0; i < kJuzCount; ++i) {
        menu.SubMenu(i / kJuzPerRange)->AddMenu(std::to_string(i + 1), std::to_string(i), false);
    }
}

void BuildHizbMenu(clsNewMenu& menu, WindowHandle owner) {
    static const char* const kQuarters[kQuartersPerHizb] = {"", " \u00BC", " \u00BD", " \u00BE"};
    menu.Create(owner);
    for (int first = 1; first <= kHizbCount; first += kHizbPerRange) {
        menu.AddMenu(
            "Hizb " + std::to_string(first) + " - " + std::to_string(first + kHizbPerRange - 1), "",
            false, false, 0, false);
    }
    for (int hizb = 0; hizb < kHizbCount; ++hizb) {
        const auto range = menu.SubMenu(hizb / kHizbPerRange);
        range->AddMenu(std::to_string(hizb + 1), "", false);
        const auto quarters = range->SubMenu(hizb % kHizbPerRange);
        for (int q = 0; q < kQuartersPerHizb; ++q) {
            quarters->AddMenu(std::to_string(hizb + 1) + kQuarters[q],
                              std::to_string(hizb * kQuartersPerHizb + q), false);
        }
    }
}

std::optional<int> ChosenStartPage(const std::string& answer,
                                   const std::vector<std::string>& startTable) {
    if (answer == "-1") {
        return std::nullopt;
    }
    const std::optional<long long> line = WholeNumber(answer);
    if (!line || *line >= static_cast<long long>(startTable.size())) {
        return std::nullopt;
    }
    const std::optional<long long> page = WholeNumber(startTable[static_cast<std::size_t>(*line)]);
    if (!page || *page < kFirstPage || *page > kPageCount) {
        return std::nullopt;
    }
    return static_cast<int>(*page);
}

}  // namespace pagora
