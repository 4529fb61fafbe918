#pragma once

#include <QImage>
#include <map>
#include <memory>
#include <vector>

#include "platform/PopupMenu.h"

class QMenu;

namespace pagora {

// The popup-menu service on QMenu. Menus are kept as plain item lists under their handles; each
// TrackPopupMenuEx builds the QMenu tree afresh from them (nested menus, separators, checkable
// actions for checked items, the default item in bold, pictures as icons) and runs it with
// QMenu::exec, so nothing the caller does to its handles while a menu is open can pull widgets
// away under the running menu.
class QtPopupMenu : public PopupMenu {
  public:
    QtPopupMenu();
    ~QtPopupMenu() override;

    MenuHandle CreatePopupMenu() override;
    bool AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idNewItem,
                    const std::string& caption) override;
    bool ModifyMenu(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                    std::uintptr_t idNewItem, const std::string& caption) override;
    MenuHandle GetSubMenu(MenuHandle menu, std::int32_t pos) override;
    std::int32_t GetMenuItemCount(MenuHandle menu) override;
    bool SetMenuDefaultItem(MenuHandle menu, std::uint32_t item, std::uint32_t byPosition) override;
    bool SetMenuItemBitmaps(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                            BitmapHandle unchecked, BitmapHandle checked) override;
    std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                  std::int32_t y, WindowHandle owner) override;
    bool DestroyMenu(MenuHandle menu) override;
    ScreenPoint GetCursorPos() override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool PostNullMessage(WindowHandle window) override;

    // Makes `image` available as a menu picture; 0 for a null image.
    BitmapHandle RegisterBitmap(const QImage& image);
    void ReleaseBitmap(BitmapHandle bitmap);

    // The widgets TrackPopupMenuEx would show for `menu` (null for a handle that names no menu
    // or when no QApplication exists). Each chosen action's data() is its command id.
    std::unique_ptr<QMenu> BuildQMenu(MenuHandle menu) const;

  private:
    struct Item {
        std::uint32_t flags = 0;
        std::uintptr_t id = 0;
        std::string caption;
        MenuHandle submenu = 0;
        bool isDefault = false;
        BitmapHandle unchecked = 0;
        BitmapHandle checked = 0;
    };
    struct Menu {
        std::vector<Item> items;
        MenuHandle parent = 0;  // menu whose item opens this one; 0 while free-standing
    };

    Menu* Find(MenuHandle menu);
    const Menu* Find(MenuHandle menu) const;
    // The item named by `position` in `menu` (by command: searched in submenus too), with the
    // menu that holds it.
    std::pair<Menu*, Item*> Locate(MenuHandle menu, std::uint32_t position, std::uint32_t flags);
    // Fills `item` from AppendMenu's arguments; false when a submenu cannot be attached there.
    bool MakeItem(MenuHandle owner, std::uint32_t flags, std::uintptr_t idNewItem,
                  const std::string& caption, MenuHandle keepSubmenu, Item& item);
    void Erase(MenuHandle menu);
    void Fill(QMenu& target, const Menu& source, std::vector<MenuHandle>& path) const;

    std::map<MenuHandle, Menu> menus_;
    MenuHandle nextMenu_ = 1;
    std::map<BitmapHandle, QImage> bitmaps_;
    BitmapHandle nextBitmap_ = 1;
};

}  // namespace pagora
