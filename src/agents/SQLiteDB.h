#pragma once

#include "io/FileAccess.h"
#include "session/Instant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace fray {

// Read-only access to another application's SQLite database. Nothing is reported: a
// database that cannot be opened or queried yields no rows, and the caller tries again
// at its next poll. It never creates or changes a file, side files included.
class SQLiteDB {
  public:
    // A result row; valid only inside the query callback that receives it.
    class Row {
      public:
        explicit Row(sqlite3_stmt* st) : st_(st) {}
        // Absent for NULL; invalid UTF-8 is repaired with U+FFFD, never rejected.
        std::optional<std::string> text(int column) const;
        std::optional<double> real(int column) const;
        // NULL reads as 0.
        std::int64_t integer(int column) const;
        // Seconds since 1970 up to 3e9, milliseconds above; absent for NULL and for values
        // that are no instant at all (infinite).
        std::optional<Instant> date(int column) const;
        bool isNull(int column) const;

      private:
        sqlite3_stmt* st_;
    };

    // Absent when the file does not exist or cannot be opened. The file and its side files
    // are examined through `files` before SQLite opens it.
    static std::unique_ptr<SQLiteDB> open(const std::string& path, FileAccess& files);
    ~SQLiteDB();
    SQLiteDB(const SQLiteDB&) = delete;
    SQLiteDB& operator=(const SQLiteDB&) = delete;

    // Runs one statement and hands every result row to `onRow`. Stops silently on an
    // error, a lock held past the busy timeout, or an exception from the callback.
    void query(const std::string& sql, const std::function<void(const Row&)>& onRow);

    // The "file:" URI for a path: "?", "#" and "%" are percent-encoded so that such a
    // character in a directory name cannot cut the path short.
    static std::string uriFor(std::string_view path, std::string_view parameters);

    static constexpr int busyTimeoutMs = 200;
    static constexpr double millisecondsAbove = 3'000'000'000.0;

  private:
    explicit SQLiteDB(sqlite3* handle) : handle_(handle) {}
    sqlite3* handle_;
};

} // namespace fray
