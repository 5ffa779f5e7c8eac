#pragma once

#include "Geometry.h"
#include "Observers.h"

#include <QPainterPath>
#include <QRectF>

#include <optional>
#include <vector>

class QWidget;

namespace fray {

// Another program's top-level window, as the full-screen test sees it.
struct WindowInfo {
    GRect bounds;                 // global, y-up
    bool fullscreen = false;      // in full-screen state and not minimised
    bool onCurrentDesktop = true; // on the desktop shown now, or on all of them
    bool ordinary = true;         // not a dock, panel or desktop window
    bool ours = false;            // belongs to this process
};

// Placing the island's own windows and watching everyone else's.
class WindowSystem {
  public:
    enum class Change {
        compositor, // a compositing manager started or stopped
        desktop,    // the user switched to another desktop
        windows,    // the active window or the stacking order changed, or the window manager restarted
    };

    virtual ~WindowSystem() = default;

    // False where a window cannot place itself (a Wayland session without X, offscreen):
    // then there is no island, only the tray and the alerts.
    virtual bool canPlaceWindows() const = 0;
    // Prepares a top-level widget, before it first shows, as an overlay: no frame, never
    // focused, above ordinary windows, on every desktop, placeable anywhere (partly above a
    // display's top edge too), transparent where nothing is painted.
    virtual void makeOverlay(QWidget& window) = 0;
    // Moves and sizes a top-level window to a frame in global coordinates.
    virtual void setFrame(QWidget& window, const GRect& frame) = 0;
    // Only `region` (window coordinates, y down) takes the pointer; elsewhere clicks reach
    // the windows below.
    virtual void setInputRegion(QWidget& window, const QRectF& region) = 0;
    // Clips what the window shows to `shape` (window coordinates); absent shows it whole.
    // Needed where transparency is not: without a compositor transparent pixels are black.
    virtual void setVisibleShape(QWidget& window, const std::optional<QPainterPath>& shape) = 0;
    virtual bool compositing() const = 0;
    // Every top-level window of the desktop session, bottom to top; absent when they cannot
    // be listed.
    virtual std::optional<std::vector<WindowInfo>> windows() const = 0;
    // The pointer, global.
    virtual GPoint pointer() const = 0;
    // Puts a window back on top of the others.
    virtual void raise(QWidget& window) = 0;

    // Calls `fn` on the main thread after each change, until the handle is dropped.
    [[nodiscard]] std::shared_ptr<void> observe(std::function<void(Change)> fn) {
        return observers_.add(std::move(fn));
    }

  protected:
    void notify(Change change) { observers_.notify(change); }

  private:
    Observers<Change> observers_;
};

} // namespace fray
