#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

namespace fray {

enum class IslandMode { collapsed, compact, expanded };

enum class IslandPosition { left, center, right };

inline constexpr IslandPosition allIslandPositions[] = {IslandPosition::left, IslandPosition::center,
                                                        IslandPosition::right};

inline constexpr std::string_view rawValue(IslandPosition p) {
    switch (p) {
    case IslandPosition::left:
        return "left";
    case IslandPosition::center:
        return "center";
    case IslandPosition::right:
        return "right";
    }
    return "center";
}

inline std::optional<IslandPosition> islandPositionFromRaw(std::string_view raw) {
    for (auto p : allIslandPositions)
        if (rawValue(p) == raw) return p;
    return std::nullopt;
}

struct PanelSize {
    double width = 0, height = 0;
    bool operator==(const PanelSize&) const = default;
};

// Island geometry, in points.
namespace IslandLayout {

inline constexpr double islandWidth = 460;
inline constexpr double margin = 26;
inline constexpr double topHalo = 26;
inline constexpr double panelWidth = islandWidth + 2 * margin;
inline constexpr double compactHeight = 76;
inline constexpr double collapsedWidth = 58;
inline constexpr double collapsedHeight = 46;
inline constexpr double rowHeight = 26;
inline constexpr int maxRows = 6;
inline constexpr double planLineHeight = 18;

inline constexpr IslandMode mode(bool collapsed, bool hovered) {
    if (hovered) return IslandMode::expanded;
    return collapsed ? IslandMode::collapsed : IslandMode::compact;
}

inline constexpr double contentHeight(IslandMode mode, int rowCount, double notchInset, bool planLine) {
    switch (mode) {
    case IslandMode::collapsed:
        return collapsedHeight;
    case IslandMode::compact:
        return compactHeight + notchInset;
    case IslandMode::expanded:
        break;
    }
    int rows = std::clamp(rowCount, 1, maxRows);
    return compactHeight + notchInset + 9 + rowHeight * rows + (rowCount > maxRows ? 16 : 0) +
           (planLine ? planLineHeight : 0) + 20 + 8;
}

inline constexpr PanelSize panelSize(IslandMode mode, int rowCount, double notchInset, bool planLine) {
    double w = mode == IslandMode::collapsed ? collapsedWidth + 2 * margin : panelWidth;
    return {w, contentHeight(mode, rowCount, notchInset, planLine) + margin + topHalo};
}

} // namespace IslandLayout
} // namespace fray
