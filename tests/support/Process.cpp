#include "Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace fray::test {

using Clock = std::chrono::steady_clock;

std::map<std::string, std::string> isolatedEnv(const std::string& home) {
    mkdir((home + "/run").c_str(), 0700);
    return {{"HOME", home},
            {"XDG_CONFIG_HOME", home + "/.config"},
            {"XDG_CACHE_HOME", home + "/.cache"},
            {"TZ", "UTC"},
            {"XDG_RUNTIME_DIR", home + "/run"},
            {"LANG", "C.UTF-8"},
            {"PATH", "/usr/bin:/bin"}};
}

BackgroundProcess::BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& env) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    std::vector<std::string> envStrings;
    for (auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
    for (auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    for (auto& e : envStrings)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        dup2(open("/dev/null", O_RDONLY), 0);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    fds_[0] = out[0];
    fds_[1] = err[0];
    for (int fd : fds_)
        fcntl(fd, F_SETFL, O_NONBLOCK);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) stop(SIGKILL, std::chrono::seconds(5));
    for (int fd : fds_)
        if (fd >= 0) close(fd);
}

bool BackgroundProcess::pump(int ms) {
    pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
    if (fds_[0] >= 0 || fds_[1] >= 0) poll(p, 2, ms);
    for (int i = 0; i < 2; ++i) {
        char tmp[4096];
        ssize_t n;
        while (fds_[i] >= 0 && (n = read(fds_[i], tmp, sizeof tmp)) > 0)
            buf_[i].append(tmp, static_cast<std::size_t>(n));
        if (fds_[i] >= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) { // end of file
            close(fds_[i]);
            fds_[i] = -1;
        }
    }
    return fds_[0] >= 0 || fds_[1] >= 0;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, std::chrono::milliseconds timeout) {
    BackgroundProcess p(program, args, env);
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && p.pump(50)) {
    }
    // A program still writing at the deadline is killed.
    const int code = p.stop(Clock::now() < deadline ? 0 : SIGKILL, timeout);
    return {code, std::move(p.buf_[0]), std::move(p.buf_[1])};
}

std::optional<std::string> BackgroundProcess::readLine(std::chrono::milliseconds timeout) {
    for (const auto deadline = Clock::now() + timeout;; pump(50)) {
        if (auto nl = buf_[0].find('\n'); nl != std::string::npos) {
            std::string line = buf_[0].substr(0, nl);
            buf_[0].erase(0, nl + 1);
            return line;
        }
        if (Clock::now() >= deadline || fds_[0] < 0) return std::nullopt;
    }
}

int BackgroundProcess::stop(int sig, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    const int pid = std::exchange(pid_, -1);
    kill(pid, sig);
    int status = 0;
    for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pump(0);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

} // namespace fray::test
