#pragma once

#include <chrono>
#include <functional>

namespace fray {

// One instant type for the whole project: absolute, sub-second, on the system clock.
using Seconds = std::chrono::duration<double>;
using Instant = std::chrono::time_point<std::chrono::system_clock, Seconds>;

// Source of "now"; injected wherever a rule depends on time.
using Clock = std::function<Instant()>;

inline Instant wallNow() {
    return std::chrono::time_point_cast<Seconds>(std::chrono::system_clock::now());
}

inline Instant fromUnixSeconds(double s) {
    return Instant(Seconds(s));
}
inline double toUnixSeconds(Instant t) {
    return t.time_since_epoch().count();
}

// Stand-in for "the distant past": far enough back that every age computed from it is huge.
inline constexpr Instant distantPast() {
    return Instant(Seconds(-62135596800.0));
}

// b − a in seconds.
inline double secondsBetween(Instant a, Instant b) {
    return (b - a).count();
}

inline Instant operator+(Instant t, double s) {
    return t + Seconds(s);
}
inline Instant operator-(Instant t, double s) {
    return t - Seconds(s);
}

} // namespace fray
