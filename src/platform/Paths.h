#pragma once

#include <string>
#include <vector>

namespace fray {

// Where things live for the current user, resolved once from the environment.
struct Paths {
    std::string home;
    std::string configHome; // $XDG_CONFIG_HOME or ~/.config
    std::string cacheHome;  // $XDG_CACHE_HOME or ~/.cache
    std::string runtimeDir; // $XDG_RUNTIME_DIR, empty when unset
    std::string executable; // absolute path of the running program, empty when unknown
    // $XDG_DATA_HOME (or ~/.local/share) and then each of $XDG_DATA_DIRS, most important first
    std::vector<std::string> dataDirs;

    static Paths fromEnvironment();
};

} // namespace fray
