#pragma once

#include <cstddef>
#include <cstdint>

// Timing and size constants of the monitor, shared with the providers and the settings.
namespace fray::Tuning {

inline constexpr double tick = 2.0;                       // seconds between monitor ticks
inline constexpr std::int64_t rescanEvery = 7;            // ticks between directory rescans
inline constexpr double candidateWindow = 2700.0;         // idle longer than this: not a session
inline constexpr double needsActionAfter = 20.0;          // default needs-action delay
inline constexpr double startedWindow = 45.0;             // younger than this, unanswered: started
inline constexpr double workingStaleOut = 480.0;          // busy-looking but idle longer: completed
inline constexpr double completedLinger = 720.0;          // finished sessions stay this long
inline constexpr std::uint64_t initialTailBytes = 131072; // first read of a file
inline constexpr std::uint64_t maxCatchupBytes = 4194304; // larger growth jumps to the tail
// A first read whose tail holds no start of the current turn reads further back, up to
// this far from the end, so that combo and prompt age cover the whole turn.
inline constexpr std::uint64_t maxReadBackBytes = 16u << 20;
// Reading back grows its steps up to this, so that it reads little past the turn's start.
inline constexpr std::uint64_t maxReadBackStep = 1u << 20;
inline constexpr double velocityWindow = 600.0;
inline constexpr double velocityFull = 3.0;
inline constexpr double staminaHalfLife = 420.0;
inline constexpr double staminaFloor = 0.02;
// A JSON parser keeps about 14 bytes per byte of the longest line it has parsed: after a
// longer line it is replaced, so one huge tool result is not held for good.
inline constexpr std::size_t maxRetainedParserLine = 256 * 1024;

} // namespace fray::Tuning

#include <algorithm>
#include <cmath>
#include <optional>

namespace fray::Tuning {

// The user's needs-action delay as stored, made safe: a value that is not a number of
// seconds (negative, NaN) counts as missing; one beyond the candidate window means "as
// late as possible" and is held to it, since a session idle longer is no session at all.
inline double needsActionDelayFrom(std::optional<double> stored) {
    if (!stored || std::isnan(*stored) || *stored < 0.0) return needsActionAfter;
    return std::min(*stored, candidateWindow);
}

} // namespace fray::Tuning
