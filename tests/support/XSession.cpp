#include "XSession.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fray::test {

namespace {

const char* const dummyConfig = R"(Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3200 1080
  EndSubSection
EndSection
)";

void sleepFor(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

} // namespace

XSession::XSession(Screens screens) {
    char tmpl[] = "/tmp/fraymark-x-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    dir_ = tmpl;
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string program = screens == Screens::twoMonitors ? "Xorg" : "Xvfb";
    std::vector<std::string> args{program,     "-displayfd", std::to_string(fds[1]),
                                  "-nolisten", "tcp",        "-noreset"};
    if (screens == Screens::twoMonitors) {
        std::ofstream(dir_ + "/dummy.conf") << dummyConfig;
        args.insert(args.end(), {"-config", dir_ + "/dummy.conf", "-logfile", dir_ + "/xorg.log"});
    } else {
        args.insert(args.end(), {"-screen", "0", "1920x1080x24"});
    }
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    serverPid_ = fork();
    if (serverPid_ == 0) {
        close(fds[0]);
        setsid(); // keeps the server out of the terminal's signals
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (c != '\n') {
        problem_ = program + " did not start";
        return;
    }
    display_ = ":" + number;
    if (screens == Screens::twoMonitors) {
        run("xrandr", {"--fb", "3200x1080"});
        run("xrandr", {"--setmonitor", "A", "1280/340x800/210+0+0", "DUMMY0"});
        plugB();
    }
    if (screens == Screens::bare) return;
    run("xsetroot", {"-solid", "#5a6070"});
    wm_ = std::make_unique<BackgroundProcess>("/usr/bin/openbox", std::vector<std::string>{}, env({}));
    // openbox owns the WM_S0 selection once it manages the screen.
    for (int i = 0; i < 50 && run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).out.find("window id") ==
                                  std::string::npos;
         ++i)
        sleepFor(0.1);
}

XSession::~XSession() {
    tray_.reset();
    wm_.reset();
    killServer();
    if (!dir_.empty()) std::system(("rm -rf " + dir_).c_str());
}

void XSession::killServer() {
    if (serverPid_ <= 0) return;
    kill(serverPid_, SIGTERM);
    waitpid(serverPid_, nullptr, 0);
    serverPid_ = -1;
}

std::map<std::string, std::string> XSession::env(std::map<std::string, std::string> base) const {
    base["DISPLAY"] = display_;
    if (!base.count("PATH")) base["PATH"] = "/usr/bin:/bin";
    if (!base.count("HOME")) base["HOME"] = dir_;
    return base;
}

ProcessResult XSession::run(const std::string& program, const std::vector<std::string>& args) const {
    return runProcess("/usr/bin/" + program, args, env({}), std::chrono::seconds(10));
}

void XSession::startTray(std::vector<std::string> args) {
    args.insert(args.end(), {"--widthtype", "request", "--SetDockType", "true", "--SetPartialStrut", "true"});
    tray_ = std::make_unique<BackgroundProcess>("/usr/bin/trayer", args, env({}));
    sleepFor(0.5);
}

void XSession::unplugB() {
    run("xrandr", {"--delmonitor", "B"});
}

void XSession::plugB() {
    run("xrandr", {"--setmonitor", "B", "1920/500x1080/280+1280+0", "none"});
}

std::optional<std::string> XSession::windowId(const std::string& name) const {
    const auto tree = run("xwininfo", {"-root", "-children"}).out;
    std::smatch m;
    const std::regex line("\\s(0x[0-9a-f]+) \"" + name + "\"");
    if (!std::regex_search(tree, m, line)) return std::nullopt;
    return m[1].str();
}

std::optional<WindowGeometry> XSession::geometry(const std::string& id) const {
    const auto info = run("xwininfo", {"-id", id}).out;
    std::smatch m;
    WindowGeometry g;
    auto field = [&](const char* label) -> std::optional<int> {
        if (!std::regex_search(info, m, std::regex(std::string(label) + ":\\s+(-?\\d+)")))
            return std::nullopt;
        return std::stoi(m[1].str());
    };
    auto x = field("Absolute upper-left X"), y = field("Absolute upper-left Y"), w = field("Width"),
         h = field("Height");
    if (!x || !y || !w || !h) return std::nullopt;
    g = {*x, *y, *w, *h, info.find("Map State: IsViewable") != std::string::npos};
    return g;
}

std::optional<WindowGeometry> XSession::waitFor(const std::string& name,
                                                const std::function<bool(const WindowGeometry&)>& condition,
                                                double seconds) const {
    std::optional<WindowGeometry> last;
    for (double waited = 0; waited <= seconds; waited += 0.05) {
        if (auto id = windowId(name)) {
            last = geometry(*id);
            if (last && condition(*last)) return last;
        }
        sleepFor(0.05);
    }
    return last;
}

void XSession::click(int x, int y, int button) const {
    run("xdotool", {"mousemove", std::to_string(x), std::to_string(y), "click", std::to_string(button)});
}

bool XSession::screenshot(const std::string& file, int x, int y, int width, int height) const {
    const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) +
                             "+" + std::to_string(y);
    return run("import", {"-window", "root", "-crop", crop, file}).exitCode == 0;
}

} // namespace fray::test
