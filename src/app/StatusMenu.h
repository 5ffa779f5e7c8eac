#pragma once

#include "platform/Tray.h"

#include <functional>
#include <vector>

namespace fray {

// The tray icon's menu as it should open now.
struct StatusMenu {
    int sessions = 0;
    bool collapsed = false;
    bool customSpot = false;
    std::function<void()> toggleCollapsed, resetPosition, openSettings, quit;

    std::vector<MenuEntry> entries() const {
        std::vector<MenuEntry> out;
        out.push_back(MenuEntry::header(sessions > 0 ? "Fraymark — " + std::to_string(sessions) + " in battle"
                                                     : "Fraymark — no fighters"));
        out.push_back(MenuEntry::separator());
        out.push_back(
            {MenuEntry::Kind::action, collapsed ? "Expand Island" : "Collapse Island", toggleCollapsed, {}});
        if (customSpot) out.push_back({MenuEntry::Kind::action, "Reset Position", resetPosition, {}});
        out.push_back({MenuEntry::Kind::action, "Options…", openSettings, {}});
        out.push_back(MenuEntry::separator());
        out.push_back({MenuEntry::Kind::action, "Quit Fraymark", quit, "Ctrl+Q"});
        return out;
    }
};

} // namespace fray
