#pragma once

#include "io/FileAccess.h"

#include <atomic>
#include <functional>
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

    std::optional<std::vector<DirEntry>> list(const std::string& dir, bool withAttributes) override {
        return denied.contains(dir) ? std::nullopt : inner_->list(dir, withAttributes);
    }
    std::optional<FileAttributes> attributes(const std::string& path) override {
        return inner_->attributes(path);
    }
    bool exists(const std::string& path) override { return inner_->exists(path); }
    std::unique_ptr<OpenFile> open(const std::string& path) override {
        ++opens;
        if (beforeOpen) beforeOpen(path);
        auto file = denied.contains(path) ? nullptr : inner_->open(path);
        if (!file) return nullptr;
        return std::make_unique<File>(std::move(file), bytesRead, readErrors.contains(path));
    }

  private:
    // Counts the bytes read, or fails every read.
    struct File final : OpenFile {
        File(std::unique_ptr<OpenFile> f, std::atomic<std::uint64_t>& counter, bool failing)
            : inner(std::move(f)), bytesRead(counter), fail(failing) {}
        std::optional<std::uint64_t> size() override { return inner->size(); }
        std::optional<std::size_t> readAt(std::uint64_t offset, char* dst, std::size_t n) override {
            auto got = fail ? std::nullopt : inner->readAt(offset, dst, n);
            bytesRead += got.value_or(0);
            return got;
        }
        std::unique_ptr<OpenFile> inner;
        std::atomic<std::uint64_t>& bytesRead;
        bool fail;
    };
    std::shared_ptr<FileAccess> inner_;
};

} // namespace fray::test
