#pragma once

#include "AgentProvider.h"
#include "SQLiteDB.h"

#include <string>

namespace fray {

// Chat sessions of Osaurus, read from ~/.osaurus/chat-history/history.sqlite.
class OsaurusProvider final : public AgentProvider {
  public:
    explicit OsaurusProvider(const std::string& home);

    Agent agent() const override { return Agent::osaurus; }
    bool isAvailable() const override;
    std::vector<SessionInfo> poll(Instant now, double needsActionDelay) override;

    const std::string& path() const { return path_; }

    static const char* const query;
    static constexpr std::size_t titleCharacters = 22;

  private:
    static void addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                       std::vector<SessionInfo>& out);

    std::string path_;
};

} // namespace fray
