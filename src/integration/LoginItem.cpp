#include "LoginItem.h"

#include "platform/Platform.h"

namespace fray {

std::string LoginItem::entryPath() {
    return systemAutostart(platform().paths)->entryPath();
}

bool LoginItem::isEnabled() {
    return systemAutostart(platform().paths)->isEnabled();
}

std::optional<std::string> LoginItem::registeredPath() {
    return systemAutostart(platform().paths)->registeredPath();
}

std::optional<AutostartError> LoginItem::setEnabled(bool on) {
    return systemAutostart(platform().paths)->setEnabled(on);
}

} // namespace fray
