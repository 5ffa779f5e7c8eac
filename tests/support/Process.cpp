#include "Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fray::test {

namespace {

using Clock = std::chrono::steady_clock;

int spawn(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env, int& outFd, int& errFd) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return -1;
    std::vector<std::string> envStrings;
    for (auto& [k, v] : env) envStrings.push_back(k + "=" + v);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : envStrings) envp.push_back(e.data());
        envp.push_back(nullptr);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd = out[0];
    errFd = err[0];
    fcntl(outFd, F_SETFL, O_NONBLOCK);
    fcntl(errFd, F_SETFL, O_NONBLOCK);
    return pid;
}

// Reads whatever is available; false at end of file.
bool drain(int fd, std::string& buf) {
    char tmp[4096];
    for (;;) {
        ssize_t n = read(fd, tmp, sizeof tmp);
        if (n > 0) {
            buf.append(tmp, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) return false;
        return errno == EAGAIN || errno == EINTR;
    }
}

int decode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

} // namespace

std::map<std::string, std::string> isolatedEnv(const std::string& home) {
    std::map<std::string, std::string> env{
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/.config"},
        {"XDG_CACHE_HOME", home + "/.cache"},
        {"XDG_RUNTIME_DIR", home + "/run"},
        {"TZ", "UTC"},
        {"LANG", "C.UTF-8"},
        {"PATH", "/usr/bin:/bin"},
    };
    mkdir((home + "/run").c_str(), 0700);
    return env;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, std::chrono::milliseconds timeout) {
    ProcessResult r;
    int outFd, errFd;
    int pid = spawn(program, args, env, outFd, errFd);
    if (pid < 0) return r;
    const auto deadline = Clock::now() + timeout;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            r.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        poll(fds, 2, static_cast<int>(left));
        if (outOpen) outOpen = drain(outFd, r.out);
        if (errOpen) errOpen = drain(errFd, r.err);
    }
    close(outFd);
    close(errFd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = r.timedOut ? -1 : decode(status);
    return r;
}

BackgroundProcess::BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                                     const std::map<std::string, std::string>& env) {
    pid_ = spawn(program, args, env, outFd_, errFd_);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0 && !reaped_) stop(SIGKILL, std::chrono::seconds(5));
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
}

std::optional<std::string> BackgroundProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        auto nl = outBuf_.find('\n');
        if (nl != std::string::npos) {
            std::string line = outBuf_.substr(0, nl);
            outBuf_.erase(0, nl + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd fd{outFd_, POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
        if (!drain(outFd_, outBuf_) && outBuf_.find('\n') == std::string::npos) return std::nullopt;
    }
}

int BackgroundProcess::stop(int sig, std::chrono::milliseconds timeout) {
    if (pid_ <= 0 || reaped_) return -1;
    kill(pid_, sig);
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (Clock::now() < deadline) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            drain(errFd_, errBuf_);
            return decode(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    reaped_ = true;
    return -1;
}

std::string BackgroundProcess::stderrText() {
    drain(errFd_, errBuf_);
    return errBuf_;
}

} // namespace fray::test
