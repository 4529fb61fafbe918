#include "menu/clsMenu.h"

#include <stdexcept>

#include "base/Error.h"

namespace pagora {

using namespace popupflags;

const MenuEntryRegistry& MenuEntries() {
    return detail::MutableMenuEntries();
}

namespace detail {

MenuEntryRegistry& MutableMenuEntries() {
    static MenuEntryRegistry registry;
    return registry;
}

std::int32_t NextCommandId() {
    return static_cast<std::int32_t>(MutableMenuEntries().size()) + 1000;
}

void RegisterEntry(const std::shared_ptr<clsMenu>& entry) {
    MutableMenuEntries()["id" + std::to_string(entry->Id)] = entry;
}

}  // namespace detail

clsMenu::clsMenu(std::shared_ptr<PopupMenu> service) : service_(std::move(service)) {
    if (!service_) {
        throw std::invalid_argument("clsMenu needs a popup-menu service");
    }
}

void clsMenu::AddMenu(const std::string& newCaption, const std::string& Tag, bool Seperator) {
    const std::int32_t id = detail::NextCommandId();
    const std::uint32_t flags = Seperator ? MF_SEPARATOR : MF_STRING;
    const std::string text = Seperator ? std::string() : newCaption;
    MenuHandle submenu = 0;
    if (Count() <= 0) {
        submenu = service_->CreatePopupMenu();
        service_->AppendMenu(submenu, flags, static_cast<std::uintptr_t>(id), text);
        service_->ModifyMenu(ParentMenu, static_cast<std::uint32_t>(Id), MF_BYCOMMAND | MF_POPUP,
                             static_cast<std::uintptr_t>(submenu), Caption);
    } else {
        submenu = service_->GetSubMenu(ParentMenu, Pos);
        service_->AppendMenu(submenu, flags, static_cast<std::uintptr_t>(id), text);
    }

    auto entry = std::make_shared<clsMenu>(service_);
    entry->ParentMenu = submenu;
    entry->Caption = newCaption;
    entry->Id = id;
    entry->Pos = lngSubItemCount;
    entry->Tag = Tag;
    entry->hWnd = submenu;
    arrSubItems.push_back(entry);
    detail::RegisterEntry(entry);
    lngSubItemCount = static_cast<std::int32_t>(arrSubItems.size());
}

std::int32_t clsMenu::Count() {
    return service_->GetMenuItemCount(service_->GetSubMenu(ParentMenu, Pos));
}

std::shared_ptr<clsMenu> clsMenu::SubMenu(std::int32_t Index) const {
    if (Index < 0 || Index >= lngSubItemCount) {
        throw Error(errnum::kSubscriptOutOfRange, "clsMenu.SubMenu", "Subscript out of range");
    }
    return arrSubItems[static_cast<std::size_t>(Index)];
}

void clsMenu::AddPicture(BitmapHandle Picture) {
    service_->SetMenuItemBitmaps(ParentMenu, static_cast<std::uint32_t>(Pos), MF_BYPOSITION,
                                 Picture, Picture);
}

}  // namespace pagora
