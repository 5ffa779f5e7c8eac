#pragma once

#include "session/SessionStatus.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fray::test {

// One turning point of a scripted session: the generator steps written at second `at`, and
// the status the source must show then (in the variant run, `variant` where it differs).
struct Beat {
    double at;
    std::vector<std::string_view> steps;
    std::optional<SessionStatus> status;
    std::optional<std::optional<SessionStatus>> variant = {};
};
using Cues = std::vector<std::pair<double, std::string>>;

// Plays the beats, polling the source every 2 s up to `end`, and checks the status at each
// beat; returns the alert cues that every change into needs-action or completed plays.
inline Cues playTimeline(const std::vector<Beat>& beats, double end, bool variant,
                         const std::function<void(double, const std::vector<std::string_view>&)>& write,
                         const std::function<std::optional<SessionStatus>(double)>& poll) {
    Cues cues;
    std::optional<SessionStatus> previous;
    std::size_t next = 0;
    for (double t = 0; t <= end; t += 2) {
        const Beat* due = nullptr;
        for (; next < beats.size() && beats[next].at <= t; ++next) {
            due = &beats[next];
            if (!due->steps.empty()) write(due->at, due->steps);
        }
        const auto status = poll(t);
        if (due) {
            EXPECT_EQ(status, variant && due->variant ? *due->variant : due->status) << "at " << t << " s";
        }
        if (previous && status && status != previous && *status == SessionStatus::needsAction)
            cues.emplace_back(t, "your-move");
        if (previous && status && status != previous && *status == SessionStatus::completed)
            cues.emplace_back(t, "ko");
        previous = status;
    }
    return cues;
}

} // namespace fray::test
