#include "PreferencesStore.h"

#include "session/UnicodeText.h"

#include "JsonObjectText.h"
#include "platform/UserFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace fray {

namespace {

namespace J = JsonObjectText;

PreferencesStore::Value valueOf(std::string_view raw) {
    if (raw == "true") return true;
    if (raw == "false") return false;
    if (raw.front() == '"') return J::decodeString(raw);
    if (raw.front() == '-' || (raw.front() >= '0' && raw.front() <= '9'))
        if (auto d = J::number(raw)) return *d;
    return PreferencesStore::Raw{std::string(raw)};
}

std::string jsonOf(const PreferencesStore::Value& v) {
    if (auto b = std::get_if<bool>(&v)) return *b ? "true" : "false";
    if (auto d = std::get_if<double>(&v))
        return J::numberText(*d).value_or("null"); // never an unreadable file
    if (auto s = std::get_if<std::string>(&v)) return UnicodeText::jsonString(*s);
    return std::get<PreferencesStore::Raw>(v).json;
}

// Local time to the second, for the names of set-aside files.
std::string timestamp() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    char buf[32];
    if (!localtime_r(&t, &local) || !std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local)) return "0";
    return buf;
}

} // namespace

PreferencesStore::PreferencesStore(std::string path) : path_(std::move(path)) {}

PreferencesStore::Entry* PreferencesStore::find(const std::string& key) {
    for (Entry& e : entries_)
        if (e.key == key) return &e;
    return nullptr;
}

const PreferencesStore::Entry* PreferencesStore::find(const std::string& key) const {
    return const_cast<PreferencesStore*>(this)->find(key);
}

void PreferencesStore::load() {
    if (path_.empty()) return;
    std::lock_guard lock(mutex_);
    entries_.clear();

    const UserFile::Read file = UserFile::read(path_, maxFileBytes);
    if (file.status != UserFile::Read::Status::ok) {
        if (file.status == UserFile::Read::Status::missing) return;
        // Present but not a file we can use (a FIFO, a directory, a huge or unreadable file):
        // keep our hands off it rather than overwrite it.
        writable_ = false;
        lastError_ = file.status == UserFile::Read::Status::notRegular ? path_ + " is not a regular file"
                     : file.status == UserFile::Read::Status::tooLarge
                         ? path_ + " is larger than " + std::to_string(maxFileBytes >> 20) + " MiB"
                         : "cannot read " + path_ + ": " + std::strerror(file.error);
        std::fprintf(stderr, "fraymark: %s; using default settings and leaving it alone\n",
                     lastError_->c_str());
        return;
    }

    const std::string_view bytes = file.bytes;
    auto members = J::parse(bytes);
    if (!members) {
        // Every broken file is kept: a second one never replaces the first one's copy.
        int error = 0;
        if (auto aside = UserFile::moveAside(path_, ".broken-" + timestamp(), error)) {
            std::fprintf(stderr,
                         "fraymark: %s is not valid JSON; moved it to %s and using default settings\n",
                         path_.c_str(), aside->c_str());
        } else {
            writable_ = false;
            lastError_ = path_ + " could not be moved aside: " + std::strerror(error);
            std::fprintf(stderr,
                         "fraymark: %s is not valid JSON and could not be moved aside (%s); using default "
                         "settings without saving changes\n",
                         path_.c_str(), std::strerror(error));
        }
        return;
    }
    byteOrderMark_ = bytes.substr(0, J::byteOrderMark.size()) == J::byteOrderMark;
    for (const auto& m : *members) {
        Entry e{m.key, valueOf(m.raw), std::string(m.raw)};
        if (Entry* same = find(m.key))
            *same = std::move(e); // the last of duplicate keys counts, where the first stood
        else
            entries_.push_back(std::move(e));
    }
}

std::optional<PreferencesStore::Value> PreferencesStore::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const Entry* e = find(key);
    if (!e) return std::nullopt;
    return e->value;
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
    std::string json = jsonOf(v);
    if (Entry* e = find(key))
        *e = Entry{key, std::move(v), std::move(json)};
    else
        entries_.push_back({key, std::move(v), std::move(json)});
    persistLocked();
}

void PreferencesStore::remove(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (std::erase_if(entries_, [&](const Entry& e) { return e.key == key; })) persistLocked();
}

std::optional<std::string> PreferencesStore::lastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

void PreferencesStore::persistLocked() {
    if (path_.empty() || !writable_) return;
    std::string text(byteOrderMark_ ? J::byteOrderMark : "");
    text += "{";
    for (const Entry& e : entries_)
        text += (&e == &entries_.front() ? "\n  " : ",\n  ") + UnicodeText::jsonString(e.key) + ": " + e.json;
    text += entries_.empty() ? "}\n" : "\n}\n";

    std::filesystem::path target(path_);
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (int err = UserFile::rewrite(path_, text, 0600)) {
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
