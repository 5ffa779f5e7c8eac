#pragma once

#include "Accessibility.h"
#include "Autostart.h"
#include "DisplayProvider.h"
#include "Notifications.h"
#include "Paths.h"
#include "SoundOutput.h"
#include "Tray.h"
#include "UserInfo.h"
#include "WindowSystem.h"
#include "Workspace.h"

#include <memory>

namespace fray {

// The OS facilities, built once by the entry point and passed down to whoever needs them;
// tests and the offline renderers pass fakes instead.
struct Platform {
    std::shared_ptr<DisplayProvider> displays;
    std::shared_ptr<SoundOutput> sounds;
    std::shared_ptr<UserInfo> user;
    std::shared_ptr<Accessibility> accessibility;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<Autostart> autostart;
    std::shared_ptr<WindowSystem> windows;
    std::shared_ptr<Tray> tray;
    std::shared_ptr<Notifications> notifications;
    Paths paths;
};

// This system's backends, for the current user's paths. Needs the application object.
Platform systemPlatform();

} // namespace fray
