#include "app/SessionUpdates.h"
#include "model/AppModel.h"
#include "model/Settings.h"
#include "platform/fake/FakePlatform.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

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

    Pipeline() {
        QObject::connect(&model, &AppModel::sessionsChanged, [this] { ++modelWrites; });
    }
    // One delivery: "a=w,b=n" is a list (s started, w working, n needs action, c completed),
    // "-" the empty list.
    void deliver(const std::string& step) {
        static const std::map<char, S> statuses{
            {'s', S::started}, {'w', S::working}, {'n', S::needsAction}, {'c', S::completed}};
        SessionList list;
        for (std::size_t i = 0; step != "-" && i < step.size(); i += 4)
            list.push_back(SessionInfo::make(step.substr(i, 1), "p", std::nullopt, std::nullopt,
                                             statuses.at(step[i + 2]), 0, time->now(), time->now()));
        updates.apply(list);
    }
};

} // namespace

TEST(CheckSounds, CueChoiceAndDebounce) {
    // A script of deliveries, and "+2" for two seconds passing.
    struct Row {
        const char* name;
        std::string script;
        std::vector<std::string> played;
        std::optional<std::vector<std::string>> systemOnly{}; // no cue files, these system sounds
    } rows[] = {
        // clang-format off
        {"needs-action beats a simultaneous completion", "a=w,b=w a=c,b=n", {"cue:your-move"}},
        {"first sight is silent; a later completion plays", "a=n,b=c a=c,b=c", {"cue:ko"}},
        {"any two sounds are more than 6 s apart; dropped cues are not queued",
         "a=w a=n +4 a=c +2 a=w a=n +0.5 a=c", {"cue:your-move", "cue:ko"}},
        {"missing cue files fall back to the system sounds", "a=w a=c +7 a=n", {"system:Hero", "system:Sosumi"},
         std::vector<std::string>{"Sosumi", "Hero"}},
        {"no sound at all: nothing plays, nothing fails", "a=w a=n", {}, std::vector<std::string>{}},
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Pipeline p;
        if (r.systemOnly) {
            p.sounds.cuesAvailable.clear();
            p.sounds.systemAvailable = *r.systemOnly;
        }
        std::istringstream steps(r.script);
        for (std::string step; steps >> step;) {
            if (step[0] == '+')
                p.time->advance(std::stod(step.substr(1)));
            else
                p.deliver(step);
        }
        EXPECT_EQ(p.sounds.played, r.played);
    }
}

TEST(Apply, FilterAndModel) {
    Pipeline p;
    p.settings.setShowCompleted(false);
    p.deliver("a=w,b=w");
    EXPECT_EQ(p.modelWrites, 1);
    p.deliver("a=w,b=w");
    EXPECT_EQ(p.modelWrites, 1) << "an identical list does not wake observers";

    p.deliver("b=c,a=w");
    EXPECT_EQ(p.sounds.played, (std::vector<std::string>{"cue:ko"}))
        << "ko plays in the update that hides it";
    ASSERT_EQ(p.model.sessions().size(), 1u);
    EXPECT_EQ(p.model.sessions()[0].id, "a");
}
