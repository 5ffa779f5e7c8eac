#include "SQLiteDB.h"

#include "session/UnicodeText.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>

namespace fray {

namespace {

// Whether the database header says WAL journaling (file format numbers 2 and 2).
bool isWalDatabase(FileAccess& files, const std::string& path) {
    auto attrs = files.attributes(path);
    if (!attrs || attrs->kind != EntryKind::file) return false;
    auto file = files.open(path);
    unsigned char header[20];
    return file && file->readAt(0, reinterpret_cast<char*>(header), sizeof header) == sizeof header &&
           std::memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
}

// How to open a database without writing a byte. A read-only connection to a WAL
// database would otherwise create the -wal and -shm files when they are missing, or run
// recovery into a stale -shm left by a crashed writer.
std::string parametersFor(FileAccess& files, const std::string& path) {
    if (!isWalDatabase(files, path)) return "immutable=0&mode=ro";
    // No writer has the database open in WAL mode: its content is all in the main file.
    auto wal = files.attributes(path + "-wal");
    if (!files.exists(path + "-shm") && !(wal && wal->size > 0)) return "immutable=1&mode=ro";
    // Use the writer's index without touching it; when that is impossible (a writer in
    // exclusive locking mode) the query fails as busy, like any other lock.
    return "immutable=0&mode=ro&readonly_shm=1";
}

} // namespace

std::string SQLiteDB::uriFor(std::string_view path, std::string_view parameters) {
    std::string uri = "file:";
    for (char c : path) {
        switch (c) {
        case '?':
            uri += "%3F";
            break;
        case '#':
            uri += "%23";
            break;
        case '%':
            uri += "%25";
            break;
        default:
            uri += c;
        }
    }
    uri += '?';
    uri += parameters;
    return uri;
}

std::unique_ptr<SQLiteDB> SQLiteDB::open(const std::string& path, FileAccess& files) {
    sqlite3* handle = nullptr;
    const std::string uri = uriFor(path, parametersFor(files, path));
    const int rc = sqlite3_open_v2(uri.c_str(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        if (handle) sqlite3_close(handle);
        return nullptr;
    }
    sqlite3_busy_timeout(handle, busyTimeoutMs);
    return std::unique_ptr<SQLiteDB>(new SQLiteDB(handle));
}

SQLiteDB::~SQLiteDB() {
    if (handle_) sqlite3_close(handle_);
}

void SQLiteDB::query(const std::string& sql, const std::function<void(const Row&)>& onRow) {
    if (!handle_) return;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK || !st) {
        if (st) sqlite3_finalize(st);
        return;
    }
    try {
        const Row row(st);
        while (sqlite3_step(st) == SQLITE_ROW)
            onRow(row);
    } catch (...) {
        // The rows so far stand; the statement is finalized below either way.
    }
    sqlite3_finalize(st);
}

bool SQLiteDB::Row::isNull(int column) const {
    return sqlite3_column_type(st_, column) == SQLITE_NULL;
}

std::optional<std::string> SQLiteDB::Row::text(int column) const {
    if (isNull(column)) return std::nullopt;
    const auto* p = sqlite3_column_text(st_, column);
    if (!p) return std::nullopt;
    // Up to the first NUL, as a C string would read.
    return UnicodeText::repaired(std::string_view(reinterpret_cast<const char*>(p)));
}

std::optional<double> SQLiteDB::Row::real(int column) const {
    if (isNull(column)) return std::nullopt;
    return sqlite3_column_double(st_, column);
}

std::int64_t SQLiteDB::Row::integer(int column) const {
    return sqlite3_column_int64(st_, column);
}

std::optional<Instant> SQLiteDB::Row::date(int column) const {
    auto v = real(column);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return fromUnixSeconds(*v > millisecondsAbove ? *v / 1000.0 : *v);
}

} // namespace fray
