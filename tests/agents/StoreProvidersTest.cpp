// Hermes and Osaurus: both read a SQLite store another application writes.
#include "agents/HermesProvider.h"
#include "agents/OsaurusProvider.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fray;
using fray::test::sqlQuote;
using fray::test::TempDir;
using fray::test::WritableDb;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);
using S = SessionStatus;
constexpr auto absent = std::nullopt;

// The instant `age` seconds before now as the store keeps it, in seconds or milliseconds.
std::string ago(double age, bool millis = false) {
    return std::to_string((toUnixSeconds(kNow) - age) * (millis ? 1000.0 : 1.0));
}
using Text = std::optional<std::string>;
std::string opt(const Text& s) {
    return s ? sqlQuote(*s) : "NULL";
}

// A fixture home holding one store, created with the application's schema.
template <class Provider> struct StoreHome {
    TempDir home;
    WritableDb db;
    StoreHome(const char* dir, const char* file, const char* schema) : db((home.mkdir(dir) / file).string()) {
        db.exec(schema);
    }
    std::vector<SessionInfo> poll() { return Provider(home.str()).poll(kNow, 20); }
};

const SessionInfo* find(const std::vector<SessionInfo>& list, const std::string& id) {
    for (const auto& s : list)
        if (s.id == id) return &s;
    return nullptr;
}
std::optional<S> statusOf(const std::vector<SessionInfo>& list, const std::string& id) {
    const SessionInfo* s = find(list, id);
    return s ? std::optional(s->status) : absent;
}

struct HermesHome : StoreHome<HermesProvider> {
    int started = 0;
    HermesHome() : StoreHome(".hermes", "state.db", fray::test::hermesSchema) {}
    // A session whose last message (if any) came `age` seconds ago, after the user's.
    void session(const std::string& id, std::optional<double> age, Text role = "assistant", Text tools = "",
                 std::optional<double> endedAge = absent, Text cwd = "/w", Text title = "t",
                 bool millis = false, int archived = 0) {
        const std::string ended = endedAge ? ago(*endedAge, millis) : "NULL", q = sqlQuote(id);
        db.exec("INSERT INTO sessions (id, cwd, git_branch, started_at, ended_at, tool_call_count, title, "
                "archived) "
                "VALUES (" +
                q + ", " + opt(cwd) + ", 'main', " + std::to_string(++started) + ", " + ended + ", 7, " +
                opt(title) + ", " + std::to_string(archived) + ")");
        if (age)
            db.exec("INSERT INTO messages (session_id, role, tool_calls, timestamp) VALUES (" + q +
                    ", 'user', NULL, " + ago(*age + 5, millis) + "), (" + q + ", " + opt(role) + ", " +
                    opt(tools) + ", " + ago(*age, millis) + ")");
    }
};

struct OsaurusHome : StoreHome<OsaurusProvider> {
    OsaurusHome() : StoreHome(".osaurus/chat-history", "history.sqlite", fray::test::osaurusSchema) {}
    // A session updated `age` seconds ago whose last turn is `role`'s (none: only the user's).
    void session(const std::string& id, double age, Text role = "user", bool completed = false,
                 Text folder = "/w", Text title = "t", bool millis = false, int archived = 0) {
        const std::string updated = ago(age, millis), q = sqlQuote(id);
        db.exec(
            "INSERT INTO sessions (id, title, updated_at, turn_count, folder_path, archived) VALUES (" + q +
            ", " + opt(title) + ", " + updated + ", 4, " + opt(folder) + ", " + std::to_string(archived) +
            "); INSERT INTO turns (session_id, seq, role, completed_at) VALUES (" + q + ", 1, 'user', 1)" +
            (role ? ", (" + q + ", 2, " + opt(role) + ", " + (completed ? updated : "NULL") + ")" : ""));
    }
};

} // namespace

TEST(HermesProvider, StatusFromTheLastMessage) {
    struct Row {
        const char* id;
        double age;
        std::optional<std::string> role, tools;
        std::optional<double> ended;
        std::optional<S> expect;
    };
    const std::vector<Row> rows = {
        // clang-format off
        {"tool call, 21 s", 21, "assistant", "[1]", absent, S::needsAction},
        {"empty tool calls: busy", 400, "assistant", "", absent, S::working},
        {"no tool calls: busy", 30, "assistant", absent, absent, S::working},
        {"user message with tool calls: busy", 30, "user", "[1]", absent, S::working},
        {"ended, tool call pending: finished", 100, "assistant", "[1]", 100, S::completed},
        // clang-format on
    };
    HermesHome h;
    for (const auto& r : rows)
        h.session(r.id, r.age, r.role, r.tools, r.ended);
    const auto list = h.poll();
    for (const auto& r : rows)
        EXPECT_EQ(statusOf(list, "hermes:" + std::string(r.id)), r.expect) << r.id;
}

TEST(HermesProvider, RecordFieldsFallbacksAndTheLatest30) {
    HermesHome h;
    h.session("no-instant", absent);
    // Stores keep instants in seconds or milliseconds: these two in milliseconds.
    h.session("full", 30, "assistant", "", absent, "/work/api/", "Title", true);
    h.session("no-cwd", 30, "assistant", "", absent, absent, "Refactor queue");
    h.session("blank", 30, "assistant", "", absent, "", " \t");
    h.session("ended-no-messages", absent, "assistant", "", 100, "/w", "t", true);
    h.session("archived", 1, "assistant", "", absent, "/w", "t", false, 1);
    h.db.exec("INSERT INTO sessions (id, started_at, tool_call_count) VALUES (NULL, 0, 1);"
              "INSERT INTO messages (session_id, role, timestamp) VALUES ('x', 'user', 0)");
    auto list = h.poll();
    ASSERT_EQ(list.size(), 4u);
    const auto full = SessionInfo::make("hermes:full", "api", "main", "/work/api/", S::working, 7, kNow - 30,
                                        kNow - 30, absent, absent, 0.5, Agent::hermes);
    EXPECT_EQ(*find(list, "hermes:full"), full);
    EXPECT_EQ(find(list, "hermes:no-cwd")->project, "Refactor queue");
    EXPECT_EQ(find(list, "hermes:blank")->project, "hermes") << "a blank title is no title";
    const SessionInfo* ended = find(list, "hermes:ended-no-messages");
    EXPECT_EQ(std::tie(ended->lastActivity, ended->status), std::make_tuple(kNow - 100, S::completed));

    // Only the 30 started last count, whatever their activity.
    for (int i = 0; i < 30; ++i)
        h.session("s" + std::to_string(i), 100);
    list = h.poll();
    EXPECT_EQ(list.size(), 30u);
    EXPECT_FALSE(find(list, "hermes:ended-no-messages"));
    EXPECT_EQ(list.front().id, "hermes:s29") << "latest started first";
}

TEST(OsaurusProvider, StatusFromTheLastTurn) {
    struct Row {
        const char* id;
        double age;
        std::optional<std::string> role;
        bool completed;
        std::optional<S> expect;
    };
    const std::vector<Row> rows = {
        // clang-format off
        {"assistant running, = delay", 20, "assistant", false, S::working},
        {"assistant running, 21 s", 21, "assistant", false, S::needsAction},
        {"assistant running, 480 s", 480, "assistant", false, S::needsAction},
        {"assistant running, 481 s", 481, "assistant", false, S::completed},
        {"assistant done: finished", 400, "assistant", true, S::completed},
        {"only the user's turn, completed: busy", 30, absent, false, S::working},
        // clang-format on
    };
    OsaurusHome o;
    for (const auto& r : rows)
        o.session(r.id, r.age, r.role, r.completed);
    const auto list = o.poll();
    for (const auto& r : rows)
        EXPECT_EQ(statusOf(list, "osaurus:" + std::string(r.id)), r.expect) << r.id;
}

TEST(OsaurusProvider, RecordFieldsTitlesAndTheLatest30) {
    OsaurusHome o;
    o.session("folder", 10, "user", false, "/work/site/", "t", true); // instants in milliseconds
    // No folder: the title, cut to 22 characters (a flag, an e with a combining accent and Thai among them).
    const std::string title = "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7 e\xcc\x81t\xc3\xa9 "
                              "\xe0\xb8\x81\xe0\xb8\xb5\xe0\xb9\x88 20 chars and m";
    o.session("titled", 10, "user", false, absent, title + "ore");
    o.session("archived", 10, "user", false, "/w", "t", false, 1);
    auto list = o.poll();
    ASSERT_EQ(list.size(), 2u);
    const auto folder = SessionInfo::make("osaurus:folder", "site", absent, "/work/site/", S::working, 4,
                                          kNow - 10, kNow - 10, absent, absent, 0.5, Agent::osaurus);
    EXPECT_EQ(*find(list, "osaurus:folder"), folder);
    EXPECT_EQ(find(list, "osaurus:titled")->project, title) << "characters as users see them, not bytes";

    for (int i = 0; i < 30; ++i)
        o.session("s" + std::to_string(i), 100 + i);
    list = o.poll();
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list.back().id, "osaurus:s27") << "latest updated first";
}
