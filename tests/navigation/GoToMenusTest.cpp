#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "menu/clsNewMenu.h"
#include "navigation/GoToMenus.h"
#include "tests/menu/FakePopupMenu.h"

namespace pagora {
namespace {

using testing::FakePopupMenu;

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
    std::shared_ptr<FakePopupMenu> fake = std::make_shared<FakePopupMenu>();

    const std::vector<FakePopupMenu::Item>& Items(MenuHandle menu) const {
        return fake->menus.at(menu).items;
    }
    MenuHandle Top() const { return fake->menus.begin()->first; }
};

TEST_F(GoToMenusTest, SuraMenuHasFiveRangesOfTheTableNames) {
    const std::vector<std::string> names = Names(114);
    clsNewMenu menu(fake);
    BuildSuraMenu(menu, kOwner, names);

    const auto& ranges = Items(Top());
    ASSERT_EQ(ranges.size(), 5u);
    const std::vector<std::string> captions = {"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                               "Sura 76 - 100", "Sura 101 - 114"};
    const std::vector<std::size_t> sizes = {25, 25, 25, 25, 14};
    int sura = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(ranges[k].caption, captions[k]);
        const auto& entries = Items(ranges[k].submenu);
        ASSERT_EQ(entries.size(), sizes[k]);
        for (const auto& entry : entries) {
            EXPECT_EQ(entry.caption, names[static_cast<std::size_t>(sura)]);
            EXPECT_EQ(entry.id, static_cast<std::uintptr_t>(1005 + sura));
            ++sura;
        }
    }
    EXPECT_EQ(menu.SubMenu(0)->Id, 1000);
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(0)->Tag, "0");
    EXPECT_EQ(menu.SubMenu(1)->SubMenu(0)->Tag, "25");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Tag, "113");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Id, 1118);

    fake->chooser = [](FakePopupMenu& f, MenuHandle shown) {
        return f.IdAt(shown, {"Sura 101 - 114", "Sura name 114"});
    };
    EXPECT_EQ(menu.PopUp(), "113");
}

TEST_F(GoToMenusTest, SuraMenuBuiltTwiceStartsAgainAt1000) {
    clsNewMenu menu(fake);
    BuildSuraMenu(menu, kOwner, Names(114));
    menu.PopUp();
    BuildSuraMenu(menu, kOwner, Names(114));
    EXPECT_EQ(menu.SubMenu(0)->Id, 1000);
    EXPECT_EQ(menu.Count(), 5);
}

TEST_F(GoToMenusTest, ShortNameTableListsTheMissingSurasByNumber) {
    clsNewMenu menu(fake);
    BuildSuraMenu(menu, kOwner, Names(3));
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(2)->Caption, "Sura name 3 (odd)");
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(3)->Caption, "4");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Caption, "114");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Tag, "113");
}

TEST_F(GoToMenusTest, JuzMenuHasThreeRangesOfNumbers) {
    clsNewMenu menu(fake);
    BuildJuzMenu(menu, kOwner);

    const auto& ranges = Items(Top());
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_EQ(ranges[0].caption, "Juz 1 - 10");
    EXPECT_EQ(ranges[1].caption, "Juz 11 - 20");
    EXPECT_EQ(ranges[2].caption, "Juz 21 - 30");
    for (int juz = 1; juz <= 30; ++juz) {
        std::shared_ptr<clsMenu> entry = menu.SubMenu((juz - 1) / 10)->SubMenu((juz - 1) % 10);
        EXPECT_EQ(entry->Caption, std::to_string(juz));
        EXPECT_EQ(entry->Tag, std::to_string(juz - 1));
        EXPECT_EQ(entry->Id, 1002 + juz);
    }
    EXPECT_EQ(Items(ranges[2].submenu).back().caption, "30");

    fake->chooser = [](FakePopupMenu& f, MenuHandle shown) {
        return f.IdAt(shown, {"Juz 21 - 30", "30"});
    };
    EXPECT_EQ(menu.PopUp(), "29");
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
