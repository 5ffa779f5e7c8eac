#pragma once

#include "IslandLayout.h"
#include "platform/DisplayProvider.h"

#include <QRectF>

#include <optional>
#include <string>
#include <vector>

// Where the island goes: which display, the panel's frame, the island's body inside it and
// the notch it wraps. Global coordinates, points, y upwards from the bottom of the
// primary display; the platform converts at its boundary.
namespace fray::IslandPlacement {

struct Input {
    IslandMode mode = IslandMode::compact;
    IslandPosition position = IslandPosition::center;
    bool overlapMenuBar = true;
    std::optional<GPoint> customSpot; // (dx, dy) from the display's top-left corner
    int rows = 0;                     // sessions the roster lists
    bool planLine = false;
};

struct Result {
    double barH = 24;                 // the collapsed island's height (the menu bar's)
    double cw = 60;                   // the collapsed island's width
    std::optional<QRectF> notchLocal; // the notch in island coordinates, when the island wraps it
    GRect panelFrame;                 // global
    QRectF contentRect; // the island's body inside the panel (y down): the only part that takes clicks

    bool operator==(const Result&) const = default;
};

// The notch between a display's two top areas, when it has one.
std::optional<GRect> notchOf(const ScreenInfo& screen);

Result layout(const ScreenInfo& screen, const Input& in);

// The pinned display when attached, else the first of the system's list; absent without displays.
std::optional<ScreenInfo> targetScreen(const std::vector<ScreenInfo>& screens,
                                       const std::optional<std::string>& displayKey);

// Where a drag has taken the island: the pointer and the panel's left edge and island's
// top edge when the drag began, and the pointer now.
struct DragAnchor {
    GPoint mouse;
    GPoint islandTopLeft;
};
GPoint customSpotFor(const DragAnchor& anchor, GPoint mouse, const GRect& frame);

// A window whose bounds match a display's frame to within 3 points covers it.
bool covers(const GRect& window, const GRect& frame);

} // namespace fray::IslandPlacement
