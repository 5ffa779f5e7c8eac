#pragma once

#include "SqliteStoreProvider.h"

#include <string>

namespace fray {

// Sessions of the Hermes agent, read from its SQLite store ~/.hermes/state.db.
class HermesProvider final : public SqliteStoreProvider {
  public:
    explicit HermesProvider(const std::string& home, std::shared_ptr<FileAccess> files = nullptr);

    Agent agent() const override { return Agent::hermes; }
    static const char* const query;

  private:
    void addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                std::vector<SessionInfo>& out) const override;
};

} // namespace fray
