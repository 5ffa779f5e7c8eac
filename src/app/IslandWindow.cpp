#include "IslandWindow.h"

#include "island/RootView.h"
#include "model/AppModel.h"
#include "model/Displays.h"
#include "model/Settings.h"
#include "platform/Platform.h"

#include <QCoreApplication>

namespace fray {

IslandWindow::IslandWindow(AppModel& model, Settings& settings, Platform& platform, Clock clock)
    : model_(model), settings_(settings), platform_(platform), clock_(clock),
      view_(std::make_unique<RootView>(model, settings, platform.user, clock)) {
    platform_.windows->makeOverlay(*view_);
    view_->setWindowTitle(QStringLiteral("Fraymark"));
    view_->onQuit = [] { QCoreApplication::quit(); };
    compositorWatch_ = platform_.windows->observe([this](WindowSystem::Change c) {
        if (c == WindowSystem::Change::compositor) applyShape();
    });
}

IslandWindow::~IslandWindow() = default;

std::optional<ScreenInfo> IslandWindow::targetScreen() const {
    return IslandPlacement::targetScreen(platform_.displays->screens(), settings_.displayKey());
}

void IslandWindow::layout() {
    const auto screens = platform_.displays->screens();
    const auto target = IslandPlacement::targetScreen(screens, settings_.displayKey());
    if (!target) return; // no display: the panel stays as it is
    if (const auto& key = settings_.displayKey())
        for (const auto& c : Displays::attached(screens))
            if (c.key == *key && settings_.displayName() != c.name) settings_.setDisplayName(c.name);

    IslandPlacement::Input in;
    in.mode = IslandLayout::mode(settings_.collapsed(), model_.hovered());
    in.position = settings_.position();
    in.overlapMenuBar = settings_.overlapMenuBar();
    in.customSpot = settings_.customSpot();
    in.rows = int(model_.sessions().size());
    const Instant now = clock_();
    in.planLine = model_.plan().headline(now).has_value() || model_.plan().hasStaleData(now);
    const auto r = IslandPlacement::layout(*target, in);

    if (model_.collapsedH() != r.barH) model_.setCollapsedH(r.barH);
    if (model_.collapsedW() != r.cw) model_.setCollapsedW(r.cw);
    if (model_.notchLocal() != r.notchLocal) model_.setNotchLocal(r.notchLocal);
    placement_ = r;
    platform_.windows->setFrame(*view_, r.panelFrame);
    platform_.windows->setInputRegion(*view_, r.contentRect);
    applyShape();
    if (!covered_ && !view_->isVisible()) view_->show();
}

void IslandWindow::applyShape() {
    if (!placement_) return;
    if (platform_.windows->compositing()) {
        platform_.windows->setVisibleShape(*view_, std::nullopt);
        return;
    }
    // Transparent pixels would be black: keep only the body, without glow or shadow.
    const IslandMode mode = IslandLayout::mode(settings_.collapsed(), model_.hovered());
    platform_.windows->setVisibleShape(
        *view_, RootView::bodyShape(mode, placement_->contentRect, placement_->notchLocal));
}

void IslandWindow::refreshSpaceVisibility() {
    bool cover = false;
    if (!settings_.showOverFullscreen())
        if (auto s = targetScreen())
            if (auto windows = platform_.windows->windows())
                for (const WindowInfo& w : *windows)
                    if (w.fullscreen && w.onCurrentDesktop && w.ordinary && !w.ours &&
                        IslandPlacement::covers(w.bounds, s->frame)) {
                        cover = true;
                        break;
                    }
    covered_ = cover;
    if (cover) {
        view_->hide();
        return;
    }
    if (!view_->isVisible() && placement_) view_->show();
    platform_.windows->raise(*view_);
}

void IslandWindow::dragMoved() {
    model_.suppressClick = true;
    ++model_.suppressGen;
    const GPoint m = platform_.windows->pointer();
    if (!dragAnchor_) {
        if (!placement_) return;
        // Anchored where the press was, so the island keeps the pointer's first few points
        // of travel too (y runs the other way on screen).
        const QPointF travel = view_->dragTravel();
        const GRect& f = placement_->panelFrame;
        dragAnchor_ = IslandPlacement::DragAnchor{{m.x - travel.x(), m.y + travel.y()},
                                                  {f.left(), f.top() - IslandLayout::topHalo}};
    }
    const auto screens = platform_.displays->screens();
    std::optional<ScreenInfo> s;
    for (const auto& c : Displays::attached(screens))
        if (c.screen.frame.contains(m.x, m.y)) {
            if (settings_.displayKey() != c.key) {
                settings_.setDisplayKey(c.key);
                settings_.setDisplayName(c.name);
            }
            s = c.screen;
            break;
        }
    if (!s) s = targetScreen();
    if (!s) return;
    settings_.setCustomSpot(IslandPlacement::customSpotFor(*dragAnchor_, m, s->frame));
    layout();
}

void IslandWindow::dragEnded() {
    dragAnchor_.reset();
    model_.clearDragSoon();
}

void IslandWindow::resetPosition() {
    settings_.setCustomSpot(std::nullopt);
    layout();
}

} // namespace fray
