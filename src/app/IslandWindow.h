#pragma once

#include "model/IslandPlacement.h"
#include "session/Instant.h"

#include <QObject>

#include <memory>
#include <optional>

namespace fray {

class AppModel;
class RootView;
class Settings;
struct Platform;

// The island's panel on the desktop: an overlay window around the root view, laid out on
// its display, moved by drags, clipped to its body where nothing may be transparent, and
// hidden while a full-screen window covers its display.
class IslandWindow : public QObject {
    Q_OBJECT
  public:
    IslandWindow(AppModel& model, Settings& settings, Platform& platform, Clock clock = wallNow);
    ~IslandWindow() override;

    RootView& view() { return *view_; }

    // The pinned display when attached, else the primary; absent without displays.
    std::optional<ScreenInfo> targetScreen() const;
    // Places the panel for the current settings, model and displays; shows it unless a
    // full-screen window covers its display.
    void layout();
    // Hides the panel while a full-screen window covers its display (unless the setting
    // keeps it over them), shows it otherwise.
    void refreshSpaceVisibility();
    // One movement of a drag of the island, and its end.
    void dragMoved();
    void dragEnded();
    // Forgets the dragged spot and goes back to the chosen position.
    void resetPosition();

    const std::optional<IslandPlacement::Result>& placement() const { return placement_; }
    bool covered() const { return covered_; }

  private:
    void applyShape();

    AppModel& model_;
    Settings& settings_;
    Platform& platform_;
    Clock clock_;
    std::unique_ptr<RootView> view_;
    std::optional<IslandPlacement::Result> placement_;
    std::optional<IslandPlacement::DragAnchor> dragAnchor_;
    bool covered_ = false;
    std::shared_ptr<void> compositorWatch_;
};

} // namespace fray
