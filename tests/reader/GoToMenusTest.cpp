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

class GoToMenusTest : public ::testing::Test {
  protected:
    std::shared_ptr<testing::AnsweringPopupMenu> service =
        std::make_shared<testing::AnsweringPopupMenu>();
};

TEST_F(GoToMenusTest, SuraMenuHasFiveRangesOfTheTableNames) {
    const std::vector<std::string> names = Names(114);
    clsNewMenu menu(service);
    BuildSuraMenu(menu, kOwner, names);
    ASSERT_EQ(menu.Count(), 5);
    const std::vector<std::string> captions = {"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                               "Sura 76 - 100", "Sura 101 - 114"};
    const std::vector<int> sizes = {25, 25, 25, 25, 14};
    int sura = 0;
    for (int k = 0; k < 5; ++k) {
        const auto range = menu.SubMenu(k);
        EXPECT_EQ(range->Caption, captions[static_cast<std::size_t>(k)]);
        ASSERT_EQ(range->Count(), sizes[static_cast<std::size_t>(k)]);
        for (int e = 0; e < range->Count(); ++e, ++sura) {
            EXPECT_EQ(range->SubMenu(e)->Caption, names[static_cast<std::size_t>(sura)]);
            EXPECT_EQ(range->SubMenu(e)->Tag, std::to_string(sura));
            EXPECT_EQ(range->SubMenu(e)->Id, 1005 + sura);
        }
    }
    service->choose = {"Sura 101 - 114", "Sura name 114"};
    EXPECT_EQ(menu.PopUp(), "113");
    // Built again, the ids start again at 1000.
    BuildSuraMenu(menu, kOwner, names);
    EXPECT_EQ(menu.SubMenu(0)->Id, 1000);
    EXPECT_EQ(menu.Count(), 5);
}

TEST_F(GoToMenusTest, ShortNameTableListsTheMissingSurasByNumber) {
    clsNewMenu menu(service);
    BuildSuraMenu(menu, kOwner, Names(3));
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(2)->Caption, "Sura name 3 (odd)");
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(3)->Caption, "4");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Caption, "114");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Tag, "113");
}

TEST_F(GoToMenusTest, JuzMenuHasThreeRangesOfNumbers) {
    clsNewMenu menu(service);
    BuildJuzMenu(menu, kOwner);
    ASSERT_EQ(menu.Count(), 3);
    EXPECT_EQ(menu.SubMenu(0)->Caption, "Juz 1 - 10");
    EXPECT_EQ(menu.SubMenu(1)->Caption, "Juz 11 - 20");
    EXPECT_EQ(menu.SubMenu(2)->Caption, "Juz 21 - 30");
    for (int juz = 1; juz <= 30; ++juz) {
        std::shared_ptr<clsMenu> entry = menu.SubMenu((juz - 1) / 10)->SubMenu((juz - 1) % 10);
        EXPECT_EQ(entry->Caption, std::to_string(juz));
        EXPECT_EQ(entry->Tag, std::to_string(juz - 1));
        EXPECT_EQ(entry->Id, 1002 + juz);
    }
    service->choose = {"Juz 21 - 30", "30"};
    EXPECT_EQ(menu.PopUp(), "29");
}

TEST_F(GoToMenusTest, HizbMenuHasThreeRangesOfHizbsOfFourQuarters) {
    clsNewMenu menu(service);
    BuildHizbMenu(menu, kOwner);
    ASSERT_EQ(menu.Count(), 3);
    EXPECT_EQ(menu.SubMenu(0)->Caption, "Hizb 1 - 20");
    EXPECT_EQ(menu.SubMenu(2)->Caption, "Hizb 41 - 60");
    const auto first = menu.SubMenu(0)->SubMenu(0);
    EXPECT_EQ(first->Caption, "1");
    ASSERT_EQ(first->Count(), 4);
    EXPECT_EQ(first->SubMenu(0)->Caption, "1");
    EXPECT_EQ(first->SubMenu(1)->Caption, "1 \u00BC");
    EXPECT_EQ(first->SubMenu(3)->Caption, "1 \u00BE");
    EXPECT_EQ(first->SubMenu(0)->Tag, "0");
    EXPECT_EQ(menu.SubMenu(1)->SubMenu(9)->SubMenu(2)->Caption, "30 \u00BD");
    EXPECT_EQ(menu.SubMenu(1)->SubMenu(9)->SubMenu(2)->Tag, "118");
    EXPECT_EQ(menu.SubMenu(2)->SubMenu(19)->SubMenu(3)->Tag, "239");
    service->choose = {"Hizb 41 - 60", "60", "60 \u00BE"};
    EXPECT_EQ(menu.PopUp(), "239");
}

TEST(ChosenStartPageTest, TagPicksTheLineOfTheStartTable) {
    std::vector<std::string> table;
    for (int i = 0; i < 114; ++i) {
        table.push_back(std::to_string(1 + i * 5));
    }
    EXPECT_EQ(ChosenStartPage("0", table), 1);
    EXPECT_EQ(ChosenStartPage("113", table), 566);
    EXPECT_EQ(ChosenStartPage("-1", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("114", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("99999999999999999999999", table), std::nullopt);
}

TEST(ChosenStartPageTest, DamagedEntriesAreIgnored) {
    const std::vector<std::string> table = {
        "604", "0", "605", "abc", "", "-3", "12x", " 45 ", "007", "1.5", "99999999999999999999999"};
    EXPECT_EQ(ChosenStartPage("0", table), 604);
    EXPECT_EQ(ChosenStartPage("1", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("2", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("3", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("4", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("5", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("6", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("7", table), 45);
    EXPECT_EQ(ChosenStartPage("8", table), 7);
    EXPECT_EQ(ChosenStartPage("9", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("10", table), std::nullopt);
    EXPECT_EQ(ChosenStartPage("2", {}), std::nullopt);
}

}  // namespace
}  // namespace pagora
