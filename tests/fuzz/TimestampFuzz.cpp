// The timestamp parser against the C library's timegm: whatever it accepts names the
// instant timegm gives for the same fields, and every valid date-time written in the
// canonical form is accepted.
#include "FuzzCheck.h"
#include "session/Timestamp.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

using namespace fray;

namespace {

// The instant of these fields by timegm, or absent when they name no real date-time.
std::optional<double> reference(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const std::time_t t = timegm(&tm);
    // timegm normalises (February 30th becomes March 2nd): a real date comes back unchanged.
    if (tm.tm_year != year - 1900 || tm.tm_mon != month - 1 || tm.tm_mday != day || tm.tm_hour != hour ||
        tm.tm_min != minute || tm.tm_sec != second)
        return std::nullopt;
    return static_cast<double>(t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto parsed = parseTimestamp(text)) {
        int y, mo, d, h, mi, s;
        FUZZ_CHECK(std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) == 6);
        const auto expected = reference(y, mo, d, h, mi, s);
        FUZZ_CHECK(expected.has_value());
        // The zone offset and the fraction move it by less than a day.
        FUZZ_CHECK(std::fabs(toUnixSeconds(*parsed) - *expected) < 86400.0);
    }

    FuzzedDataProvider in(data, size);
    const int year = in.ConsumeIntegralInRange(0, 9999), month = in.ConsumeIntegralInRange(1, 12),
              day = in.ConsumeIntegralInRange(1, 31), hour = in.ConsumeIntegralInRange(0, 23),
              minute = in.ConsumeIntegralInRange(0, 59), second = in.ConsumeIntegralInRange(0, 59),
              millis = in.ConsumeIntegralInRange(0, 999), offset = in.ConsumeIntegralInRange(-1439, 1439);
    char canonical[64];
    std::snprintf(canonical, sizeof canonical, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", year, month,
                  day, hour, minute, second, millis, offset < 0 ? '-' : '+', std::abs(offset) / 60,
                  std::abs(offset) % 60);
    const auto expected = reference(year, month, day, hour, minute, second);
    const auto parsed = parseTimestamp(canonical);
    FUZZ_CHECK(parsed.has_value() == expected.has_value());
    if (parsed)
        FUZZ_CHECK(std::fabs(toUnixSeconds(*parsed) - (*expected - offset * 60.0 + millis / 1000.0)) < 1e-3);
    return 0;
}
