#include "model/Displays.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {
ScreenInfo screen(std::string name, double x, double y, std::uint32_t v = 0, std::uint32_t m = 0,
                  std::uint32_t s = 0, bool builtIn = false) {
    return {.id = name + "@" + std::to_string(x),
            .name = name,
            .frame = {x, y, 1920, 1080},
            .builtIn = builtIn,
            .vendor = v,
            .model = m,
            .serial = s};
}
} // namespace

TEST(Displays, StableKeys) {
    struct Row {
        const char* name;
        std::vector<ScreenInfo> system;
        std::vector<std::string> expect; // "key = name", left to right
    } rows[] = {
        {"built-in and EDID-identified",
         {screen("eDP-1", 0, 0, 0, 0, 0, true), screen("HDMI-1", 1920, 0, 4268, 41234, 808464432)},
         {"builtin = eDP-1", "ext:4268-41234-808464432 = HDMI-1"}},
        {"the same EDID twice, numbered left to right",
         {screen("B", 1920, 0, 1, 2, 3), screen("A", 0, 0, 1, 2, 3)},
         {"ext:1-2-3 = A", "ext:1-2-3#2 = B (2)"}},
        {"stacked: bottom edge breaks the tie",
         {screen("top", 0, 1080), screen("bottom", 0, 0)},
         {"name:bottom = bottom", "name:top = top"}},
    };
    for (const auto& r : rows) {
        std::vector<std::string> got;
        for (const auto& c : Displays::attached(r.system))
            got.push_back(c.key + " = " + c.name);
        EXPECT_EQ(got, r.expect) << r.name;
    }
    auto noNumber = screen("Virtual", 0, 0, 5, 6, 7, true);
    noNumber.hasDisplayNumber = false;
    EXPECT_EQ(Displays::attached({noNumber}).at(0).key, "name:Virtual");
}
