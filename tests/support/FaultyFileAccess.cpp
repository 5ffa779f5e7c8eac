#include "FaultyFileAccess.h"

namespace fray::test {

namespace {

class CountingFile final : public OpenFile {
  public:
    CountingFile(std::unique_ptr<OpenFile> inner, FaultyFileAccess& owner, bool fail)
        : inner_(std::move(inner)), owner_(owner), fail_(fail) {}
    std::optional<std::uint64_t> size() override { return inner_->size(); }
    std::optional<std::size_t> readAt(std::uint64_t offset, char* dst, std::size_t n) override {
        if (fail_) return std::nullopt;
        auto got = inner_->readAt(offset, dst, n);
        if (got) owner_.bytesRead += *got;
        return got;
    }

  private:
    std::unique_ptr<OpenFile> inner_;
    FaultyFileAccess& owner_;
    bool fail_;
};

} // namespace

std::optional<std::vector<DirEntry>> FaultyFileAccess::list(const std::string& dir, bool withAttributes) {
    if (denied.contains(dir)) return std::nullopt;
    return inner_->list(dir, withAttributes);
}

std::optional<FileAttributes> FaultyFileAccess::attributes(const std::string& path) {
    return inner_->attributes(path);
}

std::unique_ptr<OpenFile> FaultyFileAccess::open(const std::string& path) {
    ++opens;
    if (beforeOpen) beforeOpen(path);
    if (denied.contains(path)) return nullptr;
    auto file = inner_->open(path);
    if (!file) return nullptr;
    return std::make_unique<CountingFile>(std::move(file), *this, readErrors.contains(path));
}

} // namespace fray::test
