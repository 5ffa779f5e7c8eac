#include "SqliteFixture.h"

#include <sqlite3.h>

#include <stdexcept>

namespace fray::test {

const char* const hermesSchema = R"(
CREATE TABLE sessions (id TEXT PRIMARY KEY, source TEXT, cwd TEXT, git_branch TEXT, model TEXT,
  started_at REAL NOT NULL DEFAULT 0, ended_at REAL, message_count INTEGER DEFAULT 0,
  tool_call_count INTEGER DEFAULT 0, title TEXT, archived INTEGER);
CREATE TABLE messages (id INTEGER PRIMARY KEY AUTOINCREMENT, session_id TEXT NOT NULL, role TEXT NOT NULL,
  content TEXT, tool_calls TEXT, timestamp REAL NOT NULL);
CREATE INDEX idx_messages_session ON messages(session_id, timestamp);
)";

const char* const osaurusSchema = R"(
CREATE TABLE sessions (id TEXT PRIMARY KEY, title TEXT, created_at REAL, updated_at REAL,
  turn_count INTEGER DEFAULT 0, folder_path TEXT, model TEXT, archived INTEGER DEFAULT 0);
CREATE TABLE turns (id INTEGER PRIMARY KEY, session_id TEXT NOT NULL, seq INTEGER NOT NULL, role TEXT NOT NULL,
  content TEXT, started_at REAL, completed_at REAL);
)";

WritableDb::WritableDb(const std::string& path, const std::string& journalMode) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
    exec("PRAGMA journal_mode=" + journalMode);
}

WritableDb::~WritableDb() { close(); }

void WritableDb::close() {
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

void WritableDb::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        throw std::runtime_error("sqlite: " + msg + " in: " + sql);
    }
}

std::string sqlQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

} // namespace fray::test
