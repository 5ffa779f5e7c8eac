#include "Platform.h"

#include "linux/LinuxAccessibility.h"
#include "linux/LinuxDisplays.h"
#include "linux/LinuxSounds.h"
#include "linux/LinuxUser.h"
#include "linux/LinuxWorkspace.h"

#include <optional>

namespace fray {

namespace {
std::optional<Platform>& current() {
    static std::optional<Platform> p;
    return p;
}
} // namespace

Platform& platform() {
    auto& p = current();
    if (!p) {
        Platform linux;
        linux.displays = std::make_shared<LinuxDisplays>();
        linux.sounds = std::make_shared<LinuxSounds>();
        linux.user = std::make_shared<LinuxUser>();
        linux.accessibility = std::make_shared<LinuxAccessibility>();
        linux.workspace = std::make_shared<LinuxWorkspace>();
        linux.paths = Paths::fromEnvironment();
        p = std::move(linux);
    }
    return *p;
}

void setPlatform(Platform p) {
    current() = std::move(p);
}

} // namespace fray
