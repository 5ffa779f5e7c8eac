#include "LinuxTmux.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fray {

namespace {

constexpr int answerWithinMs = 2000;

// Where a plain `tmux` puts its default server's socket.
std::string defaultSocket() {
    const char* dir = std::getenv("TMUX_TMPDIR");
    const std::string base = dir && *dir ? dir : "/tmp";
    return base + "/tmux-" + std::to_string(::getuid()) + "/default";
}

std::vector<std::vector<std::string>> fields(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::istringstream words(line);
        for (std::string w; std::getline(words, w, '\t');)
            row.push_back(w);
        rows.push_back(std::move(row));
    }
    return rows;
}

int toPid(const std::string& s) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    return end != s.c_str() && !*end && v > 0 ? static_cast<int>(v) : 0;
}

} // namespace

std::optional<std::string> LinuxTmux::run(const std::string& socket, const std::vector<std::string>& args) {
    const std::string path = socket.empty() ? defaultSocket() : socket;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return std::nullopt;
    const QString tmux = QStandardPaths::findExecutable("tmux");
    if (tmux.isEmpty()) return std::nullopt;
    QStringList list{"-S", QString::fromStdString(path)};
    for (const auto& a : args)
        list << QString::fromStdString(a);
    QProcess p;
    p.start(tmux, list);
    if (!p.waitForFinished(answerWithinMs)) {
        p.kill();
        p.waitForFinished(answerWithinMs);
        return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return p.readAllStandardOutput().toStdString();
}

std::vector<TmuxPane> LinuxTmux::panes(const std::string& socket) {
    std::vector<TmuxPane> out;
    if (auto text = run(socket, {"list-panes", "-a", "-F", "#{pane_pid}\t#{pane_id}\t#{session_name}"}))
        for (auto& row : fields(*text))
            if (row.size() >= 3 && toPid(row[0])) out.push_back({toPid(row[0]), row[1], row[2]});
    return out;
}

std::vector<TmuxClient> LinuxTmux::clients(const std::string& socket) {
    std::vector<TmuxClient> out;
    if (auto text = run(socket, {"list-clients", "-F", "#{client_pid}\t#{client_tty}\t#{client_session}"}))
        for (auto& row : fields(*text))
            if (row.size() >= 3 && toPid(row[0])) out.push_back({toPid(row[0]), row[1], row[2]});
    return out;
}

bool LinuxTmux::selectPane(const std::string& socket, const std::string& paneId) {
    return run(socket, {"select-window", "-t", paneId, ";", "select-pane", "-t", paneId}).has_value();
}

bool LinuxTmux::switchClient(const std::string& socket, const std::string& clientTty,
                             const std::string& paneId) {
    return run(socket, {"switch-client", "-c", clientTty, "-t", paneId}).has_value();
}

} // namespace fray
