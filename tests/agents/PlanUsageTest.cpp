#include "agents/PlanUsageReader.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;
using fray::test::TempDir;

namespace {
const Instant kNow = fromUnixSeconds(1767225600.0);
constexpr auto absent = std::nullopt;
} // namespace

TEST(PlanUsage, DerivedValues) {
    struct Row {
        const char* name;
        std::optional<double> age; // of fetchedAt
        bool stale, usable, staleData;
        std::optional<std::int64_t> headline;
        const char* ageText;
    } rows[] = {
        {"never fetched", absent, true, false, false, absent, "never fetched"},
        {"2 h", 7200, false, true, false, 75, "2h ago"},
        {"exactly 3 h", 10800, false, true, false, 75, "3h ago"},
        {"4 h", 14400, true, true, false, 75, "4h ago"},
        {"exactly 12 h", 43200, true, true, false, 75, "12h ago"},
        {"13 h", 46800, true, false, true, absent, "13h ago"},
        {"89 s", 89, false, true, false, 75, "just now"},
        {"90 s", 90, false, true, false, 75, "1m ago"},
        {"3599 s", 3599, false, true, false, 75, "59m ago"},
        {"in the future", -500, false, true, false, 75, "just now"},
        {"3 days", 3 * 86400 + 5, true, false, true, absent, "3d ago"},
    };
    for (const auto& r : rows) {
        PlanUsage u{40, 75, absent, absent, absent};
        if (r.age) u.fetchedAt = kNow - *r.age;
        EXPECT_EQ(u.isStale(kNow), r.stale) << r.name;
        EXPECT_EQ(u.isUsable(kNow), r.usable) << r.name;
        EXPECT_EQ(u.hasStaleData(kNow), r.staleData) << r.name;
        EXPECT_EQ(u.headline(kNow), r.headline) << r.name;
        EXPECT_EQ(u.ageText(kNow), r.ageText) << r.name;
    }
    EXPECT_EQ((PlanUsage{absent, 12, absent, absent, kNow}).headline(kNow), 12) << "one window alone";
    EXPECT_EQ((PlanUsage{absent, absent, absent, absent, kNow}).headline(kNow), absent);

    struct Reset {
        std::optional<double> in;
        std::optional<std::string> text;
    } resets[] = {{absent, absent}, {-1, "due"},  {0, "due"},        {30, "0m"},
                  {2520, "42m"},    {3600, "1h"}, {26 * 3600, "1d"}, {86399, "23h"}};
    for (const auto& r : resets) {
        std::optional<Instant> at;
        if (r.in) at = kNow + *r.in;
        EXPECT_EQ(PlanUsage::resetsIn(at, kNow), r.text) << (r.in ? *r.in : -999);
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
        {"five_hour with only resets_at",
         R"({"cachedUsageUtilization":{"utilization":{"five_hour":{"resets_at":"2026-01-01T04:00:00Z"}}}})",
         PlanUsage{absent, absent, resets, absent, absent}},
        {"percent without a reset; bad date; negative", R"({"cachedUsageUtilization":{"utilization":{
             "five_hour":{"utilization":-3.7,"resets_at":"soon"},"seven_day":{"utilization":"88"}}}})",
         PlanUsage{-3, absent, absent, absent, absent}},
        {"percent too large for an integer",
         R"({"cachedUsageUtilization":{"utilization":{"five_hour":{"utilization":1e300}}}})",
         PlanUsage{absent, absent, absent, absent, absent}},
        {"mistyped inner keys",
         R"({"cachedUsageUtilization":{"fetchedAtMs":"1767225000000","utilization":[1,2]}})", PlanUsage{}},
        {"empty block", R"({"cachedUsageUtilization":{}})", PlanUsage{}},
        {"no block", R"({"oauthAccount":{}})", absent},
        {"block of another type", R"({"cachedUsageUtilization":[]})", absent},
        {"not an object", "[1,2,3]", absent},
        {"truncated mid-write", R"({"cachedUsageUtilization":{"fetchedAtMs":17672)", absent},
        {"empty file", "", absent},
    };
    for (const auto& r : rows)
        EXPECT_EQ(parseCachedUsage(r.json), r.expect) << r.name;
}

namespace {

struct PlanHome {
    TempDir home;
    Instant now = kNow;
    std::shared_ptr<fray::test::FaultyFileAccess> files = std::make_shared<fray::test::FaultyFileAccess>();
    PlanUsageReader reader{home.str(), [this] { return now; }, files};
    std::vector<PlanUsage> delivered;
    PlanHome() {
        reader.onUpdate = [this](const PlanUsage& u) { delivered.push_back(u); };
    }
    void write(std::int64_t fiveHour, double mtimeAgo) {
        auto p = home.write(".claude.json",
                            R"({"cachedUsageUtilization":{"utilization":{"five_hour":{"utilization":)" +
                                std::to_string(fiveHour) + "}}}}");
        fray::test::setMtime(p, toUnixSeconds(now) - mtimeAgo);
    }
};

} // namespace

TEST(PlanUsageReader, DeliversRereadsOnlyOnChangeAndRetriesFailures) {
    PlanHome h;
    h.reader.tickNow();
    EXPECT_TRUE(h.delivered.empty()) << "no file: no delivery";

    h.write(40, 600);
    h.reader.tickNow();
    h.reader.tickNow();
    ASSERT_EQ(h.delivered.size(), 2u);
    EXPECT_EQ(h.delivered[1].fiveHour, 40);
    EXPECT_EQ(h.files->opens, 1) << "an unchanged file is re-delivered without being read";

    fray::test::setMtime(h.home / ".claude.json", toUnixSeconds(h.now) - 300); // touched only
    h.reader.tickNow();
    EXPECT_EQ(h.files->opens, 2);
    EXPECT_EQ(h.delivered.back().fiveHour, 40);

    // A half-written file: nothing delivered now, and the next check reads it again
    // (with the same modification time) instead of hiding the figures.
    auto p = h.home.write(".claude.json", R"({"cachedUsageUtilization":{"utilization":{"five)");
    fray::test::setMtime(p, toUnixSeconds(h.now) - 200);
    const auto count = h.delivered.size();
    h.reader.tickNow();
    EXPECT_EQ(h.delivered.size(), count);
    h.write(55, 200);
    h.reader.tickNow();
    EXPECT_EQ(h.delivered.back().fiveHour, 55);

    h.files->readErrors.insert(p.string());
    h.write(60, 100);
    h.reader.tickNow();
    EXPECT_EQ(h.delivered.back().fiveHour, 55) << "read error: nothing new delivered";
    h.files->readErrors.clear();
    h.reader.tickNow();
    EXPECT_EQ(h.delivered.back().fiveHour, 60) << "and the next check retries";
}

TEST(PlanUsageReader, AFileModifiedWithinTheSettleTimeIsReadAgain) {
    PlanHome h;
    h.write(10, 0.5);
    h.reader.tickNow();
    h.reader.tickNow();
    EXPECT_EQ(h.files->opens, 2) << "could still change within the same timestamp";
    h.now = h.now + 60;
    h.reader.tickNow();
    h.reader.tickNow();
    EXPECT_EQ(h.files->opens, 3);
    EXPECT_EQ(h.delivered.size(), 4u);
}

TEST(PlanUsageReader, RunsOnItsOwnThread) {
    TempDir home;
    home.write(".claude.json", R"({"cachedUsageUtilization":{}})");
    std::atomic<int> calls{0};
    std::string name;
    std::mutex m;
    {
        PlanUsageReader reader(home.str());
        reader.onUpdate = [&](const PlanUsage&) {
            char buf[16] = {};
            pthread_getname_np(pthread_self(), buf, sizeof buf);
            std::lock_guard lock(m);
            name = buf;
            ++calls;
        };
        reader.start();
        for (int i = 0; i < 200 && calls == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(calls.load(), 1);
    std::lock_guard lock(m);
    EXPECT_EQ(name, "fray.plan");
}
