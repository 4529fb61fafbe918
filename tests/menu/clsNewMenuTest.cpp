#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "menu/clsNewMenu.h"
#include "tests/menu/FakePopupMenu.h"

namespace pagora {
namespace {

using namespace popupflags;
using testing::FakePopupMenu;

constexpr WindowHandle kOwner = 77;

class MenuTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakePopupMenu> fake = std::make_shared<FakePopupMenu>();

    // Five range entries with 25, 25, 25, 25 and 14 sub-entries tagged "0".."113".
    void BuildSuraLikeMenu(clsNewMenu& menu) {
        menu.Create(kOwner);
        for (const char* caption :
             {"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75", "Sura 76 - 100", "Sura 101 - 114"}) {
            menu.AddMenu(caption);
        }
        for (int i = 0; i < 114; ++i) {
            menu.SubMenu(i / 25)->AddMenu("name" + std::to_string(i), std::to_string(i));
        }
    }

    MenuHandle TopMenu() const { return fake->menus.begin()->first; }
};

TEST_F(MenuTest, CommandIdsRunFrom1000InAddOrderAtEveryLevel) {
    clsNewMenu menu(fake);
    BuildSuraLikeMenu(menu);

    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(menu.SubMenu(k)->Id, 1000 + k);
        EXPECT_EQ(menu.SubMenu(k)->Pos, k);
        EXPECT_EQ(menu.SubMenu(k)->hWnd, 0);
    }
    int expected = 1005;
    for (int i = 0; i < 114; ++i) {
        std::shared_ptr<clsMenu> entry = menu.SubMenu(i / 25)->SubMenu(i % 25);
        EXPECT_EQ(entry->Id, expected++);
        EXPECT_EQ(entry->Pos, i % 25);
        EXPECT_EQ(entry->Tag, std::to_string(i));
        EXPECT_EQ(entry->hWnd, entry->ParentMenu);
    }
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Id, 1118);

    // Every entry is registered under "id" + its command id, as the same object.
    const MenuEntryRegistry& entries = MenuEntries();
    EXPECT_EQ(entries.size(), 119u);
    EXPECT_EQ(entries.at("id1000"), menu.SubMenu(0));
    EXPECT_EQ(entries.at("id1004"), menu.SubMenu(4));
    EXPECT_EQ(entries.at("id1005"), menu.SubMenu(0)->SubMenu(0));
    EXPECT_EQ(entries.at("id1118"), menu.SubMenu(4)->SubMenu(13));
    EXPECT_EQ(entries.count("id1119"), 0u);

    // The native menus carry the same ids: five openers, their submenus the sura entries.
    const auto& top = fake->menus.at(TopMenu()).items;
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top[4].caption, "Sura 101 - 114");
    EXPECT_EQ(top[4].flags, MF_POPUP);
    const auto& last = fake->menus.at(top[4].submenu).items;
    ASSERT_EQ(last.size(), 14u);
    EXPECT_EQ(last[0].id, 1105u);
    EXPECT_EQ(last[13].id, 1118u);
    EXPECT_EQ(last[13].caption, "name113");
    EXPECT_EQ(menu.Count(), 5);
    EXPECT_EQ(menu.SubMenu(0)->Count(), 25);
    EXPECT_EQ(menu.SubMenu(4)->Count(), 14);
}

TEST_F(MenuTest, PopUpShowsAtCursorAndReturnsTheChosenTag) {
    clsNewMenu menu(fake);
    BuildSuraLikeMenu(menu);
    const MenuHandle top = TopMenu();
    fake->cursor = {321, 654};
    fake->chooser = [](FakePopupMenu& f, MenuHandle shown) {
        return f.IdAt(shown, {"Sura 1 - 25", "name0"});
    };
    fake->calls.clear();

    EXPECT_EQ(menu.PopUp(), "0");

    const std::vector<std::string> expected = {
        "GetCursorPos()",
        "SetForegroundWindow(77)",
        "TrackPopupMenuEx(" + std::to_string(top) + ", 0x100, 321, 654, 77)",
        "PostNullMessage(77)",
        "DestroyMenu(" + std::to_string(top) + ")",
    };
    // DestroyMenu of the fake logs the submenus it takes along after the first line.
    ASSERT_GE(fake->calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(fake->calls.begin(), fake->calls.begin() + 5), expected);
    EXPECT_TRUE(fake->menus.empty()) << "the popup and all its submenus are destroyed";
}

TEST_F(MenuTest, ChoosingTheLastEntryReturnsItsTag) {
    clsNewMenu menu(fake);
    BuildSuraLikeMenu(menu);
    fake->chooser = [](FakePopupMenu& f, MenuHandle shown) {
        return f.IdAt(shown, {"Sura 101 - 114", "name113"});
    };
    EXPECT_EQ(menu.PopUp(), "113");
}

TEST_F(MenuTest, DismissedMenuGivesMinusOneAndIsDestroyedAllTheSame) {
    clsNewMenu menu(fake);
    BuildSuraLikeMenu(menu);
    const MenuHandle top = TopMenu();

    EXPECT_EQ(menu.PopUp(), "-1");
    EXPECT_EQ(fake->CallsNamed("DestroyMenu").front(), "DestroyMenu(" + std::to_string(top) + ")");
    EXPECT_TRUE(fake->menus.empty());
    EXPECT_EQ(menu.Count(), -1) << "the object's native menu is gone after PopUp";
}

TEST_F(MenuTest, EntryWithoutTagGivesEmptyTextAndUnknownIdCountsAsDismissed) {
    clsNewMenu menu(fake);
    menu.Create(kOwner);
    menu.AddMenu("Plain");
    menu.AddMenu("Tagged", "t");
    fake->chooser = [](FakePopupMenu&, MenuHandle) { return 1000; };
    EXPECT_EQ(menu.PopUp(), "");

    menu.Create(kOwner);
    menu.AddMenu("Only");
    fake->chooser = [](FakePopupMenu&, MenuHandle) { return 4242; };
    EXPECT_EQ(menu.PopUp(), "-1");
}

TEST_F(MenuTest, CreateStartsAFreshMenuAndRegistry) {
    clsNewMenu first(fake);
    BuildSuraLikeMenu(first);
    first.PopUp();

    clsNewMenu second(fake);
    second.Create(kOwner);
    EXPECT_TRUE(MenuEntries().empty());
    second.AddMenu("Juz 1 - 10");
    second.SubMenu(0)->AddMenu("1", "0");
    EXPECT_EQ(second.SubMenu(0)->Id, 1000);
    EXPECT_EQ(second.SubMenu(0)->SubMenu(0)->Id, 1001);
    EXPECT_EQ(MenuEntries().size(), 2u);
    EXPECT_EQ(second.Count(), 1);
}

TEST_F(MenuTest, FirstSubEntryTurnsTheEntryIntoASubmenuOpenerWithItsCaption) {
    clsNewMenu menu(fake);
    menu.Create(kOwner);
    const MenuHandle top = TopMenu();
    menu.AddMenu("Range");
    std::shared_ptr<clsMenu> range = menu.SubMenu(0);
    EXPECT_EQ(range->Count(), -1) << "no submenu yet";
    EXPECT_EQ(range->ParentMenu, top);

    fake->calls.clear();
    range->AddMenu("one", "a");
    const MenuHandle sub = fake->menus.at(top).items[0].submenu;
    ASSERT_NE(sub, 0);
    EXPECT_EQ(fake->CallsNamed("CreatePopupMenu").size(), 1u);
    EXPECT_EQ(
        fake->CallsNamed("AppendMenu"),
        std::vector<std::string>{"AppendMenu(" + std::to_string(sub) + ", 0x0, 1001, \"one\")"});
    EXPECT_EQ(fake->CallsNamed("ModifyMenu"),
              std::vector<std::string>{"ModifyMenu(" + std::to_string(top) + ", 1000, 0x10, " +
                                       std::to_string(sub) + ", \"Range\")"});
    EXPECT_EQ(fake->menus.at(top).items[0].caption, "Range");
    EXPECT_EQ(range->Count(), 1);

    // Later entries go into the same submenu, found through the opener's position.
    fake->calls.clear();
    range->AddMenu("two", "b");
    range->AddMenu("", "", true);
    EXPECT_TRUE(fake->CallsNamed("CreatePopupMenu").empty());
    EXPECT_TRUE(fake->CallsNamed("ModifyMenu").empty());
    EXPECT_EQ(fake->CallsNamed("GetSubMenu").front(), "GetSubMenu(" + std::to_string(top) + ", 0)");
    EXPECT_EQ(
        fake->CallsNamed("AppendMenu"),
        (std::vector<std::string>{"AppendMenu(" + std::to_string(sub) + ", 0x0, 1002, \"two\")",
                                  "AppendMenu(" + std::to_string(sub) + ", 0x800, 1003, \"\")"}));
    EXPECT_EQ(range->Count(), 3);
    EXPECT_EQ(range->SubMenu(1)->Caption, "two");
    EXPECT_EQ(range->SubMenu(1)->ParentMenu, sub);
    EXPECT_EQ(range->SubMenu(2)->Pos, 2);
}

TEST_F(MenuTest, CheckedDefaultAndSeparatorFlagsOfTopLevelEntries) {
    clsNewMenu menu(fake);
    menu.Create(kOwner);
    const MenuHandle top = TopMenu();
    const std::string h = std::to_string(top);
    fake->calls.clear();

    menu.AddMenu("checked", "", false, true, 0);
    menu.AddMenu("unchecked ignores flags", "", false, false, MF_GRAYED | MF_DISABLED);
    menu.AddMenu("checked and grayed", "", false, true, MF_GRAYED);
    menu.AddMenu("ignored caption", "", true, true, MF_GRAYED, false);
    menu.AddMenu("default", "", false, false, 0, true);

    EXPECT_EQ(fake->calls, (std::vector<std::string>{
                               "AppendMenu(" + h + ", 0x8, 1000, \"checked\")",
                               "AppendMenu(" + h + ", 0x0, 1001, \"unchecked ignores flags\")",
                               "AppendMenu(" + h + ", 0x9, 1002, \"checked and grayed\")",
                               "AppendMenu(" + h + ", 0x800, 1003, \"\")",
                               "AppendMenu(" + h + ", 0x0, 1004, \"default\")",
                               "SetMenuDefaultItem(" + h + ", 1004, 0)",
                           }));
    EXPECT_EQ(menu.SubMenu(3)->Caption, "ignored caption");
    EXPECT_EQ(menu.Count(), 5);
}

TEST_F(MenuTest, SubMenuOutsideTheEntriesIsSubscriptOutOfRange) {
    clsNewMenu menu(fake);
    menu.Create(kOwner);
    auto expectError9 = [](auto&& call) {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), 9);
        }
    };
    expectError9([&] { menu.SubMenu(0); });
    menu.AddMenu("a");
    EXPECT_NO_THROW(menu.SubMenu(0));
    expectError9([&] { menu.SubMenu(1); });
    expectError9([&] { menu.SubMenu(-1); });
    std::shared_ptr<clsMenu> entry = menu.SubMenu(0);
    expectError9([&] { entry->SubMenu(0); });
    entry->AddMenu("b");
    EXPECT_EQ(entry->SubMenu(0)->Caption, "b");
    expectError9([&] { entry->SubMenu(1); });
}

TEST_F(MenuTest, PicturesGoToTheItemByPositionForBothStates) {
    clsNewMenu menu(fake);
    menu.Create(kOwner);
    const MenuHandle top = TopMenu();
    menu.AddMenu("a");
    menu.AddMenu("b");
    menu.SubMenu(1)->AddMenu("c");
    menu.SubMenu(1)->AddMenu("d");
    fake->calls.clear();

    menu.AddPicture(31, 1);
    menu.SubMenu(1)->SubMenu(1)->AddPicture(32);

    const MenuHandle sub = fake->menus.at(top).items[1].submenu;
    EXPECT_EQ(fake->calls, (std::vector<std::string>{
                               "SetMenuItemBitmaps(" + std::to_string(top) + ", 1, 0x400, 31, 31)",
                               "SetMenuItemBitmaps(" + std::to_string(sub) + ", 1, 0x400, 32, 32)",
                           }));
    EXPECT_EQ(fake->menus.at(sub).items[1].checked, 32);
}

TEST_F(MenuTest, AMenuDroppedUnshownOrRecreatedReleasesItsNativeMenu) {
    {
        clsNewMenu menu(fake);
        menu.Create(kOwner);
        menu.AddMenu("a");
        menu.SubMenu(0)->AddMenu("b");
        menu.Create(kOwner);
        EXPECT_EQ(fake->menus.size(), 1u) << "the first menu and its submenu are gone";
    }
    EXPECT_TRUE(fake->menus.empty());
}

}  // namespace
}  // namespace pagora
