#include "OsaurusProvider.h"

#include "SQLiteDB.h"
#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Tuning.h"
#include "session/UnicodeText.h"

namespace fray {

const char* const OsaurusProvider::query =
    "SELECT s.id, s.title, s.updated_at, s.turn_count, s.folder_path,\n"
    "       (SELECT t.role FROM turns t WHERE t.session_id = s.id ORDER BY t.seq DESC LIMIT 1),\n"
    "       (SELECT t.completed_at FROM turns t WHERE t.session_id = s.id\n"
    "         ORDER BY t.seq DESC LIMIT 1)\n"
    "FROM sessions s\n"
    "WHERE s.archived IS NULL OR s.archived = 0\n"
    "ORDER BY s.updated_at DESC LIMIT 30";

OsaurusProvider::OsaurusProvider(const std::string& home, std::shared_ptr<FileAccess> files)
    : SqliteStoreProvider(PathText::join(home, ".osaurus/chat-history/history.sqlite"), query,
                          std::move(files)) {}

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
    // An assistant reply still being written waits for the user after the delay, but only
    // while the chat is fresh: past the stale-out it reads as abandoned, like any busy one.
    auto status =
        statusForAge(assistant && completed ? Activity::finished : Activity::busy, age, needsActionDelay);
    if (!status) return;
    if (assistant && !completed && status == SessionStatus::working && age > needsActionDelay)
        status = SessionStatus::needsAction;

    const std::string title = titleLabel(row.text(1)).value_or("osaurus");
    auto folder = row.text(4);
    std::string project =
        lastComponentName(folder).value_or(std::string(UnicodeText::firstCharacters(title, titleCharacters)));
    out.push_back(SessionInfo::make("osaurus:" + *id, std::move(project), std::nullopt, std::move(folder),
                                    *status, row.integer(3), *updated, *updated, std::nullopt, std::nullopt,
                                    0.5, Agent::osaurus));
}

} // namespace fray
