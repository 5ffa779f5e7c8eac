#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fray::test {

struct ProcessResult {
    int exitCode = -1; // -1 when killed or not started
    std::string out, err;
};

// Runs a program to completion (or kills it after `timeout`), capturing its output.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A program left running in the background, stdin from /dev/null; stdout is read line by line.
class BackgroundProcess {
  public:
    BackgroundProcess(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env);
    ~BackgroundProcess(); // kills it if still running

    int pid() const { return pid_; } // -1 once stopped

    // The next complete stdout line, or nothing within the timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Sends `sig` (0: none, only waits) and waits for the exit status (-1 when it had to be killed).
    int stop(int sig, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::string stderrText() {
        pump(0);
        return buf_[1];
    }

  private:
    friend ProcessResult runProcess(const std::string&, const std::vector<std::string>&,
                                    const std::map<std::string, std::string>&, std::chrono::milliseconds);
    // Waits up to `ms` for output and takes what there is; false once both streams are closed.
    bool pump(int ms);

    int pid_ = -1;
    int fds_[2] = {-1, -1}; // stdout, stderr; -1 once closed
    std::string buf_[2];
};

// The environment a test run gets: a fresh home and XDG dirs, no display.
std::map<std::string, std::string> isolatedEnv(const std::string& home);

} // namespace fray::test
