#include "RootView.h"

#include "CollapsedViews.h"
#include "model/AppModel.h"
#include "model/Settings.h"
#include "platform/UserInfo.h"
#include "theme/Shapes.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace fray {

RootView::RootView(AppModel& model, Settings& settings, std::shared_ptr<UserInfo> user, Clock clock,
                   QWidget* parent)
    : QWidget(parent), model_(model), settings_(settings), user_(std::move(user)), clock_(std::move(clock)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    onQuit = [] { QCoreApplication::quit(); };

    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RootView::redrawDue);

    connect(&model_, &AppModel::sessionsChanged, this, &RootView::changed);
    connect(&model_, &AppModel::planChanged, this, &RootView::changed);
    connect(&model_, &AppModel::hoveredChanged, this, &RootView::changed);
    connect(&model_, &AppModel::notchLocalChanged, this, &RootView::changed);
    connect(&model_, &AppModel::collapsedSizeChanged, this, &RootView::changed);
    connect(&settings_, &Settings::collapsedChanged, this, &RootView::changed);
    changed();
}

IslandMode RootView::mode() const {
    return IslandLayout::mode(settings_.collapsed(), model_.hovered());
}

IslandModel RootView::islandModel(Instant now) const {
    const std::string& p1 = p1Name_;
    const IslandMode m = mode();
    if (m == IslandMode::collapsed)
        return IslandModel::from(model_.sessions(), false, p1, PlanUsage{}, nullptr, now);
    AppModel* app = &model_;
    auto resume = [app](const SessionInfo& s) {
        if (app->suppressClick) return;
        if (app->resumeSession) app->resumeSession(s);
    };
    return IslandModel::from(model_.sessions(), m == IslandMode::expanded, p1, model_.plan(), resume, now);
}

QPointF RootView::islandOrigin(Instant now) const {
    // Centred horizontally, under the top halo.
    const double w = mode() == IslandMode::collapsed ? model_.collapsedW() : IslandLayout::islandWidth;
    (void)now;
    return QPointF((width() - w) / 2, IslandLayout::topHalo);
}

QRectF RootView::islandRect(Instant now) const {
    const QPointF o = islandOrigin(now);
    if (mode() == IslandMode::collapsed) return QRectF(o, QSizeF(model_.collapsedW(), model_.collapsedH()));
    return IslandView::bodyRect(o, islandModel(now), model_.notchLocal(), now);
}

QPainterPath RootView::bodyShape(IslandMode mode, const QRectF& body, const std::optional<QRectF>& notch) {
    if (mode == IslandMode::collapsed)
        return continuousRoundedRect(body, BarMini::cornerRadius(body.height()));
    return IslandShape{notch}.path(QRectF(QPointF(0, 0), body.size())).translated(body.topLeft());
}

void RootView::addSchedule(RedrawSchedule& s, Instant now) const {
    const IslandModel m = islandModel(now);
    const QPointF o = islandOrigin(now);
    if (mode() == IslandMode::collapsed)
        Collapsed::schedule(s, QRectF(o, QSizeF(model_.collapsedW(), model_.collapsedH())), m, now);
    else
        IslandView::schedule(s, o, m, model_.notchLocal(), state_, now);
}

std::optional<Instant> RootView::nextRedraw(Instant now) const {
    RedrawSchedule s;
    addSchedule(s, now);
    return s.next();
}

void RootView::changed() {
    const Instant now = clock_();
    // Read when the view is rebuilt, not on every frame: a passwd lookup can go to the network.
    p1Name_ = user_ ? playerOneName(*user_) : playerOneName(std::string(), std::string());
    // The collapsed bar has no health bars: they start afresh when the island opens again.
    if (mode() == IslandMode::collapsed) state_.ramp = StaminaRamp{};
    state_.ramp.update(islandModel(now).p1Stamina, now);
    if (mode() != IslandMode::expanded) state_.hoveredRow.reset();
    update();
    schedule();
}

void RootView::schedule() {
    const Instant now = clock_();
    pending_ = RedrawSchedule();
    addSchedule(pending_, now);
    auto next = pending_.next();
    if (!next) {
        timer_.stop();
        return;
    }
    timer_.start(int(std::ceil(std::max(0.0, secondsBetween(now, *next)) * 1000)));
}

void RootView::redrawDue() {
    // Timers fire a hair early or late; a couple of milliseconds' slack keeps an item from
    // waiting a whole extra round.
    const QRectF area = pending_.areaDueBy(clock_() + 0.002);
    if (!area.isEmpty()) update(area.toAlignedRect().adjusted(-1, -1, 1, 1));
    schedule();
}

void RootView::paintEvent(QPaintEvent*) {
    const Instant now = clock_();
    QPainter p(this);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    // The panel is translucent: clear what is repainted, then draw.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const IslandModel m = islandModel(now);
    state_.ramp.update(m.p1Stamina, now);
    const QPointF o = islandOrigin(now);
    if (mode() == IslandMode::collapsed)
        BarMini::paint(p, QRectF(o, QSizeF(model_.collapsedW(), model_.collapsedH())), m, now);
    else
        IslandView::paint(p, o, m, model_.notchLocal(), state_, now);
    p.end();
    if (!timer_.isActive()) schedule();
}

std::optional<SessionInfo> RootView::rowAt(QPointF pos, Instant now) const {
    if (mode() != IslandMode::expanded) return std::nullopt;
    const IslandModel m = islandModel(now);
    if (!m.onResume) return std::nullopt;
    for (const auto& row : IslandView::rows(islandOrigin(now), m, model_.notchLocal(), now))
        if (row.rect.contains(pos)) return *row.session;
    return std::nullopt;
}

void RootView::pointerAt(QPointF pos) {
    const Instant now = clock_();
    const bool inside = islandRect(now).contains(pos);
    if (inside != pointerInside_) {
        pointerInside_ = inside;
        model_.setHover(inside);
    }
    std::optional<std::string> row;
    if (auto s = rowAt(pos, now)) row = s->id;
    if (row != state_.hoveredRow) {
        state_.hoveredRow = row;
        setCursor(row ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
    }
}

void RootView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    pressGlobal_ = e->globalPosition();
    pressInside_ = islandRect(clock_()).contains(e->position());
    dragging_ = false;
}

void RootView::mouseMoveEvent(QMouseEvent* e) {
    pointerAt(e->position());
    if (!pressGlobal_ || !(e->buttons() & Qt::LeftButton)) return;
    lastGlobal_ = e->globalPosition();
    if (!dragging_ && QLineF(*pressGlobal_, e->globalPosition()).length() >= dragDistance) dragging_ = true;
    if (dragging_ && model_.dragChanged) model_.dragChanged();
}

void RootView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressGlobal_) return QWidget::mouseReleaseEvent(e);
    const bool wasDrag = dragging_;
    const bool inside = pressInside_;
    pressGlobal_.reset();
    dragging_ = false;
    if (wasDrag) {
        if (model_.dragEnded) model_.dragEnded();
        return;
    }
    if (!inside) return;
    const Instant now = clock_();
    // A roster row is a button of its own; anywhere else a tap flips the collapsed form.
    if (auto session = rowAt(e->position(), now)) {
        islandModel(now).onResume(*session);
        return;
    }
    if (model_.suppressClick) return;
    settings_.setCollapsed(!settings_.collapsed());
}

void RootView::leaveEvent(QEvent* e) {
    if (pointerInside_) {
        pointerInside_ = false;
        model_.setHover(false);
    }
    if (state_.hoveredRow) {
        state_.hoveredRow.reset();
        setCursor(Qt::ArrowCursor);
        update();
    }
    QWidget::leaveEvent(e);
}

std::vector<RootView::MenuItem> RootView::contextMenuItems() {
    std::vector<MenuItem> items;
    Settings* settings = &settings_;
    AppModel* app = &model_;
    items.push_back(
        {settings_.collapsed() ? QStringLiteral("Expand Island") : QStringLiteral("Collapse Island"),
         [settings] { settings->setCollapsed(!settings->collapsed()); }});
    if (settings_.customSpot())
        items.push_back(
            {QStringLiteral("Reset Position"), [settings] { settings->setCustomSpot(std::nullopt); }});
    items.push_back({QStringLiteral("Options…"), [app] {
                         if (app->openSettings) app->openSettings();
                     }});
    items.push_back({QString(), nullptr});
    items.push_back({QStringLiteral("Quit Fraymark"), [this] {
                         if (onQuit) onQuit();
                     }});
    return items;
}

void RootView::contextMenuEvent(QContextMenuEvent* e) {
    if (!islandRect(clock_()).contains(e->pos())) return;
    QMenu menu(this);
    for (const MenuItem& item : contextMenuItems()) {
        if (item.title.isEmpty())
            menu.addSeparator();
        else
            menu.addAction(item.title, item.action);
    }
    menu.exec(e->globalPos());
}

bool RootView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const Instant now = clock_();
        QString tip;
        if (mode() != IslandMode::collapsed)
            tip = IslandView::tooltipAt(islandOrigin(now), islandModel(now), model_.notchLocal(), help->pos(),
                                        now);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(e);
}

} // namespace fray
