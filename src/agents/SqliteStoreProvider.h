#pragma once

#include "SQLiteDB.h"
#include "session/AgentProvider.h"

#include <string>

namespace fray {

// An agent whose sessions live in a SQLite database of its own: one read-only query per
// poll, each row giving a session or nothing.
class SqliteStoreProvider : public AgentProvider {
  public:
    bool isAvailable() const override;
    std::vector<SessionInfo> poll(Instant now, double needsActionDelay) final;

    const std::string& path() const { return path_; }

  protected:
    SqliteStoreProvider(std::string path, const char* query, std::shared_ptr<FileAccess> files)
        : path_(std::move(path)), query_(query), files_(files ? std::move(files) : posixFileAccess()) {}
    virtual void addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                        std::vector<SessionInfo>& out) const = 0;

  private:
    std::string path_;
    const char* query_;
    std::shared_ptr<FileAccess> files_;
};

} // namespace fray
