#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/PopupMenu.h"

namespace pagora {

class clsMenu;

// Every entry of the menu built since the last clsNewMenu::Create, at any level, keyed "id"
// followed by its command id. One registry serves the whole process, so only one menu may be
// built and shown at a time.
using MenuEntryRegistry = std::map<std::string, std::shared_ptr<clsMenu>>;
const MenuEntryRegistry& MenuEntries();

namespace detail {
MenuEntryRegistry& MutableMenuEntries();
// The command id the next entry gets: 1000 plus the number of registered entries.
std::int32_t NextCommandId();
void RegisterEntry(const std::shared_ptr<clsMenu>& entry);
}  // namespace detail

// One entry of a popup menu. The first entry added to it turns it into a submenu opener.
class clsMenu {
  public:
    explicit clsMenu(std::shared_ptr<PopupMenu> service);

    std::string Caption;
    std::int32_t Id = 0;
    // Zero-based position in the menu that holds the entry.
    std::int32_t Pos = 0;
    // For a sub-entry the menu that holds it, 0 for a top-level entry.
    MenuHandle hWnd = 0;
    // Returned by clsNewMenu::PopUp when this entry is chosen.
    std::string Tag;
    MenuHandle ParentMenu = 0;

  private:
    std::vector<std::shared_ptr<clsMenu>> arrSubItems;
    std::int32_t lngSubItemCount = 0;

  public:
    // Appends an entry to this entry's submenu, creating the submenu first if needed.
    void AddMenu(const std::string& newCaption, const std::string& Tag = std::string(),
                 bool Seperator = false);
    // Items in this entry's submenu; -1 while it has none.
    std::int32_t Count();
    // The sub-entry at `Index`; Error 9 (subscript out of range) when there is none.
    std::shared_ptr<clsMenu> SubMenu(std::int32_t Index) const;
    // Shows `Picture` beside this entry, checked or not.
    void AddPicture(BitmapHandle Picture);

  private:
    std::shared_ptr<PopupMenu> service_;
};

}  // namespace pagora
