#include "Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fray::test {

namespace {

using Clock = std::chrono::steady_clock;

// Appends whatever is available; false at end of file.
bool drain(int fd, std::string& buf) {
    char tmp[4096];
    for (;;) {
        const ssize_t n = read(fd, tmp, sizeof tmp);
        if (n <= 0) return n < 0 && (errno == EAGAIN || errno == EINTR);
        buf.append(tmp, static_cast<std::size_t>(n));
    }
}

int decode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

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
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        dup2(open("/dev/null", O_RDONLY), 0);
        std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
        for (auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        for (auto& e : envStrings)
            envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    fds_[0] = out[0];
    fds_[1] = err[0];
    for (int i = 0; i < 2; ++i) {
        fcntl(fds_[i], F_SETFL, O_NONBLOCK);
        open_[i] = pid_ > 0;
    }
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0 && !reaped_) stop(SIGKILL, std::chrono::seconds(5));
    for (int fd : fds_)
        if (fd >= 0) close(fd);
}

bool BackgroundProcess::pump(int ms) {
    pollfd p[2] = {{open_[0] ? fds_[0] : -1, POLLIN, 0}, {open_[1] ? fds_[1] : -1, POLLIN, 0}};
    if (open_[0] || open_[1]) poll(p, 2, ms);
    if (open_[0]) open_[0] = drain(fds_[0], outBuf_);
    if (open_[1]) open_[1] = drain(fds_[1], errBuf_);
    return open_[0] || open_[1];
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, std::chrono::milliseconds timeout) {
    BackgroundProcess p(program, args, env);
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && p.pump(50)) {
    }
    // Signal 0 only waits for the exit; a program still writing at the deadline is killed.
    const bool done = Clock::now() < deadline;
    return {p.stop(done ? 0 : SIGKILL, timeout), std::move(p.outBuf_), std::move(p.errBuf_)};
}

std::optional<std::string> BackgroundProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto nl = outBuf_.find('\n'); nl != std::string::npos) {
            std::string line = outBuf_.substr(0, nl);
            outBuf_.erase(0, nl + 1);
            return line;
        }
        if (Clock::now() >= deadline || !open_[0]) return std::nullopt;
        pump(50);
    }
}

int BackgroundProcess::stop(int sig, std::chrono::milliseconds timeout) {
    if (pid_ <= 0 || reaped_) return -1;
    kill(pid_, sig);
    int status = 0;
    for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            pump(0);
            return decode(status);
        }
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return -1;
}

} // namespace fray::test
