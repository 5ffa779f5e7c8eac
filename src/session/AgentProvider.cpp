#include "AgentProvider.h"

#include "PathText.h"

namespace fray {

std::optional<std::string> lastComponentName(const std::optional<std::string>& path) {
    if (!path || path->empty()) return std::nullopt;
    std::string_view name = PathText::lastComponent(*path);
    if (name.empty()) return std::nullopt;
    return std::string(name);
}

std::optional<std::string> titleLabel(std::optional<std::string> title) {
    if (!title || title->find_first_not_of(" \t\n\r\v\f") == std::string::npos) return std::nullopt;
    return title;
}

} // namespace fray
