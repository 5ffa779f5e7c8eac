#include "AppDelegate.h"

#include "agents/AgentRegistry.h"
#include "agents/PlanUsageReader.h"
#include "integration/SessionFocus.h"
#include "model/QtTimers.h"
#include "model/Settings.h"
#include "monitor/DemoMonitor.h"
#include "monitor/SessionMonitor.h"
#include "platform/Platform.h"

#include <QMetaObject>

namespace fray {

AppDelegate::AppDelegate(bool demoSource, bool logLines, Settings& settings, Platform& platform)
    : demo(demoSource), logging(logLines), settings_(settings), platform_(platform),
      model_(std::make_unique<AppModel>()), icon_(std::make_unique<IconAnimator>(qtTimerFactory())),
      updates_(std::make_unique<SessionUpdates>(settings, *model_, *platform.sounds)),
      focus_(std::make_unique<SessionFocus>(platform, [&settings] { return settings.preciseFocus(); })) {
    model_->resumeSession = [this](const SessionInfo& s) { focus_->focusSession(s); };
    updates_->logging = logging;
    updates_->syncIcon = [this](const SessionList& list) { icon_->syncIcon(list); };

    // Hiding completed sessions takes effect at once; showing them waits for the next update.
    connect(
        &settings_, &Settings::showCompletedChanged, this,
        [this](bool show) {
            if (show) return;
            SessionList kept;
            for (const auto& s : model_->sessions())
                if (s.status != SessionStatus::completed) kept.push_back(s);
            if (kept != model_->sessions()) model_->setSessions(std::move(kept));
        },
        Qt::QueuedConnection);
}

AppDelegate::~AppDelegate() {
    // Stop the sources first: their threads must not queue work into a dying controller.
    monitor_.reset();
    planReader_.reset();
}

void AppDelegate::apply(const SessionList& list) {
    updates_->apply(list);
}

void AppDelegate::applicationDidFinishLaunching() {
    if (demo) {
        monitor_ = std::make_unique<DemoMonitor>(qtTimerFactory());
    } else {
        SessionMonitor::Config config;
        config.home = platform_.paths.home;
        auto store = settings_.store();
        config.needsActionDelay = [store] { return store->doubleValue("needsActionDelay"); };
        config.providers = [home = config.home] { return AgentRegistry::available(home); };
        monitor_ = std::make_unique<SessionMonitor>(std::move(config));
    }
    // Each delivery is queued onto the main thread, so lists apply one at a time in order.
    monitor_->onUpdate = [this](const SessionList& list) {
        QMetaObject::invokeMethod(
            this, [this, list] { apply(list); }, Qt::QueuedConnection);
    };
    monitor_->start();

    planReader_ = std::make_unique<PlanUsageReader>(platform_.paths.home);
    planReader_->onUpdate = [this](const PlanUsage& plan) {
        QMetaObject::invokeMethod(
            this,
            [this, plan] {
                if (!(plan == model_->plan())) model_->setPlan(plan);
            },
            Qt::QueuedConnection);
    };
    planReader_->start();
}

} // namespace fray
