#include "HermesProvider.h"

#include "SQLiteDB.h"
#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Tuning.h"

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

HermesProvider::HermesProvider(const std::string& home, std::shared_ptr<FileAccess> files)
    : SqliteStoreProvider(PathText::join(home, ".hermes/state.db"), query, std::move(files)) {}

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
    const Activity activity = ended                                             ? Activity::finished
                              : tools && !tools->empty() && role == "assistant" ? Activity::toolPending
                                                                                : Activity::busy;
    const auto status = statusForAge(activity, age, needsActionDelay);
    if (!status) return;

    auto cwd = row.text(1);
    std::string project = lastComponentName(cwd).value_or(titleLabel(row.text(6)).value_or("hermes"));
    out.push_back(SessionInfo::make("hermes:" + *id, std::move(project), row.text(2), std::move(cwd), *status,
                                    row.integer(5), *last, *last, std::nullopt, std::nullopt, 0.5,
                                    Agent::hermes));
}

} // namespace fray
