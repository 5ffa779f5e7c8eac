#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace fray {

// The per-user preferences: one JSON object in a file, values kept with their JSON type,
// every change written through atomically. Thread-safe: the monitor thread reads while
// the main thread writes. The file is the user's: a rewrite keeps the order of its keys,
// the exact text of every value it did not change, its mode and its owner.
class PreferencesStore {
  public:
    // A value of another JSON type (array, object, null) or a number beyond double range,
    // as its JSON text.
    struct Raw {
        std::string json;
        bool operator==(const Raw&) const = default;
    };
    using Value = std::variant<bool, double, std::string, Raw>;

    // An empty path keeps everything in memory (renderers, tests).
    explicit PreferencesStore(std::string path = {});

    // Reads the file. A file that is not a JSON object is moved aside under a name of its
    // own and one line on standard error says where; defaults apply.
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

    // Larger files are not read (and left alone).
    static constexpr std::size_t maxFileBytes = 16u << 20;

  private:
    struct Entry {
        std::string key;
        Value value;
        std::string json; // written as is: the file's own text until the value is set
    };

    Entry* find(const std::string& key);
    const Entry* find(const std::string& key) const;
    void persistLocked();

    std::string path_;
    bool writable_ = true; // false when the user's file could not be set aside safely
    bool byteOrderMark_ = false;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_; // in the file's order, new keys last
    std::optional<std::string> lastError_;
};

} // namespace fray
