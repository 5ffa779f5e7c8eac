#pragma once

#include "SessionUpdates.h"
#include "island/MenuBarIcon.h"
#include "model/AppModel.h"

#include <QObject>

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace fray {

class IslandWindow;
class SessionNotifier;
class PlanUsageReader;
class SessionFocus;
class Settings;
class SettingsWindow;
struct Platform;

// The resident application's controller: owns the model, the island window, the tray
// icon, the session source, the plan reader and the update pipeline, and applies every
// delivered list on the main thread in delivery order.
class AppDelegate : public QObject {
    Q_OBJECT
  public:
    AppDelegate(bool demo, bool logging, Settings& settings, Platform& platform);
    ~AppDelegate() override;

    // The launch sequence: island, tray, subscriptions, sources, first layout.
    void applicationDidFinishLaunching();

    AppModel& model() { return *model_; }
    IconAnimator& icon() { return *icon_; }
    SessionUpdates& updates() { return *updates_; }
    Settings& settings() { return settings_; }
    // Absent where windows cannot be placed (then only the tray and the alerts run).
    IslandWindow* island() { return island_.get(); }
    SettingsWindow& settingsWindow() { return *settingsWindow_; }
    SessionNotifier& notifier() { return *notifier_; }

    void openSettings();
    void toggleCollapsed();
    void resetPosition();

    const bool demo;
    const bool logging;

    // Re-layouts after a display change, and re-checks after a desktop switch, come once
    // at once and once again this much later (the system may still be rearranging).
    static constexpr double displaySettleDelay = 0.6;
    static constexpr double desktopSettleDelay = 0.3;

  private:
    void apply(const SessionList& list);
    void subscribeGeometry();
    // Lays the island out when the signal's value changed; says whether it did.
    bool geometrySignal(std::size_t which, std::string value);
    void layoutSoon();
    void showIconFrame(MenuBarIcon::Clash clash);

    Settings& settings_;
    Platform& platform_;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<IconAnimator> icon_;
    std::unique_ptr<SessionUpdates> updates_;
    std::unique_ptr<IslandWindow> island_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<SessionNotifier> notifier_;
    // The last value of each geometry signal, so repeats do not lay the island out again.
    std::array<std::optional<std::string>, 8> geometry_;
    std::optional<bool> showOverFullscreen_, showCompleted_;
    std::shared_ptr<void> displaysWatch_, windowsWatch_;
    std::unique_ptr<SessionFocus> focus_;
    // Sources last: they are destroyed (threads joined) before what they deliver into.
    std::unique_ptr<PlanUsageReader> planReader_;
    std::unique_ptr<SessionMonitoring> monitor_;
};

} // namespace fray
