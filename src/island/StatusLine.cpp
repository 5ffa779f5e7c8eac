#include "StatusLine.h"

#include "PlanViews.h"
#include "theme/Effects.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QLinearGradient>

#include <cmath>

namespace fray::StatusLine {

namespace {

constexpr double locationMaxWidth = 132;
constexpr double trailingPad = 4;

QColor hardShadow() {
    return QColor::fromRgbF(0, 0, 0, 0.9f);
}

// One styled run on a shared baseline.
struct Run {
    Text::Shaped shape;
    double gapBefore = 0;
};

// Texts on a shared last-text baseline, centred as a group in `rect` (the trailing
// padding counts towards the group's width). Returns the baseline x of each run.
std::vector<QPointF> baselineRow(const std::vector<Run>& runs, const QRectF& rect, double pad) {
    double w = pad, asc = 0, desc = 0;
    for (const auto& r : runs) {
        w += r.gapBefore + r.shape.advance;
        asc = std::max(asc, r.shape.ascent);
        desc = std::max(desc, r.shape.descent);
    }
    double x = rect.center().x() - w / 2;
    double baseline = rect.center().y() - (asc + desc) / 2 + asc;
    std::vector<QPointF> out;
    for (const auto& r : runs) {
        x += r.gapBefore;
        out.emplace_back(x, baseline);
        x += r.shape.advance;
    }
    return out;
}

QRectF lineBox(const Text::Shaped& s, QPointF origin) {
    return QRectF(origin.x(), origin.y() - s.ascent, s.advance, s.height());
}

// Room for an italic overhang and a hard shadow around a line box.
QRectF inked(const QRectF& box) {
    return box.adjusted(-box.height() * 0.3, -2, box.height() * 0.3, 3);
}

QLinearGradient vertical(const QRectF& box, std::initializer_list<QColor> stops) {
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    int n = int(stops.size()), i = 0;
    for (const QColor& c : stops)
        g.setColorAt(n == 1 ? 0 : double(i++) / (n - 1), c);
    return g;
}

// Draws `s` with a hard drop shadow (radius 0, 1.5 points down) under its fill.
void withHardShadow(QPainter& q, const Text::Shaped& s, QPointF origin, const QBrush& fill,
                    bool snap = false) {
    auto draw = snap ? Text::drawSnapped : Text::draw;
    draw(q, s, origin + QPointF(0, 1.5), hardShadow());
    draw(q, s, origin, fill);
}

} // namespace

QString location(const IslandModel& m) {
    if (m.status == IslandStatus::idle) return {};
    QString label = QString::fromStdString(m.project).toUpper();
    if (m.branch && !m.branch->empty()) label += QStringLiteral("  ·  ") + QString::fromStdString(*m.branch);
    return label;
}

CentreWord centreWord(const IslandModel& m) {
    switch (m.status) {
    case IslandStatus::idle:
        return {Word::awaiting, QStringLiteral("AWAITING CHALLENGER…"), {}};
    case IslandStatus::started:
        return {Word::fight, QStringLiteral("FIGHT!"), {}};
    case IslandStatus::working:
        if (m.combo <= 0) return {Word::fightOn, QStringLiteral("FIGHT ON…"), {}};
        return {Word::hits, QString::number(m.combo), m.combo == 1 ? "HIT" : "HITS"};
    case IslandStatus::needsAction:
        return {Word::yourMove, QStringLiteral("YOUR MOVE!"), {}};
    case IslandStatus::completed:
        return {Word::knockOut, QStringLiteral("K.O.!"),
                m.combo == 0 ? QStringLiteral("PERFECT") : QString::number(m.combo) + " HIT FINISH"};
    }
    return {Word::awaiting, {}, {}};
}

QString count(const IslandModel& m) {
    return m.sessions.size() >= 2 ? QStringLiteral("×") + QString::number(m.sessions.size()) : QString();
}

double movePulse(Instant t) {
    return 0.5 + 0.5 * std::sin(5 * Redraw::phase(t));
}

QRectF planBadgeRect(const QRectF& rect, const IslandModel& m, Instant t) {
    QSizeF sz = PlanBadge::size(m.plan, t);
    return QRectF(rect.right() - sz.width(), rect.center().y() - sz.height() / 2, sz.width(), sz.height());
}

void paint(QPainter& p, const QRectF& rect, const IslandModel& m, Instant t) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double cy = rect.center().y();

    // Back layer: location on the left, count and plan badge on the right.
    const QFont locFont = Vortan::kerned(Vortan::fontDemi(10), 0.5);
    if (QString loc = location(m); !loc.isEmpty())
        Text::drawRow(
            p, {{Text::shape(Text::elided(loc, locFont, locationMaxWidth), locFont), Vortan::dimText()}},
            rect.left(), cy);
    double right = rect.right();
    if (PlanBadge::visible(m.plan, t)) {
        PlanBadge::paint(p, rect, m.plan, t);
        right -= PlanBadge::size(m.plan, t).width() + 7;
    }
    if (QString n = count(m); !n.isEmpty()) {
        Text::Shaped s = Text::shape(n, Vortan::fontDemi(12));
        Text::drawRow(p, {{s, Vortan::gold()}}, right - s.advance, cy);
    }

    // Front layer: the centre word.
    const CentreWord w = centreWord(m);
    switch (w.kind) {
    case Word::awaiting: {
        Text::Shaped s = Text::shape(w.main, Vortan::kerned(Vortan::fontDemi(13), 1.5));
        Text::drawCentred(p, s, rect, Vortan::dimText());
        break;
    }
    case Word::fightOn: {
        Text::Shaped s = Text::shape(w.main, Vortan::kerned(Vortan::fontDemi(14), 1.2));
        Text::drawCentred(p, s, rect, Vortan::barYellow());
        break;
    }
    case Word::fight: {
        Text::Shaped s = Text::shape(w.main, Vortan::kerned(Vortan::font(20), 1));
        QPointF o = baselineRow({{s}}, rect, trailingPad)[0];
        QRectF box = lineBox(s, o);
        Effects::drawWithShadow(p, inked(box), Effects::glow(Vortan::fightCyan(), 0.8, 6), [&](QPainter& q) {
            Text::draw(q, s, o, vertical(box, {Qt::white, Vortan::fightCyan()}));
        });
        break;
    }
    case Word::hits: {
        Text::Shaped num = Text::shape(w.main, Vortan::font(21));
        Text::Shaped word = Text::shape(w.second, Vortan::font(13));
        auto at = baselineRow({{num}, {word, 3}}, rect, trailingPad);
        QRectF numBox = lineBox(num, at[0]);
        QRectF all = numBox.united(lineBox(word, at[1]));
        Effects::drawWithShadow(p, inked(all), Effects::glow(Vortan::barOrange(), 0.7, 5), [&](QPainter& q) {
            Text::draw(q, num, at[0], vertical(numBox, {Vortan::barPale(), Vortan::barYellow()}));
            Text::draw(q, word, at[1], Vortan::barOrange());
        });
        break;
    }
    case Word::yourMove: {
        const double pulse = movePulse(t);
        Text::Shaped s = Text::shape(w.main, Vortan::kerned(Vortan::font(20), 1));
        QPointF o = baselineRow({{s}}, rect, trailingPad)[0];
        QRectF box = lineBox(s, o);
        p.save();
        // A heartbeat between 90 % and 100 % of full size, in steps of 1 %: each step is
        // rasterised once and the beat stays as smooth as the 12-per-second redraw.
        const double beat = std::round((0.9 + 0.1 * pulse) * 100) / 100;
        p.translate(box.center());
        p.scale(beat, beat);
        p.translate(-box.center());
        Effects::drawWithShadow(
            p, inked(box), Effects::glow(Vortan::rageRed(), 0.5 + 0.45 * pulse, 5 + 6 * pulse),
            [&](QPainter& q) {
                withHardShadow(
                    q, s, o,
                    vertical(box, {Qt::white, QColor::fromRgbF(1.0f, 0.72f, 0.62f), Vortan::rageRed()}),
                    true);
            });
        p.restore();
        break;
    }
    case Word::knockOut: {
        Text::Shaped ko = Text::shape(w.main, Vortan::font(21));
        Text::Shaped finish = Text::shape(w.second, Vortan::kerned(Vortan::fontDemi(10), 1));
        auto at = baselineRow({{ko}, {finish, 6}}, rect, trailingPad);
        QRectF koBox = lineBox(ko, at[0]);
        Effects::drawWithShadow(
            p, inked(koBox), Effects::glow(Vortan::barOrange(), 0.8, 6), [&](QPainter& q) {
                withHardShadow(q, ko, at[0],
                               vertical(koBox, {Qt::white, Vortan::goldLight(), Vortan::gold()}));
            });
        Text::draw(p, finish, at[1], QColor::fromRgbF(1, 1, 1, 0.65f));
        break;
    }
    }
    p.restore();
}

void schedule(RedrawSchedule& s, const QRectF& rect, const IslandModel& m, Instant t) {
    if (m.status == IslandStatus::needsAction)
        s.add(t + Redraw::glowInterval, rect.adjusted(-40, -34, 40, 34));
    if (auto next = nextPlanChange(m.plan, t)) s.add(*next, rect);
}

} // namespace fray::StatusLine
