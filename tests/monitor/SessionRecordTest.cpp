#include "monitor/SessionInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace fray;

TEST(SessionStatus, RawValuesAndOrder) {
    EXPECT_EQ(sessionStatusFromRaw(3), SessionStatus::needsAction);
    EXPECT_EQ(sessionStatusFromRaw(0), SessionStatus::completed);
    EXPECT_FALSE(sessionStatusFromRaw(4));
    EXPECT_FALSE(sessionStatusFromRaw(-1));

    std::vector<SessionStatus> v{SessionStatus::started, SessionStatus::needsAction, SessionStatus::completed,
                                 SessionStatus::working};
    std::sort(v.begin(), v.end(), std::greater<>());
    EXPECT_EQ(v, (std::vector<SessionStatus>{SessionStatus::needsAction, SessionStatus::working,
                                             SessionStatus::started, SessionStatus::completed}));
}

TEST(Agent, RawValuesAreExactAndCaseSensitive) {
    EXPECT_EQ(agentFromRaw("osaurus"), Agent::osaurus);
    EXPECT_FALSE(agentFromRaw("Claude"));
    EXPECT_FALSE(agentFromRaw(""));
    for (Agent a : allAgents) {
        EXPECT_EQ(agentFromRaw(rawValue(a)), a);
        EXPECT_EQ(tag(a).size(), 3u);
    }
}

TEST(SessionInfo, DefaultsAndEquality) {
    Instant t = fromUnixSeconds(1000);
    auto a = SessionInfo::make("id", "proj", std::nullopt, std::nullopt, SessionStatus::working, 3, t, t);
    EXPECT_FALSE(a.branch || a.cwd || a.lastPromptAt || a.powerUpAt);
    EXPECT_EQ(a.stamina, 0.5);
    EXPECT_EQ(a.agent, Agent::claude);

    auto b = a;
    b.stamina = 0.52;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id, b.id);
}
