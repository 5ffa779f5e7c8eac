#include "PreferencesStore.h"

#include "platform/AtomicFile.h"

#include <simdjson.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fray {

namespace {

std::string escape(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string number(double v) {
    if (!std::isfinite(v)) return "null"; // JSON has no infinities; never write an unreadable file
    char buf[32];
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string serialize(const std::map<std::string, PreferencesStore::Value>& values) {
    std::string out = "{";
    bool first = true;
    for (const auto& [k, v] : values) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        out += escape(k) + ": ";
        if (auto b = std::get_if<bool>(&v))
            out += *b ? "true" : "false";
        else if (auto d = std::get_if<double>(&v))
            out += number(*d);
        else if (auto s = std::get_if<std::string>(&v))
            out += escape(*s);
        else
            out += std::get<PreferencesStore::Raw>(v).json;
    }
    return out + (first ? "}\n" : "\n}\n");
}

} // namespace

PreferencesStore::PreferencesStore(std::string path) : path_(std::move(path)) {}

void PreferencesStore::load() {
    if (path_.empty()) return;
    std::lock_guard lock(mutex_);
    values_.clear();

    simdjson::padded_string text;
    auto err = simdjson::padded_string::load(path_).get(text);
    if (err) {
        std::error_code ec;
        if (std::filesystem::exists(path_, ec)) {
            // Unreadable but present: keep our hands off it rather than overwrite it.
            writable_ = false;
            lastError_ = "cannot read " + path_;
            std::fprintf(stderr,
                         "fraymark: cannot read %s; using default settings and leaving the file alone\n",
                         path_.c_str());
        }
        return;
    }

    simdjson::dom::parser parser;
    simdjson::dom::object obj;
    if (parser.parse(text).get_object().get(obj)) {
        std::string aside = path_ + ".broken";
        if (std::rename(path_.c_str(), aside.c_str()) == 0) {
            std::fprintf(stderr,
                         "fraymark: %s is not valid JSON; moved it to %s and using default settings\n",
                         path_.c_str(), aside.c_str());
        } else {
            writable_ = false;
            lastError_ = path_ + " could not be moved aside: " + std::strerror(errno);
            std::fprintf(stderr,
                         "fraymark: %s is not valid JSON and could not be moved aside (%s); using default "
                         "settings without saving changes\n",
                         path_.c_str(), std::strerror(errno));
        }
        return;
    }

    for (auto [key, el] : obj) {
        std::string k(key);
        switch (el.type()) {
        case simdjson::dom::element_type::BOOL:
            values_[k] = bool(el.get_bool());
            break;
        case simdjson::dom::element_type::INT64:
            values_[k] = double(int64_t(el.get_int64()));
            break;
        case simdjson::dom::element_type::UINT64:
            values_[k] = double(uint64_t(el.get_uint64()));
            break;
        case simdjson::dom::element_type::DOUBLE:
            values_[k] = double(el.get_double());
            break;
        case simdjson::dom::element_type::STRING:
            values_[k] = std::string(std::string_view(el.get_string()));
            break;
        default:
            values_[k] = Raw{simdjson::minify(el)};
            break;
        }
    }
}

std::optional<PreferencesStore::Value> PreferencesStore::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

std::optional<bool> PreferencesStore::boolValue(const std::string& key) const {
    auto v = value(key);
    if (!v) return std::nullopt;
    if (auto b = std::get_if<bool>(&*v)) return *b;
    return std::nullopt;
}

std::optional<double> PreferencesStore::doubleValue(const std::string& key) const {
    auto v = value(key);
    if (!v) return std::nullopt;
    if (auto d = std::get_if<double>(&*v)) return *d;
    return std::nullopt;
}

std::optional<std::string> PreferencesStore::stringValue(const std::string& key) const {
    auto v = value(key);
    if (!v) return std::nullopt;
    if (auto s = std::get_if<std::string>(&*v)) return *s;
    return std::nullopt;
}

void PreferencesStore::set(const std::string& key, Value v) {
    std::lock_guard lock(mutex_);
    values_[key] = std::move(v);
    persistLocked();
}

void PreferencesStore::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (values_.erase(key)) persistLocked();
}

std::optional<std::string> PreferencesStore::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void PreferencesStore::persistLocked() {
    if (path_.empty() || !writable_) return;
    std::filesystem::path target(path_);
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (int err = writeFileAtomically(path_, serialize(values_), 0600)) {
        std::string error = "cannot write " + path_ + ": " + std::strerror(err);
        // Said once per cause, not at every change while the folder stays read-only.
        if (error != lastError_)
            std::fprintf(stderr, "fraymark: %s; settings changes are kept only until Fraymark quits\n",
                         error.c_str());
        lastError_ = std::move(error);
        return;
    }
    if (lastError_) std::fprintf(stderr, "fraymark: settings saved to %s again\n", path_.c_str());
    lastError_.reset();
}

} // namespace fray
