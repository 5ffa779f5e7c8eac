#include "StatusOutput.h"

#include "JsonOutput.h"
#include "agents/AgentRegistry.h"
#include "agents/PlanUsageReader.h"
#include "monitor/SessionMonitor.h"
#include "platform/Signals.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <mutex>

namespace fray::StatusOutput {

namespace {

SessionMonitor::Config configFor(const std::string& home) {
    SessionMonitor::Config config;
    config.home = home;
    config.providers = [home] { return AgentRegistry::available(home); };
    return config;
}

void print(std::FILE* out, const std::string& line) {
    std::fputs(line.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

} // namespace

int run(Format format, bool follow, const std::string& home, std::FILE* out) {
    if (DIR* d = opendir(home.c_str())) {
        closedir(d);
    } else {
        print(out, JsonOutput::error("cannot read the home directory " + home + ": " + std::strerror(errno)));
        return 1;
    }
    PlanUsageReader plan(home);
    std::mutex planMutex;
    PlanUsage latestPlan;
    plan.onUpdate = [&](const PlanUsage& p) {
        std::lock_guard lock(planMutex);
        latestPlan = p;
    };
    SessionMonitor monitor(configFor(home));
    auto render = [&](const SessionList& list) {
        const Instant now = wallNow();
        if (format == Format::json) return JsonOutput::document(list, now, !follow);
        std::lock_guard lock(planMutex);
        return JsonOutput::waybar(list, latestPlan, now);
    };

    if (!follow) {
        if (format == Format::waybar) plan.tickNow();
        print(out, render(monitor.tickNow()));
        return 0;
    }

    // One line per change, from the monitor's own thread; the main thread waits for a signal.
    std::string lastKey;
    monitor.onUpdate = [&](const SessionList& list) {
        const std::string line = render(list);
        const std::string key = format == Format::json ? JsonOutput::changeKey(list) : line;
        if (key == lastKey) return;
        lastKey = key;
        print(out, line);
    };
    if (format == Format::waybar) {
        plan.tickNow();
        plan.start();
    }
    waitForTerminationSignal([&] { monitor.start(); });
    return 0;
}

} // namespace fray::StatusOutput
