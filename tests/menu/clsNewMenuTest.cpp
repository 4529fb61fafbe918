// The menu classes over the real popup-menu service, with only the user's answer simulated.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "menu/clsNewMenu.h"
#include "tests/menu/AnsweringPopupMenu.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace popupflags;
using testing::AnsweringPopupMenu;

constexpr WindowHandle kOwner = 77;

class MenuTest : public ::testing::Test {
  protected:
    std::shared_ptr<AnsweringPopupMenu> service = std::make_shared<AnsweringPopupMenu>();

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

    // The widgets that showing `handle` would bring up.
    QList<QAction*> Shown(MenuHandle handle) {
        shown_.push_back(service->BuildQMenu(handle));
        return shown_.back() ? shown_.back()->actions() : QList<QAction*>{};
    }

  private:
    std::vector<std::unique_ptr<QMenu>> shown_;
};

TEST_F(MenuTest, CommandIdsRunFrom1000InAddOrderAtEveryLevel) {
    clsNewMenu menu(service);
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

    // Every entry is registered under "id" + its command id, as the same object.
    const MenuEntryRegistry& entries = MenuEntries();
    EXPECT_EQ(entries.size(), 119u);
    EXPECT_EQ(entries.at("id1004"), menu.SubMenu(4));
    EXPECT_EQ(entries.at("id1005"), menu.SubMenu(0)->SubMenu(0));
    EXPECT_EQ(entries.at("id1118"), menu.SubMenu(4)->SubMenu(13));
    EXPECT_EQ(entries.count("id1119"), 0u);

    // The shown menu carries the same ids: five openers, their submenus the sura entries.
    const QList<QAction*> top = Shown(menu.SubMenu(0)->ParentMenu);
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[4]->text(), "Sura 101 - 114");
    ASSERT_NE(top[4]->menu(), nullptr);
    const QList<QAction*> last = top[4]->menu()->actions();
    ASSERT_EQ(last.size(), 14);
    EXPECT_EQ(last[0]->data().toInt(), 1105);
    EXPECT_EQ(last[13]->data().toInt(), 1118);
    EXPECT_EQ(last[13]->text(), "name113");
    EXPECT_EQ(menu.Count(), 5);
    EXPECT_EQ(menu.SubMenu(0)->Count(), 25);
    EXPECT_EQ(menu.SubMenu(4)->Count(), 14);
}

TEST_F(MenuTest, PopUpShowsAtTheCursorReturnsTheChosenTagAndDestroysTheMenu) {
    clsNewMenu menu(service);
    service->cursor = {321, 654};
    for (const auto& [path, tag] :
         {std::pair{std::vector<QString>{"Sura 1 - 25", "name0"}, "0"},
          std::pair{std::vector<QString>{"Sura 101 - 114", "name113"}, "113"}}) {
        BuildSuraLikeMenu(menu);
        const MenuHandle shown = menu.SubMenu(0)->ParentMenu;
        const MenuHandle range = service->GetSubMenu(shown, 0);
        service->choose = [captions = path](AnsweringPopupMenu& s, MenuHandle m) {
            return s.IdAt(m, captions);
        };
        service->calls.clear();
        EXPECT_EQ(menu.PopUp(), tag);
        EXPECT_EQ(service->calls,
                  (std::vector<std::string>{
                      "GetCursorPos()", "SetForegroundWindow(77)",
                      "TrackPopupMenuEx(" + std::to_string(shown) + ", 256, 321, 654, 77)",
                      "PostNullMessage(77)"}));
        EXPECT_EQ(service->GetMenuItemCount(shown), -1);
        EXPECT_EQ(service->GetMenuItemCount(range), -1) << "submenus go with the menu";
    }
}

TEST_F(MenuTest, DismissedMenuOrUnknownIdGivesMinusOneAndAnUntaggedEntryEmptyText) {
    clsNewMenu menu(service);
    BuildSuraLikeMenu(menu);
    const MenuHandle top = menu.SubMenu(0)->ParentMenu;
    EXPECT_EQ(menu.PopUp(), "-1");
    EXPECT_EQ(service->GetMenuItemCount(top), -1);
    EXPECT_EQ(menu.Count(), -1) << "the object's native menu is gone after PopUp";

    menu.Create(kOwner);
    menu.AddMenu("Plain");
    menu.AddMenu("Tagged", "t");
    service->choose = [](AnsweringPopupMenu&, MenuHandle) { return 1000; };
    EXPECT_EQ(menu.PopUp(), "");
    menu.Create(kOwner);
    menu.AddMenu("Only");
    service->choose = [](AnsweringPopupMenu&, MenuHandle) { return 4242; };
    EXPECT_EQ(menu.PopUp(), "-1");
}

TEST_F(MenuTest, FirstSubEntryTurnsTheEntryIntoASubmenuOpenerWithItsCaption) {
    clsNewMenu menu(service);
    menu.Create(kOwner);
    menu.AddMenu("Range");
    std::shared_ptr<clsMenu> range = menu.SubMenu(0);
    const MenuHandle top = range->ParentMenu;
    EXPECT_EQ(range->Count(), -1) << "no submenu yet";
    EXPECT_EQ(service->GetSubMenu(top, 0), 0);

    range->AddMenu("one", "a");
    const MenuHandle sub = service->GetSubMenu(top, 0);
    ASSERT_NE(sub, 0);
    EXPECT_EQ(range->Count(), 1);
    // Later entries go into the same submenu.
    range->AddMenu("two", "b");
    range->AddMenu("", "", true);
    EXPECT_EQ(service->GetSubMenu(top, 0), sub);
    EXPECT_EQ(range->Count(), 3);
    EXPECT_EQ(range->SubMenu(1)->Caption, "two");
    EXPECT_EQ(range->SubMenu(1)->ParentMenu, sub);
    EXPECT_EQ(range->SubMenu(2)->Pos, 2);

    const QList<QAction*> shown = Shown(top);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0]->text(), "Range");
    ASSERT_NE(shown[0]->menu(), nullptr);
    const QList<QAction*> items = shown[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "one");
    EXPECT_EQ(items[0]->data().toInt(), 1001);
    EXPECT_EQ(items[1]->data().toInt(), 1002);
    EXPECT_TRUE(items[2]->isSeparator());
}

TEST_F(MenuTest, CheckedDefaultAndSeparatorFlagsOfTopLevelEntries) {
    clsNewMenu menu(service);
    menu.Create(kOwner);
    menu.AddMenu("checked", "", false, true, 0);
    menu.AddMenu("unchecked ignores flags", "", false, false, MF_GRAYED | MF_DISABLED);
    menu.AddMenu("checked and grayed", "", false, true, MF_GRAYED);
    menu.AddMenu("ignored caption", "", true, true, MF_GRAYED, false);
    menu.AddMenu("default", "", false, false, 0, true);
    EXPECT_EQ(menu.SubMenu(3)->Caption, "ignored caption");
    EXPECT_EQ(menu.Count(), 5);

    const QList<QAction*> shown = Shown(menu.SubMenu(0)->ParentMenu);
    ASSERT_EQ(shown.size(), 5);
    EXPECT_TRUE(shown[0]->isChecked() && shown[0]->isEnabled());
    EXPECT_TRUE(!shown[1]->isCheckable() && shown[1]->isEnabled());
    EXPECT_TRUE(shown[2]->isChecked() && !shown[2]->isEnabled());
    EXPECT_TRUE(shown[3]->isSeparator());
    EXPECT_TRUE(shown[4]->font().bold());
    EXPECT_EQ(qobject_cast<QMenu*>(shown[4]->parent())->defaultAction(), shown[4]);
    EXPECT_FALSE(shown[0]->font().bold());
}

TEST_F(MenuTest, SubMenuOutsideTheEntriesIsSubscriptOutOfRange) {
    clsNewMenu menu(service);
    menu.Create(kOwner);
    auto errorNumber = [](auto&& call) { return testing::CaughtError(call).Number(); };
    EXPECT_EQ(errorNumber([&] { menu.SubMenu(0); }), 9);
    menu.AddMenu("a");
    EXPECT_EQ(errorNumber([&] { menu.SubMenu(1); }), 9);
    EXPECT_EQ(errorNumber([&] { menu.SubMenu(-1); }), 9);
    std::shared_ptr<clsMenu> entry = menu.SubMenu(0);
    EXPECT_EQ(errorNumber([&] { entry->SubMenu(0); }), 9);
    entry->AddMenu("b");
    EXPECT_EQ(entry->SubMenu(0)->Caption, "b");
    EXPECT_EQ(errorNumber([&] { entry->SubMenu(1); }), 9);
}

TEST_F(MenuTest, PicturesGoToTheItemByPosition) {
    clsNewMenu menu(service);
    menu.Create(kOwner);
    menu.AddMenu("a");
    menu.AddMenu("b");
    menu.SubMenu(1)->AddMenu("c");
    menu.SubMenu(1)->AddMenu("d");
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    menu.AddPicture(service->RegisterBitmap(red), 1);
    menu.SubMenu(1)->SubMenu(1)->AddPicture(service->RegisterBitmap(red));

    const QList<QAction*> top = Shown(menu.SubMenu(0)->ParentMenu);
    ASSERT_EQ(top.size(), 2);
    EXPECT_TRUE(top[0]->icon().isNull());
    EXPECT_FALSE(top[1]->icon().isNull());
    const QList<QAction*> sub = top[1]->menu()->actions();
    ASSERT_EQ(sub.size(), 2);
    EXPECT_TRUE(sub[0]->icon().isNull());
    EXPECT_FALSE(sub[1]->icon().availableSizes(QIcon::Normal, QIcon::On).isEmpty());
    EXPECT_FALSE(sub[1]->icon().availableSizes(QIcon::Normal, QIcon::Off).isEmpty());
}

TEST_F(MenuTest, CreateStartsAFreshMenuAndRegistryAndADroppedMenuReleasesItsNativeMenu) {
    MenuHandle first = 0;
    MenuHandle second = 0;
    {
        clsNewMenu menu(service);
        BuildSuraLikeMenu(menu);
        first = menu.SubMenu(0)->ParentMenu;
        const MenuHandle sub = service->GetSubMenu(first, 0);
        menu.Create(kOwner);
        EXPECT_TRUE(MenuEntries().empty());
        menu.AddMenu("Juz 1 - 10");
        menu.SubMenu(0)->AddMenu("1", "0");
        EXPECT_EQ(menu.SubMenu(0)->Id, 1000);
        EXPECT_EQ(menu.SubMenu(0)->SubMenu(0)->Id, 1001);
        EXPECT_EQ(MenuEntries().size(), 2u);
        second = menu.SubMenu(0)->ParentMenu;
        EXPECT_EQ(service->GetMenuItemCount(first), -1);
        EXPECT_EQ(service->GetMenuItemCount(sub), -1);
        EXPECT_EQ(service->GetMenuItemCount(second), 1);
    }
    EXPECT_EQ(service->GetMenuItemCount(second), -1);
}

}  // namespace
}  // namespace pagora
