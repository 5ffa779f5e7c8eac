#pragma once

#include "Accessibility.h"
#include "Applications.h"
#include "Autostart.h"
#include "ClientWindows.h"
#include "DisplayProvider.h"
#include "Notifications.h"
#include "Paths.h"
#include "ProcessTable.h"
#include "SoundOutput.h"
#include "TerminalLauncher.h"
#include "Tmux.h"
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
    // Bringing a clicked session forward.
    std::shared_ptr<Applications> applications;
    std::shared_ptr<TerminalLauncher> terminal;
    std::shared_ptr<ProcessTable> processes;
    std::shared_ptr<ClientWindows> clientWindows;
    std::shared_ptr<Tmux> tmux;
    Paths paths;
};

// This system's backends, for the current user's paths. Needs the application object.
Platform systemPlatform();

} // namespace fray
