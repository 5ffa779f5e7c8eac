// What the island says and from what: the model built from the sessions, the clocks,
// words and badges of the views, and the plan's badge.
#include "Fixtures.h"
#include "island/CollapsedViews.h"
#include "island/Medallion.h"
#include "island/PlanViews.h"
#include "island/Roster.h"
#include "island/StatusLine.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::fetched;
using test::fighters;
using test::frameNow;
using test::modelIn;
using test::modelOf;
using test::session;
using S = IslandStatus;

TEST(IslandModelFrom, PlayerOneIsAlwaysTheFirstSessionElseIdle) {
    SessionInfo first = session("a", SessionStatus::working, 5, 30);
    IslandModel m = modelOf({first, session("b", SessionStatus::needsAction, 9, 80)}, frameNow(), true);
    EXPECT_EQ(m.status, IslandStatus::working) << "a waiting session in second place does not take over";
    EXPECT_EQ(std::make_pair(m.combo, m.stateSince), std::make_pair(first.combo, first.stateSince));
    IslandModel idle = modelOf({});
    EXPECT_EQ(idle.status, IslandStatus::idle);
    EXPECT_EQ(idle.stateSince, frameNow()) << "the idle timer starts now";
}

TEST(IslandModelFrom, StaminaAndPowerUpComeFromAllSessions) {
    const Instant now = frameNow();
    auto s = [&](const char* id, double stamina, bool prompted,
                 std::optional<double> powerAgo = std::nullopt) {
        SessionInfo info = session(id, SessionStatus::working);
        info.stamina = stamina;
        if (prompted) info.lastPromptAt = now - 20.0;
        if (powerAgo) info.powerUpAt = now - *powerAgo;
        return info;
    };
    for (auto [name, sessions, stamina, powerAgo] :
         {std::tuple{"no prompts anywhere", SessionList{s("a", 0.1, false), s("b", 0.9, false)}, 0.5,
                     std::optional<double>()},
          {"the highest prompted, not player 1's", {s("a", 0.2, true), s("b", 0.9, true)}, 0.9, std::nullopt},
          {"unprompted sessions neither lower nor raise",
           {s("a", 0.99, false), s("b", 0.3, true)},
           0.3,
           std::nullopt},
          {"the latest power-up of any session",
           {s("a", 0.5, false, 5), s("b", 0.5, false), s("c", 0.5, false, 1)},
           0.5,
           1.0}}) {
        SCOPED_TRACE(name);
        IslandModel m = modelOf(sessions);
        EXPECT_DOUBLE_EQ(m.p1Stamina, stamina);
        EXPECT_EQ(m.powerUpAt, powerAgo ? std::optional<Instant>(now - *powerAgo) : std::nullopt);
    }
}

TEST(PlayerOneName, FallbackOrder) {
    for (auto [name, full, login, expected] :
         {std::tuple{"leading spaces, gecos fields after a comma, non-ASCII", "   Zoë,Room 1", "zoe", "ZOË"},
          {"only spaces: the login name", "   ", "linus", "LINUS"},
          {"nothing at all", "", "", "PLAYER 1"}})
        EXPECT_EQ(playerOneName(full, login), expected) << name;
}

TEST(Medallion, Figures) {
    // Minutes and seconds as "minutes|seconds".
    for (auto [name, status, ago, shown] :
         {std::tuple{"idle hides the clock", S::idle, 600.0, "|--"},
          {"59 s", S::working, 59.0, "|59"},
          {"fractions are dropped", S::working, 61.9, "1M|01"},
          {"past 99 minutes the seconds keep cycling", S::needsAction, 9999.0, "99M|39"},
          {"a state that begins in the future", S::working, -20.0, "|00"}}) {
        IslandModel m = modelIn(status, ago);
        m.stateSince = frameNow() - ago; // idle too
        Medallion::Figures f = Medallion::figures(m, frameNow());
        EXPECT_EQ(f.minutes + "|" + f.seconds, shown) << name;
    }
}

TEST(StatusLine, WordsThatCountAndTheLocation) {
    for (auto [status, combo, main, second] : {std::tuple{S::working, 2, "2", "HITS"},
                                               {S::completed, 0, "K.O.!", "PERFECT"},
                                               {S::completed, 12, "K.O.!", "12 HIT FINISH"}}) {
        IslandModel m = modelIn(status);
        m.combo = combo;
        StatusLine::CentreWord w = StatusLine::centreWord(m);
        EXPECT_EQ(w.main + "|" + w.second, QString::fromUtf8(main) + "|" + second);
    }
    IslandModel m = modelIn(S::working);
    m.branch = "feat/Boss";
    EXPECT_EQ(StatusLine::location(m), QStringLiteral("PIXEL-FORGE  ·  feat/Boss"))
        << "the branch keeps its case";
    EXPECT_EQ(StatusLine::location(modelIn(S::idle)), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(1))), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(3))), QStringLiteral("×3"));
}

// The bar's clock and a roster row's age read the same; the row's knows no K.O.
TEST(CollapsedViews, LabelsAndBadgesAndTheRowAge) {
    for (auto [name, status, ago, bar, dial] :
         {std::tuple{"knocked out", S::completed, 400.0, "K.O.", "KO"},
          {"under a minute", S::working, 42.0, "0:42", "42"},
          {"minutes and seconds", S::started, 187.0, "3:07", "3M"},
          {"past 99 minutes", S::needsAction, 6005.0, "99:05", "99M"}}) {
        SCOPED_TRACE(name);
        IslandModel m = modelIn(status, ago);
        EXPECT_EQ(BarMini::label(m, frameNow()), QString::fromUtf8(bar));
        EXPECT_EQ(CollapsedIsland::dialText(m, frameNow()), QString::fromUtf8(dial));
        const QString age = SessionRow::age(session("a", SessionStatus::working, 0, ago), frameNow());
        EXPECT_EQ(age, status == S::completed ? "6:40" : QString::fromUtf8(bar));
    }
    EXPECT_EQ(CollapsedIsland::badge(modelOf(fighters(1))), "");
    EXPECT_EQ(CollapsedIsland::badge(modelOf(fighters(5))), "5");
    EXPECT_EQ(BarMini::badge(modelOf(fighters(120))), "99") << "the bar's badge stops at two digits";
}

TEST(Redraw, NextWholeSecondIsNeverNow) {
    const Instant since = frameNow();
    for (auto [at, due] : {std::pair{0.3, 1.0}, {6.0, 7.0}, {-3.0, 1.0}})
        EXPECT_NEAR(secondsBetween(since, Redraw::nextSecond(since, since + at)), due, 1e-9) << at;
}

TEST(PlanViews, BadgeAndNextChange) {
    const Instant now = frameNow();
    // What the tooltip says (an empty one: nothing is shown).
    for (auto [name, plan, says] :
         {std::tuple{"only the week", fetched(600, std::nullopt, 30),
                     "week 30% · read from ~/.claude.json, cached 10m ago"},
          {"stale but usable", fetched(4 * 3600, 40, 75), "cached 4h ago · — not refreshed recently"},
          {"too old to use", fetched(13 * 3600, 40, 75),
           "Plan usage unknown — Claude Code last cached it 13h ago."},
          {"never fetched", PlanUsage{}, ""}}) {
        SCOPED_TRACE(name);
        const QString tooltip = PlanBadge::tooltip(plan, now);
        EXPECT_TRUE(tooltip.contains(QString::fromUtf8(says))) << tooltip.toStdString();
        EXPECT_EQ(tooltip.isEmpty(), !*says);
        EXPECT_EQ(PlanBadge::visible(plan, now), *says != 0);
        EXPECT_EQ(PlanBadge::size(plan, now).isEmpty(), !*says);
    }

    PlanUsage resets;
    resets.fiveHourResets = now + 150.0; // "2m" until 120 s remain
    for (auto [name, plan, in] : {std::tuple{"nothing depends on time", PlanUsage{}, std::optional<double>()},
                                  {"fresh turns stale at 3 h", fetched(10800 - 5, 10, 10), 5.0},
                                  {"a reset countdown drops a minute", resets, 30.0}}) {
        SCOPED_TRACE(name);
        const auto next = nextPlanChange(plan, now); // -1 below: no change due
        EXPECT_NEAR(next ? secondsBetween(now, *next) : -1.0, in.value_or(-1.0), 1e-6);
    }
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, now + 30.001), "1m");
    EXPECT_EQ(PlanUsage::resetsIn(resets.fiveHourResets, now + 29.999), "2m");
}

} // namespace
} // namespace fray
