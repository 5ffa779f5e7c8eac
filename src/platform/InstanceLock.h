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

    // "$XDG_RUNTIME_DIR/<app id>.lock", or under the temp dir when the runtime dir is unset.
    static std::string defaultPath(const std::string& runtimeDir);

  private:
    std::string path_;
    std::unique_ptr<QLockFile> lock_;
    std::optional<long long> otherPid_;
};

} // namespace fray
