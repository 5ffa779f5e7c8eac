#include "agents/PlanUsageReader.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {
const Instant kNow = fromUnixSeconds(1767225600.0);
constexpr auto absent = std::nullopt;
} // namespace

// Fresh for 3 h, usable for 12 h, the higher window the headline. (Which window counts when
// one is missing is the fuzz target's; the wording, the tooltip tests'.)
TEST(PlanUsage, FreshnessBoundsAndHeadline) {
    struct Row {
        std::optional<double> age; // of fetchedAt
        bool stale, usable, staleData;
    } rows[] = {
        // clang-format off
        {absent, true, false, false}, {-500, false, true, false}, {10800, false, true, false},
        {10801, true, true, false},   {43200, true, true, false}, {43201, true, false, true},
        // clang-format on
    };
    for (const auto& r : rows) {
        PlanUsage u{40, 75, absent, absent, absent};
        if (r.age) u.fetchedAt = kNow - *r.age;
        EXPECT_EQ(std::make_tuple(u.isStale(kNow), u.isUsable(kNow), u.hasStaleData(kNow), u.headline(kNow)),
                  std::make_tuple(r.stale, r.usable, r.staleData,
                                  r.usable ? std::optional<std::int64_t>(75) : absent))
            << r.age.value_or(-1);
    }
}

TEST(PlanUsage, ParsesClaudeJsonVariants) {
    const auto resets = fromUnixSeconds(1767240000.0); // 2026-01-01T04:00:00Z
    struct Row {
        const char* name;
        std::string json;
        std::optional<PlanUsage> expect;
    } rows[] = {
        {"full block",
         R"({"numStartups":3,"cachedUsageUtilization":{"fetchedAtMs":1767225000000,"utilization":{
             "five_hour":{"utilization":45.9,"resets_at":"2026-01-01T04:00:00.000Z"},
             "seven_day":{"utilization":12,"resets_at":"2026-01-01T04:00:00+00:00"}}}})",
         PlanUsage{45, 12, resets, resets, fromUnixSeconds(1767225000.0)}},
        {"percent without a reset; bad date; negative; a string percent",
         R"({"cachedUsageUtilization":{"utilization":{"five_hour":{"utilization":-3.7,"resets_at":"soon"},
             "seven_day":{"utilization":"88"}}}})",
         PlanUsage{-3, absent, absent, absent, absent}},
        {"mistyped inner keys",
         R"({"cachedUsageUtilization":{"fetchedAtMs":"1767225000000","utilization":[1,2]}})", PlanUsage{}},
        {"a fetch before 1970 and a percent no integer holds count as absent",
         R"({"cachedUsageUtilization":{"fetchedAtMs":-1e300,"utilization":{"five_hour":{"utilization":1e300},
             "seven_day":{"utilization":5}}}})",
         PlanUsage{absent, 5, absent, absent, absent}},
        {"a fetch after the year 9999", R"({"cachedUsageUtilization":{"fetchedAtMs":1e300}})", PlanUsage{}},
        {"no block", R"({"oauthAccount":{}})", absent},
        {"truncated mid-write", R"({"cachedUsageUtilization":{"fetchedAtMs":17672)",
         absent}, // an empty file too
    };
    for (const auto& r : rows)
        EXPECT_EQ(parseCachedUsage(r.json), r.expect) << r.name;
}

namespace {

struct PlanHome {
    fray::test::TempDir home;
    std::shared_ptr<fray::test::FaultyFileAccess> files = std::make_shared<fray::test::FaultyFileAccess>();
    PlanUsageReader reader{home.str(), [] { return kNow; }, files};
    std::vector<PlanUsage> delivered;
    PlanHome() {
        reader.onUpdate = [this](const PlanUsage& u) { delivered.push_back(u); };
    }
    void write(const std::string& json, double mtimeAgo) {
        fray::test::setMtime(home.write(".claude.json", json), toUnixSeconds(kNow) - mtimeAgo);
    }
    void write(std::int64_t fiveHour, double mtimeAgo) {
        const std::string json = R"({"cachedUsageUtilization":{"utilization":{"five_hour":{"utilization":)";
        write(json + std::to_string(fiveHour) + "}}}}", mtimeAgo);
    }
    std::optional<std::int64_t> tick() {
        const auto before = delivered.size();
        reader.tickNow();
        return delivered.size() > before ? delivered.back().fiveHour : std::optional<std::int64_t>(-1);
    }
};

} // namespace

// tick() gives the five-hour figure delivered, or -1 when nothing was.
TEST(PlanUsageReader, DeliversRereadsOnlyOnChangeAndRetriesFailures) {
    PlanHome h;
    EXPECT_EQ(h.tick(), -1) << "no file: no delivery";
    h.write(40, 600);
    EXPECT_EQ(h.tick(), 40);
    EXPECT_EQ(h.tick(), 40);
    EXPECT_EQ(h.files->opens, 1) << "an unchanged file is delivered again without being read";
    h.write(400, 600); // rewritten within the same timestamp: only the size tells
    EXPECT_EQ(h.tick(), 400);

    // A half-written file, then a failed read: nothing delivered, and the next check reads
    // it again (with the same modification time) instead of hiding the figures.
    h.write(R"({"cachedUsageUtilization":{"utilization":{"five)", 200);
    EXPECT_EQ(h.tick(), -1);
    h.write(55, 200);
    EXPECT_EQ(h.tick(), 55);
    h.files->readErrors.insert((h.home / ".claude.json").string());
    h.write(60, 100);
    EXPECT_EQ(h.tick(), -1);
    h.files->readErrors.clear();
    EXPECT_EQ(h.tick(), 60);
}
