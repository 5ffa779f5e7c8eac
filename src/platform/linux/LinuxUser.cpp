#include "LinuxUser.h"

#include <pwd.h>
#include <unistd.h>

namespace fray {

std::string LinuxUser::fullName() const {
    const passwd* pw = getpwuid(getuid());
    if (!pw || !pw->pw_gecos) return {};
    std::string gecos = pw->pw_gecos;
    return gecos.substr(0, gecos.find(','));
}

std::string LinuxUser::loginName() const {
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_name ? std::string(pw->pw_name) : std::string();
}

} // namespace fray
