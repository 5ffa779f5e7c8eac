#include "AutostartFiles.h"

#include "AtomicFile.h"

#include "AppId.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fray::AutostartFiles {

namespace {

AutostartError posixError(int err, const std::string& what) {
    return {"posix", err, what + ": " + std::strerror(err)};
}

} // namespace

AutostartError missingExecutable() {
    return {std::string(appId), 1, "Can't locate the app's executable."};
}

std::optional<AutostartError> checkBaseFolder(const std::string& dir) {
    if (!dir.empty() && dir.front() == '/') return std::nullopt;
    return AutostartError{std::string(appId), 2,
                          "Can't locate the user's folders (\"" + dir + "\" is not absolute)."};
}

std::optional<AutostartError> makeFolder(const std::string& dir) {
    if (dir.empty()) return posixError(ENOENT, "Can't create folder \"\"");
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        partial = dir.substr(0, pos);
        if (partial.empty() || partial == "/") continue;
        if (::mkdir(partial.c_str(), 0755) == 0) continue;
        int err = errno;
        struct stat st {};
        if (err == EEXIST && ::stat(partial.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        // EEXIST for something that is not a folder reads better as "not a directory".
        return posixError(err == EEXIST ? ENOTDIR : err, "Can't create folder " + partial);
    }
    return std::nullopt;
}

std::optional<AutostartError> writeAtomically(const std::string& path, std::string_view bytes) {
    // An autostart entry is ordinarily world-readable, as the user's umask allows.
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (int err = writeFileAtomically(path, bytes, 0644 & ~mask))
        return posixError(err, "Can't write " + path);
    return std::nullopt;
}

std::optional<AutostartError> removeIfPresent(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        return posixError(errno, "Can't remove " + path);
    }
    int rc = S_ISDIR(st.st_mode) ? ::rmdir(path.c_str()) : ::unlink(path.c_str());
    if (rc != 0) return posixError(errno, "Can't remove " + path);
    return std::nullopt;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(out).str();
}

bool samePath(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace fray::AutostartFiles
