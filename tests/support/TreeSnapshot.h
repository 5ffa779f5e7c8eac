#pragma once

#include "TempDir.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>

namespace fray::test {

// Everything a reader could have changed under a directory: names, kinds, sizes,
// modification times (to the nanosecond) and contents.
struct TreeSnapshot {
    struct Entry {
        char kind; // 'f' file, 'd' directory, 'l' symbolic link, 'o' other
        std::uintmax_t size;
        std::int64_t mtimeNs;
        std::string content; // files and link targets
        bool operator==(const Entry&) const = default;
    };
    std::map<std::string, Entry> entries; // by path relative to the root

    static TreeSnapshot of(const std::filesystem::path& root) {
        namespace fs = std::filesystem;
        TreeSnapshot snap;
        auto add = [&](const fs::path& p) {
            struct stat st;
            if (::lstat(p.c_str(), &st) != 0) return;
            Entry e{'o',
                    static_cast<std::uintmax_t>(st.st_size),
                    static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                    {}};
            if (S_ISREG(st.st_mode)) e = {'f', e.size, e.mtimeNs, readFile(p)};
            if (S_ISDIR(st.st_mode)) e.kind = 'd';
            if (S_ISLNK(st.st_mode)) e = {'l', e.size, e.mtimeNs, fs::read_symlink(p).string()};
            snap.entries[fs::relative(p, root).string()] = std::move(e);
        };
        add(root);
        for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
            add(it->path()); // does not follow directory links
        return snap;
    }

    // Human-readable differences, empty when none.
    std::string diff(const TreeSnapshot& later) const {
        std::string out;
        for (const auto& [path, e] : entries) {
            auto it = later.entries.find(path);
            if (it == later.entries.end())
                out += "removed: " + path + "\n";
            else if (!(it->second == e))
                out += "changed: " + path +
                       (it->second.content != e.content ? " (content)\n" : " (size, mtime)\n");
        }
        for (const auto& [path, e] : later.entries)
            if (!entries.contains(path)) out += "created: " + path + "\n";
        return out;
    }
};

} // namespace fray::test
