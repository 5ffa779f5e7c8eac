#include "Fixtures.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::frameNow;
using test::session;

TEST(IslandModelFrom, NoSessionsIsIdle) {
    const Instant now = frameNow();
    IslandModel m = IslandModel::from({}, false, "YOU", {}, nullptr, now);
    EXPECT_EQ(m.status, IslandStatus::idle);
    EXPECT_EQ(m.project, "");
    EXPECT_FALSE(m.branch);
    EXPECT_EQ(m.combo, 0);
    EXPECT_EQ(m.stateSince, now);
    EXPECT_DOUBLE_EQ(m.p1Stamina, 0.5);
    EXPECT_FALSE(m.powerUpAt);
    EXPECT_TRUE(m.sessions.empty());
    EXPECT_EQ(m.p1Name, "YOU");
}

TEST(IslandModelFrom, PlayerOneIsAlwaysTheFirstSession) {
    const Instant now = frameNow();
    SessionInfo first = session("a", SessionStatus::working, 5, 30);
    first.project = "MISO-STACK";
    first.branch = "main";
    SessionInfo second = session("b", SessionStatus::needsAction, 9, 80);
    IslandModel m = IslandModel::from({first, second}, true, "YOU", {}, nullptr, now);
    EXPECT_EQ(m.status, IslandStatus::working) << "a waiting session in second place does not take over";
    EXPECT_EQ(m.project, "MISO-STACK");
    EXPECT_EQ(m.branch, std::optional<std::string>("main"));
    EXPECT_EQ(m.combo, 5);
    EXPECT_EQ(m.stateSince, first.stateSince);
    EXPECT_TRUE(m.expanded);
    EXPECT_EQ(m.sessions.size(), 2u);
}

TEST(IslandModelFrom, StatusMapping) {
    struct Case {
        SessionStatus in;
        IslandStatus out;
    } cases[] = {{SessionStatus::completed, IslandStatus::completed},
                 {SessionStatus::started, IslandStatus::started},
                 {SessionStatus::working, IslandStatus::working},
                 {SessionStatus::needsAction, IslandStatus::needsAction}};
    for (const auto& c : cases) {
        SCOPED_TRACE(statusName(c.in).data());
        EXPECT_EQ(islandStatus(c.in), c.out);
        EXPECT_EQ(test::modelOf({session("a", c.in)}).status, c.out);
    }
}

TEST(IslandModelFrom, StaminaComesFromSessionsWithPrompts) {
    const Instant now = frameNow();
    auto withStamina = [&](const char* id, double stamina, bool prompted) {
        SessionInfo s = session(id, SessionStatus::working);
        s.stamina = stamina;
        if (prompted) s.lastPromptAt = now - 20.0;
        return s;
    };
    struct Case {
        const char* name;
        SessionList sessions;
        double stamina;
    } cases[] = {
        {"no prompts anywhere", {withStamina("a", 0.1, false), withStamina("b", 0.9, false)}, 0.5},
        {"the highest prompted, not player 1's", {withStamina("a", 0.2, true), withStamina("b", 0.9, true)}, 0.9},
        {"unprompted sessions neither lower nor raise", {withStamina("a", 0.99, false), withStamina("b", 0.3, true)}, 0.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(test::modelOf(c.sessions).p1Stamina, c.stamina);
    }
}

TEST(IslandModelFrom, PowerUpIsTheLatestOfAllSessions) {
    const Instant now = frameNow();
    SessionInfo a = session("a", SessionStatus::working), b = session("b", SessionStatus::working),
                c = session("c", SessionStatus::completed);
    a.powerUpAt = now - 5.0;
    c.powerUpAt = now - 1.0;
    EXPECT_EQ(test::modelOf({a, b, c}).powerUpAt, std::optional<Instant>(now - 1.0));
    EXPECT_FALSE(test::modelOf({b}).powerUpAt);
}

TEST(IslandModelFrom, KeepsTheResumeActionAndPlan) {
    int calls = 0;
    PlanUsage plan;
    plan.weekly = 12;
    IslandModel m = IslandModel::from({session("a", SessionStatus::working)}, false, "YOU", plan,
                                      [&](const SessionInfo&) { ++calls; }, frameNow());
    ASSERT_TRUE(m.onResume);
    m.onResume(m.sessions.front());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.plan, plan);
}

TEST(PlayerOneName, FallbackOrder) {
    struct Case {
        const char* name;
        std::string full, login, expected;
    } cases[] = {
        {"first word of the full name", "Ada Lovelace", "ada", "ADA"},
        {"leading spaces are skipped", "   grace  hopper", "gh", "GRACE"},
        {"only spaces: the login name", "   ", "linus", "LINUS"},
        {"empty full name: the login name", "", "linus", "LINUS"},
        {"nothing at all", "", "", "PLAYER 1"},
        {"gecos fields after the first comma are not the name", "Ada Lovelace,Room 1,555", "ada", "ADA"},
        {"gecos with an empty name field", ",Room 1", "ada", "ADA"},
        {"non-ASCII letters are upper-cased", "Zoë Smith", "zoe", "ZOË"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(playerOneName(c.full, c.login), c.expected);
    }
}

TEST(PlayerOneName, ReadsTheUserFacility) {
    fake::User user("Margaret Hamilton", "mh");
    EXPECT_EQ(playerOneName(user), "MARGARET");
}

} // namespace
} // namespace fray
