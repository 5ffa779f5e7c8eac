#pragma once

#include "session/RepeatingTimer.h"
#include "session/SessionMonitoring.h"
#include "session/SessionStatus.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPainterPath>

#include <map>
#include <optional>

namespace fray {

// The tray emblem: two fighter heads with a spark where they clash.
namespace MenuBarIcon {

enum class Clash { full, short_, none };

inline constexpr double gridW = 26;
inline constexpr double gridH = 18;

// The emblem's shapes in grid units, y downwards (the tray's image space); each path
// carries its own fill rule.
std::vector<QPainterPath> paths(Clash clash);

// The emblem drawn `pixelHeight` pixels tall (width keeps the 26:18 ratio), filled
// with `color` on a transparent background.
QImage image(Clash clash, int pixelHeight, QColor color = Qt::black);
// The emblem centred in a square `pixels` wide, as tray hosts want their icons.
QImage trayImage(Clash clash, int pixels, QColor color);

} // namespace MenuBarIcon

// Drives the emblem's animation from the most urgent status of every update.
class IconAnimator : public QObject {
    Q_OBJECT
  public:
    explicit IconAnimator(TimerFactory timers);

    void syncIcon(const SessionList& list);

    MenuBarIcon::Clash frame() const { return frame_; }
    std::optional<SessionStatus> iconStatus() const { return iconStatus_; }

  signals:
    void frameChanged(fray::MenuBarIcon::Clash);

  private:
    void tick();
    void show(MenuBarIcon::Clash c);

    TimerFactory timers_;
    std::unique_ptr<RepeatingTimer> iconTimer_;
    bool iconPhase_ = false;
    std::optional<SessionStatus> iconStatus_;
    MenuBarIcon::Clash frame_ = MenuBarIcon::Clash::full;
};

} // namespace fray
