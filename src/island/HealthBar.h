#pragma once

#include "IslandModel.h"
#include "theme/Redraw.h"

#include <QPainter>
#include <QRectF>

#include <optional>

namespace fray {

// Player 1's stamina ramp: view-local state that the owner of the bar keeps between
// frames. A renderer that draws one still passes a fresh one.
struct StaminaRamp {
    double from = 0;
    double to = 0;
    Instant start = distantPast();
    bool shown = false;

    static constexpr double duration = 0.75;

    // Call before drawing a model: the first call settles on its stamina; a changed
    // stamina starts a new ramp from whatever the bar shows at `now`.
    void update(double stamina, Instant now);
    double eased(Instant t) const;
    bool ramping(Instant t) const;
};

// A fighter's slanted health bar. Player 1 (not mirrored) shows the user's stamina
// drained by work pressure; player 2 (mirrored) is the agent.
class HealthBar {
  public:
    HealthBar(const IslandModel& model, bool mirrored, const StaminaRamp& ramp)
        : m_(model), mirrored_(mirrored), ramp_(ramp) {}

    static constexpr double powerDuration = 1.5;
    static constexpr double height = 13;

    struct Power {
        double progress;
        double flare;
    };

    // 0 to 1 over ten minutes of uninterrupted work.
    static double pressure(const IslandModel& m, Instant now);
    // The power-up flare of player 1, while it runs.
    std::optional<Power> power(Instant t) const;

    double fill(Instant t) const;
    // Width fraction of the red damage trail ahead of the fill.
    double trail(Instant t) const;
    // Whether the sweeping sheen shows on a fill `fillWidth` points wide.
    bool sheen(double fillWidth) const;
    bool animating(Instant t) const;

    void paint(QPainter& p, const QRectF& rect, Instant t) const;
    // How far the power-up glow (three of its 10-point radii) and swell reach outside the bar:
    // a partial repaint must cover it, or the fading glow would leave pixels behind.
    static double overdraw() { return 32; }
    void schedule(RedrawSchedule& s, const QRectF& rect, Instant t) const;

  private:
    const IslandModel& m_;
    bool mirrored_;
    const StaminaRamp& ramp_;
};

} // namespace fray
