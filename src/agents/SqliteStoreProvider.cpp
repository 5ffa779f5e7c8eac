#include "SqliteStoreProvider.h"

#include <sys/stat.h>

namespace fray {

bool SqliteStoreProvider::isAvailable() const {
    struct stat st;
    return ::stat(path_.c_str(), &st) == 0;
}

std::vector<SessionInfo> SqliteStoreProvider::poll(Instant now, double needsActionDelay) {
    std::vector<SessionInfo> out;
    try {
        auto db = SQLiteDB::open(path_);
        if (db) db->query(query_, [&](const SQLiteDB::Row& row) { addRow(row, now, needsActionDelay, out); });
    } catch (...) {
        // Out of memory at worst: the rows so far stand, the rest waits for the next poll.
    }
    return out;
}

} // namespace fray
