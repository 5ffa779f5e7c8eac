#include "Autostart.h"

#include "AutostartDesktopEntry.h"

namespace fray {

std::unique_ptr<Autostart> systemAutostart(const Paths& paths) {
    return std::make_unique<AutostartDesktopEntry>(paths.configHome, paths.executable);
}

} // namespace fray
