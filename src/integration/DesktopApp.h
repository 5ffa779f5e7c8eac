#pragma once

#include "platform/Applications.h"
#include "platform/ClientWindows.h"
#include "platform/ProcessTable.h"

#include <optional>
#include <string>
#include <vector>

// The Claude desktop app: its desktop entry, its running processes and windows.
namespace fray::DesktopApp {

inline constexpr const char* claudeBundleID = "com.anthropic.claudefordesktop";

// Its desktop ids, the vendor's first.
const std::vector<std::string>& desktopIds();

// The processes of the running app: the owners of its windows (by the entry's window
// class, or its name when it states none) and the processes running its Exec program.
std::vector<int> processes(const AppEntry& app, const std::vector<ProcessInfo>& table,
                           const std::vector<ClientWindow>& windows);

// Its window to activate, when one is open.
std::optional<ClientWindow> window(const AppEntry& app, const std::vector<ProcessInfo>& table,
                                   const std::vector<ClientWindow>& windows);

// Activates its window when it runs, else launches it.
bool bringForward(const AppEntry& app, ProcessTable& processes, ClientWindows& windows, Applications& apps);

} // namespace fray::DesktopApp
