#include "SqliteFixture.h"

#include <sqlite3.h>

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

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
    // Fixtures need no durability, and fsyncs are slow.
    exec("PRAGMA journal_mode=" + journalMode + "; PRAGMA synchronous=OFF");
}

WritableDb::~WritableDb() {
    close();
}

void WritableDb::close() {
    sqlite3_close(db_); // a no-op once closed
    db_ = nullptr;
}

void WritableDb::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        throw std::runtime_error("sqlite: " + msg + " in: " + sql);
    }
}

std::string sqlQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

WriterProcess::WriterProcess(const std::string& path, const std::string& journalMode,
                             const std::string& sql) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::close(ready[0]);
        ::close(release[1]); // else the read below never sees the parent let go
        char status = 'k';
        try {
            (new WritableDb(path, journalMode))->exec(sql); // never closed: see _exit below
        } catch (...) {
            status = 'e';
        }
        (void)!::write(ready[1], &status, 1);
        char c;
        (void)!::read(release[0], &c, 1); // returns when the parent closes its end
        ::_exit(0); // no destructors, no checkpoint-on-close: the files stay as a live writer has them
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char status = 0;
    const bool got = ::read(ready[0], &status, 1) == 1;
    ::close(ready[0]);
    if (!got || status != 'k') {
        this->~WriterProcess();
        throw std::runtime_error("writer process failed on: " + sql);
    }
}

WriterProcess::~WriterProcess() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace fray::test
