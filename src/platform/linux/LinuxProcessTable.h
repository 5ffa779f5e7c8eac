#pragma once

#include "platform/ProcessTable.h"

namespace fray {

// The processes under /proc (a procfs root other than /proc serves tests).
class LinuxProcessTable : public ProcessTable {
  public:
    explicit LinuxProcessTable(std::string procRoot = "/proc");
    std::vector<ProcessInfo> snapshot() override;
    std::optional<std::string> environment(int pid, const std::string& name) override;

    // A /proc/PID/stat line's parent pid and command name; the name sits in parentheses
    // and may itself contain blanks and parentheses.
    static bool parseStat(const std::string& stat, ProcessInfo& into);

  private:
    std::string root_;
};

} // namespace fray
