#pragma once

#include "IslandLayout.h"
#include "PreferencesStore.h"
#include "platform/Geometry.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace fray {

// Every user choice, loaded once from the preferences store and written back the
// moment it changes. Main thread only; the monitor reads "needsActionDelay" from the
// store itself.
class Settings : public QObject {
    Q_OBJECT
  public:
    // Frame of the primary display (global, y-up), for migrating the older absolute
    // position; absent when there is no display.
    using PrimaryFrame = std::function<std::optional<GRect>()>;

    Settings(std::shared_ptr<PreferencesStore> store, PrimaryFrame primaryFrame = {});

    // The store the monitor reads from.
    const std::shared_ptr<PreferencesStore>& store() const { return store_; }
    // Why changes are not reaching the preferences file, if they are not; read after the
    // `changed` signal.
    std::optional<std::string> saveError() const { return store_->lastError(); }

    bool soundNeedsAction() const { return soundNeedsAction_; }
    bool soundKO() const { return soundKO_; }
    bool notifyNeedsAction() const { return notifyNeedsAction_; }
    bool notifyCompleted() const { return notifyCompleted_; }
    bool showOverFullscreen() const { return showOverFullscreen_; }
    bool showCompleted() const { return showCompleted_; }
    IslandPosition position() const { return position_; }
    double needsActionDelay() const { return needsActionDelay_; }
    bool collapsed() const { return collapsed_; }
    bool overlapMenuBar() const { return overlapMenuBar_; }
    bool preciseFocus() const { return preciseFocus_; }
    const std::optional<std::string>& displayKey() const { return displayKey_; }
    const std::optional<std::string>& displayName() const { return displayName_; }
    const std::optional<GPoint>& customSpot() const { return customSpot_; }

    void setSoundNeedsAction(bool v);
    void setSoundKO(bool v);
    void setNotifyNeedsAction(bool v);
    void setNotifyCompleted(bool v);
    void setShowOverFullscreen(bool v);
    void setShowCompleted(bool v);
    void setPosition(IslandPosition v);
    void setNeedsActionDelay(double v);
    void setCollapsed(bool v);
    void setOverlapMenuBar(bool v);
    void setPreciseFocus(bool v);
    void setDisplayKey(std::optional<std::string> v);
    void setDisplayName(std::optional<std::string> v);
    void setCustomSpot(std::optional<GPoint> v);

  signals:
    // Emitted after every assignment, equal values included; observers that care
    // suppress repeats themselves.
    void soundNeedsActionChanged(bool);
    void soundKOChanged(bool);
    void notifyNeedsActionChanged(bool);
    void notifyCompletedChanged(bool);
    void showOverFullscreenChanged(bool);
    void showCompletedChanged(bool);
    void positionChanged(fray::IslandPosition);
    void needsActionDelayChanged(double);
    void collapsedChanged(bool);
    void overlapMenuBarChanged(bool);
    void preciseFocusChanged(bool);
    void displayKeyChanged();
    void displayNameChanged();
    void customSpotChanged();
    // Any of the above.
    void changed();

  private:
    void load(const PrimaryFrame& primaryFrame);

    std::shared_ptr<PreferencesStore> store_;
    bool soundNeedsAction_ = true;
    bool soundKO_ = true;
    bool notifyNeedsAction_ = true;
    bool notifyCompleted_ = false;
    bool showOverFullscreen_ = true;
    bool showCompleted_ = true;
    IslandPosition position_ = IslandPosition::center;
    double needsActionDelay_ = 20.0;
    bool collapsed_ = false;
    bool overlapMenuBar_ = true;
    bool preciseFocus_ = false;
    std::optional<std::string> displayKey_;
    std::optional<std::string> displayName_;
    std::optional<GPoint> customSpot_;
};

} // namespace fray

Q_DECLARE_METATYPE(fray::IslandPosition)
