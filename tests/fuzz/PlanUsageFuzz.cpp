// The plan-usage parser over any file, and every value derived from what it gives, at
// any time a machine's clock may show.
#include "FuzzCheck.h"
#include "agents/PlanUsageReader.h"

#include <algorithm>

using namespace fray;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto usage = parseCachedUsage(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!usage) return 0;
    // Any clock a machine may show: 1970, today, the year 9999.
    for (double now : {0.0, 1767225600.0, 253402300799.0}) {
        const Instant at = fromUnixSeconds(now);
        if (const auto headline = usage->headline(at))
            FUZZ_CHECK(usage->isUsable(at) && headline == std::max(usage->fiveHour, usage->weekly));
        // Texts of any span, even one past what an integer holds: never negative.
        for (const auto& text :
             {std::optional(usage->ageText(at)), PlanUsage::resetsIn(usage->fiveHourResets, at)})
            FUZZ_CHECK(!text || (!text->empty() && text->find('-') == std::string::npos));
    }
    return 0;
}
