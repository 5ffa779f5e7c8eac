#include "PathText.h"

namespace fray::PathText {

namespace {
std::string_view stripTrailingSlashes(std::string_view p) {
    while (p.size() > 1 && p.back() == '/')
        p.remove_suffix(1);
    return p;
}
} // namespace

std::string_view lastComponent(std::string_view path) {
    path = stripTrailingSlashes(path);
    if (path == "/") return path;
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view parent(std::string_view path) {
    path = stripTrailingSlashes(path);
    if (path.empty() || path == "/") return path;
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return path.substr(0, 1);
    return stripTrailingSlashes(path.substr(0, slash));
}

std::string join(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

} // namespace fray::PathText
