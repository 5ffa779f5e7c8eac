#pragma once

#include "io/FileAccess.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace fray::test {

// A file system held in memory: regular files at absolute paths, directories implied by
// them. Writing a file anew gives it a new identity, as a rename over it would; appending
// and truncating keep it. Opened files see the bytes of the moment they were opened.
class MemoryFileAccess final : public FileAccess {
  public:
    struct File {
        std::string bytes;
        Instant mtime;
        std::uint64_t inode = 0;
    };
    std::map<std::string, File> files;

    void write(const std::string& path, std::string bytes, Instant mtime) {
        files[path] = File{std::move(bytes), mtime, ++lastInode_};
    }
    void append(const std::string& path, std::string_view bytes, Instant mtime) {
        auto it = files.find(path);
        if (it == files.end()) return write(path, std::string(bytes), mtime);
        it->second.bytes += bytes;
        it->second.mtime = mtime;
    }
    void truncate(const std::string& path, std::size_t size, Instant mtime) {
        auto it = files.find(path);
        if (it == files.end()) return;
        it->second.bytes.resize(std::min(size, it->second.bytes.size()));
        it->second.mtime = mtime;
    }

    std::optional<std::vector<DirEntry>> list(const std::string& dir, bool withAttributes) override {
        const std::string prefix = dir + "/";
        std::set<std::string> dirs;
        std::vector<DirEntry> out;
        for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix); ++it) {
            const std::string rest = it->first.substr(prefix.size());
            const auto slash = rest.find('/');
            const std::string name = rest.substr(0, slash);
            if (name.empty() || name.front() == '.') continue;
            if (slash != std::string::npos) {
                if (dirs.insert(name).second) out.push_back({name, EntryKind::directory, false, {}});
                continue;
            }
            DirEntry e{name, EntryKind::file, false, {}};
            if (withAttributes) e.attributes = attributesOf(it->second);
            out.push_back(std::move(e));
        }
        if (out.empty() && !isDirectory(dir)) return std::nullopt;
        return out;
    }
    std::optional<FileAttributes> attributes(const std::string& path) override {
        if (auto it = files.find(path); it != files.end()) return attributesOf(it->second);
        if (!isDirectory(path)) return std::nullopt;
        FileAttributes a;
        a.kind = EntryKind::directory;
        return a;
    }
    bool exists(const std::string& path) override { return files.contains(path) || isDirectory(path); }
    std::unique_ptr<OpenFile> open(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::make_unique<Snapshot>(it->second.bytes);
    }

  private:
    struct Snapshot final : OpenFile {
        explicit Snapshot(std::string b) : bytes(std::move(b)) {}
        std::optional<std::uint64_t> size() override { return bytes.size(); }
        std::optional<std::size_t> readAt(std::uint64_t offset, char* dst, std::size_t n) override {
            if (offset >= bytes.size()) return 0;
            const std::size_t got = std::min<std::size_t>(n, bytes.size() - static_cast<std::size_t>(offset));
            std::memcpy(dst, bytes.data() + offset, got);
            return got;
        }
        std::string bytes;
    };

    static FileAttributes attributesOf(const File& f) {
        FileAttributes a;
        a.kind = EntryKind::file;
        a.mtime = f.mtime;
        a.size = f.bytes.size();
        a.inode = f.inode;
        return a;
    }
    bool isDirectory(const std::string& path) const {
        auto it = files.lower_bound(path + "/");
        return it != files.end() && it->first.starts_with(path + "/");
    }

    std::uint64_t lastInode_ = 0;
};

} // namespace fray::test
