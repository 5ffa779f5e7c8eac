#pragma once

#include "monitor/FileAccess.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace fray::test {

// The real file system with counters and injected faults, for the moments that matter:
// between the attribute read and the open, and inside a read.
class FaultyFileAccess : public FileAccess {
  public:
    explicit FaultyFileAccess(std::shared_ptr<FileAccess> inner = posixFileAccess())
        : inner_(std::move(inner)) {}

    std::atomic<int> opens{0};
    std::atomic<std::uint64_t> bytesRead{0};

    // Runs just before a path is opened (after its attributes were read this tick).
    std::function<void(const std::string&)> beforeOpen;
    // Paths that fail as if permission were denied (open and list).
    std::set<std::string> denied;
    // Paths that open but whose reads fail.
    std::set<std::string> readErrors;

    std::optional<std::vector<DirEntry>> list(const std::string& dir, bool withAttributes) override;
    std::optional<FileAttributes> attributes(const std::string& path) override;
    std::unique_ptr<OpenFile> open(const std::string& path) override;

  private:
    std::shared_ptr<FileAccess> inner_;
};

} // namespace fray::test
