#include "SqliteStoreProvider.h"

namespace fray {

bool SqliteStoreProvider::isAvailable() const {
    return files_->exists(path_);
}

std::vector<SessionInfo> SqliteStoreProvider::poll(Instant now, double needsActionDelay) {
    std::vector<SessionInfo> out;
    try {
        auto db = SQLiteDB::open(path_, *files_);
        if (db) db->query(query_, [&](const SQLiteDB::Row& row) { addRow(row, now, needsActionDelay, out); });
    } catch (...) {
        // Out of memory at worst: the rows so far stand, the rest waits for the next poll.
    }
    return out;
}

} // namespace fray
