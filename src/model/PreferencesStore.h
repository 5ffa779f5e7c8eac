#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

namespace fray {

// The per-user preferences: one JSON object in a file, values kept with their JSON type,
// every change written through atomically. Thread-safe: the monitor thread reads while
// the main thread writes. Keys it does not know are kept as they were.
class PreferencesStore {
  public:
    // A value of another JSON type (array, object, null), kept verbatim.
    struct Raw {
        std::string json;
        bool operator==(const Raw&) const = default;
    };
    using Value = std::variant<bool, double, std::string, Raw>;

    // An empty path keeps everything in memory (renderers, tests).
    explicit PreferencesStore(std::string path = {});

    // Reads the file. A file that is not a JSON object is moved aside to
    // "<path>.broken" and one line on standard error says so; defaults apply.
    void load();

    const std::string& path() const { return path_; }

    std::optional<Value> value(const std::string& key) const;
    std::optional<bool> boolValue(const std::string& key) const;
    std::optional<double> doubleValue(const std::string& key) const;
    std::optional<std::string> stringValue(const std::string& key) const;

    void set(const std::string& key, Value v);
    void remove(const std::string& key);

    // Why changes are not being saved (the file could not be written, or could not be read
    // and is left alone); absent while they are. Values are kept in memory either way.
    std::optional<std::string> lastError() const;

  private:
    void persistLocked();

    std::string path_;
    bool writable_ = true; // false when the user's file could not be set aside safely
    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;
    std::optional<std::string> lastError_;
};

} // namespace fray
