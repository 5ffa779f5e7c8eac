#include "OsaurusProvider.h"

#include "SQLiteDB.h"
#include "TextCut.h"
#include "monitor/PathText.h"
#include "monitor/Tuning.h"

namespace fray {

const char* const OsaurusProvider::query =
    "SELECT s.id, s.title, s.updated_at, s.turn_count, s.folder_path,\n"
    "       (SELECT t.role FROM turns t WHERE t.session_id = s.id ORDER BY t.seq DESC LIMIT 1),\n"
    "       (SELECT t.completed_at FROM turns t WHERE t.session_id = s.id\n"
    "         ORDER BY t.seq DESC LIMIT 1)\n"
    "FROM sessions s\n"
    "WHERE s.archived IS NULL OR s.archived = 0\n"
    "ORDER BY s.updated_at DESC LIMIT 30";

OsaurusProvider::OsaurusProvider(const std::string& home)
    : SqliteStoreProvider(PathText::join(home, ".osaurus/chat-history/history.sqlite"), query) {}

void OsaurusProvider::addRow(const SQLiteDB::Row& row, Instant now, double needsActionDelay,
                             std::vector<SessionInfo>& out) const {
    auto id = row.text(0);
    if (!id) return;
    auto updated = row.date(2);
    if (!updated) return;
    const double age = secondsBetween(*updated, now);
    if (age > Tuning::candidateWindow) return;

    const auto role = row.text(5);
    const bool completed = !row.isNull(6);
    const bool assistant = role == "assistant";
    SessionStatus status;
    if (assistant && completed) {
        if (age > Tuning::completedLinger) return;
        status = SessionStatus::completed;
    } else if (age <= Tuning::workingStaleOut) {
        status = age > needsActionDelay && assistant ? SessionStatus::needsAction : SessionStatus::working;
    } else if (age <= Tuning::completedLinger) {
        status = SessionStatus::completed;
    } else {
        return;
    }

    const std::string title = row.text(1).value_or("osaurus");
    auto folder = row.text(4);
    std::string project =
        lastComponentName(folder).value_or(std::string(firstCharacters(title, titleCharacters)));
    out.push_back(SessionInfo::make("osaurus:" + *id, std::move(project), std::nullopt, std::move(folder),
                                    status, row.integer(3), *updated, *updated, std::nullopt, std::nullopt,
                                    0.5, Agent::osaurus));
}

} // namespace fray
