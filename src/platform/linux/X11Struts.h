#pragma once

#include <vector>

namespace fray {

// The band a panel or dock reserves along the top of the X screen (_NET_WM_STRUT_PARTIAL):
// `height` pixels from the top, between x `left` and `right` (inclusive).
struct TopStrut {
    int height = 0;
    int left = 0;
    int right = 0;
};

// Every top strut of the windows the window manager lists; empty off X11.
std::vector<TopStrut> topStruts();

} // namespace fray
