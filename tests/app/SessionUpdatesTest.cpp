#include "app/SessionUpdates.h"
#include "model/AppModel.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace fray;
using S = SessionStatus;

namespace {

struct Pipeline {
    std::shared_ptr<test::ManualTime> time = std::make_shared<test::ManualTime>();
    Settings settings{std::make_shared<PreferencesStore>()};
    AppModel model{time};
    fake::Sounds sounds;
    SessionUpdates updates{settings, model, sounds, time->clock()};
    int modelWrites = 0;
    std::vector<S> iconSeen;

    Pipeline() {
        QObject::connect(&model, &AppModel::sessionsChanged, [this] { ++modelWrites; });
        updates.syncIcon = [this](const SessionList& l) {
            iconSeen.push_back(l.empty() ? S::completed : l[0].status);
        };
    }
    SessionInfo s(const char* id, S status) {
        return SessionInfo::make(id, "p", std::nullopt, std::nullopt, status, 0, time->now(), time->now());
    }
    void deliver(std::initializer_list<std::pair<const char*, S>> rows) {
        SessionList list;
        for (auto& [id, st] : rows)
            list.push_back(s(id, st));
        updates.apply(list);
    }
};

} // namespace

TEST(CheckSounds, CueChoiceAndDebounce) {
    {
        SCOPED_TRACE("needs-action beats a simultaneous completion");
        Pipeline p;
        p.deliver({{"a", S::working}, {"b", S::working}});
        p.deliver({{"a", S::completed}, {"b", S::needsAction}});
        EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"cue:your-move"}));
    }
    {
        SCOPED_TRACE("needs-action sound off: the completion plays ko");
        Pipeline p;
        p.settings.setSoundNeedsAction(false);
        p.deliver({{"a", S::working}, {"b", S::working}});
        p.deliver({{"a", S::needsAction}, {"b", S::completed}});
        EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"cue:ko"}));
    }
    {
        SCOPED_TRACE("first sight is silent; a later completion plays");
        Pipeline p;
        p.deliver({{"a", S::needsAction}, {"b", S::completed}});
        EXPECT_TRUE(p.sounds.played.empty());
        p.deliver({{"a", S::completed}, {"b", S::completed}});
        EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"cue:ko"}));
    }
    {
        SCOPED_TRACE("any two sounds are more than 6 s apart; dropped cues are not queued");
        Pipeline p;
        p.deliver({{"a", S::working}});
        p.deliver({{"a", S::needsAction}}); // t = 0: plays
        p.time->advance(2);
        p.deliver({{"a", S::working}});
        p.time->advance(2);
        p.deliver({{"a", S::needsAction}}); // t = 4: dropped
        p.time->advance(2);
        p.deliver({{"a", S::working}}); // t = 6: exactly 6 s is not "more than"
        p.deliver({{"a", S::needsAction}});
        EXPECT_EQ(p.sounds.played.size(), 1u);
        p.time->advance(0.5);
        p.deliver({{"a", S::working}});
        p.deliver({{"a", S::needsAction}}); // t = 6.5: plays
        EXPECT_EQ(p.sounds.played.size(), 2u);
    }
    {
        SCOPED_TRACE("a session that vanished and returns counts as new");
        Pipeline p;
        p.deliver({{"a", S::working}});
        p.deliver({});
        p.deliver({{"a", S::needsAction}});
        EXPECT_TRUE(p.sounds.played.empty());
    }
    {
        SCOPED_TRACE("missing cue files fall back to the system sounds");
        Pipeline p;
        p.sounds.cuesAvailable.clear();
        p.sounds.systemAvailable = {"Sosumi", "Hero"};
        p.deliver({{"a", S::working}});
        p.deliver({{"a", S::completed}});
        EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"system:Hero"}));
        p.sounds.systemAvailable.clear(); // nothing at all: nothing plays, nothing fails
        p.time->advance(7);
        p.deliver({{"a", S::needsAction}});
        EXPECT_EQ(p.sounds.played.size(), 1u);
    }
}

TEST(Apply, FilterModelAndIcon) {
    Pipeline p;
    p.settings.setShowCompleted(false);
    p.deliver({{"a", S::working}, {"b", S::working}});
    EXPECT_EQ(p.modelWrites, 1);
    p.deliver({{"a", S::working}, {"b", S::working}});
    EXPECT_EQ(p.modelWrites, 1) << "an identical list does not wake observers";
    EXPECT_TRUE(p.sounds.played.empty());

    p.deliver({{"b", S::completed}, {"a", S::working}});
    EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"cue:ko"}))
        << "ko plays in the update that hides it";
    ASSERT_EQ(p.model.sessions().size(), 1u);
    EXPECT_EQ(p.model.sessions()[0].id, "a");
    EXPECT_EQ(p.iconSeen.back(), S::completed) << "the icon sees the unfiltered list";
}

TEST(LogLine, Format) {
    setenv("TZ", "UTC", 1);
    tzset();
    const Instant now = fromUnixSeconds(1767260467.0); // 09:41:07 UTC
    EXPECT_EQ(SessionUpdates::formatLogLine({}, now), "[09:41:07] no active sessions");

    auto api = SessionInfo::make("/t/1.jsonl", "api", std::string("main"), std::nullopt, S::working, 12, now,
                                 now, now - 75.9, now - 1.2);
    auto codex = SessionInfo::make("/c", "web", std::nullopt, std::nullopt, S::needsAction, 0, now, now,
                                   now + 3.5, now - 1.6, 0.04, Agent::codex);
    auto plain = SessionInfo::make("h:1", "docs", std::nullopt, std::nullopt, S::completed, 3, now, now);
    plain.agent = Agent::hermes;
    EXPECT_EQ(SessionUpdates::formatLogLine({api, codex, plain}, now),
              "[09:41:07] CLD:api[main]=working combo=12 stamina=0.50 idle=75s POWER-UP! | "
              "CDX:web[-]=NEEDS-ACTION combo=0 stamina=0.04 idle=-3s | "
              "HRM:docs[-]=completed combo=3 stamina=0.50 idle=-1s");
}
