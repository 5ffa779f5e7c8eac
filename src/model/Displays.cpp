#include "Displays.h"

#include <algorithm>
#include <map>

namespace fray::Displays {

std::vector<Choice> attached(const std::vector<ScreenInfo>& systemScreens, const NameOverride& nameOverride) {
    std::vector<ScreenInfo> sorted = systemScreens;
    std::stable_sort(sorted.begin(), sorted.end(), [](const ScreenInfo& a, const ScreenInfo& b) {
        if (a.frame.left() != b.frame.left()) return a.frame.left() < b.frame.left();
        return a.frame.bottom() < b.frame.bottom();
    });
    std::vector<Choice> out;
    std::map<std::string, int> seen;
    for (const auto& s : sorted) {
        std::string base;
        if (!s.hasDisplayNumber)
            base = "name:" + s.name;
        else if (s.builtIn)
            base = "builtin";
        else if (s.vendor == 0 && s.model == 0 && s.serial == 0)
            base = "name:" + s.name;
        else
            base = "ext:" + std::to_string(s.vendor) + "-" + std::to_string(s.model) + "-" +
                   std::to_string(s.serial);
        int n = ++seen[base];
        if (n == 1)
            out.push_back({base, s.name, s});
        else
            out.push_back({base + "#" + std::to_string(n), s.name + " (" + std::to_string(n) + ")", s});
    }
    if (nameOverride)
        for (std::size_t i = 0; i < out.size() && i < nameOverride->size(); ++i)
            out[i].name = (*nameOverride)[i];
    return out;
}

} // namespace fray::Displays
