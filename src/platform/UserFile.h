#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// A file the user owns and may have edited by hand (a preferences file): read only when
// it is a regular file, set aside without ever replacing an earlier copy, and rewritten
// keeping its mode, its owner and any symbolic link that points to it.
namespace fray::UserFile {

struct Read {
    enum class Status { ok, missing, notRegular, tooLarge, unreadable };
    Status status = Status::missing;
    std::string bytes; // when ok
    int error = 0;     // errno, when unreadable
};

// Never blocks: a FIFO, socket or device at the path is reported, not opened for reading.
Read read(const std::string& path, std::size_t maxBytes);

// Renames `path` to `path + suffix`, or when that name is taken to `path + suffix + "-2"`,
// "-3", …; an existing file is never replaced. The name it got, or absent with `error` set.
std::optional<std::string> moveAside(const std::string& path, const std::string& suffix, int& error);

// Replaces the file's contents atomically. An existing file keeps its permission bits and
// (where the system allows) its owner and group; a new one gets `newMode`. Returns 0 or
// the errno of the step that failed.
int rewrite(const std::string& path, std::string_view bytes, mode_t newMode);

} // namespace fray::UserFile
