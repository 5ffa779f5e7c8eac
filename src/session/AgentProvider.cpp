#include "AgentProvider.h"

#include "PathText.h"

namespace fray {

std::optional<std::string> lastComponentName(const std::optional<std::string>& path) {
    if (!path || path->empty()) return std::nullopt;
    std::string_view name = PathText::lastComponent(*path);
    if (name.empty()) return std::nullopt;
    return std::string(name);
}

} // namespace fray
