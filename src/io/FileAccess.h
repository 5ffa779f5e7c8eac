#pragma once

#include "ReadBuffer.h"
#include "session/Instant.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray {

enum class EntryKind { file, directory, other };

// Which file a path names: another file renamed over the path has another identity,
// whatever its size. Inode numbers are reused, birth times tell the reuse apart.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::optional<Instant> created;
    bool operator==(const FileIdentity&) const = default;
};

struct FileAttributes {
    EntryKind kind = EntryKind::other;
    Instant mtime; // content modification
    std::uint64_t size = 0;
    std::optional<Instant> created; // absent when the file system keeps no birth time
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    FileIdentity identity() const { return {device, inode, created}; }
};

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::other; // of the link's target for symbolic links
    bool isSymlink = false;
    std::optional<FileAttributes> attributes; // for files, when asked for
};

// An open file, read at explicit offsets.
class OpenFile {
  public:
    virtual ~OpenFile() = default;
    virtual std::optional<std::uint64_t> size() = 0;
    // Up to n bytes at offset into dst; 0 at the end of the file, absent on a read error.
    virtual std::optional<std::size_t> readAt(std::uint64_t offset, char* dst, std::size_t n) = 0;
};

// The file-system operations the sources need, behind one seam so that tests can count
// opens and make files vanish, shrink or fail at the worst moment. Paths are absolute.
class FileAccess {
  public:
    virtual ~FileAccess() = default;
    // Entries of a directory without the hidden ones (names starting with "."); absent
    // when the directory cannot be listed. `withAttributes` fills DirEntry::attributes
    // for files, as attributes() would.
    virtual std::optional<std::vector<DirEntry>> list(const std::string& dir, bool withAttributes) = 0;
    // Follows symbolic links; absent when the path is gone or cannot be examined.
    virtual std::optional<FileAttributes> attributes(const std::string& path) = 0;
    // Whether anything is at the path, a dangling symbolic link included.
    virtual bool exists(const std::string& path) = 0;
    // Opens a file for reading; absent on failure. Never blocks on a FIFO or a device.
    // Callers check the kind with attributes() first; reads of anything else fail or are
    // bounded by the caller's limit.
    virtual std::unique_ptr<OpenFile> open(const std::string& path) = 0;
};

// The real file system.
std::shared_ptr<FileAccess> posixFileAccess();

// Appends the bytes of `file` from `offset` to its end, at most `maxBytes`, to `out`.
// Returns how many were appended, or absent on a read error (out is then unchanged).
std::optional<std::size_t> readToEnd(OpenFile& file, std::uint64_t offset, std::uint64_t maxBytes,
                                     ReadBuffer& out, std::size_t expected = 0);

} // namespace fray
