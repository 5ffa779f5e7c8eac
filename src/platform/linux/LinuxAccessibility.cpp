#include "LinuxAccessibility.h"

#include <atspi/atspi.h>
#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sys/stat.h>

namespace fray {

namespace {

constexpr const char* busName = "org.a11y.Bus";
constexpr const char* busPath = "/org/a11y/bus";

// Frees a GError (if any) and says whether there was one.
bool failed(GError*& error) {
    if (!error) return false;
    g_error_free(error);
    error = nullptr;
    return true;
}

std::optional<std::string> take(gchar* text, GError*& error) {
    if (failed(error) || !text) {
        g_free(text);
        return std::nullopt;
    }
    std::string out(text);
    g_free(text);
    return out;
}

class AtspiElement : public AccessibleElement {
  public:
    explicit AtspiElement(AtspiAccessible* a) : a_(a) {} // takes the reference
    ~AtspiElement() override { g_object_unref(a_); }
    AtspiElement(const AtspiElement&) = delete;
    AtspiElement& operator=(const AtspiElement&) = delete;

    std::optional<std::string> text(const std::string& attribute) override {
        GError* error = nullptr;
        if (attribute == "AXTitle") return take(atspi_accessible_get_name(a_, &error), error);
        if (attribute == "AXDescription") return take(atspi_accessible_get_description(a_, &error), error);
        if (attribute != "AXValue") return std::nullopt;
        if (AtspiText* t = atspi_accessible_get_text_iface(a_)) {
            const gint n = atspi_text_get_character_count(t, &error);
            std::optional<std::string> out;
            if (!failed(error)) out = take(atspi_text_get_text(t, 0, n, &error), error);
            g_object_unref(t);
            return out;
        }
        if (AtspiValue* v = atspi_accessible_get_value_iface(a_)) {
            auto out = take(atspi_value_get_text(v, &error), error);
            g_object_unref(v);
            return out;
        }
        return std::nullopt;
    }

    std::vector<std::string> actionNames() override {
        if (pressIndex() >= 0) return {"AXPress"};
        return {};
    }

    bool performAction(const std::string& action) override {
        const int index = action == "AXPress" ? pressIndex() : -1;
        if (index < 0) return false;
        AtspiAction* act = atspi_accessible_get_action_iface(a_);
        if (!act) return false;
        GError* error = nullptr;
        const gboolean done = atspi_action_do_action(act, index, &error);
        g_object_unref(act);
        return !failed(error) && done;
    }

    std::shared_ptr<AccessibleElement> parent() override {
        GError* error = nullptr;
        AtspiAccessible* p = atspi_accessible_get_parent(a_, &error);
        if (failed(error) || !p) {
            if (p) g_object_unref(p);
            return nullptr;
        }
        return std::make_shared<AtspiElement>(p);
    }

    std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() override {
        GError* error = nullptr;
        const gint n = atspi_accessible_get_child_count(a_, &error);
        if (failed(error) || n < 0) return std::nullopt;
        std::vector<std::shared_ptr<AccessibleElement>> out;
        for (gint i = 0; i < n; ++i) {
            AtspiAccessible* c = atspi_accessible_get_child_at_index(a_, i, &error);
            if (failed(error) || !c) {
                if (c) g_object_unref(c);
                return std::nullopt;
            }
            out.push_back(std::make_shared<AtspiElement>(c));
        }
        return out;
    }

  private:
    // The first press-like action, read afresh: -1 when there is none.
    int pressIndex() {
        AtspiAction* act = atspi_accessible_get_action_iface(a_);
        if (!act) return -1;
        GError* error = nullptr;
        int found = -1;
        const gint n = atspi_action_get_n_actions(act, &error);
        for (gint i = 0; !failed(error) && i < n && found < 0; ++i)
            if (auto name = take(atspi_action_get_action_name(act, i, &error), error))
                if (LinuxAccessibility::isPressAction(*name)) found = i;
        g_object_unref(act);
        return found;
    }

    AtspiAccessible* a_;
};

// libatspi on its own main context, so that the application's event loop (which runs
// the default context on the main thread) never dispatches its messages concurrently.
bool atspiReady() {
    static const bool ready = [] {
        if (atspi_init() > 1) return false; // 1: already initialized by someone else
        atspi_set_main_context(g_main_context_new());
        atspi_set_timeout(LinuxAccessibility::callTimeoutMs, LinuxAccessibility::callTimeoutMs);
        return true;
    }();
    return ready;
}

} // namespace

LinuxAccessibility::LinuxAccessibility() = default;

LinuxAccessibility::~LinuxAccessibility() {
    if (bus_) g_object_unref(bus_);
}

bool LinuxAccessibility::isPressAction(const std::string& name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return lower == "press" || lower == "click" || lower == "activate";
}

GDBusConnection* LinuxAccessibility::sessionBus() const {
    std::lock_guard lock(mutex_);
    if (bus_ && !g_dbus_connection_is_closed(bus_)) return bus_;
    if (bus_) g_object_unref(bus_);
    bus_ = nullptr;
    // Without an address or the per-user bus socket GLib would try to launch a bus of its
    // own (and write its address under the home folder): there is simply no bus then.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    const bool userBus = runtime && *runtime && ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 &&
                         S_ISSOCK(st.st_mode);
    if (!(address && *address) && !userBus) return nullptr;
    GError* error = nullptr;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (failed(error) && bus_) {
        g_object_unref(bus_);
        bus_ = nullptr;
    }
    return bus_;
}

bool LinuxAccessibility::isTrusted() const {
    GDBusConnection* bus = sessionBus();
    if (!bus) return false;
    GError* error = nullptr;
    // Asked without starting the bus launcher: a bus that is not running does not answer.
    GVariant* address = g_dbus_connection_call_sync(
        bus, busName, busPath, "org.a11y.Bus", "GetAddress", nullptr, G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMs, nullptr, &error);
    if (failed(error) || !address) return false;
    g_variant_unref(address);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, busName, busPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), G_VARIANT_TYPE("(v)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, callTimeoutMs, nullptr, &error);
    if (failed(error) || !reply) return false;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool enabled =
        value && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
    if (value) g_variant_unref(value);
    g_variant_unref(reply);
    return enabled;
}

void LinuxAccessibility::requestAccess() {
    GDBusConnection* bus = sessionBus();
    if (!bus) return;
    GError* error = nullptr;
    // Starts the bus launcher if need be; applications started from now on publish their trees.
    GVariant* reply = g_dbus_connection_call_sync(
        bus, busName, busPath, "org.freedesktop.DBus.Properties", "Set",
        g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, &error);
    failed(error);
    if (reply) g_variant_unref(reply);
}

std::shared_ptr<AccessibleElement> LinuxAccessibility::application(const std::vector<int>& pids) {
    if (pids.empty() || !isTrusted() || !atspiReady()) return nullptr;
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (!desktop) return nullptr;
    std::shared_ptr<AccessibleElement> found;
    GError* error = nullptr;
    const gint n = atspi_accessible_get_child_count(desktop, &error);
    for (gint i = 0; !failed(error) && i < n && !found; ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, &error);
        if (failed(error) || !app) {
            if (app) g_object_unref(app);
            continue;
        }
        const int pid = static_cast<int>(atspi_accessible_get_process_id(app, &error));
        if (!failed(error) && std::find(pids.begin(), pids.end(), pid) != pids.end()) {
            // Every search reads the tree afresh: rows come and go between attempts.
            atspi_accessible_set_cache_mask(app, ATSPI_CACHE_NONE);
            found = std::make_shared<AtspiElement>(app);
        } else {
            g_object_unref(app);
        }
    }
    g_object_unref(desktop);
    return found;
}

} // namespace fray
