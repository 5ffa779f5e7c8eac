#pragma once

#include <string>

namespace fray {

// Where things live for the current user, resolved once from the environment.
struct Paths {
    std::string home;
    std::string configHome; // $XDG_CONFIG_HOME or ~/.config
    std::string cacheHome;  // $XDG_CACHE_HOME or ~/.cache
    std::string runtimeDir; // $XDG_RUNTIME_DIR, empty when unset
    std::string executable; // absolute path of the running program, empty when unknown

    static Paths fromEnvironment();
};

} // namespace fray
