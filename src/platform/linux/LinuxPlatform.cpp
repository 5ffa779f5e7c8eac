#include "platform/Platform.h"

#include "DBusNotifications.h"
#include "LinuxAccessibility.h"
#include "LinuxApplications.h"
#include "LinuxClientWindows.h"
#include "LinuxDisplays.h"
#include "LinuxProcessTable.h"
#include "LinuxSounds.h"
#include "LinuxTerminal.h"
#include "LinuxTmux.h"
#include "LinuxTray.h"
#include "LinuxUser.h"
#include "LinuxWorkspace.h"
#include "X11WindowSystem.h"
#include "platform/AutostartDesktopEntry.h"

namespace fray {

Platform systemPlatform() {
    Platform p;
    p.paths = Paths::fromEnvironment();
    p.displays = std::make_shared<LinuxDisplays>();
    p.sounds = std::make_shared<LinuxSounds>();
    p.user = std::make_shared<LinuxUser>();
    p.accessibility = std::make_shared<LinuxAccessibility>();
    p.workspace = std::make_shared<LinuxWorkspace>();
    p.autostart = std::make_shared<AutostartDesktopEntry>(p.paths.configHome, p.paths.executable);
    p.windows = std::make_shared<X11WindowSystem>();
    p.tray = std::make_shared<LinuxTray>();
    p.notifications = std::make_shared<DBusNotifications>();
    p.applications = std::make_shared<LinuxApplications>(p.paths.dataDirs, p.paths.home);
    p.terminal = std::make_shared<LinuxTerminal>(p.paths.home);
    p.processes = std::make_shared<LinuxProcessTable>();
    p.clientWindows = std::make_shared<LinuxClientWindows>();
    p.tmux = std::make_shared<LinuxTmux>();
    return p;
}

} // namespace fray
