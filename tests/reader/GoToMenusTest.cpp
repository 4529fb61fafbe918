#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "menu/clsNewMenu.h"
#include "reader/GoToMenus.h"
#include "tests/support/ReaderDoubles.h"

namespace pagora {
namespace {

constexpr WindowHandle kOwner = 9;

std::vector<std::string> Names(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("Sura name " + std::to_string(i + 1) + (i % 2 == 0 ? " (odd)" : ""));
    }
    return names;
}

// The captions of the menu's top-level entries.
std::vector<std::string> Ranges(clsNewMenu& menu) {
    std::vector<std::string> captions;
    for (int k = 0; k < menu.Count(); ++k) {
        captions.push_back(menu.SubMenu(k)->Caption);
    }
    return captions;
}

class GoToMenusTest : public ::testing::Test {
  protected:
    std::shared_ptr<testing::AnsweringPopupMenu> service =
        std::make_shared<testing::AnsweringPopupMenu>();
    clsNewMenu menu{service};
};

TEST_F(GoToMenusTest, SuraMenuHasFiveRangesOfTheTableNames) {
    const std::vector<std::string> names = Names(114);
    BuildSuraMenu(menu, kOwner, names);
    EXPECT_EQ(Ranges(menu), (std::vector<std::string>{"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                                      "Sura 76 - 100", "Sura 101 - 114"}));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(menu.SubMenu(k)->Count(), k < 4 ? 25 : 14);
    }
    for (int sura = 0; sura < 114; ++sura) {
        const auto entry = menu.SubMenu(sura / 25)->SubMenu(sura % 25);
        EXPECT_EQ(entry->Caption, names[static_cast<std::size_t>(sura)]);
        EXPECT_EQ(entry->Tag, std::to_string(sura));
    }
    // A short name table: the missing suras are listed by number.
    BuildSuraMenu(menu, kOwner, Names(3));
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(3)->Caption, "4");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Caption, "114");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Tag, "113");
}

TEST_F(GoToMenusTest, JuzAndHizbMenusHaveThreeRangesOfNumbersAndNoMenuHasADefaultEntry) {
    BuildJuzMenu(menu, kOwner);
    EXPECT_EQ(Ranges(menu), (std::vector<std::string>{"Juz 1 - 10", "Juz 11 - 20", "Juz 21 - 30"}));
    for (int juz = 1; juz <= 30; ++juz) {
        std::shared_ptr<clsMenu> entry = menu.SubMenu((juz - 1) / 10)->SubMenu((juz - 1) % 10);
        EXPECT_EQ(entry->Caption, std::to_string(juz));
        EXPECT_EQ(entry->Tag, std::to_string(juz - 1));
    }
    menu.PopUp();
    // Hizbs of four quarters; the core's tests choose "30 \u00BD" and "60 \u00BE" through them.
    BuildHizbMenu(menu, kOwner);
    EXPECT_EQ(Ranges(menu),
              (std::vector<std::string>{"Hizb 1 - 20", "Hizb 21 - 40", "Hizb 41 - 60"}));
    ASSERT_EQ(menu.SubMenu(0)->SubMenu(0)->Count(), 4);
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(0)->SubMenu(1)->Caption, "1 \u00BC");
    menu.PopUp();
    BuildSuraMenu(menu, kOwner, Names(114));
    menu.PopUp();
    EXPECT_FALSE(service->shownDefault);
}

TEST(ChosenStartPageTest, TagPicksTheLineOfTheStartTableAndDamagedEntriesAreIgnored) {
    const std::vector<std::string> table = {
        "604", "0", "605", "abc", "", "-3", "12x", " 45 ", "1.5", "99999999999999999999999", "007"};
    const std::pair<std::string, std::optional<int>> tags[] = {
        {"0", 604},           {"1", std::nullopt}, {"2", std::nullopt},
        {"3", std::nullopt},  {"4", std::nullopt}, {"5", std::nullopt},
        {"6", std::nullopt},  {"7", 45},           {"8", std::nullopt},
        {"9", std::nullopt},  {"10", 7},           {"11", std::nullopt},
        {"-1", std::nullopt}, {"", std::nullopt},  {"99999999999999999999999", std::nullopt}};
    for (const auto& [tag, page] : tags) {
        EXPECT_EQ(ChosenStartPage(tag, table), page) << tag;
    }
    EXPECT_EQ(ChosenStartPage("0", {}), std::nullopt);
}

}  // namespace
}  // namespace pagora
