#include "PlanUsage.h"

#include <algorithm>

namespace fray {

bool PlanUsage::isStale(Instant now) const {
    return !fetchedAt || secondsBetween(*fetchedAt, now) > freshFor;
}

bool PlanUsage::isUsable(Instant now) const {
    return fetchedAt && secondsBetween(*fetchedAt, now) <= usableFor;
}

bool PlanUsage::hasStaleData(Instant now) const {
    return fetchedAt && !isUsable(now);
}

std::optional<std::int64_t> PlanUsage::headline(Instant now) const {
    if (!isUsable(now)) return std::nullopt;
    if (fiveHour && weekly) return std::max(*fiveHour, *weekly);
    return fiveHour ? fiveHour : weekly;
}

namespace {
// Whole units in a positive number of seconds, truncated; held within what an integer
// holds, whatever instants a caller passes.
std::string whole(double seconds, double unit, const char* suffix) {
    const double n = seconds / unit;
    return std::to_string(n < 1e15 ? static_cast<std::int64_t>(n) : std::int64_t(1e15)) + suffix;
}
} // namespace

std::string PlanUsage::ageText(Instant now) const {
    if (!fetchedAt) return "never fetched";
    double age = secondsBetween(*fetchedAt, now);
    if (!(age >= 90)) return "just now"; // also a fetch time in the future
    if (age < 3600) return whole(age, 60, "m ago");
    if (age < 86400) return whole(age, 3600, "h ago");
    return whole(age, 86400, "d ago");
}

std::optional<std::string> PlanUsage::resetsIn(std::optional<Instant> instant, Instant now) {
    if (!instant) return std::nullopt;
    double remaining = secondsBetween(now, *instant);
    if (!(remaining > 0)) return "due";
    if (remaining < 3600) return whole(remaining, 60, "m");
    if (remaining < 86400) return whole(remaining, 3600, "h");
    return whole(remaining, 86400, "d");
}

} // namespace fray
