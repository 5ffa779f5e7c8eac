#include "monitor/Timestamp.h"

#include <gtest/gtest.h>

using namespace fray;

TEST(ParseTimestamp, AcceptsRfc3339Forms) {
    struct Row {
        const char* text;
        double unix;
    } rows[] = {
        {"2025-01-31T09:15:42Z", 1738314942.0},
        {"2025-01-31T09:15:42.123Z", 1738314942.123},
        {"2025-01-31T09:15:42.5Z", 1738314942.5},
        {"2025-01-31T11:15:42+02:00", 1738314942.0},
        {"2025-01-31T04:45:42.250-04:30", 1738314942.25},
        {"2024-02-29T00:00:00Z", 1709164800.0}, // leap day
        {"1970-01-01T00:00:00Z", 0.0},
    };
    for (const auto& r : rows) {
        auto t = parseTimestamp(r.text);
        ASSERT_TRUE(t) << r.text;
        EXPECT_NEAR(toUnixSeconds(*t), r.unix, 1e-6) << r.text;
    }
}

TEST(ParseTimestamp, RejectsImpossibleOrMalformed) {
    const char* rows[] = {
        "2025-02-30T00:00:00Z", // no such day
        "2023-02-29T00:00:00Z", // not a leap year
        "2025-01-31T25:00:00Z", // hour 25
        "2025-01-31T09:60:00Z", "2025-01-31T09:15:61Z", "2025-13-01T00:00:00Z", "2025-00-10T00:00:00Z",
        "2025-01-31T09:15:42",    // no zone
        "2025-01-31 09:15:42Z",   // space instead of T
        "2025-01-31T09:15:42.Z",  // empty fraction
        "2025-01-31T09:15:42+0200", "2025-01-31T09:15:42+24:00", "2025-01-31T09:15:42Zjunk",
        "2025-1-31T09:15:42Z", "", "not a date",
    };
    for (const char* r : rows) EXPECT_FALSE(parseTimestamp(r)) << r;
}
