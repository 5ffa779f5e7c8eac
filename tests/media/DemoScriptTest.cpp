#include "media/DemoScript.h"

#include "island/HealthBar.h"

#include <gtest/gtest.h>

#include <optional>

namespace fray {
namespace {

using K = TermLine::Kind;
using IS = IslandStatus;

const Instant now = fromUnixSeconds(1735689600.0);

// What the story shows at one instant; unset fields are not checked on that row.
struct Turn {
    const char* why;
    double t;
    std::optional<IS> status{};
    std::optional<std::int64_t> combo{};
    std::optional<double> p1Stamina{};
    std::optional<std::size_t> sessions{};
    std::optional<std::string> caption{};
    std::optional<double> captionOpacity{};
    std::optional<QPointF> cursor{};
    bool noCursor = false;
    std::optional<double> outro{};
    std::optional<bool> expanded{};
    std::optional<bool> collapsed{};
    std::string terminal{};      // every line's kind, as letters (see `letter`), when given
    std::optional<bool> flare{}; // player 1's power-up flare at the beat's instant
};

// A letter per kind, in the enum's order: path, user, bullet, tool, dim, ok, ask, choice, cursor.
char letter(K kind) {
    return "pubtdoac>"[int(kind)];
}

const std::string opening = "A FIGHT-GAME HUD FOR YOUR CODING AGENTS";

// clang-format off
const Turn turns[] = {
    {.why = "before the instruction: idle, tired", .t = 2.0, .status = IS::idle, .p1Stamina = 0.3, .sessions = 0u,
     .caption = opening, .captionOpacity = 1, .noCursor = true, .outro = 0, .expanded = false, .collapsed = false, .terminal = "pd>"},
    {.why = "the instruction is sent at 3.6 exactly", .t = 3.6, .status = IS::started, .p1Stamina = 0.97, .sessions = 1u,
     .caption = "SEND AN INSTRUCTION — YOUR SIDE POWERS UP", .captionOpacity = 0, .terminal = "pdu", .flare = true},
    {.why = "the flare is out", .t = 5.2, .flare = false},
    {.why = "working from 7 exactly", .t = 7.0, .status = IS::working, .combo = 2, .sessions = 1u},
    {.why = "hits pile up", .t = 10.0, .combo = 9, .sessions = 1u},
    {.why = "waiting on the user from 16", .t = 16.0, .status = IS::needsAction, .combo = 24, .terminal = "pdubttbttobac"},
    {.why = "approval is a new prompt", .t = 23.0, .status = IS::working, .combo = 25, .terminal = "pdubttbttobo", .flare = true},
    {.why = "K.O. from 28.5", .t = 28.5, .status = IS::completed, .combo = 34, .terminal = "pdubttbttoboob>"},
    {.why = "the roster opens under the pointer", .t = 33.0, .status = IS::needsAction, .sessions = 4u,
     .cursor = QPointF(500, 330), .expanded = true, .collapsed = false},
    {.why = "the pointer has arrived", .t = 34.2, .cursor = QPointF(652, 114)},
    {.why = "collapsed from 39.5", .t = 39.5, .status = IS::working, .combo = 18, .sessions = 2u, .noCursor = true,
     .expanded = false, .collapsed = true},
    {.why = "no closing title at 43 yet; the last caption has faded", .t = 43.0, .captionOpacity = 0, .outro = 0},
    {.why = "closing title in full from 44", .t = 44.0, .outro = 1},
};
// clang-format on

TEST(DemoScript, TurningPoints) {
    for (const Turn& turn : turns) {
        SCOPED_TRACE(testing::Message() << "t = " << turn.t << ": " << turn.why);
        const DemoScript::Beat b = DemoScript::beat(turn.t, now);
        auto same = [](const auto& want, const auto& got) {
            if (want) {
                EXPECT_EQ(got, *want);
            }
        };
        auto near = [](const std::optional<double>& want, double got) {
            if (want) {
                EXPECT_NEAR(got, *want, 1e-9);
            }
        };
        same(turn.status, b.model.status);
        same(turn.combo, b.model.combo);
        near(turn.p1Stamina, b.model.p1Stamina);
        same(turn.sessions, b.model.sessions.size());
        same(turn.caption, b.caption);
        near(turn.captionOpacity, b.captionOpacity);
        near(turn.outro, b.outro);
        same(turn.expanded, b.model.expanded);
        same(turn.collapsed, b.collapsed);
        if (turn.cursor) {
            ASSERT_TRUE(b.cursor.has_value());
            EXPECT_NEAR(b.cursor->x(), turn.cursor->x(), 1e-9);
            EXPECT_NEAR(b.cursor->y(), turn.cursor->y(), 1e-9);
        }
        EXPECT_FALSE(turn.noCursor && b.cursor.has_value());
        if (!turn.terminal.empty()) {
            std::string kinds;
            for (const TermLine& l : b.terminal)
                kinds += letter(l.kind);
            EXPECT_EQ(kinds, turn.terminal);
        }
        if (turn.flare) {
            StaminaRamp ramp;
            ramp.update(b.model.p1Stamina, now);
            EXPECT_EQ(HealthBar(b.model, false, ramp).power(now).has_value(), *turn.flare);
        }
    }
}

TEST(DemoScript, EveryTerminalLineHasItsOwnId) {
    const auto a = DemoScript::terminalLines(30), b = DemoScript::terminalLines(30);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_NE(a[0].id, a[1].id);
    EXPECT_NE(a[0].id, b[0].id);
}

} // namespace
} // namespace fray
