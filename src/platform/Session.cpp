#include "Session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace fray {

std::string chooseWindowSystem() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (set("QT_QPA_PLATFORM")) return {}; // the user's explicit choice wins
    if (set("DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        return {};
    }
    if (set("WAYLAND_DISPLAY")) return {};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return "fraymark: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); running without windows";
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
