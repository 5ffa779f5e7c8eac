#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QStringList>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace fray {

namespace {

std::string environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Whether an X server answers at `display` and lets us in; Qt aborts the process when
// it does not.
bool xReachable(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool ok = c && !xcb_connection_has_error(c);
    if (c) xcb_disconnect(c);
    return ok;
}

// Whether a compositor listens on the Wayland socket (a name relative to the runtime
// folder, or an absolute path).
bool waylandReachable(const std::string& display) {
    const std::string path =
        display.front() == '/' ? display : environment("XDG_RUNTIME_DIR") + "/" + display;
    sockaddr_un addr{};
    if (display.front() != '/' && environment("XDG_RUNTIME_DIR").empty()) return false;
    if (path.size() >= sizeof addr.sun_path) return false;
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// Whether Qt has a Wayland platform plugin to load; it aborts on a platform it lacks.
bool waylandPluginPresent() {
    QStringList dirs = QString::fromStdString(environment("QT_PLUGIN_PATH")).split(':', Qt::SkipEmptyParts);
    dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& dir : dirs)
        if (!QDir(dir + "/platforms").entryList({"libqwayland*"}, QDir::Files).isEmpty()) return true;
    return false;
}

} // namespace

std::string chooseWindowSystem(WindowUse use) {
    if (!environment("QT_QPA_PLATFORM").empty()) return {}; // the user's explicit choice wins
    const std::string x = environment("DISPLAY"), wayland = environment("WAYLAND_DISPLAY");
    // X first: the island is an X11 window, on Wayland through XWayland.
    if (!x.empty() && xReachable(x)) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        return {};
    }
    const bool waylandUsable = !wayland.empty() && waylandReachable(wayland) && waylandPluginPresent();
    if (use == WindowUse::tool && waylandUsable) {
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        return {};
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string headless =
        use == WindowUse::island ? "running headless (log and sounds only)" : "running without windows";
    if (x.empty() && wayland.empty())
        return "fraymark: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); " + headless;
    if (!x.empty()) return "fraymark: cannot reach the X display " + x + "; " + headless;
    if (use == WindowUse::island)
        return "fraymark: the island needs an X server (XWayland) and this Wayland session has none; " +
               headless;
    return "fraymark: cannot use the Wayland display " + wayland +
           (waylandReachable(wayland) ? " (Qt's Wayland plugin is not installed); "
                                      : " (nothing answers); ") +
           headless;
}

bool displaysAreReal() {
    const QString name = QGuiApplication::platformName();
    return !name.isEmpty() && name != "offscreen" && name != "minimal";
}

namespace {
int signalPipe[2] = {-1, -1};

void handler(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}
} // namespace

void onTerminationSignal(std::function<void()> onSignal) {
    if (signalPipe[0] >= 0) return;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [fn = std::move(onSignal)] {
        char buf[16];
        while (::read(signalPipe[0], buf, sizeof buf) > 0) {
        }
        fn();
    });
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

} // namespace fray
