#include "LinuxClientWindows.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <tuple>

namespace fray {

namespace {

// A connection with the EWMH atoms interned; ok() is false without a display.
class Ewmh {
  public:
    Ewmh() {
        if (!std::getenv("DISPLAY")) return;
        conn_ = xcb_connect(nullptr, &screen_);
        if (xcb_connection_has_error(conn_)) return;
        xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(conn_, &ewmh_);
        ok_ = xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr) != 0;
    }
    ~Ewmh() {
        if (ok_) xcb_ewmh_connection_wipe(&ewmh_);
        if (conn_) xcb_disconnect(conn_);
    }
    Ewmh(const Ewmh&) = delete;
    Ewmh& operator=(const Ewmh&) = delete;

    bool ok() const { return ok_; }
    xcb_connection_t* conn() { return conn_; }
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    int screen() const { return screen_; }

  private:
    xcb_connection_t* conn_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    int screen_ = 0;
    bool ok_ = false;
};

std::pair<std::string, std::string> wmClass(xcb_connection_t* c, xcb_window_t w) {
    auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, cookie, nullptr), &std::free);
    if (!reply) return {};
    const char* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const std::string both(data, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    // "instance\0class\0"
    const auto nul = both.find('\0');
    if (nul == std::string::npos) return {both, {}};
    std::string cls = both.substr(nul + 1);
    if (auto end = cls.find('\0'); end != std::string::npos) cls.resize(end);
    return {both.substr(0, nul), cls};
}

} // namespace

std::vector<ClientWindow> LinuxClientWindows::list() {
    std::vector<ClientWindow> out;
    Ewmh x;
    if (!x.ok()) return out;
    xcb_ewmh_get_windows_reply_t clients;
    if (!xcb_ewmh_get_client_list_reply(x.ewmh(), xcb_ewmh_get_client_list(x.ewmh(), x.screen()), &clients,
                                        nullptr))
        return out;
    for (std::uint32_t i = 0; i < clients.windows_len; ++i) {
        ClientWindow w;
        w.id = clients.windows[i];
        std::uint32_t pid = 0;
        if (xcb_ewmh_get_wm_pid_reply(x.ewmh(), xcb_ewmh_get_wm_pid(x.ewmh(), w.id), &pid, nullptr))
            w.pid = static_cast<int>(pid);
        xcb_ewmh_get_utf8_strings_reply_t name;
        if (xcb_ewmh_get_wm_name_reply(x.ewmh(), xcb_ewmh_get_wm_name(x.ewmh(), w.id), &name, nullptr)) {
            w.title.assign(name.strings, name.strings_len);
            xcb_ewmh_get_utf8_strings_reply_wipe(&name);
        }
        std::tie(w.wmInstance, w.wmClass) = wmClass(x.conn(), w.id);
        out.push_back(std::move(w));
    }
    xcb_ewmh_get_windows_reply_wipe(&clients);
    return out;
}

bool LinuxClientWindows::activate(std::uint32_t id) {
    Ewmh x;
    if (!x.ok()) return false;
    // Source 2 ("pager"): the request comes from the user's direct action, so window
    // managers honour it instead of applying focus-stealing prevention.
    xcb_ewmh_request_change_active_window(x.ewmh(), x.screen(), id, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                          XCB_CURRENT_TIME, XCB_NONE);
    // A round trip makes sure the request reached the server before the connection closes.
    std::free(xcb_get_input_focus_reply(x.conn(), xcb_get_input_focus(x.conn()), nullptr));
    return !xcb_connection_has_error(x.conn());
}

} // namespace fray
