#include "DesktopApp.h"

#include "session/PathText.h"

#include <QString>

#include <algorithm>

namespace fray::DesktopApp {

namespace {

bool sameText(const std::string& a, const std::string& b) {
    return !a.empty() &&
           QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

// The program the Exec line runs, past `env` and its variable assignments.
std::string program(const AppEntry& app) {
    std::size_t i = 0;
    if (i < app.command.size() && PathText::lastComponent(app.command[i]) == "env") ++i;
    while (i < app.command.size() && app.command[i].find('=') != std::string::npos)
        ++i;
    return i < app.command.size() ? app.command[i] : std::string();
}

bool runs(const ProcessInfo& p, const std::string& prog) {
    if (prog.empty()) return false;
    if (prog.front() == '/') return p.exe == prog || (!p.argv.empty() && p.argv[0] == prog);
    return !p.argv.empty() && PathText::lastComponent(p.argv[0]) == prog;
}

bool isAppWindow(const AppEntry& app, const ClientWindow& w) {
    const std::string& cls = app.wmClass.empty() ? app.name : app.wmClass;
    return sameText(cls, w.wmClass) || sameText(cls, w.wmInstance);
}

} // namespace

const std::vector<std::string>& desktopIds() {
    static const std::vector<std::string> ids{std::string(claudeBundleID) + ".desktop",
                                              "claude-desktop.desktop"};
    return ids;
}

std::vector<int> processes(const AppEntry& app, const std::vector<ProcessInfo>& table,
                           const std::vector<ClientWindow>& windows) {
    std::vector<int> pids;
    auto add = [&](int pid) {
        if (pid > 0 && std::find(pids.begin(), pids.end(), pid) == pids.end()) pids.push_back(pid);
    };
    for (const auto& w : windows)
        if (isAppWindow(app, w)) add(w.pid);
    const std::string prog = program(app);
    for (const auto& p : table)
        if (runs(p, prog)) add(p.pid);
    return pids;
}

std::optional<ClientWindow> window(const AppEntry& app, const std::vector<ProcessInfo>& table,
                                   const std::vector<ClientWindow>& windows) {
    for (const auto& w : windows)
        if (isAppWindow(app, w)) return w;
    const std::string prog = program(app);
    for (const auto& w : windows)
        for (const auto& p : table)
            if (p.pid == w.pid && runs(p, prog)) return w;
    return std::nullopt;
}

bool bringForward(const AppEntry& app, ProcessTable& processes, ClientWindows& windows, Applications& apps) {
    if (auto w = window(app, processes.snapshot(), windows.list())) return windows.activate(w->id);
    return apps.launch(app);
}

} // namespace fray::DesktopApp
