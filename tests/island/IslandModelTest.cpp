#include "Fixtures.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::frameNow;
using test::modelOf;
using test::session;

TEST(IslandModelFrom, PlayerOneIsAlwaysTheFirstSessionElseIdle) {
    SessionInfo first = session("a", SessionStatus::working, 5, 30);
    first.project = "MISO-STACK";
    first.branch = "main";
    IslandModel m = modelOf({first, session("b", SessionStatus::needsAction, 9, 80)}, frameNow(), true);
    EXPECT_EQ(m.status, IslandStatus::working) << "a waiting session in second place does not take over";
    EXPECT_EQ(m.project, "MISO-STACK");
    EXPECT_EQ(m.branch, std::optional<std::string>("main"));
    EXPECT_EQ(m.combo, 5);
    EXPECT_EQ(m.stateSince, first.stateSince);
    EXPECT_TRUE(m.expanded);
    EXPECT_EQ(m.sessions.size(), 2u);

    IslandModel idle = modelOf({});
    EXPECT_EQ(idle.status, IslandStatus::idle);
    EXPECT_EQ(idle.project, "");
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
         {std::tuple{"no sessions", SessionList{}, 0.5, std::optional<double>()},
          {"no prompts anywhere", {s("a", 0.1, false), s("b", 0.9, false)}, 0.5, std::nullopt},
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
    struct Case {
        const char* name;
        std::string full, login, expected;
    } cases[] = {
        {"first word of the full name", "Ada Lovelace", "ada", "ADA"},
        {"leading spaces are skipped", "   grace  hopper", "gh", "GRACE"},
        {"only spaces: the login name", "   ", "linus", "LINUS"},
        {"nothing at all", "", "", "PLAYER 1"},
        {"gecos fields after the first comma are not the name", "Ada Lovelace,Room 1,555", "ada", "ADA"},
        {"gecos with an empty name field", ",Room 1", "ada", "ADA"},
        {"non-ASCII letters are upper-cased", "Zoë Smith", "zoe", "ZOË"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(playerOneName(c.full, c.login), c.expected) << c.name;
}

} // namespace
} // namespace fray
