// The menu classes over the real popup-menu service, with only the user's answer simulated.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/Error.h"
#include "menu/clsNewMenu.h"
#include "platform/QtPopupMenu.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace popupflags;

constexpr WindowHandle kOwner = 77;

// The real popup-menu service, but showing a menu returns `answer` and the cursor stands at
// `cursor`; the calls that show a menu are logged in order.
class AnsweringPopupMenu : public QtPopupMenu {
  public:
    std::int32_t answer = 0;
    ScreenPoint cursor{40, 60};
    std::vector<std::string> calls;

    std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                  std::int32_t y, WindowHandle owner) override {
        calls.push_back("TrackPopupMenuEx(" + std::to_string(menu) + ", " + std::to_string(flags) +
                        ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
                        std::to_string(owner) + ")");
        return answer;
    }
    ScreenPoint GetCursorPos() override { return cursor; }
    bool SetForegroundWindow(WindowHandle window) override {
        calls.push_back("SetForegroundWindow(" + std::to_string(window) + ")");
        return QtPopupMenu::SetForegroundWindow(window);
    }
    bool PostNullMessage(WindowHandle window) override {
        calls.push_back("PostNullMessage(" + std::to_string(window) + ")");
        return QtPopupMenu::PostNullMessage(window);
    }
};

class MenuTest : public ::testing::Test {
  protected:
    std::shared_ptr<AnsweringPopupMenu> service = std::make_shared<AnsweringPopupMenu>();
    clsNewMenu menu{service};

    // Five range entries with 25, 25, 25, 25 and 14 sub-entries tagged "0".."113".
    void BuildSuraLikeMenu() {
        menu.Create(kOwner);
        for (const char* caption :
             {"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75", "Sura 76 - 100", "Sura 101 - 114"}) {
            menu.AddMenu(caption);
        }
        for (int i = 0; i < 114; ++i) {
            menu.SubMenu(i / 25)->AddMenu("name" + std::to_string(i), std::to_string(i));
        }
    }

    // The widgets that showing the menu would bring up.
    QList<QAction*> Shown() {
        shown_ = service->BuildQMenu(menu.SubMenu(0)->ParentMenu);
        return shown_->actions();
    }
    std::unique_ptr<QMenu> shown_;
};

TEST_F(MenuTest, CommandIdsRunFrom1000InAddOrderAtEveryLevel) {
    BuildSuraLikeMenu();
    // Every entry is registered under "id" + its command id, as the same object.
    const MenuEntryRegistry& entries = MenuEntries();
    EXPECT_EQ(entries.size(), 119u);
    EXPECT_EQ(menu.Count(), 5);
    for (int k = 0; k < 5; ++k) {
        const std::shared_ptr<clsMenu> range = menu.SubMenu(k);
        EXPECT_EQ(std::tuple(range->Id, range->Pos, range->hWnd, range->Count()),
                  std::tuple(1000 + k, k, 0, k < 4 ? 25 : 14));
        EXPECT_EQ(entries.at("id" + std::to_string(1000 + k)), range);
    }
    for (int i = 0; i < 114; ++i) {
        const std::shared_ptr<clsMenu> entry = menu.SubMenu(i / 25)->SubMenu(i % 25);
        EXPECT_EQ(std::tuple(entry->Id, entry->Pos, entry->Tag, entry->hWnd),
                  std::tuple(1005 + i, i % 25, std::to_string(i), entry->ParentMenu));
        EXPECT_EQ(entries.at("id" + std::to_string(1005 + i)), entry);
    }
}

TEST_F(MenuTest, PopUpShowsAtTheCursorReturnsTheChosenTagOrMinusOneAndDestroysTheMenu) {
    service->cursor = {321, 654};
    // Two entries, a dismissed menu, an id of no entry, and an entry without a tag.
    for (const auto& [id, tag] : {std::pair{1005, "0"}, std::pair{1118, "113"}, std::pair{0, "-1"},
                                  std::pair{4242, "-1"}, std::pair{1000, ""}}) {
        BuildSuraLikeMenu();
        const MenuHandle shown = menu.SubMenu(0)->ParentMenu;
        service->answer = id;
        service->calls.clear();
        EXPECT_EQ(menu.PopUp(), tag) << id;
        EXPECT_EQ(service->calls,
                  (std::vector<std::string>{
                      "SetForegroundWindow(77)",
                      "TrackPopupMenuEx(" + std::to_string(shown) + ", 256, 321, 654, 77)",
                      "PostNullMessage(77)"}));
        EXPECT_EQ(service->GetMenuItemCount(shown), -1) << "the menu is gone after PopUp";
    }
}

TEST_F(MenuTest, FirstSubEntryTurnsTheEntryIntoASubmenuOpenerAndPicturesGoByPosition) {
    menu.Create(kOwner);
    menu.AddMenu("a");
    menu.AddMenu("Range");
    std::shared_ptr<clsMenu> range = menu.SubMenu(1);
    const MenuHandle top = range->ParentMenu;
    EXPECT_EQ(range->Count(), -1) << "no submenu yet";
    EXPECT_EQ(service->GetSubMenu(top, 1), 0);

    range->AddMenu("one", "a");
    const MenuHandle sub = service->GetSubMenu(top, 1);
    ASSERT_NE(sub, 0);
    // Later entries go into the same submenu.
    range->AddMenu("two", "b");
    range->AddMenu("", "", true);
    EXPECT_EQ(service->GetSubMenu(top, 1), sub);
    EXPECT_EQ(range->Count(), 3);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    menu.AddPicture(service->RegisterBitmap(red), 1);
    range->SubMenu(1)->AddPicture(service->RegisterBitmap(red));

    const QList<QAction*> shown = Shown();
    ASSERT_TRUE(shown.size() == 2 && shown[1]->menu() != nullptr);
    EXPECT_TRUE(shown[0]->icon().isNull());
    EXPECT_FALSE(shown[1]->icon().isNull());
    const QList<QAction*> items = shown[1]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "one");
    EXPECT_EQ(std::pair(items[0]->data().toInt(), items[1]->data().toInt()), std::pair(1002, 1003));
    EXPECT_TRUE(items[2]->isSeparator() && items[0]->icon().isNull());
    EXPECT_FALSE(items[1]->icon().availableSizes(QIcon::Normal, QIcon::On).isEmpty());
    EXPECT_FALSE(items[1]->icon().availableSizes(QIcon::Normal, QIcon::Off).isEmpty());
}

TEST_F(MenuTest, CheckedDefaultAndSeparatorFlagsOfTopLevelEntries) {
    menu.Create(kOwner);
    menu.AddMenu("checked", "", false, true, 0);
    menu.AddMenu("unchecked ignores flags", "", false, false, MF_GRAYED | MF_DISABLED);
    menu.AddMenu("checked and grayed", "", false, true, MF_GRAYED);
    menu.AddMenu("ignored caption", "", true, true, MF_GRAYED, false);
    menu.AddMenu("default", "", false, false, 0, true);

    const QList<QAction*> shown = Shown();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_TRUE(shown[0]->isChecked() && shown[0]->isEnabled() && !shown[0]->font().bold());
    EXPECT_TRUE(!shown[1]->isCheckable() && shown[1]->isEnabled());
    EXPECT_TRUE(shown[2]->isChecked() && !shown[2]->isEnabled());
    EXPECT_TRUE(shown[3]->isSeparator());
    EXPECT_TRUE(shown[4]->font().bold());
    EXPECT_EQ(qobject_cast<QMenu*>(shown[4]->parent())->defaultAction(), shown[4]);
}

TEST_F(MenuTest, SubMenuOutsideTheEntriesIsSubscriptOutOfRange) {
    menu.Create(kOwner);
    auto errorNumber = [](auto&& call) { return testing::CaughtError(call).Number(); };
    EXPECT_EQ(errorNumber([&] { menu.SubMenu(0); }), 9);
    menu.AddMenu("a");
    std::shared_ptr<clsMenu> entry = menu.SubMenu(0);
    EXPECT_EQ(errorNumber([&] { entry->SubMenu(0); }), 9);
    entry->AddMenu("b");
    EXPECT_EQ(entry->SubMenu(0)->Caption, "b");
    for (int outside : {1, -1}) {
        EXPECT_EQ(errorNumber([&] { menu.SubMenu(outside); }), 9);
        EXPECT_EQ(errorNumber([&] { entry->SubMenu(outside); }), 9);
    }
}

TEST_F(MenuTest, CreateStartsAFreshMenuAndRegistryAndADroppedMenuReleasesItsNativeMenu) {
    BuildSuraLikeMenu();
    const MenuHandle first = menu.SubMenu(0)->ParentMenu;
    const MenuHandle sub = service->GetSubMenu(first, 0);
    menu.Create(kOwner);
    EXPECT_TRUE(MenuEntries().empty());
    EXPECT_EQ(service->GetMenuItemCount(first), -1);
    EXPECT_EQ(service->GetMenuItemCount(sub), -1);
    MenuHandle dropped = 0;
    {
        clsNewMenu other(service);
        other.Create(kOwner);
        other.AddMenu("Juz 1 - 10");
        other.SubMenu(0)->AddMenu("1", "0");
        EXPECT_EQ(MenuEntries().size(), 2u);
        dropped = other.SubMenu(0)->ParentMenu;
        EXPECT_EQ(service->GetMenuItemCount(dropped), 1);
    }
    EXPECT_EQ(service->GetMenuItemCount(dropped), -1);
}

}  // namespace
}  // namespace pagora
