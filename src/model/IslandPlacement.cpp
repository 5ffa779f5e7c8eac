#include "IslandPlacement.h"

#include "Displays.h"

#include <algorithm>
#include <cmath>

namespace fray::IslandPlacement {

using namespace IslandLayout;

std::optional<GRect> notchOf(const ScreenInfo& s) {
    if (!(s.safeAreaTop > 0) || !s.auxiliaryTopLeft || !s.auxiliaryTopRight) return std::nullopt;
    const GRect& l = *s.auxiliaryTopLeft;
    const GRect& r = *s.auxiliaryTopRight;
    if (!(r.left() > l.right())) return std::nullopt;
    return GRect{l.right(), s.frame.top() - s.safeAreaTop, r.left() - l.right(), s.safeAreaTop};
}

Result layout(const ScreenInfo& screen, const Input& in) {
    const GRect& f = screen.frame;
    const GRect& v = screen.visibleFrame;
    const auto notch = notchOf(screen);
    const IslandMode mode = in.mode;
    const bool collapsed = mode == IslandMode::collapsed;

    Result r;
    r.barH = std::clamp(notch ? notch->height : 24.0, 18.0, 40.0);
    r.cw = std::round(r.barH * 2.5); // halves away from zero
    const double w = collapsed ? r.cw + 2 * margin : panelWidth;

    double x = in.position == IslandPosition::left     ? f.left() + 4
               : in.position == IslandPosition::center ? f.midX() - w / 2
                                                       : f.right() - w - 4;
    double top = f.top();
    bool clampCollapsed = false;
    auto wrapNotch = [&] {
        r.notchLocal = QRectF(notch->left() - (x + margin), 0, notch->width, notch->height);
    };
    if (in.customSpot) {
        const double h0 = contentHeight(mode, in.rows, 0, in.planLine);
        x = std::min(std::max(in.customSpot->x + f.left(), f.left() - w + 60), f.right() - 60);
        top = std::min(std::max(f.top() - in.customSpot->y, f.bottom() + h0), f.top());
        if (collapsed) {
            clampCollapsed = true;
        } else if (notch && top > notch->bottom() && x < notch->right() && x + w > notch->left()) {
            wrapNotch(); // close enough to snap up around the notch
            top = f.top();
        }
    } else if (in.overlapMenuBar) {
        top = f.top();
        if (notch && x < notch->right() && notch->left() < x + w) {
            if (collapsed) {
                top = notch->bottom() + 8;
                clampCollapsed = true;
            } else {
                wrapNotch();
            }
        } else {
            clampCollapsed = collapsed;
        }
    } else {
        const double menu = f.top() - v.top(); // 0 when the bar hides itself
        top = f.top() - std::max(menu, 24.0) - 2;
        clampCollapsed = collapsed;
    }
    if (clampCollapsed) {
        x = std::min(std::max(x, f.left() - margin), f.right() - margin - r.cw);
        top = std::min(std::max(top, f.bottom() + r.barH), f.top());
        r.notchLocal.reset();
    }

    const double ch =
        collapsed ? r.barH
                  : contentHeight(mode, in.rows, r.notchLocal ? r.notchLocal->height() : 0, in.planLine);
    const double cwid = collapsed ? r.cw : islandWidth;
    const double h = ch + margin + topHalo;
    r.panelFrame = {x, top + topHalo - h, w, h};
    r.contentRect = QRectF(margin, topHalo, cwid, ch);
    return r;
}

std::optional<ScreenInfo> targetScreen(const std::vector<ScreenInfo>& screens,
                                       const std::optional<std::string>& displayKey) {
    if (displayKey)
        for (const auto& c : Displays::attached(screens))
            if (c.key == *displayKey) return c.screen;
    if (screens.empty()) return std::nullopt;
    return screens.front();
}

GPoint customSpotFor(const DragAnchor& a, GPoint m, const GRect& frame) {
    return {a.islandTopLeft.x + (m.x - a.mouse.x) - frame.left(),
            frame.top() - (a.islandTopLeft.y + (m.y - a.mouse.y))};
}

bool covers(const GRect& window, const GRect& frame) {
    return std::abs(window.left() - frame.left()) < 3 && std::abs(window.bottom() - frame.bottom()) < 3 &&
           std::abs(window.width - frame.width) < 3 && std::abs(window.height - frame.height) < 3;
}

} // namespace fray::IslandPlacement
