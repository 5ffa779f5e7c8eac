#include "platform/Platform.h"

#include "DBusNotifications.h"
#include "LinuxAccessibility.h"
#include "LinuxDisplays.h"
#include "LinuxSounds.h"
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
    return p;
}

} // namespace fray
