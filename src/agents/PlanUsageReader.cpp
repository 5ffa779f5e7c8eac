#include "PlanUsageReader.h"

#include "io/ReadBuffer.h"
#include "io/RepeatingWorker.h"
#include "session/PathText.h"
#include "session/Timestamp.h"

#include <simdjson.h>

#include <cmath>

namespace fray {

namespace {

std::optional<PlanUsage> parsePadded(const char* data, std::size_t len) {
    simdjson::dom::parser parser;
    simdjson::dom::element doc;
    if (parser.parse(reinterpret_cast<const uint8_t*>(data), len, false).get(doc)) return std::nullopt;
    simdjson::dom::object cached;
    if (doc["cachedUsageUtilization"].get_object().get(cached)) return std::nullopt;

    PlanUsage usage;
    double fetchedMs;
    // A fetch before 1970 or after the year 9999 is no fetch time at all.
    constexpr double latestMs = 253402300800000.0; // 10000-01-01T00:00:00Z
    if (!cached["fetchedAtMs"].get_double().get(fetchedMs) && fetchedMs >= 0 && fetchedMs < latestMs)
        usage.fetchedAt = fromUnixSeconds(fetchedMs / 1000.0);

    simdjson::dom::object utilization;
    const bool haveUtilization = !cached["utilization"].get_object().get(utilization);
    auto window = [&](const char* key, std::optional<std::int64_t>& percent, std::optional<Instant>& resets) {
        simdjson::dom::object w;
        if (!haveUtilization || utilization[key].get_object().get(w)) return;
        double value;
        // Truncated toward zero; a figure no 64-bit integer can hold is no figure.
        if (!w["utilization"].get_double().get(value) && std::fabs(value) < 9.2e18)
            percent = static_cast<std::int64_t>(value);
        std::string_view text;
        if (!w["resets_at"].get_string().get(text)) resets = parseTimestamp(text);
    };
    window("five_hour", usage.fiveHour, usage.fiveHourResets);
    window("seven_day", usage.weekly, usage.weeklyResets);
    return usage;
}

} // namespace

std::optional<PlanUsage> parseCachedUsage(std::string_view json) {
    ReadBuffer buf(simdjson::SIMDJSON_PADDING);
    buf.append(json.data(), json.size());
    return parsePadded(buf.data(), buf.size());
}

PlanUsageReader::PlanUsageReader(std::string home, Clock clock, std::shared_ptr<FileAccess> files)
    : path_(PathText::join(home, ".claude.json")), clock_(clock ? std::move(clock) : Clock(wallNow)),
      files_(files ? std::move(files) : posixFileAccess()) {}

PlanUsageReader::~PlanUsageReader() {
    if (worker_) worker_->stop();
}

void PlanUsageReader::start() {
    if (!worker_)
        worker_ = std::make_unique<RepeatingWorker>(
            "fray.plan",
            std::chrono::duration_cast<RepeatingWorker::Duration>(std::chrono::duration<double>(period)),
            [this] { tick(); });
    worker_->start();
}

void PlanUsageReader::tickNow() {
    tick();
}

void PlanUsageReader::tick() {
    std::optional<PlanUsage> deliver;
    {
        std::lock_guard lock(tickMutex_);
        try {
            auto attrs = files_->attributes(path_);
            if (!attrs || attrs->kind != EntryKind::file) return;
            if (lastMtime_ && *lastMtime_ == attrs->mtime && lastSize_ == attrs->size) {
                deliver = lastValue_;
            } else {
                // The change marker is recorded only once the file has been read and
                // understood: a failed or half-written read is retried at the next check
                // instead of hiding the new figures until the file changes again.
                lastMtime_.reset();
                auto file = files_->open(path_);
                if (!file) return;
                ReadBuffer buf(simdjson::SIMDJSON_PADDING);
                auto got = readToEnd(*file, 0, maxFileBytes + 1, buf, static_cast<std::size_t>(attrs->size));
                if (!got || *got > maxFileBytes) return;
                file.reset();
                auto parsed = parsePadded(buf.data(), buf.size());
                if (!parsed) return;
                lastValue_ = *parsed;
                if (secondsBetween(attrs->mtime, clock_()) >= settleTime) {
                    lastMtime_ = attrs->mtime;
                    lastSize_ = attrs->size;
                }
                deliver = lastValue_;
            }
        } catch (...) {
            return; // out of memory on a huge file, at worst: try again next time
        }
    }
    if (deliver && onUpdate) onUpdate(*deliver);
}

} // namespace fray
