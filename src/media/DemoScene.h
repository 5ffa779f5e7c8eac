#pragma once

#include "DemoScript.h"

#include "island/IslandView.h"

#include <QImage>
#include <QPainter>

#include <optional>
#include <string>
#include <vector>

namespace fray {

// One moment of the demo story on its fake 1280 x 720 desktop: wallpaper, menu bar, the
// terminal, the island drawn by the live island views, the pointer, the caption and the
// closing title.
struct DemoScene {
    static constexpr double W = 1280, H = 720;

    IslandModel model;
    bool collapsed = false;
    std::string caption;
    double captionOpacity = 0;
    std::vector<TermLine> terminal;
    std::optional<QPointF> cursor;
    double outro = 0;
    std::string terminalTitle;

    static DemoScene from(DemoScript::Beat beat, std::string terminalTitle);

    static QRectF terminalFrame();
    QPointF islandTopLeft() const;
    // Where the caption plate's bottom edge is centred.
    static QPointF captionAnchor();

    // Everything; `state` carries the island's stamina ramp from one frame to the next.
    void paint(QPainter& p, IslandViewState& state, Instant t) const;

    // The layers that are the same in every frame of one terminal title: wallpaper, menu
    // bar and the terminal's chrome. Drawn from an image made once per device scale.
    void paintBackdrop(QPainter& p) const;
    // The rest, over the backdrop.
    void paintLive(QPainter& p, IslandViewState& state, Instant t) const;
};

} // namespace fray
