#include "DemoScript.h"

#include "Cast.h"

#include <algorithm>
#include <cmath>

namespace fray {

QColor TermLine::colour(Kind kind) {
    auto rgb = [](double r, double g, double b) { return QColor::fromRgbF(float(r), float(g), float(b)); };
    auto white = [&](double w) { return rgb(w, w, w); };
    switch (kind) {
    case Kind::path:
        return rgb(0.45, 0.80, 0.60);
    case Kind::user:
        return white(0.96);
    case Kind::bullet:
        return rgb(0.98, 0.72, 0.36);
    case Kind::tool:
        return white(0.62);
    case Kind::dim:
        return white(0.42);
    case Kind::ok:
        return rgb(0.40, 0.85, 0.55);
    case Kind::ask:
        return rgb(1.0, 0.45, 0.40);
    case Kind::choice:
        return rgb(0.55, 0.78, 1.0);
    case Kind::cursor:
        return white(0.80);
    }
    return white(0.80);
}

bool TermLine::bold(Kind kind) {
    return kind == Kind::user || kind == Kind::ask;
}

namespace DemoScript {

namespace {

double clamp01(double x) {
    return std::clamp(x, 0.0, 1.0);
}

struct CaptionWindow {
    double from, to;
    const char* text;
};

// In script order: where windows overlap, the later one wins.
const CaptionWindow captions[] = {
    {0.4, 3.6, "A FIGHT-GAME HUD FOR YOUR CODING AGENTS"},
    {3.6, 8.6, "SEND AN INSTRUCTION — YOUR SIDE POWERS UP"},
    {9.0, 15.6, "EVERY TOOL CALL LANDS AS A HIT"},
    {16.3, 22.7, "WAITING ON YOU? THE ISLAND GOES RED"},
    {23.2, 28.1, "APPROVE, AND THE ROUND RESUMES"},
    {28.7, 32.5, "K.O. — THE TURN IS DONE"},
    {33.4, 39.0, "HOVER FOR THE FULL ROSTER — EVERY AGENT YOU RUN"},
    {39.8, 42.6, "CLICK TO SHRINK IT. DRAG IT ANYWHERE."},
};

// Lines that appear once t reaches their time, and stay.
struct TimedLine {
    double at;
    TermLine::Kind kind;
    const char* text;
};

using K = TermLine::Kind;

const TimedLine work[] = {
    {4.5, K::bullet, "● Reading the webhook handler and the queue…"},
    {7.4, K::tool, "  ⎿ Read   src/webhooks/stripe.ts  (240 lines)"},
    {8.6, K::tool, "  ⎿ Grep   \"idempotency\"  (7 matches)"},
    {10.0, K::bullet, "● Adding an idempotency guard and exponential backoff."},
    {11.2, K::tool, "  ⎿ Edit   src/webhooks/stripe.ts   +48 −6"},
    {12.6, K::tool, "  ⎿ Edit   src/queue/retry.ts       +21 −0"},
    {14.0, K::ok, "  ⎿ Bash   npm test -- webhooks     ✓ 18 passed"},
};

const TimedLine afterApproval[] = {
    {tApprove, K::ok, "  ⎿ Bash   npx prisma migrate deploy  ✓ 2 migrations applied"},
    {25.4, K::ok, "  ⎿ Bash   npm test                  ✓ 214 passed"},
    {tKO, K::bullet, "● Done — webhook retries are idempotent and covered."},
    {tKO, K::cursor, "❯ ▍"},
};

const char* const mainId = "a";
const char* const mainProject = "orbit-api";
const char* const mainBranch = "feat/stripe-webhooks";

SessionInfo mainSession(SessionStatus status, std::int64_t combo, double ago, double t, Instant now) {
    return Cast::s(mainId, mainProject, mainBranch, status, combo, ago, promptAge(t), *mainStamina(t),
                   Agent::claude, now);
}

SessionInfo second(std::int64_t combo, double ago, Instant now) {
    return Cast::s("b", "nova-checkout", "main", SessionStatus::working, combo, ago, 320, 0.6, Agent::codex,
                   now);
}

} // namespace

Caption caption(double t) {
    Caption c;
    for (const auto& w : captions) {
        if (t < w.from - captionFade || t > w.to + captionFade) continue;
        c.text = w.text;
        c.opacity = std::min(clamp01((t - w.from) / captionFade), clamp01((w.to - t) / captionFade));
    }
    return c;
}

std::optional<double> promptAge(double t) {
    if (t < tPrompt) return std::nullopt;
    // The approval counts as a new prompt.
    return t < tApprove ? t - tPrompt : t - tApprove;
}

std::optional<double> mainStamina(double t) {
    auto p = promptAge(t);
    if (!p) return std::nullopt;
    return std::max(0.97 - *p / 90, 0.45);
}

SessionList sessions(double t, Instant now) {
    using S = SessionStatus;
    if (t < tPrompt) return {};
    if (t < tWorking) return {mainSession(S::started, 0, t - tPrompt, t, now)};
    if (t < tNeeds) {
        SessionList out{mainSession(S::working, std::int64_t(std::floor((t - tWorking) * 2.6)) + 2,
                                    t - tWorking, t, now)};
        if (t >= tSecond) out.push_back(second(6, t - tSecond, now));
        return out;
    }
    if (t < tApprove)
        return {mainSession(S::needsAction, 24, t - tNeeds, t, now), second(9, t - tSecond, now)};
    if (t < tKO)
        return {mainSession(S::working, std::int64_t(std::floor((t - tApprove) * 2.2)) + 25, t - tApprove, t,
                            now),
                second(11, t - tSecond, now)};
    if (t < tRoster) return {mainSession(S::completed, 34, t - tKO, t, now), second(13, t - tSecond, now)};
    if (t < tCollapse) return Cast::roster(now);
    return {Cast::s(mainId, mainProject, mainBranch, S::working, 18, t - tCollapse + 40, 260, 0.55,
                    Agent::claude, now),
            second(13, 200, now)};
}

std::optional<QPointF> pointer(double t) {
    if (t < tRoster || t >= tCollapse) return std::nullopt;
    const double e = 1 - std::pow(1 - std::min((t - tRoster) / 1.1, 1.0), 3);
    return QPointF(500 + 152 * e, 330 - 216 * e);
}

double outro(double t) {
    return clamp01((t - tOutro) / 0.9);
}

std::vector<TermLine> terminalLines(double t) {
    std::vector<TermLine> out;
    auto add = [&](K kind, const char* text) { out.push_back(TermLine{QUuid::createUuid(), text, kind}); };
    add(K::path, "~/code/orbit-api  (feat/stripe-webhooks)");
    add(K::dim, "  Welcome back — 3 files changed since your last session.");
    if (t < tPrompt) {
        add(K::cursor, "❯ ▍");
        return out;
    }
    add(K::user, "❯ add retry + idempotency keys to the stripe webhook handler");
    for (const auto& l : work)
        if (t >= l.at) add(l.kind, l.text);
    if (t >= tNeeds) add(K::bullet, "● Bash(npx prisma migrate deploy)");
    if (t >= tNeeds && t < tApprove) {
        add(K::ask, "  Do you want to run this command?");
        add(K::choice, "  ❯ 1. Yes    2. Yes, don't ask again    3. No");
    }
    for (const auto& l : afterApproval)
        if (t >= l.at) add(l.kind, l.text);
    return out;
}

Beat beat(double t, Instant now) {
    Beat b;
    const bool expanded = t >= tRoster && t < tCollapse;
    b.model = IslandModel::from(sessions(t, now), expanded, Cast::p1, Cast::plan(now), nullptr, now);
    if (t < tPrompt) b.model.p1Stamina = 0.3;
    b.collapsed = t >= tCollapse;
    Caption c = caption(t);
    b.caption = std::move(c.text);
    b.captionOpacity = c.opacity;
    b.terminal = terminalLines(t);
    b.cursor = pointer(t);
    b.outro = outro(t);
    return b;
}

} // namespace DemoScript
} // namespace fray
