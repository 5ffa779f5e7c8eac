#include "island/MenuBarIcon.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace fray;
using C = MenuBarIcon::Clash;
using S = SessionStatus;

TEST(IconAnimator, FrameSequences) {
    // A script of session lists, "n,w" (s started, w working, n needs action, c completed;
    // "-" none), and "+0.5" for half a second passing; then every frame shown on the way.
    // The first list's image is already shown: nothing changes until the first tick.
    const std::pair<const char*, std::vector<C>> rows[] = {
        // clang-format off
        {"w,n +2", {C::none, C::full, C::none, C::full}}, // needs action wins and blinks, spark-less first
        {"w,c +3", {C::short_, C::full, C::short_}},      // working pulses once a second
        {"n +0.4 w,n n +0.2", {C::none}},                 // equal top statuses do not restart the rhythm
        {"n +0.5 w +1.1", {C::none, C::short_}},          // a switch waits for the new timer's tick
        {"n +0.5 s +3", {C::none, C::full}},              // started, completed or nothing: full and still
        {"n +0.5 - +3", {C::none, C::full}},
        // clang-format on
    };
    const std::map<char, S> statuses{
        {'s', S::started}, {'w', S::working}, {'n', S::needsAction}, {'c', S::completed}};
    for (const auto& [script, frames] : rows) {
        SCOPED_TRACE(script);
        test::ManualTime time;
        IconAnimator icon{time.timers()};
        std::vector<C> shown;
        QObject::connect(&icon, &IconAnimator::frameChanged, [&](C c) { shown.push_back(c); });
        std::istringstream steps(script);
        for (std::string step; steps >> step;) {
            if (step[0] == '+') {
                time.advance(std::stod(step.substr(1)));
                continue;
            }
            SessionList list;
            for (std::size_t i = 0; step != "-" && i < step.size(); i += 2)
                list.push_back(
                    SessionInfo::make(std::to_string(i), "p", {}, {}, statuses.at(step[i]), 0, {}, {}));
            icon.syncIcon(list);
        }
        EXPECT_EQ(shown, frames);
        EXPECT_LE(time.liveTimers(), 1) << "an old timer is gone";
    }
}

// The blink is how the tray tells a waiting session: its frames must differ at every density.
TEST(MenuBarIcon, FramesDifferAtAnyDensity) {
    for (int h : {18, 36}) {
        SCOPED_TRACE(h);
        QImage full = MenuBarIcon::image(C::full, h);
        QImage shorter = MenuBarIcon::image(C::short_, h);
        QImage none = MenuBarIcon::image(C::none, h);
        EXPECT_EQ(full.height(), h);
        EXPECT_NE(full, shorter);
        EXPECT_NE(full, none);
        EXPECT_NE(shorter, none);
    }
}
