#include "Paths.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace fray {

namespace {
std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}
// XDG base directories must be absolute; a relative value is ignored.
std::string xdg(const char* name, const std::string& fallback) {
    std::string v = env(name);
    return (!v.empty() && v.front() == '/') ? v : fallback;
}
} // namespace

Paths Paths::fromEnvironment() {
    Paths p;
    p.home = env("HOME");
    if (p.home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) p.home = pw->pw_dir;
    }
    p.configHome = xdg("XDG_CONFIG_HOME", p.home + "/.config");
    p.cacheHome = xdg("XDG_CACHE_HOME", p.home + "/.cache");
    p.runtimeDir = xdg("XDG_RUNTIME_DIR", "");
    p.dataDirs.push_back(xdg("XDG_DATA_HOME", p.home + "/.local/share"));
    std::string system = env("XDG_DATA_DIRS");
    if (system.empty()) system = "/usr/local/share:/usr/share";
    for (std::size_t start = 0; start <= system.size();) {
        std::size_t end = std::min(system.find(':', start), system.size());
        if (end > start && system[start] == '/') p.dataDirs.push_back(system.substr(start, end - start));
        start = end + 1;
    }
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) p.executable.assign(buf, static_cast<std::size_t>(n));
    return p;
}

} // namespace fray
