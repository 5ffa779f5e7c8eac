#include "UserFile.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fray::UserFile {

Read read(const std::string& path, std::size_t maxBytes) {
    Read r;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer, for good.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        struct stat st;
        if (err == ENOENT || err == ENOTDIR) {
            r.status = Read::Status::missing;
        } else if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            r.status = Read::Status::notRegular; // a socket, say: it cannot even be opened
        } else {
            r.status = Read::Status::unreadable;
            r.error = err;
        }
        return r;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        r.status = Read::Status::unreadable;
        r.error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        r.status = Read::Status::notRegular;
    } else if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        r.status = Read::Status::tooLarge;
    } else {
        r.status = Read::Status::ok;
        char buf[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                r.status = Read::Status::unreadable;
                r.error = errno;
                break;
            }
            if (n == 0) break;
            r.bytes.append(buf, static_cast<std::size_t>(n));
            if (r.bytes.size() > maxBytes) { // grew while being read
                r.status = Read::Status::tooLarge;
                break;
            }
        }
        if (r.status != Read::Status::ok) r.bytes.clear();
    }
    ::close(fd);
    return r;
}

std::optional<std::string> moveAside(const std::string& path, const std::string& suffix, int& error) {
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + suffix + (n > 1 ? "-" + std::to_string(n) : "");
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return aside;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) break;
        // A file system without the no-replace rename: a hard link fails on an existing name too.
        if (::link(path.c_str(), aside.c_str()) == 0) {
            if (::unlink(path.c_str()) == 0) return aside;
            const int err = errno;
            ::unlink(aside.c_str());
            errno = err;
            break;
        }
        if (errno != EEXIST) break;
    }
    error = errno;
    return std::nullopt;
}

int rewrite(const std::string& path, std::string_view bytes, mode_t newMode) {
    // Through a symbolic link (a preferences folder kept with one's dotfiles), to its target.
    std::string target = path;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (real) target = real.get();
    }
    mode_t mode = newMode;
    std::optional<std::pair<uid_t, gid_t>> owner;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
        owner = {st.st_uid, st.st_gid};
    }
    if (int err = writeFileAtomically(target, bytes, mode)) return err;
    if (owner && ::stat(target.c_str(), &st) == 0 &&
        (st.st_uid != owner->first || st.st_gid != owner->second)) {
        if (::chown(target.c_str(), owner->first, owner->second) != 0) {
            // Only root may give a file away; the contents are saved all the same.
        }
    }
    return 0;
}

} // namespace fray::UserFile
