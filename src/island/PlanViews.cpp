#include "PlanViews.h"

#include "theme/Effects.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace fray {

namespace {

QString pct(std::int64_t p) {
    return QString::number(p) + "%";
}
QFont labelFont() {
    return Vortan::kerned(Vortan::fontDemi(7.5), 0.7);
}

struct BadgeParts {
    std::vector<Text::Piece> row;
    bool meter = false;
    double meterFill = 0;
    QColor tint;
    double opacity = 1;
};

BadgeParts badgeParts(const PlanUsage& plan, Instant now) {
    BadgeParts b;
    if (auto p = plan.headline(now)) {
        b.tint = PlanTint::color(*p);
        b.row = {{Text::shape("PLAN", labelFont()), Vortan::dimText()},
                 {Text::shape(pct(*p), Vortan::font(12.5)), b.tint, 3}};
        b.meter = true;
        b.meterFill = std::max(38.0 * double(*p) / 100, 1.0);
        b.opacity = plan.isStale(now) ? 0.55 : 1;
    } else if (plan.hasStaleData(now)) {
        b.row = {{Text::shape("PLAN", labelFont()), Vortan::dimText()},
                 {Text::shape(QStringLiteral("—"), Vortan::font(12.5)), Vortan::dimText(), 3}};
    }
    return b;
}

double rowHeight(const std::vector<Text::Piece>& row) {
    double h = 0;
    for (const auto& p : row)
        h = std::max(h, p.shape.height());
    return h;
}

constexpr double meterW = 38, meterH = 2, meterGap = 3;

} // namespace

QColor PlanTint::color(std::int64_t percent) {
    if (percent < 60) return Vortan::barYellow();
    if (percent < 85) return Vortan::barOrange();
    return Vortan::rageRed();
}

bool PlanBadge::visible(const PlanUsage& plan, Instant now) {
    return plan.headline(now) || plan.hasStaleData(now);
}

QSizeF PlanBadge::size(const PlanUsage& plan, Instant now) {
    BadgeParts b = badgeParts(plan, now);
    if (b.row.empty()) return {};
    double w = Text::rowWidth(b.row), h = rowHeight(b.row);
    if (b.meter) return {std::max(w, meterW), h + meterGap + meterH};
    return {w, h};
}

void PlanBadge::paint(QPainter& p, const QRectF& box, const PlanUsage& plan, Instant now) {
    BadgeParts b = badgeParts(plan, now);
    if (b.row.empty()) return;
    QSizeF sz = size(plan, now);
    double top = box.center().y() - sz.height() / 2;
    double rowH = rowHeight(b.row);
    // Faded as one group: the meter's fill must not show its track through it.
    const QRectF bounds(box.right() - sz.width() - 4, top - 2, sz.width() + 8, sz.height() + 4);
    Effects::drawGroup(p, bounds, b.opacity, 1, [&](QPainter& q) {
        Text::drawRow(q, b.row, box.right() - Text::rowWidth(b.row), top + rowH / 2);
        if (b.meter) {
            QRectF track(box.right() - meterW, top + rowH + meterGap, meterW, meterH);
            q.fillRect(track, Vortan::barBack());
            q.fillRect(QRectF(track.topLeft(), QSizeF(b.meterFill, meterH)), b.tint);
        }
    });
}

QString PlanBadge::tooltip(const PlanUsage& plan, Instant now) {
    QString age = QString::fromStdString(plan.ageText(now));
    if (plan.headline(now)) {
        QStringList parts;
        if (plan.fiveHour) parts << "session " + pct(*plan.fiveHour);
        if (plan.weekly) parts << "week " + pct(*plan.weekly);
        parts << "read from ~/.claude.json, cached " + age;
        if (plan.isStale(now)) parts << QStringLiteral("— not refreshed recently, treat as approximate");
        return parts.join(QStringLiteral(" · "));
    }
    if (plan.hasStaleData(now))
        return QStringLiteral("Plan usage unknown — Claude Code last cached it ") + age +
               ". The desktop app doesn't refresh that cache; run /usage in a claude CLI session to update "
               "it.";
    return {};
}

bool PlanLine::visible(const PlanUsage& plan, Instant now) {
    return PlanBadge::visible(plan, now);
}

void PlanLine::paint(QPainter& p, const QRectF& frame, const PlanUsage& plan, Instant now) {
    const QRectF inner = frame.adjusted(16, 0, -16, 0);
    const double cy = frame.center().y();
    const double gap = 7;
    const QFont mono8 = Vortan::systemFont(8, QFont::Normal, true);

    if (plan.headline(now)) {
        std::vector<Text::Piece> row{
            {Text::shape("PLAN USED", Vortan::kerned(Vortan::fontDemi(9), 1.4)), Vortan::gold()}};
        auto part = [&](const char* label, std::int64_t value, std::optional<Instant> resets) {
            row.push_back(
                {Text::shape(label, Vortan::kerned(Vortan::fontDemi(8), 0.5)), Vortan::dimText(), gap});
            row.push_back({Text::shape(pct(value), Vortan::fontDemi(11)), PlanTint::color(value), 3});
            if (auto text = PlanUsage::resetsIn(resets, now))
                row.push_back(
                    {Text::shape(QStringLiteral("→") + QString::fromStdString(*text).toUpper(), mono8),
                     Vortan::dimText(), 3});
        };
        if (plan.fiveHour) part("SESSION", *plan.fiveHour, plan.fiveHourResets);
        if (plan.weekly) part("WEEK", *plan.weekly, plan.weeklyResets);
        Text::drawRow(p, row, inner.left(), cy);

        bool stale = plan.isStale(now);
        QString age = QString::fromStdString(plan.ageText(now));
        Text::Shaped ageText = Text::shape(stale ? "CACHED " + age : age, Vortan::fontDemi(8));
        QColor ageColour = stale ? Vortan::withOpacity(Vortan::barOrange(), 0.8) : Vortan::dimText();
        Text::drawRow(p, {{ageText, ageColour}}, inner.right() - ageText.advance, cy);
    } else if (plan.hasStaleData(now)) {
        std::vector<Text::Piece> row{
            {Text::shape("PLAN USED", Vortan::kerned(Vortan::fontDemi(9), 1.4)),
             Vortan::withOpacity(Vortan::gold(), 0.6)},
            {Text::shape("UNKNOWN — CACHE IS " + QString::fromStdString(plan.ageText(now)),
                         Vortan::kerned(Vortan::fontDemi(9), 0.5)),
             Vortan::withOpacity(Vortan::barOrange(), 0.85), gap}};
        Text::drawRow(p, row, inner.left(), cy);
        Text::Shaped hint = Text::shape("RUN /usage IN CLAUDE CLI", mono8);
        Text::drawRow(p, {{hint, Vortan::dimText()}}, inner.right() - hint.advance, cy);
    }
}

std::optional<Instant> nextPlanChange(const PlanUsage& plan, Instant now) {
    std::optional<Instant> best;
    auto consider = [&](Instant t) {
        if (t > now && (!best || t < *best)) best = t;
    };
    if (plan.fetchedAt) {
        double age = secondsBetween(*plan.fetchedAt, now);
        // Every age text, and both freshness limits, change on a whole minute of age, save "just now".
        consider(*plan.fetchedAt + 90.0);
        consider(*plan.fetchedAt + (std::floor(std::max(age, 0.0) / 60) + 1) * 60);
        if (age < 0) consider(*plan.fetchedAt);
    }
    for (const auto& reset : {plan.fiveHourResets, plan.weeklyResets}) {
        if (!reset) continue;
        double remaining = secondsBetween(now, *reset);
        if (remaining <= 0) continue;             // reads "due" from now on
        double k = std::ceil(remaining / 60) - 1; // the next whole minute still ahead of the reset
        consider(*reset - k * 60);
    }
    return best;
}

} // namespace fray
