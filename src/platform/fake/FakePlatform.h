#pragma once

#include "platform/Platform.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Small in-memory stand-ins for the OS facilities, for tests and offline renderers.
namespace fray::fake {

class Displays : public DisplayProvider {
  public:
    std::vector<ScreenInfo> list;
    std::vector<ScreenInfo> screens() const override { return list; }
    // Replaces the displays and tells the observers, as a plugged or unplugged monitor would.
    void set(std::vector<ScreenInfo> screens) {
        list = std::move(screens);
        notifyChanged();
    }
};

class Sounds : public SoundOutput {
  public:
    std::vector<std::string> cuesAvailable{"your-move", "ko"};
    std::vector<std::string> systemAvailable;
    std::vector<std::string> played; // "cue:<name>" or "system:<name>"
    bool hasCue(const std::string& name) override {
        for (auto& c : cuesAvailable)
            if (c == name) return true;
        return false;
    }
    void playCue(const std::string& name) override {
        if (hasCue(name)) played.push_back("cue:" + name);
    }
    bool playSystemSound(const std::string& name) override {
        for (auto& s : systemAvailable)
            if (s == name) {
                played.push_back("system:" + name);
                return true;
            }
        return false;
    }
};

class User : public UserInfo {
  public:
    std::string full, login;
    User(std::string f = {}, std::string l = {}) : full(std::move(f)), login(std::move(l)) {}
    std::string fullName() const override { return full; }
    std::string loginName() const override { return login; }
};

// A node of a fake accessible tree. Texts absent from `texts` read as missing.
class AXNode : public AccessibleElement, public std::enable_shared_from_this<AXNode> {
  public:
    std::map<std::string, std::string> texts;
    bool pressable = false;
    bool pressFails = false;
    bool childrenFail = false;
    int presses = 0;
    std::weak_ptr<AXNode> up;
    std::vector<std::shared_ptr<AXNode>> kids;

    static std::shared_ptr<AXNode> make(std::string title = {}, bool pressable = false) {
        auto n = std::make_shared<AXNode>();
        if (!title.empty()) n->texts["AXTitle"] = std::move(title);
        n->pressable = pressable;
        return n;
    }
    // Adds a child and returns it, for building chains.
    std::shared_ptr<AXNode> add(std::shared_ptr<AXNode> child) {
        child->up = weak_from_this();
        kids.push_back(child);
        return child;
    }

    std::optional<std::string> text(const std::string& attribute) override {
        auto it = texts.find(attribute);
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    std::vector<std::string> actionNames() override {
        return pressable ? std::vector<std::string>{"AXShowMenu", "AXPress"} : std::vector<std::string>{};
    }
    bool performAction(const std::string& action) override {
        if (!pressable || action != "AXPress" || pressFails) return false;
        ++presses;
        return true;
    }
    std::shared_ptr<AccessibleElement> parent() override { return up.lock(); }
    std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() override {
        if (childrenFail) return std::nullopt;
        return std::vector<std::shared_ptr<AccessibleElement>>(kids.begin(), kids.end());
    }
};

class Access : public Accessibility {
  public:
    bool trusted = false;
    int requests = 0;
    // The running application's tree and the processes it belongs to.
    std::shared_ptr<AccessibleElement> app;
    std::vector<int> appPids;
    std::vector<std::vector<int>> asked; // the pids of every application() call
    bool isTrusted() const override { return trusted; }
    void requestAccess() override { ++requests; }
    std::shared_ptr<AccessibleElement> application(const std::vector<int>& pids) override {
        asked.push_back(pids);
        for (int p : pids)
            if (std::find(appPids.begin(), appPids.end(), p) != appPids.end()) return app;
        return nullptr;
    }
};

class Work : public Workspace {
  public:
    Opened answer = Opened::yes;
    std::vector<std::string> opened;
    Opened openFolder(const std::string& path) override {
        if (answer == Opened::yes) opened.push_back(path);
        return answer;
    }
    bool openUrl(const std::string& url) override {
        opened.push_back(url);
        return true;
    }
};

class Login : public Autostart {
  public:
    std::string path = "/fake/autostart/fraymark.desktop";
    std::optional<std::string> registered; // the entry's executable while enabled
    bool here = true;
    std::optional<AutostartError> failure; // what the next setEnabled reports
    std::string executable = "/usr/local/bin/fraymark";
    std::string entryPath() const override { return path; }
    bool isEnabled() const override { return registered.has_value(); }
    std::optional<std::string> registeredPath() const override { return registered; }
    bool registeredHere() const override { return here; }
    std::optional<AutostartError> setEnabled(bool on) override {
        if (failure) return failure;
        registered = on ? std::optional(executable) : std::nullopt;
        return std::nullopt;
    }
};

class Windows : public WindowSystem {
  public:
    bool placeable = true;
    bool composited = true;
    std::optional<std::vector<WindowInfo>> list = std::vector<WindowInfo>{};
    GPoint where;
    std::map<const QWidget*, GRect> frames;
    std::map<const QWidget*, QRectF> inputRegions;
    std::map<const QWidget*, std::optional<QPainterPath>> shapes;
    int raised = 0;

    bool canPlaceWindows() const override { return placeable; }
    void makeOverlay(QWidget&) override {}
    int frameSets = 0;
    void setFrame(QWidget& w, const GRect& frame) override {
        frames[&w] = frame;
        ++frameSets;
    }
    void setInputRegion(QWidget& w, const QRectF& region) override { inputRegions[&w] = region; }
    void setVisibleShape(QWidget& w, const std::optional<QPainterPath>& shape) override {
        shapes[&w] = shape;
    }
    bool compositing() const override { return composited; }
    std::optional<std::vector<WindowInfo>> windows() const override { return list; }
    GPoint pointer() const override { return where; }
    void raise(QWidget&) override { ++raised; }
    // Tells the observers, as the window system would.
    void change(Change c) { notify(c); }
};

class TrayIcon : public Tray {
  public:
    bool host = true;
    std::function<QImage(const QColor&, int)> draw;
    MenuBuilder build;
    int refreshes = 0;
    bool available() const override { return host; }
    void setIcon(std::function<QImage(const QColor&, int)> d) override { draw = std::move(d); }
    void setMenu(MenuBuilder b) override { build = std::move(b); }
    void refreshMenu() override { ++refreshes; }
    // The titles of the menu as it would open now; "-" for separators.
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& e : build())
            out.push_back(e.kind == MenuEntry::Kind::separator ? "-" : e.title);
        return out;
    }
};

class Notices : public Notifications {
  public:
    struct Shown {
        std::uint32_t id;
        std::uint32_t replaced;
        Notification notification;
    };
    std::vector<Shown> shown;
    std::vector<std::uint32_t> closed;
    bool service = true;
    std::uint32_t next = 1;
    void notify(const Notification& n, std::uint32_t replaces,
                std::function<void(std::uint32_t)> done) override {
        const std::uint32_t id = !service ? 0 : replaces ? replaces : next++;
        if (service) shown.push_back({id, replaces, n});
        if (done) done(id);
    }
    void close(std::uint32_t id) override { closed.push_back(id); }
    // As if the user picked an action.
    void pick(std::uint32_t id, const std::string& key) { actionInvoked(id, key); }
};

class Apps : public Applications {
  public:
    std::map<std::string, AppEntry> installed; // by desktop id
    std::vector<std::string> launched;         // entry paths
    bool launchWorks = true;
    std::optional<AppEntry> find(const std::vector<std::string>& desktopIds) override {
        for (const auto& id : desktopIds)
            if (auto it = installed.find(id); it != installed.end()) return it->second;
        return std::nullopt;
    }
    bool launch(const AppEntry& app) override {
        launched.push_back(app.path);
        return launchWorks;
    }
};

class Terminal : public TerminalLauncher {
  public:
    std::vector<std::string> scripts; // every script run
    bool works = true;
    bool runScript(const std::string& path) override {
        scripts.push_back(path);
        return works;
    }
};

class Processes : public ProcessTable {
  public:
    std::vector<ProcessInfo> list;
    std::map<int, std::map<std::string, std::string>> env;
    std::vector<ProcessInfo> snapshot() override { return list; }
    std::optional<std::string> environment(int pid, const std::string& name) override {
        auto p = env.find(pid);
        if (p == env.end()) return std::nullopt;
        auto v = p->second.find(name);
        return v == p->second.end() ? std::nullopt : std::optional(v->second);
    }
};

class Clients : public ClientWindows {
  public:
    std::vector<ClientWindow> windows;
    std::vector<std::uint32_t> activated;
    std::vector<ClientWindow> list() override { return windows; }
    bool activate(std::uint32_t id) override {
        activated.push_back(id);
        return true;
    }
};

class TmuxServers : public Tmux {
  public:
    std::map<std::string, std::vector<TmuxPane>> paneList;     // by socket
    std::map<std::string, std::vector<TmuxClient>> clientList; // by socket
    std::vector<std::string> calls; // "select <socket> <pane>", "switch <socket> <tty> <pane>"
    std::vector<TmuxPane> panes(const std::string& socket) override { return paneList[socket]; }
    std::vector<TmuxClient> clients(const std::string& socket) override { return clientList[socket]; }
    bool selectPane(const std::string& socket, const std::string& paneId) override {
        calls.push_back("select " + socket + " " + paneId);
        return true;
    }
    bool switchClient(const std::string& socket, const std::string& clientTty,
                      const std::string& paneId) override {
        calls.push_back("switch " + socket + " " + clientTty + " " + paneId);
        for (auto& c : clientList[socket])
            if (c.tty == clientTty)
                for (auto& p : paneList[socket])
                    if (p.id == paneId) c.session = p.session;
        return true;
    }
};

// A whole fake platform rooted at `home`.
inline Platform makePlatform(const std::string& home) {
    Platform p;
    p.displays = std::make_shared<Displays>();
    p.sounds = std::make_shared<Sounds>();
    p.user = std::make_shared<User>("Test User", "tester");
    p.accessibility = std::make_shared<Access>();
    p.workspace = std::make_shared<Work>();
    p.autostart = std::make_shared<Login>();
    p.windows = std::make_shared<Windows>();
    p.tray = std::make_shared<TrayIcon>();
    p.notifications = std::make_shared<Notices>();
    p.applications = std::make_shared<Apps>();
    p.terminal = std::make_shared<Terminal>();
    p.processes = std::make_shared<Processes>();
    p.clientWindows = std::make_shared<Clients>();
    p.tmux = std::make_shared<TmuxServers>();
    p.paths.home = home;
    p.paths.configHome = home + "/.config";
    p.paths.cacheHome = home + "/.cache";
    p.paths.runtimeDir = home + "/run";
    p.paths.executable = "/usr/local/bin/fraymark";
    p.paths.dataDirs = {home + "/.local/share", home + "/usr/share"};
    return p;
}

} // namespace fray::fake
