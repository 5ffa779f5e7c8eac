#pragma once

#include <string>

struct sqlite3;

namespace fray::test {

// A writable connection, standing in for the application that owns a database.
class WritableDb {
  public:
    // journalMode: "delete" (rollback) or "wal".
    WritableDb(const std::string& path, const std::string& journalMode = "delete");
    ~WritableDb();
    WritableDb(const WritableDb&) = delete;
    WritableDb& operator=(const WritableDb&) = delete;

    void exec(const std::string& sql); // throws with SQLite's message on failure
    void close();

  private:
    sqlite3* db_ = nullptr;
};

// The tables as Hermes and Osaurus create them (the columns the providers read, and a
// few they do not).
extern const char* const hermesSchema;
extern const char* const osaurusSchema;

std::string sqlQuote(const std::string& s);

// A writer in another process, as the owning application would be: SQLite shares locks
// and the WAL index between connections of one process, so only a second process shows
// what a reader really does. Runs `sql`, then holds its connection (and any open
// transaction) until destroyed.
class WriterProcess {
  public:
    WriterProcess(const std::string& path, const std::string& journalMode, const std::string& sql);
    ~WriterProcess();
    WriterProcess(const WriterProcess&) = delete;
    WriterProcess& operator=(const WriterProcess&) = delete;

  private:
    int pid_ = -1;
    int release_ = -1; // closing it lets the child finish
};

} // namespace fray::test
