#include "Edid.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace fray {

std::optional<EdidIds> parseEdid(const std::vector<std::uint8_t>& b) {
    static constexpr std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    if (b.size() < 128 || std::memcmp(b.data(), header, 8) != 0) return std::nullopt;
    EdidIds ids;
    ids.vendor = (std::uint32_t(b[8]) << 8) | b[9];
    ids.model = std::uint32_t(b[10]) | (std::uint32_t(b[11]) << 8);
    ids.serial = std::uint32_t(b[12]) | (std::uint32_t(b[13]) << 8) | (std::uint32_t(b[14]) << 16) |
                 (std::uint32_t(b[15]) << 24);
    return ids;
}

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

std::vector<std::uint8_t> outputEdid(xcb_connection_t* c, xcb_randr_output_t output, xcb_atom_t edidAtom) {
    auto cookie = xcb_randr_get_output_property(c, output, edidAtom, XCB_ATOM_ANY, 0, 256, 0, 0);
    Reply<xcb_randr_get_output_property_reply_t> reply(
        xcb_randr_get_output_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8) return {};
    auto* data = xcb_randr_get_output_property_data(reply.get());
    int len = xcb_randr_get_output_property_data_length(reply.get());
    return std::vector<std::uint8_t>(data, data + len);
}

std::string atomName(xcb_connection_t* c, xcb_atom_t atom) {
    Reply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    if (!r) return {};
    return std::string(xcb_get_atom_name_name(r.get()),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
}

} // namespace

std::optional<EdidIds> edidForConnector(const std::string& name) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return std::nullopt;
    xcb_connection_t* c = x11->connection();

    Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, 4, "EDID"), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

    // Outputs by connector name.
    Reply<xcb_randr_get_screen_resources_current_reply_t> res(xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, root), nullptr));
    if (res) {
        auto* outputs = xcb_randr_get_screen_resources_current_outputs(res.get());
        int n = xcb_randr_get_screen_resources_current_outputs_length(res.get());
        for (int i = 0; i < n; ++i) {
            Reply<xcb_randr_get_output_info_reply_t> info(xcb_randr_get_output_info_reply(
                c, xcb_randr_get_output_info(c, outputs[i], res->config_timestamp), nullptr));
            if (!info) continue;
            std::string outName(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                                static_cast<std::size_t>(xcb_randr_get_output_info_name_length(info.get())));
            if (outName == name) return parseEdid(outputEdid(c, outputs[i], atom->atom));
        }
    }

    // RandR monitors (what Qt names screens after when they exist): their first output.
    Reply<xcb_randr_get_monitors_reply_t> mons(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), nullptr));
    if (mons) {
        for (auto it = xcb_randr_get_monitors_monitors_iterator(mons.get()); it.rem;
             xcb_randr_monitor_info_next(&it)) {
            if (atomName(c, it.data->name) != name) continue;
            if (xcb_randr_monitor_info_outputs_length(it.data) < 1) return std::nullopt;
            return parseEdid(outputEdid(c, xcb_randr_monitor_info_outputs(it.data)[0], atom->atom));
        }
    }
    return std::nullopt;
}

} // namespace fray
