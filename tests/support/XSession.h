#pragma once

#include "Process.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray::test {

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool mapped = false;
    bool operator==(const WindowGeometry&) const = default;
};

// A private desktop for one test: an X server (Xvfb with one screen, or Xorg's dummy
// driver with two monitors side by side), openbox, and on request a tray host. Every program comes from the
// project's package list.
class XSession {
  public:
    enum class Screens {
        bare,       // 1920x1080, no window manager
        one,        // 1920x1080
        twoMonitors // A 1280x800 at (0,0), primary; B 1920x1080 at (1280,0)
    };
    explicit XSession(Screens screens = Screens::one);
    ~XSession();

    bool ok() const { return !display_.empty(); }
    // Why the server could not start, for the skip message.
    const std::string& problem() const { return problem_; }
    const std::string& display() const { return display_; }

    // trayer, by default along the bottom edge; `args` replace that placement.
    void startTray(std::vector<std::string> args = {"--edge", "bottom", "--align", "right"});
    // Ends the X server under everyone's feet.
    void killServer();
    // The second monitor unplugged and plugged back (two-monitor session only).
    void unplugB();
    void plugB();

    // Runs an X client program to completion.
    ProcessResult run(const std::string& program, const std::vector<std::string>& args) const;
    // The environment of a program on this display, over `base`.
    std::map<std::string, std::string> env(std::map<std::string, std::string> base) const;

    // The top-level window with this exact name, searched from the root.
    std::optional<std::string> windowId(const std::string& name) const;
    std::optional<WindowGeometry> geometry(const std::string& id) const;
    // Polls until `condition` holds on the window's geometry, up to `seconds`.
    std::optional<WindowGeometry> waitFor(const std::string& name,
                                          const std::function<bool(const WindowGeometry&)>& condition,
                                          double seconds = 5) const;
    // A click through the XTEST extension.
    void click(int x, int y, int button = 1) const;
    // A PNG of a part of the screen.
    bool screenshot(const std::string& file, int x, int y, int width, int height) const;

  private:
    std::string display_, problem_, dir_;
    int serverPid_ = -1;
    std::unique_ptr<BackgroundProcess> wm_, tray_;
};

} // namespace fray::test
