#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "menu/clsNewMenu.h"
#include "platform/QtPopupMenu.h"

namespace pagora {
namespace {

using namespace popupflags;

// Presses `keys` one at a time into the active popup, noting where the first popup showed;
// closes every popup after 10 s so that no test hangs in a menu that did not react.
struct PopupKeys {
    explicit PopupKeys(std::vector<Qt::Key> typed) : keys(std::move(typed)) {
        QTimer::singleShot(50, [this] { Next(); });
        QTimer::singleShot(10000, [this] {
            timedOut = true;
            while (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
            }
        });
    }
    void Next() {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup != nullptr && pressed < keys.size()) {
            shownAt = pressed == 0 ? popup->pos() : shownAt;
            QTest::keyClick(popup, keys[pressed++]);
        }
        if (pressed < keys.size()) {
            QTimer::singleShot(popup ? 50 : 20, [this] { Next(); });
        }
    }

    std::vector<Qt::Key> keys;
    size_t pressed = 0;
    QPoint shownAt;
    bool timedOut = false;
};

TEST(QtPopupMenuTest, KeysPickANestedEntryOfTheMenuShownAtTheCursorOrEscapeDismissesIt) {
    using Keys = std::vector<Qt::Key>;
    for (const auto& [typed, answer] :
         {std::pair{Keys{Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return},
                    "26"},
          std::pair{Keys{Qt::Key_Down, Qt::Key_Escape}, "-1"}}) {
        clsNewMenu menu(std::make_shared<QtPopupMenu>());
        menu.Create(0);
        menu.AddMenu("Sura 1 - 25");
        menu.AddMenu("Sura 26 - 50");
        menu.SubMenu(0)->AddMenu("Al-Fatiha", "0");
        menu.SubMenu(0)->AddMenu("Al-Baqara", "1");
        menu.SubMenu(1)->AddMenu("Ash-Shuara", "25");
        menu.SubMenu(1)->AddMenu("An-Naml", "26");
        QCursor::setPos(120, 140);
        PopupKeys keys(typed);
        EXPECT_EQ(menu.PopUp(), answer);
        EXPECT_FALSE(keys.timedOut);
        EXPECT_EQ(keys.pressed, typed.size());
        EXPECT_EQ(keys.shownAt, QPoint(120, 140));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

TEST(QtPopupMenuTest, HandlesCountsAndDestruction) {
    const auto service = std::make_shared<QtPopupMenu>();
    EXPECT_EQ(service->GetMenuItemCount(12345), -1);
    EXPECT_FALSE(service->AppendMenu(0, MF_STRING, 1, "x"));
    EXPECT_EQ(service->TrackPopupMenuEx(12345, TPM_RETURNCMD, 0, 0, 0), 0);

    const MenuHandle top = service->CreatePopupMenu();
    const MenuHandle sub = service->CreatePopupMenu();
    const MenuHandle inner = service->CreatePopupMenu();
    EXPECT_EQ(service->GetMenuItemCount(top), 0);
    service->AppendMenu(top, MF_STRING, 1000, "a");
    EXPECT_EQ(service->GetSubMenu(top, 0), 0);
    EXPECT_EQ(service->GetSubMenu(top, 5), 0);
    EXPECT_TRUE(service->ModifyMenu(top, 0, MF_BYPOSITION | MF_POPUP,
                                    static_cast<std::uintptr_t>(sub), "a"));
    EXPECT_EQ(service->GetSubMenu(top, 0), sub);
    EXPECT_TRUE(service->AppendMenu(sub, MF_POPUP, static_cast<std::uintptr_t>(inner), "b"));
    EXPECT_TRUE(service->AppendMenu(inner, MF_STRING, 1001, "c"));

    // By command the item is found inside submenus too.
    EXPECT_TRUE(service->ModifyMenu(top, 1001, MF_BYCOMMAND | MF_CHECKED, 1001, "c2"));

    // A menu opens from one place only and never from inside itself.
    EXPECT_FALSE(service->AppendMenu(top, MF_POPUP, static_cast<std::uintptr_t>(sub), "again"));
    EXPECT_FALSE(service->AppendMenu(inner, MF_POPUP, static_cast<std::uintptr_t>(top), "loop"));
    EXPECT_FALSE(service->AppendMenu(top, MF_POPUP, static_cast<std::uintptr_t>(top), "self"));
    EXPECT_FALSE(service->AppendMenu(top, MF_POPUP, 99999, "no such menu"));
    EXPECT_EQ(service->GetMenuItemCount(top), 1);

    // Replacing an opener destroys the submenu it opened, with its own submenus.
    EXPECT_TRUE(service->ModifyMenu(top, 0, MF_BYPOSITION, 1002, "plain"));
    EXPECT_EQ(service->GetMenuItemCount(sub), -1);
    EXPECT_EQ(service->GetMenuItemCount(inner), -1);

    const MenuHandle other = service->CreatePopupMenu();
    const MenuHandle child = service->CreatePopupMenu();
    service->AppendMenu(other, MF_POPUP, static_cast<std::uintptr_t>(child), "child");
    EXPECT_TRUE(service->DestroyMenu(child));
    EXPECT_EQ(service->GetSubMenu(other, 0), 0) << "the opener no longer opens a dead menu";
    EXPECT_TRUE(service->DestroyMenu(top));
    EXPECT_FALSE(service->DestroyMenu(top));
}

}  // namespace
}  // namespace pagora
