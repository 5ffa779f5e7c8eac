#pragma once

#include "SessionUpdates.h"
#include "island/MenuBarIcon.h"
#include "model/AppModel.h"

#include <QObject>

#include <memory>

namespace fray {

class PlanUsageReader;
class SessionFocus;
class Settings;
struct Platform;

// The resident application's controller: owns the model, the session source, the plan
// reader and the update pipeline, and applies every delivered list on the main thread
// in delivery order.
class AppDelegate : public QObject {
    Q_OBJECT
  public:
    AppDelegate(bool demo, bool logging, Settings& settings, Platform& platform);
    ~AppDelegate() override;

    // The launch sequence: sources started, first layout requested.
    void applicationDidFinishLaunching();

    AppModel& model() { return *model_; }
    IconAnimator& icon() { return *icon_; }
    SessionUpdates& updates() { return *updates_; }
    Settings& settings() { return settings_; }

    const bool demo;
    const bool logging;

  private:
    void apply(const SessionList& list);

    Settings& settings_;
    Platform& platform_;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<IconAnimator> icon_;
    std::unique_ptr<SessionUpdates> updates_;
    std::unique_ptr<SessionFocus> focus_;
    // Sources last: they are destroyed (threads joined) before what they deliver into.
    std::unique_ptr<PlanUsageReader> planReader_;
    std::unique_ptr<SessionMonitoring> monitor_;
};

} // namespace fray
