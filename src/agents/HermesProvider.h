#pragma once

#include "AgentProvider.h"
#include "SQLiteDB.h"

#include <string>

namespace fray {

// Sessions of the Hermes agent, read from its SQLite store ~/.hermes/state.db.
class HermesProvider final : public AgentProvider {
  public:
    explicit HermesProvider(const std::string& home);

    Agent agent() const override { return Agent::hermes; }
    bool isAvailable() const override;
    std::vector<SessionInfo> poll(Instant now, double needsActionDelay) override;

    const std::string& path() const { return path_; }

    static const char* const query;

  private:
    static void addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                       std::vector<SessionInfo>& out);

    std::string path_;
};

} // namespace fray
