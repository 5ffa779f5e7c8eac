#pragma once

#include "Instant.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fray {

// Plan utilisation as Claude Code caches it. The derived values take the instant to
// measure against, so views stay pure functions of their frame time.
struct PlanUsage {
    std::optional<std::int64_t> fiveHour;
    std::optional<std::int64_t> weekly;
    std::optional<Instant> fiveHourResets;
    std::optional<Instant> weeklyResets;
    std::optional<Instant> fetchedAt;

    static constexpr double freshFor = 10800.0;
    static constexpr double usableFor = 43200.0;

    bool isStale(Instant now) const;
    bool isUsable(Instant now) const;
    bool hasStaleData(Instant now) const;
    std::optional<std::int64_t> headline(Instant now) const;
    std::string ageText(Instant now) const;
    static std::optional<std::string> resetsIn(std::optional<Instant> instant, Instant now);

    bool operator==(const PlanUsage&) const = default;
};

} // namespace fray
