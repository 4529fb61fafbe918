#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "menu/clsMenu.h"
#include "platform/PopupMenu.h"

namespace pagora {

// A two-level popup menu shown at the mouse cursor. Build it with Create and AddMenu (the
// entries of a submenu through SubMenu(k).AddMenu), then PopUp once: it returns the chosen
// entry's tag, or "-1" when the menu was dismissed.
class clsNewMenu {
    std::vector<std::shared_ptr<clsMenu>> arrItems;
    std::int32_t lngItemCount = 0;
    MenuHandle hPopupMenu = 0;
    WindowHandle hOwnerWnd = 0;

  public:
    explicit clsNewMenu(std::shared_ptr<PopupMenu> service);
    ~clsNewMenu();
    clsNewMenu(const clsNewMenu&) = delete;
    clsNewMenu& operator=(const clsNewMenu&) = delete;

    // Starts a new, empty menu owned by `hWnd` and a new entry registry.
    void Create(WindowHandle hWnd);
    // Shows the menu at the cursor and waits; the chosen entry's Tag, or "-1". The native menu
    // is destroyed afterwards in every case.
    std::string PopUp();
    // PopUp with the menu's top-left corner at screen point `at` instead of the cursor.
    std::string PopUpAt(ScreenPoint at);
    // Appends a top-level entry. `Other_Param` holds further item flags, used only together
    // with `blnChecked`.
    void AddMenu(const std::string& Caption, const std::string& Tag = std::string(),
                 bool Seperator = false, bool blnChecked = false, std::int32_t Other_Param = 0,
                 bool blnDefault = false);
    // The top-level entry at `Index`; Error 9 (subscript out of range) when there is none.
    std::shared_ptr<clsMenu> SubMenu(std::int32_t Index) const;
    // Items in the popup menu; -1 when there is no menu (before Create, after PopUp).
    std::int32_t Count();
    // Shows `Picture` beside the item at position `Pos`, checked or not.
    void AddPicture(BitmapHandle Picture, std::int32_t Pos);

  private:
    std::shared_ptr<PopupMenu> service_;
};

}  // namespace pagora
