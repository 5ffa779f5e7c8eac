#include "agents/SQLiteDB.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

using namespace fray;
using fray::test::TempDir;
using fray::test::TreeSnapshot;
using fray::test::WritableDb;
using fray::test::WriterProcess;

namespace {

int countRows(const std::string& path, const std::string& sql = "SELECT x FROM t") {
    auto db = SQLiteDB::open(path, *posixFileAccess());
    if (!db) return -1;
    int n = 0;
    db->query(sql, [&](const SQLiteDB::Row&) { ++n; });
    return n;
}

} // namespace

// The providers read through this alone, so their stores fail here: a missing, empty,
// corrupt or foreign file, and a query that would write. The good store's folder holds a ?,
// # and %, which would cut or change the path SQLite opens were they not encoded.
TEST(SQLiteDB, WhatCannotBeReadYieldsNothingAndIsLeftAsItWas) {
    TempDir dir;
    const std::string good = (dir.mkdir("odd?name#with%41") / "good.db").string();
    WritableDb(good).exec("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2); CREATE TABLE v(x);"
                          "INSERT INTO v VALUES (NULL), (1e999), (CAST(X'61807A' AS TEXT))");
    dir.write("empty.db", "");
    dir.write("corrupt.db", std::string("SQLite format 3\0", 16) + std::string(4096, 'Z'));
    const auto before = TreeSnapshot::of(dir.path());
    // -1: the database does not open.
    for (auto [path, sql, rows] : {std::tuple{(dir / "missing.db").string(), "SELECT x FROM t", -1},
                                   {(dir / "empty.db").string(), "SELECT x FROM t", 0},
                                   {(dir / "corrupt.db").string(), "SELECT x FROM t", 0},
                                   {good, "SELECT y FROM t", 0},
                                   {good, "DELETE FROM t", 0},
                                   {good, "SELECT x FROM t", 2}}) // the delete did not happen
        EXPECT_EQ(countRows(path, sql), rows) << path << ": " << sql;

    // What the row accessors add to SQLite's own conversions: absent for NULL and for an
    // instant no number gives, and repaired text. (Seconds against milliseconds: the
    // provider tests'; the repair rules are UnicodeText's.)
    auto db = SQLiteDB::open(good, *posixFileAccess());
    ASSERT_TRUE(db);
    std::vector<std::pair<std::optional<std::string>, bool>> got; // the text, and whether a date
    db->query("SELECT x FROM v ORDER BY rowid",
              [&](const SQLiteDB::Row& row) { got.emplace_back(row.text(0), row.date(0).has_value()); });
    const decltype(got) expect{{std::nullopt, false}, {"Inf", false}, {"a\xef\xbf\xbdz", true}};
    EXPECT_EQ(got, expect);
    EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "") << "the missing file is not created either";
}

// WAL files as a writer leaves them: the rows are read, and not one byte of the database
// or its side files changes, nor does any file appear. (Rollback and closed WAL stores
// are read in the provider and read-only tests.)
TEST(SQLiteDB, ReadsLiveAndLeftoverWalFilesWithoutWriting) {
    const std::string table = "PRAGMA wal_autocheckpoint=0; CREATE TABLE t(x); INSERT INTO t VALUES ";
    TempDir dir;
    auto countUntouched = [&dir](const std::string& path) {
        const auto before = TreeSnapshot::of(dir.path());
        const int n = countRows(path);
        EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "") << path;
        return n;
    };
    const std::string live = (dir / "live.db").string(), left = (dir / "left.db").string();
    WriterProcess writer(live, "wal", table + "(1), (2), (3), (4)"); // the rows only in its -wal file
    EXPECT_EQ(countUntouched(live), 4);
    WritableDb w(left + ".src", "wal"); // a writer that crashed: its files copied while it ran
    w.exec(table + "(1), (2), (3), (4), (5)");
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::copy_file(left + ".src" + suffix, left + suffix);
    w.close();
    std::filesystem::remove(left + ".src");
    EXPECT_EQ(countUntouched(left), 5);
}

TEST(SQLiteDB, WriteLockEndsTheQueryAfterTheBusyTimeout) {
    TempDir dir;
    const std::string path = (dir / "locked.db").string();
    WriterProcess writer(
        path, "delete",
        "CREATE TABLE t(x); INSERT INTO t VALUES (1); BEGIN EXCLUSIVE; INSERT INTO t VALUES (2)");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(countRows(path), 0);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, std::chrono::milliseconds(150));
    EXPECT_LT(took, std::chrono::milliseconds(500));
}
