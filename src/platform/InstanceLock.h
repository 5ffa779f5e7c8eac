#pragma once

#include <memory>
#include <optional>
#include <string>

class QLockFile;

namespace fray {

// One resident copy per user: a lock file holding the pid. Locks left by dead
// processes are taken over.
class InstanceLock {
  public:
    explicit InstanceLock(std::string path);
    ~InstanceLock();

    // True when this process now holds the lock. Otherwise `otherPid` says who does
    // (absent when the lock could not be created or read at all).
    bool acquire();
    std::optional<long long> otherPid() const { return otherPid_; }

    // "<runtime dir>/<app id>.lock". Without XDG_RUNTIME_DIR, the folder it normally names
    // (/run/user/<uid>, when it is ours), so that a copy started from a shell that lacks
    // the variable still meets the lock; failing that a private 0700 folder of ours under
    // /tmp. Empty when no such folder can be had (then nothing is locked).
    static std::string defaultPath(const std::string& runtimeDir, const std::string& userRunDir = {},
                                   const std::string& tempDir = "/tmp");

  private:
    std::string path_;
    std::unique_ptr<QLockFile> lock_;
    std::optional<long long> otherPid_;
};

} // namespace fray
