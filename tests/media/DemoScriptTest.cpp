#include "media/DemoScript.h"

#include <gtest/gtest.h>

#include <optional>

namespace fray {
namespace {

using IS = IslandStatus;

const Instant now = fromUnixSeconds(1735689600.0);

// What the story shows at one instant; unset fields are not checked on that row.
struct Turn {
    const char* why;
    double t;
    std::optional<IS> status{};
    std::optional<std::int64_t> combo{};
    std::optional<std::size_t> sessions{};
    std::optional<bool> cursor{};
    std::optional<double> outro{};
    std::optional<bool> expanded{};
    std::optional<bool> collapsed{};
};

// clang-format off
const Turn turns[] = {
    {.why = "before the instruction: idle", .t = 2.0, .status = IS::idle, .sessions = 0u,
     .cursor = false, .outro = 0, .expanded = false, .collapsed = false},
    {.why = "the instruction is sent at 3.6 exactly", .t = 3.6, .status = IS::started, .sessions = 1u},
    {.why = "working from 7 exactly", .t = 7.0, .status = IS::working, .combo = 2, .sessions = 1u},
    {.why = "waiting on the user from 16", .t = 16.0, .status = IS::needsAction, .combo = 24},
    {.why = "approval is a new prompt", .t = 23.0, .status = IS::working, .combo = 25},
    {.why = "K.O. from 28.5", .t = 28.5, .status = IS::completed, .combo = 34},
    {.why = "the roster opens under the pointer", .t = 33.0, .status = IS::needsAction, .sessions = 4u,
     .cursor = true, .expanded = true, .collapsed = false},
    {.why = "collapsed from 39.5", .t = 39.5, .status = IS::working, .combo = 18, .sessions = 2u, .cursor = false,
     .expanded = false, .collapsed = true},
    {.why = "no closing title at 43 yet", .t = 43.0, .outro = 0},
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
        same(turn.status, b.model.status);
        same(turn.combo, b.model.combo);
        same(turn.sessions, b.model.sessions.size());
        same(turn.cursor, b.cursor.has_value());
        same(turn.outro, b.outro);
        same(turn.expanded, b.model.expanded);
        same(turn.collapsed, b.collapsed);
    }
}

} // namespace
} // namespace fray
