#include "HermesProvider.h"

#include "SQLiteDB.h"
#include "monitor/PathText.h"
#include "monitor/Tuning.h"

namespace fray {

const char* const HermesProvider::query =
    "SELECT s.id, s.cwd, s.git_branch, s.ended_at, s.message_count, s.tool_call_count, s.title,\n"
    "       (SELECT MAX(m.timestamp) FROM messages m WHERE m.session_id = s.id),\n"
    "       (SELECT m.role FROM messages m WHERE m.session_id = s.id\n"
    "         ORDER BY m.id DESC LIMIT 1),\n"
    "       (SELECT m.tool_calls FROM messages m WHERE m.session_id = s.id\n"
    "         ORDER BY m.id DESC LIMIT 1)\n"
    "FROM sessions s\n"
    "WHERE s.archived IS NULL OR s.archived = 0\n"
    "ORDER BY s.started_at DESC LIMIT 30";

HermesProvider::HermesProvider(const std::string& home)
    : SqliteStoreProvider(PathText::join(home, ".hermes/state.db"), query) {}

void HermesProvider::addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                            std::vector<SessionInfo>& out) const {
    auto id = row.text(0);
    if (!id) return;
    auto last = row.date(7);
    if (!last) last = row.date(3);
    if (!last) return;
    const double age = secondsBetween(*last, now);
    if (age > Tuning::candidateWindow) return;

    const bool ended = !row.isNull(3);
    const auto role = row.text(8);
    const auto tools = row.text(9);
    SessionStatus status;
    if (!ended && tools && !tools->empty() && role == "assistant") {
        status = age > needsActionDelay ? SessionStatus::needsAction : SessionStatus::working;
    } else if (!ended) {
        if (age <= Tuning::workingStaleOut)
            status = SessionStatus::working;
        else if (age <= Tuning::completedLinger)
            status = SessionStatus::completed;
        else
            return;
    } else {
        if (age > Tuning::completedLinger) return;
        status = SessionStatus::completed;
    }

    auto cwd = row.text(1);
    std::string project = lastComponentName(cwd).value_or(row.text(6).value_or("hermes"));
    out.push_back(SessionInfo::make("hermes:" + *id, std::move(project), row.text(2), std::move(cwd), status,
                                    row.integer(5), *last, *last, std::nullopt, std::nullopt, 0.5,
                                    Agent::hermes));
}

} // namespace fray
