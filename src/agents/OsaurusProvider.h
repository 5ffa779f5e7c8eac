#pragma once

#include "SqliteStoreProvider.h"

#include <string>

namespace fray {

// Chat sessions of Osaurus, read from ~/.osaurus/chat-history/history.sqlite.
class OsaurusProvider final : public SqliteStoreProvider {
  public:
    explicit OsaurusProvider(const std::string& home, std::shared_ptr<FileAccess> files = nullptr);

    Agent agent() const override { return Agent::osaurus; }
    static const char* const query;
    static constexpr std::size_t titleCharacters = 22;

  private:
    void addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                std::vector<SessionInfo>& out) const override;
};

} // namespace fray
