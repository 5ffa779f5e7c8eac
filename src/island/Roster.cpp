#include "Roster.h"

#include "PlanViews.h"
#include "model/IslandLayout.h"
#include "theme/Effects.h"
#include "theme/Shapes.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QLinearGradient>

#include <algorithm>

namespace fray {

namespace {
constexpr double dividerBlock = 9; // 1-point rule with 4 above and below
constexpr double overflowHeight = 16;
constexpr double hintHeight = 20;
constexpr double bottomPad = 8;
constexpr double rowPad = 16, rowSpacing = 7, marker = 8, ageWidth = 38, branchMax = 104;
} // namespace

QColor SessionRow::colour(SessionStatus s) {
    switch (s) {
    case SessionStatus::completed:
        return Vortan::gold();
    case SessionStatus::started:
        return Vortan::fightCyan();
    case SessionStatus::working:
        return Vortan::barYellow();
    case SessionStatus::needsAction:
        return Vortan::rageRed();
    }
    return Vortan::gold();
}

QString SessionRow::moveWord(const SessionInfo& s) {
    switch (s.status) {
    case SessionStatus::completed:
        return QStringLiteral("K.O.");
    case SessionStatus::started:
        return QStringLiteral("FIGHT!");
    case SessionStatus::working:
        return s.combo >= 1 ? QString::number(s.combo) + " HITS" : QStringLiteral("FIGHTING");
    case SessionStatus::needsAction:
        return QStringLiteral("YOUR MOVE");
    }
    return {};
}

QString SessionRow::age(const SessionInfo& s, Instant now) {
    std::int64_t e = Redraw::elapsedSeconds(s.stateSince, now);
    return QString::asprintf("%d:%02d", int(std::min<std::int64_t>(e / 60, 99)), int(e % 60));
}

QString SessionRow::tooltip() {
    return QStringLiteral("Bring Claude Code to the front");
}

void SessionRow::paint(QPainter& p, const QRectF& row, const SessionInfo& s, bool hovering, Instant now) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (s.status == SessionStatus::needsAction) p.fillRect(row, Vortan::withOpacity(Vortan::rageRed(), 0.1));
    if (hovering) p.fillRect(row, QColor::fromRgbF(1, 1, 1, 0.06f));

    const QColor tint = colour(s.status);
    const double cy = row.center().y();
    const QRectF inner = row.adjusted(rowPad, 0, -rowPad, 0);

    // Right to left first: the age column and the move word are never cut.
    const Text::Shaped ageText = Text::shape(age(s, now), Vortan::systemFont(9, QFont::DemiBold, true));
    const double ageLeft = inner.right() - ageWidth;
    Text::drawRow(p, {{ageText, Vortan::dimText()}}, inner.right() - ageText.advance, cy);
    const Text::Shaped move = Text::shape(moveWord(s), Vortan::kerned(Vortan::fontDemi(11), 0.5));
    const double moveLeft = ageLeft - rowSpacing - move.advance;
    Text::drawRow(p, {{move, tint}}, moveLeft, cy);

    double x = inner.left();
    const QRectF diamond(x, cy - marker / 2, marker, marker);
    Effects::drawWithShadow(p, diamond, Effects::glow(tint, 0.8, 3),
                            [&](QPainter& q) { q.fillPath(Diamond{}.path(diamond), tint); });
    x += marker + rowSpacing;

    const bool claude = s.agent == Agent::claude;
    const Text::Shaped tag =
        Text::shape(QString::fromUtf8(fray::tag(s.agent).data(), int(fray::tag(s.agent).size())),
                    Vortan::systemFont(8, QFont::Bold, true));
    const QRectF tagBox(x, cy - tag.height() / 2 - 1, tag.advance + 6, tag.height() + 2);
    QColor tagText = claude ? Vortan::dimText() : Vortan::withOpacity(Vortan::fightCyan(), 0.95);
    QColor tagLine = claude ? Vortan::dimText() : Vortan::fightCyan();
    p.setPen(QPen(tagLine, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tagBox.adjusted(0.4, 0.4, -0.4, -0.4), 2, 2);
    Text::drawRow(p, {{tag, tagText}}, x + 3, cy);
    x = tagBox.right() + rowSpacing;

    // Project and branch share what is left before the move word.
    const double room = std::max(0.0, moveLeft - rowSpacing - x);
    const QFont projFont = Vortan::kerned(Vortan::fontDemi(12), 0.5);
    const QFont branchFont = Vortan::systemFont(9, QFont::Normal, true);
    const QString project = QString::fromStdString(s.project).toUpper();
    const QString branch = s.branch ? QString::fromStdString(*s.branch) : QString();
    double branchW = branch.isEmpty() ? 0 : std::min(Text::width(branch, branchFont), branchMax);
    double projW = Text::width(project, projFont);
    if (!branch.isEmpty() && projW + rowSpacing + branchW > room)
        branchW = std::max(0.0, room - projW - rowSpacing);
    const Text::Shaped proj = Text::shape(
        Text::elided(project, projFont, branch.isEmpty() ? room : room - rowSpacing - branchW), projFont);
    Text::drawRow(p, {{proj, QColor::fromRgbF(1, 1, 1, 0.92f)}}, x, cy);
    x += proj.advance + rowSpacing;
    if (!branch.isEmpty() && branchW > 8) {
        Text::Shaped br = Text::shape(Text::elided(branch, branchFont, branchW), branchFont);
        Text::drawRow(p, {{br, Vortan::dimText()}}, x, cy);
    }
    p.restore();
}

double ExpandedList::height(const IslandModel& m, Instant now) {
    int n = int(m.sessions.size());
    return IslandLayout::contentHeight(IslandMode::expanded, n, 0, PlanLine::visible(m.plan, now)) -
           IslandLayout::compactHeight;
}

std::vector<ExpandedList::Row> ExpandedList::rows(const QRectF& frame, const IslandModel& m) {
    std::vector<Row> out;
    double y = frame.top() + dividerBlock;
    for (std::size_t i = 0; i < m.sessions.size() && i < std::size_t(IslandLayout::maxRows); ++i) {
        out.push_back({QRectF(frame.left(), y, frame.width(), IslandLayout::rowHeight), &m.sessions[i]});
        y += IslandLayout::rowHeight;
    }
    return out;
}

void ExpandedList::paint(QPainter& p, const QRectF& frame, const IslandModel& m,
                         const std::optional<std::string>& hoveredRow, Instant now) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF rule(frame.left() + 18, frame.top() + 4, frame.width() - 36, 1);
    QLinearGradient divider(rule.topLeft(), rule.topRight());
    divider.setColorAt(0, Vortan::withOpacity(Vortan::gold(), 0));
    divider.setColorAt(0.5, Vortan::withOpacity(Vortan::gold(), 0.7));
    divider.setColorAt(1, Vortan::withOpacity(Vortan::gold(), 0));
    p.fillRect(rule, divider);

    double y = frame.top() + dividerBlock;
    if (m.sessions.empty()) {
        Text::Shaped s = Text::shape("NO FIGHTERS IN QUEUE", Vortan::kerned(Vortan::fontDemi(11), 1.5));
        Text::drawCentred(p, s, QRectF(frame.left(), y, frame.width(), IslandLayout::rowHeight),
                          Vortan::dimText());
        y += IslandLayout::rowHeight;
    } else {
        for (const Row& r : rows(frame, m)) {
            bool hovering = m.onResume && hoveredRow && *hoveredRow == r.session->id;
            SessionRow::paint(p, r.rect, *r.session, hovering, now);
            y = r.rect.bottom();
        }
        if (m.sessions.size() > std::size_t(IslandLayout::maxRows)) {
            QString more =
                "+ " + QString::number(m.sessions.size() - IslandLayout::maxRows) + QStringLiteral(" MORE…");
            Text::drawCentred(p, Text::shape(more, Vortan::fontDemi(10)),
                              QRectF(frame.left(), y, frame.width(), overflowHeight), Vortan::dimText());
            y += overflowHeight;
        }
    }
    if (PlanLine::visible(m.plan, now)) {
        PlanLine::paint(p, QRectF(frame.left(), y, frame.width(), PlanLine::height), m.plan, now);
        y += PlanLine::height;
    }
    Text::Shaped hint =
        Text::shape(QStringLiteral("click to focus Claude Code · drag to move · right-click for options"),
                    Vortan::systemFont(9));
    Text::drawCentred(p, hint, QRectF(frame.left(), y, frame.width(), hintHeight),
                      QColor::fromRgbF(1, 1, 1, 0.25f));
    p.restore();
}

void ExpandedList::schedule(RedrawSchedule& s, const QRectF& frame, const IslandModel& m, Instant now) {
    for (const Row& r : rows(frame, m)) {
        QRectF ageCol(r.rect.right() - rowPad - ageWidth, r.rect.top(), ageWidth, r.rect.height());
        s.add(Redraw::nextSecond(r.session->stateSince, now), ageCol);
    }
    if (auto next = nextPlanChange(m.plan, now)) s.add(*next, frame);
}

} // namespace fray
