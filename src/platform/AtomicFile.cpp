#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fray {

int writeFileAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + name + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;

    auto fail = [&](int err) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return err;
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 || ::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    // Make the rename itself durable; a failure here loses nothing already written.
    if (int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
}

} // namespace fray

namespace fray {

int makeDirectories(const std::string& dir, mode_t mode) {
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string partial = dir.substr(0, slash);
        if (!partial.empty() && ::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST) return errno;
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

} // namespace fray
