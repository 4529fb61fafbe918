#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/PopupMenu.h"

namespace pagora::testing {

// An in-memory popup-menu service that logs every call and lets the test pick the command that
// TrackPopupMenuEx returns. Handles start at 501 so they never look like command ids. Left for the
// window's suites; the menu classes are tested over the real service (AnsweringPopupMenu.h).
class FakePopupMenu : public PopupMenu {
  public:
    struct Item {
        std::uint32_t flags = 0;
        std::uintptr_t id = 0;
        std::string caption;
        MenuHandle submenu = 0;
        BitmapHandle unchecked = 0;
        BitmapHandle checked = 0;
    };
    struct Menu {
        std::vector<Item> items;
        std::uint32_t defaultItem = popupflags::kNoDefaultItem;
    };

    std::map<MenuHandle, Menu> menus;
    std::vector<std::string> calls;
    ScreenPoint cursor{40, 60};
    // Decides the result of TrackPopupMenuEx from the menu being shown; 0 means dismissed.
    std::function<std::int32_t(FakePopupMenu&, MenuHandle)> chooser = [](FakePopupMenu&,
                                                                         MenuHandle) { return 0; };

    // The command id reached by following `captions` from `menu` down its submenus; 0 if the path
    // does not exist.
    std::int32_t IdAt(MenuHandle menu, const std::vector<std::string>& captions) const {
        for (std::size_t level = 0; level < captions.size(); ++level) {
            auto m = menus.find(menu);
            if (m == menus.end()) {
                return 0;
            }
            const Item* found = nullptr;
            for (const Item& item : m->second.items) {
                if (item.caption == captions[level]) {
                    found = &item;
                    break;
                }
            }
            if (found == nullptr) {
                return 0;
            }
            if (level + 1 == captions.size()) {
                return static_cast<std::int32_t>(found->id);
            }
            menu = found->submenu;
        }
        return 0;
    }

    // Calls whose log line starts with `name`.
    std::vector<std::string> CallsNamed(const std::string& name) const {
        std::vector<std::string> found;
        for (const std::string& call : calls) {
            if (call.rfind(name + "(", 0) == 0) {
                found.push_back(call);
            }
        }
        return found;
    }

    MenuHandle CreatePopupMenu() override {
        const MenuHandle handle = next_++;
        menus[handle];
        Log("CreatePopupMenu() = " + std::to_string(handle));
        return handle;
    }

    bool AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idNewItem,
                    const std::string& caption) override {
        Log("AppendMenu(" + std::to_string(menu) + ", " + Hex(flags) + ", " +
            std::to_string(idNewItem) + ", \"" + caption + "\")");
        auto m = menus.find(menu);
        if (m == menus.end()) {
            return false;
        }
        m->second.items.push_back(MakeItem(flags, idNewItem, caption));
        return true;
    }

    bool ModifyMenu(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                    std::uintptr_t idNewItem, const std::string& caption) override {
        Log("ModifyMenu(" + std::to_string(menu) + ", " + std::to_string(position) + ", " +
            Hex(flags) + ", " + std::to_string(idNewItem) + ", \"" + caption + "\")");
        Item* item = Locate(menu, position, flags);
        if (item == nullptr) {
            return false;
        }
        *item = MakeItem(flags & ~popupflags::MF_BYPOSITION, idNewItem, caption);
        return true;
    }

    MenuHandle GetSubMenu(MenuHandle menu, std::int32_t pos) override {
        Log("GetSubMenu(" + std::to_string(menu) + ", " + std::to_string(pos) + ")");
        auto m = menus.find(menu);
        if (m == menus.end() || pos < 0 ||
            static_cast<std::size_t>(pos) >= m->second.items.size()) {
            return 0;
        }
        return m->second.items[static_cast<std::size_t>(pos)].submenu;
    }

    std::int32_t GetMenuItemCount(MenuHandle menu) override {
        Log("GetMenuItemCount(" + std::to_string(menu) + ")");
        auto m = menus.find(menu);
        return m == menus.end() ? -1 : static_cast<std::int32_t>(m->second.items.size());
    }

    bool SetMenuDefaultItem(MenuHandle menu, std::uint32_t item,
                            std::uint32_t byPosition) override {
        Log("SetMenuDefaultItem(" + std::to_string(menu) + ", " + std::to_string(item) + ", " +
            std::to_string(byPosition) + ")");
        auto m = menus.find(menu);
        if (m == menus.end()) {
            return false;
        }
        m->second.defaultItem = item;
        return true;
    }

    bool SetMenuItemBitmaps(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                            BitmapHandle unchecked, BitmapHandle checked) override {
        Log("SetMenuItemBitmaps(" + std::to_string(menu) + ", " + std::to_string(position) + ", " +
            Hex(flags) + ", " + std::to_string(unchecked) + ", " + std::to_string(checked) + ")");
        Item* item = Locate(menu, position, flags);
        if (item == nullptr) {
            return false;
        }
        item->unchecked = unchecked;
        item->checked = checked;
        return true;
    }

    std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                  std::int32_t y, WindowHandle owner) override {
        Log("TrackPopupMenuEx(" + std::to_string(menu) + ", " + Hex(flags) + ", " +
            std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(owner) + ")");
        if (menus.count(menu) == 0) {
            return 0;
        }
        return chooser(*this, menu);
    }

    bool DestroyMenu(MenuHandle menu) override {
        Log("DestroyMenu(" + std::to_string(menu) + ")");
        auto m = menus.find(menu);
        if (m == menus.end()) {
            return false;
        }
        std::vector<MenuHandle> children;
        for (const Item& item : m->second.items) {
            if (item.submenu != 0) {
                children.push_back(item.submenu);
            }
        }
        menus.erase(m);
        for (MenuHandle child : children) {
            DestroyMenu(child);
        }
        return true;
    }

    ScreenPoint GetCursorPos() override {
        Log("GetCursorPos()");
        return cursor;
    }

    bool SetForegroundWindow(WindowHandle window) override {
        Log("SetForegroundWindow(" + std::to_string(window) + ")");
        return true;
    }

    bool PostNullMessage(WindowHandle window) override {
        Log("PostNullMessage(" + std::to_string(window) + ")");
        return true;
    }

  private:
    static std::string Hex(std::uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%X", value);
        return text;
    }

    static Item MakeItem(std::uint32_t flags, std::uintptr_t idNewItem,
                         const std::string& caption) {
        Item item;
        item.flags = flags;
        item.caption = caption;
        if ((flags & popupflags::MF_POPUP) != 0) {
            item.submenu = static_cast<MenuHandle>(idNewItem);
        } else {
            item.id = idNewItem;
        }
        return item;
    }

    Item* Locate(MenuHandle menu, std::uint32_t position, std::uint32_t flags) {
        auto m = menus.find(menu);
        if (m == menus.end()) {
            return nullptr;
        }
        if ((flags & popupflags::MF_BYPOSITION) != 0) {
            return position < m->second.items.size() ? &m->second.items[position] : nullptr;
        }
        for (Item& item : m->second.items) {
            if (item.submenu == 0 && item.id == position) {
                return &item;
            }
        }
        return nullptr;
    }

    void Log(std::string line) { calls.push_back(std::move(line)); }

    MenuHandle next_ = 501;
};

}  // namespace pagora::testing
