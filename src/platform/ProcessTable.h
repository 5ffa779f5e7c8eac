#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fray {

struct ProcessInfo {
    int pid = 0;
    int ppid = 0;
    std::string name;              // the kernel's short command name
    std::vector<std::string> argv; // empty for kernel threads and unreadable processes
    std::string exe;               // resolved executable; empty when unreadable
    std::string cwd;               // empty when unreadable (another user's process)
    bool operator==(const ProcessInfo&) const = default;
};

// The running processes, read afresh on every call.
class ProcessTable {
  public:
    virtual ~ProcessTable() = default;
    virtual std::vector<ProcessInfo> snapshot() = 0;
    // One variable of a process's initial environment; absent when unset or unreadable.
    virtual std::optional<std::string> environment(int pid, const std::string& name) = 0;
};

} // namespace fray
