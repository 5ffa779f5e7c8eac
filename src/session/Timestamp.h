#pragma once

#include "Instant.h"

#include <optional>
#include <string_view>

namespace fray {

// RFC 3339 date-time ("2025-01-31T09:15:42.123Z", "…42+02:00"), with or without a
// fraction. Impossible dates and times are rejected, never normalised.
std::optional<Instant> parseTimestamp(std::string_view text);

} // namespace fray
