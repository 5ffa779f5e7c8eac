#include "Timestamp.h"

#include <chrono>

namespace fray {

namespace {

bool digits(std::string_view s, std::size_t pos, std::size_t n, int& out) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

} // namespace

std::optional<Instant> parseTimestamp(std::string_view s) {
    int year, month, day, hour, minute, second;
    if (!digits(s, 0, 4, year) || s.size() < 20 || s[4] != '-' || !digits(s, 5, 2, month) || s[7] != '-' ||
        !digits(s, 8, 2, day) || s[10] != 'T' || !digits(s, 11, 2, hour) || s[13] != ':' ||
        !digits(s, 14, 2, minute) || s[16] != ':' || !digits(s, 17, 2, second))
        return std::nullopt;

    std::size_t pos = 19;
    double fraction = 0.0;
    if (s[pos] == '.') {
        ++pos;
        std::size_t start = pos;
        long long numerator = 0;
        double denominator = 1.0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            if (pos - start < 15) { // beyond femtoseconds nothing changes a double
                numerator = numerator * 10 + (s[pos] - '0');
                denominator *= 10.0;
            }
            ++pos;
        }
        fraction = static_cast<double>(numerator) / denominator;
        if (pos == start) return std::nullopt;
    }

    int offsetSeconds = 0;
    if (pos >= s.size()) return std::nullopt;
    if (s[pos] == 'Z') {
        ++pos;
    } else if (s[pos] == '+' || s[pos] == '-') {
        int oh, om;
        if (!digits(s, pos + 1, 2, oh) || pos + 3 >= s.size() || s[pos + 3] != ':' ||
            !digits(s, pos + 4, 2, om))
            return std::nullopt;
        if (oh > 23 || om > 59) return std::nullopt;
        offsetSeconds = (oh * 3600 + om * 60) * (s[pos] == '-' ? -1 : 1);
        pos += 6;
    } else {
        return std::nullopt;
    }
    if (pos != s.size()) return std::nullopt;

    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    using namespace std::chrono;
    year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                       std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;

    double secs = static_cast<double>(sys_days(ymd).time_since_epoch().count()) * 86400.0 + hour * 3600.0 +
                  minute * 60.0 + second - offsetSeconds;
    return fromUnixSeconds(secs + fraction);
}

} // namespace fray
