#pragma once

#include "HealthBar.h"

#include <QColor>
#include <QString>

namespace fray {

// One fighter: a name plate with its colour chip over the health bar.
class PlayerSide {
  public:
    PlayerSide(QString name, QColor chip, bool mirrored, const IslandModel& model, const StaminaRamp& ramp)
        : name_(std::move(name)), chip_(std::move(chip)), mirrored_(mirrored), model_(model), ramp_(ramp) {}

    static double nameRowHeight();
    static double height() { return nameRowHeight() + 2 + HealthBar::height; }

    // Player 1's name plate glows with the power-up.
    double powerFlare(Instant now) const;

    QRectF barRect(const QRectF& side) const;
    void paint(QPainter& p, const QRectF& side, Instant t) const;
    void schedule(RedrawSchedule& s, const QRectF& side, Instant t) const;

  private:
    QString name_;
    QColor chip_;
    bool mirrored_;
    const IslandModel& model_;
    const StaminaRamp& ramp_;
};

} // namespace fray
