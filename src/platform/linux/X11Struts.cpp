#include "X11Struts.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace fray {

std::vector<TopStrut> topStruts() {
    std::vector<TopStrut> out;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return out;
    xcb_connection_t* c = x11->connection();
    xcb_ewmh_connection_t ewmh;
    if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr)) return out;
    xcb_ewmh_get_windows_reply_t list;
    if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, 0), &list, nullptr)) {
        std::vector<xcb_get_property_cookie_t> asked;
        for (uint32_t i = 0; i < list.windows_len; ++i)
            asked.push_back(xcb_ewmh_get_wm_strut_partial(&ewmh, list.windows[i]));
        for (auto cookie : asked) {
            xcb_ewmh_wm_strut_partial_t s;
            if (xcb_ewmh_get_wm_strut_partial_reply(&ewmh, cookie, &s, nullptr) && s.top > 0)
                out.push_back({int(s.top), int(s.top_start_x), int(s.top_end_x)});
        }
        xcb_ewmh_get_windows_reply_wipe(&list);
    }
    xcb_ewmh_connection_wipe(&ewmh);
    return out;
}

} // namespace fray
