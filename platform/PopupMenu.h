#pragma once

#include <cstdint>
#include <string>

namespace pagora {

// A native popup menu, addressed by a handle that the service hands out; 0 is no menu.
using MenuHandle = std::int32_t;
// A window that owns a popup menu: its native window id (QWidget::winId()); 0 is no window.
using WindowHandle = std::uintptr_t;
// A picture shown beside a menu item, as registered with the service; 0 is no picture.
using BitmapHandle = std::int32_t;

// Flags of the menu calls, with the values of the classic popup-menu service.
namespace popupflags {
inline constexpr std::uint32_t MF_STRING = 0x0;
inline constexpr std::uint32_t MF_BYCOMMAND = 0x0;
inline constexpr std::uint32_t MF_GRAYED = 0x1;
inline constexpr std::uint32_t MF_DISABLED = 0x2;
inline constexpr std::uint32_t MF_CHECKED = 0x8;
inline constexpr std::uint32_t MF_POPUP = 0x10;
inline constexpr std::uint32_t MF_BYPOSITION = 0x400;
inline constexpr std::uint32_t MF_SEPARATOR = 0x800;
inline constexpr std::uint32_t TPM_LEFTALIGN = 0x0;
inline constexpr std::uint32_t TPM_TOPALIGN = 0x0;
inline constexpr std::uint32_t TPM_LEFTBUTTON = 0x0;
inline constexpr std::uint32_t TPM_RETURNCMD = 0x100;
// SetMenuDefaultItem's item value that clears the default.
inline constexpr std::uint32_t kNoDefaultItem = 0xFFFFFFFFu;
}  // namespace popupflags

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The native popup-menu service that the menu classes build on. Items are addressed by command
// id (MF_BYCOMMAND, searched in submenus too) or by zero-based position (MF_BYPOSITION). A call
// on a handle that names no menu does nothing and reports failure.
class PopupMenu {
  public:
    virtual ~PopupMenu() = default;

    // A new, empty popup menu.
    virtual MenuHandle CreatePopupMenu() = 0;
    // Appends a text item, a separator (MF_SEPARATOR) or, with MF_POPUP, a submenu opener whose
    // `idNewItem` is the submenu's handle. MF_CHECKED, MF_GRAYED and MF_DISABLED set the item's
    // state.
    virtual bool AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idNewItem,
                            const std::string& caption) = 0;
    // Replaces the item at `position` (a command id, or a position with MF_BYPOSITION) by the
    // item that AppendMenu would make of the other arguments. A submenu the old item opened is
    // destroyed with it.
    virtual bool ModifyMenu(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                            std::uintptr_t idNewItem, const std::string& caption) = 0;
    // The submenu opened by the item at position `pos`, or 0 when that item opens none.
    virtual MenuHandle GetSubMenu(MenuHandle menu, std::int32_t pos) = 0;
    // Number of items in the menu, -1 for a handle that names no menu.
    virtual std::int32_t GetMenuItemCount(MenuHandle menu) = 0;
    // Makes one item of `menu` its default item (shown in bold); `byPosition` 0 means `item` is a
    // command id. kNoDefaultItem clears the default.
    virtual bool SetMenuDefaultItem(MenuHandle menu, std::uint32_t item,
                                    std::uint32_t byPosition) = 0;
    // Pictures of an item for its unchecked and its checked state.
    virtual bool SetMenuItemBitmaps(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                                    BitmapHandle unchecked, BitmapHandle checked) = 0;
    // Shows the menu with its top-left corner at the screen point and waits until it closes.
    // With TPM_RETURNCMD the result is the chosen item's command id, 0 when the menu was
    // dismissed; without it, nonzero when an item was chosen.
    virtual std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                          std::int32_t y, WindowHandle owner) = 0;
    // Destroys the menu and every submenu it opens.
    virtual bool DestroyMenu(MenuHandle menu) = 0;
    // The mouse cursor's position in screen coordinates.
    virtual ScreenPoint GetCursorPos() = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    // Posts the null message (number 0, both parameters 0) to the window, so that a popup closes
    // cleanly when the user clicks elsewhere.
    virtual bool PostNullMessage(WindowHandle window) = 0;
};

}  // namespace pagora
