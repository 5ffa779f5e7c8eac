#include "AppDelegate.h"

#include "IslandWindow.h"
#include "SessionNotifier.h"
#include "SettingsWindow.h"
#include "StatusMenu.h"
#include "agents/AgentRegistry.h"
#include "agents/PlanUsageReader.h"
#include "integration/SessionFocus.h"
#include "island/RootView.h"
#include "model/QtTimers.h"
#include "model/Settings.h"
#include "monitor/DemoMonitor.h"
#include "monitor/SessionMonitor.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>

#include <cstdio>

namespace fray {

namespace {
std::string spotText(const std::optional<GPoint>& p) {
    return p ? std::to_string(p->x) + "," + std::to_string(p->y) : "-";
}
} // namespace

AppDelegate::AppDelegate(bool demoSource, bool logLines, Settings& settings, Platform& platform)
    : demo(demoSource), logging(logLines), settings_(settings), platform_(platform),
      model_(std::make_unique<AppModel>()), icon_(std::make_unique<IconAnimator>(qtTimerFactory())),
      updates_(std::make_unique<SessionUpdates>(settings, *model_, *platform.sounds)),
      focus_(std::make_unique<SessionFocus>(platform, [&settings] { return settings.preciseFocus(); })) {
    model_->resumeSession = [this](const SessionInfo& s) { focus_->focusSession(s); };
    updates_->logging = logging;
    updates_->syncIcon = [this](const SessionList& list) { icon_->syncIcon(list); };
    // A notification's "Go to session" takes the same path as a click on the session's row.
    notifier_ =
        std::make_unique<SessionNotifier>(settings_, *platform_.notifications, [this](const SessionInfo& s) {
            if (model_->resumeSession) model_->resumeSession(s);
        });
    settingsWindow_ = std::make_unique<SettingsWindow>(settings_, platform_, [this] {
        return island_ ? island_->targetScreen()
                       : IslandPlacement::targetScreen(platform_.displays->screens(), settings_.displayKey());
    });
}

AppDelegate::~AppDelegate() {
    // Stop the sources first: their threads must not queue work into a dying controller.
    monitor_.reset();
    planReader_.reset();
}

void AppDelegate::apply(const SessionList& list) {
    notifier_->update(list);
    updates_->apply(list);
}

void AppDelegate::applicationDidFinishLaunching() {
    // The island panel and its view, on the displays this window system lets us place.
    if (platform_.windows && platform_.windows->canPlaceWindows()) {
        island_ = std::make_unique<IslandWindow>(*model_, settings_, platform_);
        island_->refreshSpaceVisibility();
    } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        std::fprintf(stderr,
                     "fraymark: this display does not let windows place themselves (%s); running with "
                     "the tray icon and alerts only\n",
                     qPrintable(QGuiApplication::platformName()));
    }

    // The tray icon shows the animation; its menu is built whenever it opens.
    showIconFrame(icon_->frame());
    connect(icon_.get(), &IconAnimator::frameChanged, this, &AppDelegate::showIconFrame);
    platform_.tray->setMenu([this] {
        StatusMenu menu;
        menu.sessions = int(model_->sessions().size());
        menu.collapsed = settings_.collapsed();
        menu.customSpot = settings_.customSpot().has_value();
        menu.toggleCollapsed = [this] { toggleCollapsed(); };
        menu.resetPosition = [this] { resetPosition(); };
        menu.openSettings = [this] { openSettings(); };
        menu.quit = [] { QCoreApplication::quit(); };
        return menu.entries();
    });

    model_->openSettings = [this] { openSettings(); };
    model_->dragChanged = [this] {
        if (island_) island_->dragMoved();
    };
    model_->dragEnded = [this] {
        if (island_) island_->dragEnded();
    };
    if (island_) island_->view().onQuit = [] { QCoreApplication::quit(); };

    subscribeGeometry();

    connect(&settings_, &Settings::showOverFullscreenChanged, this, [this](bool on) {
        if (showOverFullscreen_ == on) return;
        showOverFullscreen_ = on;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (island_) island_->refreshSpaceVisibility();
            },
            Qt::QueuedConnection);
    });
    showOverFullscreen_ = settings_.showOverFullscreen();
    // Hiding completed sessions takes effect at once; showing them waits for the next update.
    showCompleted_ = settings_.showCompleted();
    connect(&settings_, &Settings::showCompletedChanged, this, [this](bool show) {
        if (showCompleted_ == show) return;
        showCompleted_ = show;
        if (show) return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                SessionList kept;
                for (const auto& s : model_->sessions())
                    if (s.status != SessionStatus::completed) kept.push_back(s);
                if (kept != model_->sessions()) model_->setSessions(std::move(kept));
            },
            Qt::QueuedConnection);
    });

    displaysWatch_ = platform_.displays->observeChanges([this] {
        if (!island_) return;
        island_->layout();
        QTimer::singleShot(int(displaySettleDelay * 1000), this, [this] { island_->layout(); });
    });
    windowsWatch_ = platform_.windows->observe([this](WindowSystem::Change change) {
        if (!island_) return;
        island_->refreshSpaceVisibility();
        if (change == WindowSystem::Change::desktop)
            QTimer::singleShot(int(desktopSettleDelay * 1000), this,
                               [this] { island_->refreshSpaceVisibility(); });
    });

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

    if (island_) {
        island_->layout();
        island_->refreshSpaceVisibility();
    }
}

void AppDelegate::subscribeGeometry() {
    // Eight signals, each repeated value dropped; each change lays the island out once,
    // queued, so a change made inside a layout pass leads to one more pass, not re-entry.
    auto hovered = [this] { geometrySignal(0, model_->hovered() ? "1" : "0"); };
    // The tray menu shows the count, the collapsed form and the dragged spot too.
    auto count = [this] {
        if (geometrySignal(1, std::to_string(model_->sessions().size()))) platform_.tray->refreshMenu();
    };
    auto collapsed = [this] {
        if (geometrySignal(2, settings_.collapsed() ? "1" : "0")) platform_.tray->refreshMenu();
    };
    auto position = [this] { geometrySignal(3, std::string(rawValue(settings_.position()))); };
    auto overlap = [this] { geometrySignal(4, settings_.overlapMenuBar() ? "1" : "0"); };
    auto spot = [this] {
        if (geometrySignal(5, spotText(settings_.customSpot()))) platform_.tray->refreshMenu();
    };
    auto display = [this] { geometrySignal(6, settings_.displayKey().value_or("-")); };
    auto plan = [this] {
        const Instant now = wallNow();
        const PlanUsage& p = model_->plan();
        geometrySignal(7, p.headline(now) || p.hasStaleData(now) ? "1" : "0");
    };
    connect(model_.get(), &AppModel::hoveredChanged, this, hovered);
    connect(model_.get(), &AppModel::sessionsChanged, this, count);
    connect(&settings_, &Settings::collapsedChanged, this, collapsed);
    connect(&settings_, &Settings::positionChanged, this, position);
    connect(&settings_, &Settings::overlapMenuBarChanged, this, overlap);
    connect(&settings_, &Settings::customSpotChanged, this, spot);
    connect(&settings_, &Settings::displayKeyChanged, this, display);
    connect(model_.get(), &AppModel::planChanged, this, plan);
    for (const auto& signal :
         {std::function<void()>(hovered), std::function<void()>(count), std::function<void()>(collapsed),
          std::function<void()>(position), std::function<void()>(overlap), std::function<void()>(spot),
          std::function<void()>(display), std::function<void()>(plan)})
        signal();
}

bool AppDelegate::geometrySignal(std::size_t which, std::string value) {
    if (geometry_[which] == value) return false;
    geometry_[which] = std::move(value);
    layoutSoon();
    return true;
}

void AppDelegate::layoutSoon() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (island_) island_->layout();
        },
        Qt::QueuedConnection);
}

void AppDelegate::showIconFrame(MenuBarIcon::Clash clash) {
    platform_.tray->setIcon(
        [clash](const QColor& ink, int pixels) { return MenuBarIcon::trayImage(clash, pixels, ink); });
}

void AppDelegate::openSettings() {
    settingsWindow_->open();
}

void AppDelegate::toggleCollapsed() {
    settings_.setCollapsed(!settings_.collapsed());
}

void AppDelegate::resetPosition() {
    if (island_)
        island_->resetPosition();
    else
        settings_.setCustomSpot(std::nullopt);
}

} // namespace fray
