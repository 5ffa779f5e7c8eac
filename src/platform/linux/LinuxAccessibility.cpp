#include "LinuxAccessibility.h"

#include <atspi/atspi.h>
#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>

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

} // namespace

// libatspi's thread: initialises it on a main context of its own and runs that context
// until the last user is gone. Work from other threads is handed over and waited for.
class AtspiLoop {
  public:
    AtspiLoop() : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
        std::promise<bool> started;
        auto ready = started.get_future();
        thread_ = std::thread([this, &started] {
            // Owned from the start: work handed over before the loop runs must wait for it,
            // not run on the caller's thread.
            g_main_context_acquire(context_);
            g_main_context_push_thread_default(context_);
            // 1: someone in this process initialised it already, on another context.
            const bool ok = atspi_init() == 0;
            if (ok) {
                atspi_set_main_context(context_);
                atspi_set_timeout(LinuxAccessibility::callTimeoutMs, LinuxAccessibility::callTimeoutMs);
            }
            started.set_value(ok);
            g_main_loop_run(loop_);
            g_main_context_pop_thread_default(context_);
            g_main_context_release(context_);
        });
        ok_ = ready.get();
    }
    ~AtspiLoop() {
        post([loop = loop_] { g_main_loop_quit(loop); });
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }
    AtspiLoop(const AtspiLoop&) = delete;
    AtspiLoop& operator=(const AtspiLoop&) = delete;

    bool ok() const { return ok_; }

    // Runs `work` on the loop's thread and waits for it.
    template <class F> auto run(F work) -> decltype(work()) {
        if (std::this_thread::get_id() == thread_.get_id()) return work();
        std::packaged_task<decltype(work())()> task(std::move(work));
        auto result = task.get_future();
        post([&task] { task(); });
        return result.get();
    }
    // Queues `work` on the loop's thread without waiting.
    void post(std::function<void()> work) {
        auto* heap = new std::function<void()>(std::move(work));
        g_main_context_invoke_full(
            context_, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    }

  private:
    GMainContext* context_;
    GMainLoop* loop_;
    std::thread thread_;
    bool ok_ = false;
};

namespace {

class AtspiElement : public AccessibleElement {
  public:
    // Takes the reference; made on the loop's thread.
    AtspiElement(AtspiAccessible* a, std::shared_ptr<AtspiLoop> loop) : a_(a), loop_(std::move(loop)) {}
    ~AtspiElement() override {
        loop_->post([a = a_] { g_object_unref(a); });
    }
    AtspiElement(const AtspiElement&) = delete;
    AtspiElement& operator=(const AtspiElement&) = delete;

    std::optional<std::string> text(const std::string& attribute) override {
        return loop_->run([&] { return textHere(attribute); });
    }
    std::vector<std::string> actionNames() override {
        return loop_->run([&] {
            return pressIndex() >= 0 ? std::vector<std::string>{"AXPress"} : std::vector<std::string>{};
        });
    }
    bool performAction(const std::string& action) override {
        return loop_->run([&] { return performHere(action); });
    }
    std::shared_ptr<AccessibleElement> parent() override {
        return loop_->run([&] { return parentHere(); });
    }
    std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() override {
        return loop_->run([&] { return childrenHere(); });
    }

  private:
    std::optional<std::string> textHere(const std::string& attribute) {
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

    bool performHere(const std::string& action) {
        const int index = action == "AXPress" ? pressIndex() : -1;
        if (index < 0) return false;
        AtspiAction* act = atspi_accessible_get_action_iface(a_);
        if (!act) return false;
        GError* error = nullptr;
        const gboolean done = atspi_action_do_action(act, index, &error);
        g_object_unref(act);
        return !failed(error) && done;
    }

    std::shared_ptr<AccessibleElement> parentHere() {
        GError* error = nullptr;
        AtspiAccessible* p = atspi_accessible_get_parent(a_, &error);
        if (failed(error) || !p) {
            if (p) g_object_unref(p);
            return nullptr;
        }
        return std::make_shared<AtspiElement>(p, loop_);
    }

    std::optional<std::vector<std::shared_ptr<AccessibleElement>>> childrenHere() {
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
            out.push_back(std::make_shared<AtspiElement>(c, loop_));
        }
        return out;
    }

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
    std::shared_ptr<AtspiLoop> loop_;
};

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
    // GLib's shared connection ends the process when the bus goes away, by default.
    if (bus_) g_dbus_connection_set_exit_on_close(bus_, FALSE);
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
    if (pids.empty() || !isTrusted()) return nullptr;
    std::shared_ptr<AtspiLoop> loop;
    {
        std::lock_guard lock(mutex_);
        if (!loop_) loop_ = std::make_shared<AtspiLoop>();
        loop = loop_;
    }
    if (!loop->ok()) return nullptr;
    return loop->run([&] { return applicationHere(pids, loop); });
}

std::shared_ptr<AccessibleElement>
LinuxAccessibility::applicationHere(const std::vector<int>& pids, const std::shared_ptr<AtspiLoop>& loop) {
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
            found = std::make_shared<AtspiElement>(app, loop);
        } else {
            g_object_unref(app);
        }
    }
    g_object_unref(desktop);
    return found;
}

} // namespace fray
