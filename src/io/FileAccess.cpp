#include "FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fray {

namespace {

Instant toInstant(const struct statx_timestamp& ts) {
    return fromUnixSeconds(static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9);
}

EntryKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) return EntryKind::file;
    if (S_ISDIR(mode)) return EntryKind::directory;
    return EntryKind::other;
}

class PosixFile final : public OpenFile {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::optional<std::uint64_t> size() override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return std::nullopt;
        return static_cast<std::uint64_t>(st.st_size);
    }

    std::optional<std::size_t> readAt(std::uint64_t offset, char* dst, std::size_t n) override {
        for (;;) {
            ssize_t got = ::pread(fd_, dst, n, static_cast<off_t>(offset));
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) return std::nullopt;
        }
    }

  private:
    int fd_;
};

class PosixFileAccess final : public FileAccess {
  public:
    std::optional<std::vector<DirEntry>> list(const std::string& dir, bool withAttributes) override {
        DIR* d = ::opendir(dir.c_str());
        if (!d) return std::nullopt;
        const int dfd = ::dirfd(d);
        std::vector<DirEntry> out;
        for (;;) {
            errno = 0;
            struct dirent* e = ::readdir(d);
            if (!e) {
                if (errno != 0) {
                    ::closedir(d);
                    return std::nullopt;
                }
                break;
            }
            if (e->d_name[0] == '.') continue; // hidden, and "." and ".."
            DirEntry entry;
            entry.name = e->d_name;
            switch (e->d_type) {
            case DT_REG:
                entry.kind = EntryKind::file;
                break;
            case DT_DIR:
                entry.kind = EntryKind::directory;
                break;
            case DT_LNK:
                entry.isSymlink = true;
                break;
            case DT_UNKNOWN: {
                struct stat lst;
                if (::fstatat(dfd, e->d_name, &lst, AT_SYMLINK_NOFOLLOW) == 0) {
                    entry.kind = kindOf(lst.st_mode);
                    entry.isSymlink = S_ISLNK(lst.st_mode);
                }
                break;
            }
            default:
                entry.kind = EntryKind::other;
                break;
            }
            const bool mayBeFile = entry.kind == EntryKind::file || entry.isSymlink;
            if (entry.isSymlink || (withAttributes && mayBeFile)) {
                // Links are followed for their kind; a dangling one is "other".
                auto attrs = statAt(dfd, e->d_name);
                entry.kind = attrs ? attrs->kind : EntryKind::other;
                if (withAttributes && attrs && attrs->kind == EntryKind::file) entry.attributes = attrs;
            }
            out.push_back(std::move(entry));
        }
        ::closedir(d);
        return out;
    }

    std::optional<FileAttributes> attributes(const std::string& path) override {
        return statAt(AT_FDCWD, path.c_str());
    }

    bool exists(const std::string& path) override {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0;
    }

    static std::optional<FileAttributes> statAt(int dirfd, const char* path) {
        struct statx sx;
        if (::statx(dirfd, path, AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
            return std::nullopt;
        if (!(sx.stx_mask & STATX_MTIME) || !(sx.stx_mask & STATX_SIZE) || !(sx.stx_mask & STATX_TYPE))
            return std::nullopt;
        FileAttributes a;
        a.kind = kindOf(sx.stx_mode);
        a.mtime = toInstant(sx.stx_mtime);
        a.size = sx.stx_size;
        if (sx.stx_mask & STATX_BTIME) a.created = toInstant(sx.stx_btime);
        a.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
        a.inode = sx.stx_ino;
        return a;
    }

    std::unique_ptr<OpenFile> open(const std::string& path) override {
        // O_NONBLOCK: a FIFO put where a transcript was expected must not hang the thread.
        // O_NOATIME: reading another program's files should not even touch their access time.
        const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
        int fd = ::open(path.c_str(), flags | O_NOATIME);
        if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixFile>(fd);
    }
};

} // namespace

std::shared_ptr<FileAccess> posixFileAccess() {
    static const std::shared_ptr<FileAccess> instance = std::make_shared<PosixFileAccess>();
    return instance;
}

std::optional<std::size_t> readToEnd(OpenFile& file, std::uint64_t offset, std::uint64_t maxBytes,
                                     ReadBuffer& out, std::size_t expected) {
    constexpr std::size_t chunk = 64 * 1024;
    const std::size_t start = out.size();
    std::uint64_t total = 0;
    // Room for a little growth, so that reading the expected bytes comes back short and
    // ends the loop without one more call just to learn that the end was reached.
    std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(maxBytes, std::max<std::size_t>(expected + 4096, chunk)));
    while (total < maxBytes) {
        const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(want, maxBytes - total));
        char* dst = out.reserveTail(room);
        auto got = file.readAt(offset + total, dst, room);
        if (!got) {
            out.resize(start);
            return std::nullopt;
        }
        if (*got == 0) break;
        out.commit(*got);
        total += *got;
        if (*got < room) break; // a short read of a regular file: its end, as of now
        want = chunk;           // the file grew past what was expected: continue in modest steps
    }
    return static_cast<std::size_t>(total);
}

} // namespace fray
