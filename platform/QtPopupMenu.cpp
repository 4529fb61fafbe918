#include "platform/QtPopupMenu.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace pagora {

using namespace popupflags;

namespace {

bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QWidget* WidgetOf(WindowHandle window) {
    if (window == 0 || !HaveWidgets()) {
        return nullptr;
    }
    return QWidget::find(static_cast<WId>(window));
}

}  // namespace

QtPopupMenu::QtPopupMenu() = default;
QtPopupMenu::~QtPopupMenu() = default;

MenuHandle QtPopupMenu::CreatePopupMenu() {
    if (nextMenu_ == std::numeric_limits<MenuHandle>::max()) {
        return 0;
    }
    const MenuHandle handle = nextMenu_++;
    menus_[handle];
    return handle;
}

QtPopupMenu::Menu* QtPopupMenu::Find(MenuHandle menu) {
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : &it->second;
}

const QtPopupMenu::Menu* QtPopupMenu::Find(MenuHandle menu) const {
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : &it->second;
}

bool QtPopupMenu::MakeItem(MenuHandle owner, std::uint32_t flags, std::uintptr_t idNewItem,
                           const std::string& caption, MenuHandle keepSubmenu, Item& item) {
    item.flags = flags & ~MF_BYPOSITION;
    item.caption = caption;
    if ((flags & MF_SEPARATOR) != 0) {
        item.flags &= ~MF_POPUP;
        item.id = idNewItem;
        return true;
    }
    if ((flags & MF_POPUP) == 0) {
        item.id = idNewItem;
        return true;
    }
    if (idNewItem > static_cast<std::uintptr_t>(std::numeric_limits<MenuHandle>::max())) {
        return false;
    }
    const auto sub = static_cast<MenuHandle>(idNewItem);
    const Menu* subMenu = Find(sub);
    if (subMenu == nullptr || sub == owner) {
        return false;
    }
    if (sub != keepSubmenu) {
        // A menu opens from one place only, and never from inside itself.
        if (subMenu->parent != 0) {
            return false;
        }
        for (MenuHandle up = owner; up != 0;) {
            if (up == sub) {
                return false;
            }
            const Menu* m = Find(up);
            up = m == nullptr ? 0 : m->parent;
        }
    }
    item.submenu = sub;
    item.id = 0;
    return true;
}

bool QtPopupMenu::AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idNewItem,
                             const std::string& caption) {
    Menu* target = Find(menu);
    if (target == nullptr) {
        return false;
    }
    Item item;
    if (!MakeItem(menu, flags, idNewItem, caption, 0, item)) {
        return false;
    }
    if (item.submenu != 0) {
        menus_[item.submenu].parent = menu;
    }
    target->items.push_back(std::move(item));
    return true;
}

std::pair<QtPopupMenu::Menu*, QtPopupMenu::Item*> QtPopupMenu::Locate(MenuHandle menu,
                                                                      std::uint32_t position,
                                                                      std::uint32_t flags) {
    Menu* m = Find(menu);
    if (m == nullptr) {
        return {nullptr, nullptr};
    }
    if ((flags & MF_BYPOSITION) != 0) {
        if (position >= m->items.size()) {
            return {nullptr, nullptr};
        }
        return {m, &m->items[position]};
    }
    for (Item& item : m->items) {
        if (item.submenu == 0 && item.id == position) {
            return {m, &item};
        }
    }
    for (Item& item : m->items) {
        if (item.submenu != 0) {
            auto found = Locate(item.submenu, position, flags);
            if (found.second != nullptr) {
                return found;
            }
        }
    }
    return {nullptr, nullptr};
}

bool QtPopupMenu::ModifyMenu(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                             std::uintptr_t idNewItem, const std::string& caption) {
    auto [holder, item] = Locate(menu, position, flags);
    if (item == nullptr) {
        return false;
    }
    MenuHandle holderHandle = 0;
    for (const auto& [handle, m] : menus_) {
        if (&m == holder) {
            holderHandle = handle;
            break;
        }
    }
    Item replacement;
    if (!MakeItem(holderHandle, flags, idNewItem, caption, item->submenu, replacement)) {
        return false;
    }
    replacement.isDefault = item->isDefault;
    replacement.unchecked = item->unchecked;
    replacement.checked = item->checked;
    const MenuHandle old = item->submenu;
    *item = std::move(replacement);
    if (item->submenu != 0) {
        menus_[item->submenu].parent = holderHandle;
    }
    if (old != 0 && old != item->submenu) {
        menus_[old].parent = 0;
        Erase(old);
    }
    return true;
}

MenuHandle QtPopupMenu::GetSubMenu(MenuHandle menu, std::int32_t pos) {
    const Menu* m = Find(menu);
    if (m == nullptr || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size()) {
        return 0;
    }
    return m->items[static_cast<std::size_t>(pos)].submenu;
}

std::int32_t QtPopupMenu::GetMenuItemCount(MenuHandle menu) {
    const Menu* m = Find(menu);
    return m == nullptr ? -1 : static_cast<std::int32_t>(m->items.size());
}

bool QtPopupMenu::SetMenuDefaultItem(MenuHandle menu, std::uint32_t item,
                                     std::uint32_t byPosition) {
    Menu* m = Find(menu);
    if (m == nullptr) {
        return false;
    }
    Item* chosen = nullptr;
    if (item != kNoDefaultItem) {
        if (byPosition != 0) {
            if (item >= m->items.size()) {
                return false;
            }
            chosen = &m->items[item];
        } else {
            auto it = std::find_if(m->items.begin(), m->items.end(), [item](const Item& i) {
                return i.submenu == 0 && i.id == item;
            });
            if (it == m->items.end()) {
                return false;
            }
            chosen = &*it;
        }
    }
    for (Item& i : m->items) {
        i.isDefault = &i == chosen;
    }
    return true;
}

bool QtPopupMenu::SetMenuItemBitmaps(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                                     BitmapHandle unchecked, BitmapHandle checked) {
    auto [holder, item] = Locate(menu, position, flags);
    if (item == nullptr) {
        return false;
    }
    item->unchecked = unchecked;
    item->checked = checked;
    return true;
}

void QtPopupMenu::Fill(QMenu& target, const Menu& source, std::vector<MenuHandle>& path) const {
    for (const Item& item : source.items) {
        const QString caption = QString::fromStdString(item.caption);
        QAction* action = nullptr;
        if ((item.flags & MF_SEPARATOR) != 0) {
            target.addSeparator();
            continue;
        }
        if (item.submenu != 0) {
            const Menu* sub = Find(item.submenu);
            if (sub == nullptr || std::find(path.begin(), path.end(), item.submenu) != path.end()) {
                continue;
            }
            QMenu* child = target.addMenu(caption);
            path.push_back(item.submenu);
            Fill(*child, *sub, path);
            path.pop_back();
            action = child->menuAction();
        } else {
            action = target.addAction(caption);
            action->setData(QVariant::fromValue<qulonglong>(item.id));
            if ((item.flags & MF_CHECKED) != 0) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
        action->setEnabled((item.flags & (MF_GRAYED | MF_DISABLED)) == 0);
        QIcon icon;
        if (auto it = bitmaps_.find(item.unchecked); it != bitmaps_.end()) {
            icon.addPixmap(QPixmap::fromImage(it->second), QIcon::Normal, QIcon::Off);
        }
        if (auto it = bitmaps_.find(item.checked); it != bitmaps_.end()) {
            icon.addPixmap(QPixmap::fromImage(it->second), QIcon::Normal, QIcon::On);
        }
        if (!icon.isNull()) {
            action->setIcon(icon);
        }
        if (item.isDefault) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            target.setDefaultAction(action);
        }
    }
}

std::unique_ptr<QMenu> QtPopupMenu::BuildQMenu(MenuHandle menu) const {
    const Menu* m = Find(menu);
    if (m == nullptr || !HaveWidgets()) {
        return nullptr;
    }
    auto widget = std::make_unique<QMenu>();
    std::vector<MenuHandle> path{menu};
    Fill(*widget, *m, path);
    return widget;
}

std::int32_t QtPopupMenu::TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                           std::int32_t y, WindowHandle /*owner*/) {
    std::unique_ptr<QMenu> widget = BuildQMenu(menu);
    if (!widget) {
        return 0;
    }
    QAction* chosen = widget->exec(QPoint(x, y));
    if (chosen == nullptr || !chosen->data().isValid()) {
        return 0;
    }
    const auto id = static_cast<std::int32_t>(chosen->data().toULongLong());
    if ((flags & TPM_RETURNCMD) != 0) {
        return id;
    }
    return id != 0 ? 1 : 0;
}

void QtPopupMenu::Erase(MenuHandle menu) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) {
        return;
    }
    if (Menu* parent = Find(it->second.parent)) {
        // The item that opened this menu stays as a plain entry.
        for (Item& item : parent->items) {
            if (item.submenu == menu) {
                item.submenu = 0;
                item.flags &= ~MF_POPUP;
            }
        }
    }
    std::vector<MenuHandle> children;
    for (const Item& item : it->second.items) {
        if (item.submenu != 0) {
            children.push_back(item.submenu);
        }
    }
    menus_.erase(it);
    for (MenuHandle child : children) {
        if (Menu* c = Find(child)) {
            c->parent = 0;
        }
        Erase(child);
    }
}

bool QtPopupMenu::DestroyMenu(MenuHandle menu) {
    if (Find(menu) == nullptr) {
        return false;
    }
    Erase(menu);
    return true;
}

ScreenPoint QtPopupMenu::GetCursorPos() {
    if (QGuiApplication::instance() == nullptr) {
        return {};
    }
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

bool QtPopupMenu::SetForegroundWindow(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    widget->window()->raise();
    widget->window()->activateWindow();
    return true;
}

bool QtPopupMenu::PostNullMessage(WindowHandle window) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) {
        return false;
    }
    QCoreApplication::postEvent(widget, new QEvent(QEvent::None));
    return true;
}

BitmapHandle QtPopupMenu::RegisterBitmap(const QImage& image) {
    if (image.isNull() || nextBitmap_ == std::numeric_limits<BitmapHandle>::max()) {
        return 0;
    }
    const BitmapHandle handle = nextBitmap_++;
    bitmaps_[handle] = image;
    return handle;
}

void QtPopupMenu::ReleaseBitmap(BitmapHandle bitmap) {
    bitmaps_.erase(bitmap);
}

}  // namespace pagora
