#include "LinuxProcessTable.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace fray {

namespace {

// procfs files report no size: read until the end, with a cap for a runaway environment.
std::optional<std::string> readAll(const std::string& path, std::size_t cap = 1 << 20) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string out;
    char buf[4096];
    ssize_t n = 0;
    while (out.size() < cap && ((n = ::read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0) out.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    if (n < 0) return std::nullopt;
    return out;
}

std::string readLink(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> splitNul(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t start = 0; start < s.size();) {
        std::size_t end = s.find('\0', start);
        if (end == std::string::npos) end = s.size();
        out.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

LinuxProcessTable::LinuxProcessTable(std::string procRoot) : root_(std::move(procRoot)) {}

bool LinuxProcessTable::parseStat(const std::string& stat, ProcessInfo& into) {
    const auto open = stat.find('(');
    const auto close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    into.name = stat.substr(open + 1, close - open - 1);
    // After the name: state, then the parent's pid.
    const char* p = stat.c_str() + close + 1;
    char* end = nullptr;
    while (*p == ' ')
        ++p;
    if (!*p) return false;
    ++p; // the state letter
    const long ppid = std::strtol(p, &end, 10);
    if (end == p) return false;
    into.ppid = static_cast<int>(ppid);
    return true;
}

std::vector<ProcessInfo> LinuxProcessTable::snapshot() {
    std::vector<ProcessInfo> out;
    DIR* dir = ::opendir(root_.c_str());
    if (!dir) return out;
    while (const dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        const std::string base = root_ + "/" + e->d_name;
        ProcessInfo p;
        p.pid = static_cast<int>(pid);
        auto stat = readAll(base + "/stat");
        if (!stat || !parseStat(*stat, p)) continue; // gone meanwhile
        if (auto cmdline = readAll(base + "/cmdline")) p.argv = splitNul(*cmdline);
        p.exe = readLink(base + "/exe");
        p.cwd = readLink(base + "/cwd");
        out.push_back(std::move(p));
    }
    ::closedir(dir);
    return out;
}

std::optional<std::string> LinuxProcessTable::environment(int pid, const std::string& name) {
    auto env = readAll(root_ + "/" + std::to_string(pid) + "/environ");
    if (!env) return std::nullopt;
    const std::string prefix = name + "=";
    for (const auto& entry : splitNul(*env))
        if (entry.compare(0, prefix.size(), prefix) == 0) return entry.substr(prefix.size());
    return std::nullopt;
}

} // namespace fray
