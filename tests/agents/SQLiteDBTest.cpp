#include "agents/SQLiteDB.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"
#include "support/TreeSnapshot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>

using namespace fray;
using fray::test::TempDir;
using fray::test::TreeSnapshot;
using fray::test::WritableDb;
using fray::test::WriterProcess;

namespace {

int countRows(const std::string& path, const std::string& sql = "SELECT x FROM t") {
    auto db = SQLiteDB::open(path);
    if (!db) return -1;
    int n = 0;
    db->query(sql, [&](const SQLiteDB::Row&) { ++n; });
    return n;
}

} // namespace

TEST(SQLiteDB, RowAccessors) {
    TempDir dir;
    const std::string path = (dir / "v.db").string();
    {
        WritableDb w(path);
        w.exec("CREATE TABLE v(k TEXT, x);"
               "INSERT INTO v VALUES ('null', NULL), ('seconds', 1767225600), ('millis', 1767225600000),"
               "('threshold', 3000000000), ('above', 3000000001), ('infinite', 1e999),"
               "('text', 'h\xc3\xa9llo'), ('bad utf8', CAST(X'61FF62C3' AS TEXT)), ('real', 45.9)");
    }
    struct Expect {
        std::optional<std::string> text;
        std::optional<double> real;
        std::int64_t integer;
        std::optional<double> date; // unix seconds
    };
    const std::map<std::string, Expect> expect{
        {"null", {std::nullopt, std::nullopt, 0, std::nullopt}},
        {"seconds", {"1767225600", 1767225600.0, 1767225600, 1767225600.0}},
        {"millis", {"1767225600000", 1767225600000.0, 1767225600000, 1767225600.0}},
        {"threshold", {"3000000000", 3e9, 3000000000, 3e9}},
        {"above", {"3000000001", 3000000001.0, 3000000001, 3000000.001}},
        {"infinite", {"Inf", std::numeric_limits<double>::infinity(), INT64_MAX, std::nullopt}},
        {"text", {"h\xc3\xa9llo", 0.0, 0, 0.0}},
        {"bad utf8",
         {"a\xef\xbf\xbd"
          "b\xef\xbf\xbd",
          0.0, 0, 0.0}},
        {"real", {"45.9", 45.9, 45, 45.9}},
    };
    auto db = SQLiteDB::open(path);
    ASSERT_TRUE(db);
    std::size_t seen = 0;
    db->query("SELECT k, x FROM v", [&](const SQLiteDB::Row& row) {
        const std::string k = *row.text(0);
        SCOPED_TRACE(k);
        const Expect& e = expect.at(k);
        EXPECT_EQ(row.text(1), e.text);
        EXPECT_EQ(row.real(1), e.real);
        EXPECT_EQ(row.integer(1), e.integer);
        auto d = row.date(1);
        ASSERT_EQ(d.has_value(), e.date.has_value());
        if (d) {
            EXPECT_DOUBLE_EQ(toUnixSeconds(*d), *e.date);
        }
        ++seen;
    });
    EXPECT_EQ(seen, expect.size());
}

TEST(SQLiteDB, WhatCannotBeReadYieldsNothing) {
    TempDir dir;
    const std::string good = (dir / "good.db").string();
    {
        WritableDb w(good);
        w.exec("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2)");
    }
    dir.write("corrupt.db", std::string(8192, '\x5a'));
    dir.write("empty.db", "");
    struct Row {
        const char* name;
        std::string path;
        std::string sql;
        int rows; // -1: does not open
    } rows[] = {
        {"missing file does not open and is not created", (dir / "missing.db").string(), "SELECT x FROM t",
         -1},
        {"not a database", (dir / "corrupt.db").string(), "SELECT x FROM t", 0},
        {"empty file", (dir / "empty.db").string(), "SELECT x FROM t", 0},
        {"table that does not exist", good, "SELECT x FROM nope", 0},
        {"column that does not exist", good, "SELECT y FROM t", 0},
        {"a statement that would write", good, "DELETE FROM t", 0},
        {"readable", good, "SELECT x FROM t", 2},
    };
    const auto before = TreeSnapshot::of(dir.path());
    for (const auto& r : rows)
        EXPECT_EQ(countRows(r.path, r.sql), r.rows) << r.name;
    EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "");
    EXPECT_EQ(countRows(good), 2) << "the delete did not happen";
}

TEST(SQLiteDB, UriEncodesWhatWouldCutThePath) {
    struct Row {
        const char* path;
        const char* uri;
    } rows[] = {
        {"/home/ann/.hermes/state.db", "file:/home/ann/.hermes/state.db?mode=ro"},
        {"/home/we?ird/db", "file:/home/we%3Fird/db?mode=ro"},
        {"/home/a#b/db", "file:/home/a%23b/db?mode=ro"},
        {"/home/100%41/db", "file:/home/100%2541/db?mode=ro"},
        {"/home/\xc3\xa9 x/db", "file:/home/\xc3\xa9 x/db?mode=ro"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SQLiteDB::uriFor(r.path, "mode=ro"), r.uri) << r.path;

    TempDir dir;
    const std::string path = (dir.mkdir("odd?name#with%41") / "x.db").string();
    {
        WritableDb w(path);
        w.exec("CREATE TABLE t(x); INSERT INTO t VALUES (7)");
    }
    const auto before = TreeSnapshot::of(dir.path());
    EXPECT_EQ(countRows(path), 1);
    EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "");
}

// What really happens with each journal mode: the rows are read, and not one byte of the
// database or its side files changes, nor does any file appear.
TEST(SQLiteDB, ReadsEveryJournalModeWithoutWriting) {
    struct Row {
        const char* name;
        std::function<void(const std::string& path, std::unique_ptr<WriterProcess>& keep)> make;
        int rows;
    } rows[] = {
        {"rollback journal",
         [](const std::string& p, auto&) {
             WritableDb w(p);
             w.exec("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2)");
         },
         2},
        {"WAL, writer closed: no side files",
         [](const std::string& p, auto&) {
             WritableDb w(p, "wal");
             w.exec("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3)");
         },
         3},
        {"WAL, live writer with rows only in the -wal file",
         [](const std::string& p, auto& keep) {
             keep = std::make_unique<WriterProcess>(
                 p, "wal",
                 "PRAGMA wal_autocheckpoint=0; CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3), (4)");
         },
         4},
        {"WAL, side files left by a writer that crashed",
         [](const std::string& p, auto&) {
             const std::string live = p + ".live";
             WritableDb w(live, "wal");
             w.exec("PRAGMA wal_autocheckpoint=0; CREATE TABLE t(x); INSERT INTO t VALUES (1), (2), (3), "
                    "(4), (5)");
             for (const char* suffix : {"", "-wal", "-shm"})
                 std::filesystem::copy_file(live + suffix, p + suffix);
             w.close();
             std::filesystem::remove(live);
         },
         5},
        {"WAL, writer holding it in exclusive locking mode: busy, nothing",
         [](const std::string& p, auto& keep) {
             keep = std::make_unique<WriterProcess>(
                 p, "wal", "PRAGMA locking_mode=EXCLUSIVE; CREATE TABLE t(x); INSERT INTO t VALUES (1)");
         },
         0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TempDir dir;
        const std::string path = (dir.mkdir("store") / "state.db").string();
        std::unique_ptr<WriterProcess> writer;
        r.make(path, writer);
        const auto before = TreeSnapshot::of(dir.path());
        EXPECT_EQ(countRows(path), r.rows);
        EXPECT_EQ(countRows(path), r.rows) << "a second reader sees the same";
        EXPECT_EQ(before.diff(TreeSnapshot::of(dir.path())), "");
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
    {
        WritableDb owner(path); // the owner comes back and recovers
        owner.exec("SELECT 1 FROM t");
    }
    EXPECT_EQ(countRows(path), 1);
}

TEST(SQLiteDB, RepairUtf8) {
    struct Row {
        std::string in, out;
    } rows[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9 \xf0\x9f\x9a\x80", "caf\xc3\xa9 \xf0\x9f\x9a\x80"},
        {"a\x80z", "a\xef\xbf\xbdz"},       // stray continuation byte
        {"a\xe2\x82z", "a\xef\xbf\xbdz"},   // truncated sequence, one replacement
        {"\xed\xa0\x80", "\xef\xbf\xbd"},   // encoded surrogate
        {"\xc0\xaf", "\xef\xbf\xbd"},       // overlong slash
        {"end\xf0\x9f", "end\xef\xbf\xbd"}, // cut at the end
    };
    for (const auto& r : rows)
        EXPECT_EQ(repairUtf8(r.in), r.out) << r.in;
}
