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
