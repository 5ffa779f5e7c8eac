#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

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

    static TreeSnapshot of(const std::filesystem::path& root);
    // Human-readable differences, empty when none.
    std::string diff(const TreeSnapshot& later) const;
};

} // namespace fray::test
