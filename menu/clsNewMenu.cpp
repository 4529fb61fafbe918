#include "menu/clsNewMenu.h"

#include <stdexcept>

#include "base/Error.h"

namespace pagora {

using namespace popupflags;

clsNewMenu::clsNewMenu(std::shared_ptr<PopupMenu> service) : service_(std::move(service)) {
    if (!service_) {
        throw std::invalid_argument("clsNewMenu needs a popup-menu service");
    }
}

clsNewMenu::~clsNewMenu() {
    // A menu built but never shown would otherwise stay allocated.
    if (hPopupMenu != 0) {
        service_->DestroyMenu(hPopupMenu);
    }
}

void clsNewMenu::Create(WindowHandle hWnd) {
    hOwnerWnd = hWnd;
    if (hPopupMenu != 0) {
        service_->DestroyMenu(hPopupMenu);
    }
    hPopupMenu = service_->CreatePopupMenu();
    arrItems.clear();
    lngItemCount = 0;
    detail::MutableMenuEntries() = MenuEntryRegistry();
}

std::string clsNewMenu::PopUp() {
    return PopUpAt(service_->GetCursorPos());
}

std::string clsNewMenu::PopUpAt(ScreenPoint at) {
    service_->SetForegroundWindow(hOwnerWnd);
    const std::int32_t chosen =
        service_->TrackPopupMenuEx(hPopupMenu, TPM_RETURNCMD, at.x, at.y, hOwnerWnd);
    service_->PostNullMessage(hOwnerWnd);

    std::string result = "-1";
    if (chosen != 0) {
        const MenuEntryRegistry& entries = MenuEntries();
        // An id the registry does not know counts as nothing chosen.
        if (auto it = entries.find("id" + std::to_string(chosen)); it != entries.end()) {
            result = it->second->Tag;
        }
    }
    service_->DestroyMenu(hPopupMenu);
    hPopupMenu = 0;
    return result;
}

void clsNewMenu::AddMenu(const std::string& Caption, const std::string& Tag, bool Seperator,
                         bool blnChecked, std::int32_t Other_Param, bool blnDefault) {
    const std::int32_t id = detail::NextCommandId();
    if (Seperator) {
        service_->AppendMenu(hPopupMenu, MF_SEPARATOR, static_cast<std::uintptr_t>(id),
                             std::string());
    } else {
        const std::uint32_t flags =
            blnChecked ? (static_cast<std::uint32_t>(Other_Param) | MF_CHECKED) : MF_STRING;
        service_->AppendMenu(hPopupMenu, flags, static_cast<std::uintptr_t>(id), Caption);
    }
    if (blnDefault) {
        service_->SetMenuDefaultItem(hPopupMenu, static_cast<std::uint32_t>(id), 0);
    }

    auto entry = std::make_shared<clsMenu>(service_);
    entry->ParentMenu = hPopupMenu;
    entry->Caption = Caption;
    entry->Id = id;
    entry->Pos = lngItemCount;
    entry->Tag = Tag;
    entry->hWnd = 0;
    arrItems.push_back(entry);
    detail::RegisterEntry(entry);
    lngItemCount = static_cast<std::int32_t>(arrItems.size());
}

std::shared_ptr<clsMenu> clsNewMenu::SubMenu(std::int32_t Index) const {
    if (Index < 0 || Index >= lngItemCount) {
        throw Error(errnum::kSubscriptOutOfRange, "clsNewMenu.SubMenu", "Subscript out of range");
    }
    return arrItems[static_cast<std::size_t>(Index)];
}

std::int32_t clsNewMenu::Count() {
    return service_->GetMenuItemCount(hPopupMenu);
}

void clsNewMenu::AddPicture(BitmapHandle Picture, std::int32_t Pos) {
    service_->SetMenuItemBitmaps(hPopupMenu, static_cast<std::uint32_t>(Pos), MF_BYPOSITION,
                                 Picture, Picture);
}

}  // namespace pagora
