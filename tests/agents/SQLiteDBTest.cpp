#include "agents/SQLiteDB.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

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

std::string makeDb(const TempDir& dir, const std::string& rel, const std::string& sql) {
    const std::string path = (dir / rel).string();
    WritableDb(path).exec(sql);
    return path;
}

} // namespace

// What the wrapper adds to SQLite's own conversions: absent for NULL, repaired text, and
// instants in seconds or, above the threshold, milliseconds. (Integers are the stores'
// counts, which the provider tests read.)
TEST(SQLiteDB, RowAccessors) {
    TempDir dir;
    const auto path =
        makeDb(dir, "v.db",
               "CREATE TABLE v(k TEXT, x); INSERT INTO v VALUES ('null', NULL), ('seconds', 1767225600),"
               "('millis', 1767225600000), ('threshold', 3000000000), ('above', 3000000001),"
               "('infinite', 1e999), ('bad utf8', CAST(X'61807A' AS TEXT))");
    using Text = std::optional<std::string>;
    using Seconds = std::optional<double>;
    const std::map<std::string, std::pair<Text, Seconds>> expect{
        {"null", {std::nullopt, std::nullopt}},      {"seconds", {"1767225600", 1767225600.0}},
        {"millis", {"1767225600000", 1767225600.0}}, {"threshold", {"3000000000", 3e9}},
        {"above", {"3000000001", 3000000.001}},      {"infinite", {"Inf", std::nullopt}},
        {"bad utf8", {"a\xef\xbf\xbdz", 0.0}}, // the repair rules are UnicodeText's
    };
    auto db = SQLiteDB::open(path, *posixFileAccess());
    ASSERT_TRUE(db);
    std::size_t seen = 0;
    db->query("SELECT k, x FROM v", [&](const SQLiteDB::Row& row) {
        const auto d = row.date(1);
        EXPECT_EQ(std::make_pair(row.text(1), d ? Seconds(toUnixSeconds(*d)) : std::nullopt),
                  expect.at(*row.text(0)))
            << *row.text(0);
        ++seen;
    });
    EXPECT_EQ(seen, expect.size());
}

// The providers read through this alone, so their stores fail here: a missing, empty,
// corrupt or foreign file, and a query that would write. The good store's folder holds a ?,
// # and %, which would cut or change the path SQLite opens were they not encoded.
TEST(SQLiteDB, WhatCannotBeReadYieldsNothingAndIsLeftAsItWas) {
    TempDir dir;
    dir.mkdir("odd?name#with%41");
    const auto good =
        makeDb(dir, "odd?name#with%41/good.db", "CREATE TABLE t(x); INSERT INTO t VALUES (1), (2)");
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
    EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "") << "the missing file is not created either";
}

// WAL files as a writer leaves them: the rows are read, and not one byte of the database
// or its side files changes, nor does any file appear. (Rollback and closed WAL stores
// are read in the provider and read-only tests.)
TEST(SQLiteDB, ReadsLiveAndLeftoverWalFilesWithoutWriting) {
    const std::string table = "CREATE TABLE t(x); INSERT INTO t VALUES ";
    using Keep = std::unique_ptr<WriterProcess>;
    struct Row {
        const char* name;
        std::function<void(const std::string& path, Keep& keep)> make;
        int rows;
    } rows[] = {
        {"WAL, live writer with rows only in the -wal file",
         [&](auto& p, Keep& keep) {
             keep = std::make_unique<WriterProcess>(
                 p, "wal", "PRAGMA wal_autocheckpoint=0; " + table + "(1), (2), (3), (4)");
         },
         4},
        {"WAL, side files left by a writer that crashed",
         [&](auto& p, Keep&) {
             WritableDb w(p + ".live", "wal");
             w.exec("PRAGMA wal_autocheckpoint=0; " + table + "(1), (2), (3), (4), (5)");
             for (const char* suffix : {"", "-wal", "-shm"})
                 std::filesystem::copy_file(p + ".live" + suffix, p + suffix);
             w.close();
             std::filesystem::remove(p + ".live");
         },
         5},
        {"WAL, a writer in exclusive locking mode: busy, nothing",
         [&](auto& p, Keep& keep) {
             keep =
                 std::make_unique<WriterProcess>(p, "wal", "PRAGMA locking_mode=EXCLUSIVE; " + table + "(1)");
         },
         0},
    };
    for (const auto& r : rows) {
        TempDir dir;
        const std::string path = (dir.mkdir("store") / "state.db").string();
        Keep writer;
        r.make(path, writer);
        const auto before = TreeSnapshot::of(dir.path());
        EXPECT_EQ(countRows(path), r.rows) << r.name;
        EXPECT_EQ(countRows(path), r.rows) << r.name << ": a second reader sees the same";
        EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "") << r.name;
    }
}

TEST(SQLiteDB, WriteLockEndsTheQueryAfterTheBusyTimeout) {
    TempDir dir;
    const std::string path = (dir / "locked.db").string();
    auto writer = std::make_unique<WriterProcess>(
        path, "delete",
        "CREATE TABLE t(x); INSERT INTO t VALUES (1); BEGIN EXCLUSIVE; INSERT INTO t VALUES (2)");
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(countRows(path), 0);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, std::chrono::milliseconds(150));
    EXPECT_LT(took, std::chrono::milliseconds(500));
    // The writer dies mid-transaction, leaving a hot journal. Rolling it back is the
    // owner's job: a read-only reader keeps seeing nothing and leaves the journal be.
    writer.reset();
    const auto before = TreeSnapshot::of(dir.path());
    EXPECT_TRUE(before.entries.contains("locked.db-journal"));
    EXPECT_EQ(countRows(path), 0);
    EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "");
    WritableDb(path).exec("SELECT 1 FROM t"); // the owner comes back and recovers
    EXPECT_EQ(countRows(path), 1);
}
