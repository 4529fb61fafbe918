#pragma once

#include <QAction>
#include <QMenu>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/QtPopupMenu.h"

namespace pagora::testing {

// The real popup-menu service with the two calls that wait for the user answered by the test:
// TrackPopupMenuEx returns what `choose` picks from the menu shown, GetCursorPos gives `cursor`.
// The calls around showing a menu are logged in order.
class AnsweringPopupMenu : public QtPopupMenu {
  public:
    std::function<std::int32_t(AnsweringPopupMenu&, MenuHandle)> choose =
        [](AnsweringPopupMenu&, MenuHandle) { return 0; };
    ScreenPoint cursor{40, 60};
    std::vector<std::string> calls;

    std::int32_t TrackPopupMenuEx(MenuHandle menu, std::uint32_t flags, std::int32_t x,
                                  std::int32_t y, WindowHandle owner) override {
        calls.push_back("TrackPopupMenuEx(" + std::to_string(menu) + ", " + std::to_string(flags) +
                        ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
                        std::to_string(owner) + ")");
        return GetMenuItemCount(menu) < 0 ? 0 : choose(*this, menu);
    }
    ScreenPoint GetCursorPos() override {
        calls.push_back("GetCursorPos()");
        return cursor;
    }
    bool SetForegroundWindow(WindowHandle window) override {
        calls.push_back("SetForegroundWindow(" + std::to_string(window) + ")");
        return QtPopupMenu::SetForegroundWindow(window);
    }
    bool PostNullMessage(WindowHandle window) override {
        calls.push_back("PostNullMessage(" + std::to_string(window) + ")");
        return QtPopupMenu::PostNullMessage(window);
    }

    // The command id reached by following `captions` from `menu` through the widgets the
    // service would show; 0 when there is no such path.
    std::int32_t IdAt(MenuHandle menu, const std::vector<QString>& captions) const {
        const std::unique_ptr<QMenu> shown = BuildQMenu(menu);
        const QMenu* level = shown.get();
        for (size_t k = 0; level != nullptr && k < captions.size(); ++k) {
            const QList<QAction*> actions = level->actions();
            const auto it = std::find_if(actions.begin(), actions.end(),
                                         [&](QAction* a) { return a->text() == captions[k]; });
            if (it == actions.end()) {
                return 0;
            }
            if (k + 1 == captions.size()) {
                return static_cast<std::int32_t>((*it)->data().toULongLong());
            }
            level = (*it)->menu();
        }
        return 0;
    }
};

}  // namespace pagora::testing
