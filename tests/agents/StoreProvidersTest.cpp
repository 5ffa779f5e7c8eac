// Hermes and Osaurus: both read a SQLite store another application writes.
#include "agents/HermesProvider.h"
#include "agents/OsaurusProvider.h"
#include "support/SqliteFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>

using namespace fray;
using fray::test::sqlQuote;
using fray::test::TempDir;
using fray::test::WritableDb;

namespace {

const Instant kNow = fromUnixSeconds(1767225600.0);
using S = SessionStatus;
constexpr auto absent = std::nullopt;

std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}
std::string opt(const std::optional<std::string>& s) {
    return s ? sqlQuote(*s) : "NULL";
}

const SessionInfo* find(const std::vector<SessionInfo>& list, const std::string& id) {
    for (const auto& s : list)
        if (s.id == id) return &s;
    return nullptr;
}

struct HermesHome {
    TempDir home;
    std::unique_ptr<WritableDb> db;
    int started = 0;
    explicit HermesHome(const std::string& journal = "delete") {
        home.mkdir(".hermes");
        db = std::make_unique<WritableDb>((home / ".hermes/state.db").string(), journal);
        db->exec(fray::test::hermesSchema);
    }
    // A session whose last message (if any) was `age` seconds ago.
    void session(const std::string& id, std::optional<double> age,
                 std::optional<std::string> role = "assistant",
                 std::optional<std::string> tools = R"([{"name":"shell"}])",
                 std::optional<double> endedAge = absent, std::optional<std::string> cwd = "/work/api",
                 std::optional<std::string> title = "Fix the tests", bool millis = false, int archived = 0) {
        auto when = [&](double a) { return num((toUnixSeconds(kNow) - a) * (millis ? 1000.0 : 1.0)); };
        db->exec("INSERT INTO sessions (id, cwd, git_branch, started_at, ended_at, tool_call_count, title, "
                 "archived) "
                 "VALUES (" +
                 sqlQuote(id) + ", " + opt(cwd) + ", 'main', " + std::to_string(++started) + ", " +
                 (endedAge ? when(*endedAge) : "NULL") + ", 7, " + opt(title) + ", " +
                 std::to_string(archived) + ")");
        if (age)
            db->exec("INSERT INTO messages (session_id, role, content, tool_calls, timestamp) VALUES (" +
                     sqlQuote(id) + ", 'user', 'go', NULL, " + when(*age + 5) + "), (" + sqlQuote(id) + ", " +
                     opt(role) + ", 'ok', " + opt(tools) + ", " + when(*age) + ")");
    }
    std::vector<SessionInfo> poll(double delay = 20) { return HermesProvider(home.str()).poll(kNow, delay); }
};

} // namespace

TEST(HermesProvider, StatusFromTheLastMessage) {
    struct Row {
        const char* id;
        double age;
        std::optional<std::string> role, tools;
        std::optional<double> ended;
        std::optional<S> expect;
    } rows[] = {
        {"tool call, 10 s", 10, "assistant", "[1]", absent, S::working},
        {"tool call, exactly the delay", 20, "assistant", "[1]", absent, S::working},
        {"tool call, 21 s", 21, "assistant", "[1]", absent, S::needsAction},
        {"tool call, 2000 s", 2000, "assistant", "[1]", absent, S::needsAction},
        {"tool call, 2701 s", 2701, "assistant", "[1]", absent, absent},
        {"empty tool calls, 300 s", 300, "assistant", "", absent, S::working},
        {"empty tool calls, 600 s", 600, "assistant", "", absent, S::completed},
        {"empty tool calls, 721 s", 721, "assistant", "", absent, absent},
        {"no tool calls, 30 s", 30, "assistant", absent, absent, S::working},
        {"user message with tool calls, 30 s", 30, "user", "[1]", absent, S::working},
        {"ended, tool call pending, 100 s", 100, "assistant", "[1]", 100, S::completed},
        {"ended, 721 s", 721, "assistant", "", 721, absent},
    };
    HermesHome h;
    for (const auto& r : rows)
        h.session(r.id, r.age, r.role, r.tools, r.ended);
    for (const auto& r : rows)
        h.session(std::string(r.id) + " (ms)", r.age, r.role, r.tools, r.ended, "/w", "t", true);
    auto list = h.poll();
    for (const auto& r : rows) {
        for (std::string id : {std::string(r.id), std::string(r.id) + " (ms)"}) {
            auto s = find(list, "hermes:" + id);
            ASSERT_EQ(s != nullptr, r.expect.has_value()) << id;
            if (s) {
                EXPECT_EQ(s->status, *r.expect) << id;
            }
        }
    }
}

TEST(HermesProvider, RecordFieldsAndFallbacks) {
    HermesHome h;
    h.session("full", 30, "assistant", "", absent, "/work/api/", "Title");
    h.session("no-cwd", 30, "assistant", "", absent, absent, "Refactor queue");
    h.session("nothing", 30, "assistant", "", absent, absent, absent);
    h.session("ended-no-messages", absent, "assistant", "", 100);
    h.session("no-instant", absent);
    h.db->exec("INSERT INTO sessions (id, started_at, tool_call_count) VALUES (NULL, 99, 1)");
    h.db->exec("INSERT INTO messages (session_id, role, timestamp) VALUES ('x', 'user', 0)");
    auto list = h.poll();
    ASSERT_EQ(list.size(), 4u);
    auto full = *find(list, "hermes:full");
    EXPECT_EQ(full, SessionInfo::make("hermes:full", "api", "main", "/work/api/", S::working, 7, kNow - 30,
                                      kNow - 30, absent, absent, 0.5, Agent::hermes));
    EXPECT_EQ(find(list, "hermes:no-cwd")->project, "Refactor queue");
    EXPECT_EQ(find(list, "hermes:nothing")->project, "hermes");
    auto ended = find(list, "hermes:ended-no-messages");
    EXPECT_EQ(ended->lastActivity, kNow - 100);
    EXPECT_EQ(ended->status, S::completed);
}

TEST(HermesProvider, ArchivedAndOnlyThe30LatestStarted) {
    HermesHome h;
    h.session("first-started, active now", 1); // started first: the 31st by start time
    for (int i = 0; i < 30; ++i)
        h.session("s" + std::to_string(i), 100);
    h.session("archived", 1, "assistant", "", absent, "/w", "t", false, 1);
    auto list = h.poll();
    EXPECT_EQ(list.size(), 30u);
    EXPECT_FALSE(find(list, "hermes:first-started, active now"));
    EXPECT_FALSE(find(list, "hermes:archived"));
    EXPECT_EQ(list.front().id, "hermes:s29") << "query order: latest started first";
}

namespace {

struct OsaurusHome {
    TempDir home;
    std::unique_ptr<WritableDb> db;
    explicit OsaurusHome(const std::string& journal = "delete") {
        home.mkdir(".osaurus/chat-history");
        db = std::make_unique<WritableDb>((home / ".osaurus/chat-history/history.sqlite").string(), journal);
        db->exec(fray::test::osaurusSchema);
    }
    void session(const std::string& id, double age, std::optional<std::string> role = "assistant",
                 bool completed = false, std::optional<std::string> folder = "/work/site",
                 std::optional<std::string> title = "Chat", bool millis = false, int archived = 0) {
        const std::string updated = num((toUnixSeconds(kNow) - age) * (millis ? 1000.0 : 1.0));
        db->exec("INSERT INTO sessions (id, title, updated_at, turn_count, folder_path, archived) VALUES (" +
                 sqlQuote(id) + ", " + opt(title) + ", " + updated + ", 4, " + opt(folder) + ", " +
                 std::to_string(archived) + ")");
        db->exec("INSERT INTO turns (session_id, seq, role, completed_at) VALUES (" + sqlQuote(id) +
                 ", 1, 'user', 1)");
        if (role)
            db->exec("INSERT INTO turns (session_id, seq, role, completed_at) VALUES (" + sqlQuote(id) +
                     ", 2, " + opt(role) + ", " + (completed ? updated : "NULL") + ")");
    }
    std::vector<SessionInfo> poll(double delay = 20) { return OsaurusProvider(home.str()).poll(kNow, delay); }
};

} // namespace

TEST(OsaurusProvider, StatusFromTheLastTurn) {
    struct Row {
        const char* id;
        double age;
        std::optional<std::string> role;
        bool completed;
        std::optional<S> expect;
    } rows[] = {
        {"assistant running, 10 s", 10, "assistant", false, S::working},
        {"assistant running, 25 s", 25, "assistant", false, S::needsAction},
        {"assistant running, 480 s", 480, "assistant", false, S::needsAction},
        {"assistant running, 481 s", 481, "assistant", false, S::completed},
        {"assistant running, 721 s", 721, "assistant", false, absent},
        {"user turn, 25 s", 25, "user", false, S::working},
        {"user turn, 481 s", 481, "user", false, S::completed},
        {"user turn, 721 s", 721, "user", false, absent},
        {"assistant done, 0 s", 0, "assistant", true, S::completed},
        {"assistant done, 720 s", 720, "assistant", true, S::completed},
        {"assistant done, 721 s", 721, "assistant", true, absent},
        {"last turn, only the user's, 30 s", 30, absent, false, S::working},
    };
    OsaurusHome o;
    for (const auto& r : rows)
        o.session(r.id, r.age, r.role, r.completed);
    for (const auto& r : rows)
        o.session(std::string(r.id) + " (ms)", r.age, r.role, r.completed, "/w", "t", true);
    auto list = o.poll();
    ASSERT_LE(list.size(), 30u);
    for (const auto& r : rows) {
        for (std::string id : {std::string(r.id), std::string(r.id) + " (ms)"}) {
            auto s = find(list, "osaurus:" + id);
            ASSERT_EQ(s != nullptr, r.expect.has_value()) << id;
            if (s) {
                EXPECT_EQ(s->status, *r.expect) << id;
            }
        }
    }
}

TEST(OsaurusProvider, RecordFieldsAndFallbacks) {
    OsaurusHome o;
    o.session("folder", 10, "user", false, "/work/site/");
    o.session("long title", 10, "user", false, absent, "Plan the migration of the billing service");
    o.session("emoji title", 10, "user", false, absent,
              "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7 e\xcc\x81t\xc3\xa9 22 chars and more");
    o.session("no title", 10, "user", false, absent, absent);
    o.session("archived", 10, "user", false, "/w", "t", false, 1);
    auto list = o.poll();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(*find(list, "osaurus:folder"),
              SessionInfo::make("osaurus:folder", "site", absent, "/work/site/", S::working, 4, kNow - 10,
                                kNow - 10, absent, absent, 0.5, Agent::osaurus));
    EXPECT_EQ(find(list, "osaurus:long title")->project, "Plan the migration of ");
    EXPECT_EQ(find(list, "osaurus:emoji title")->project,
              "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7 e\xcc\x81t\xc3\xa9 22 chars and mor")
        << "a flag and a combined accent are one character each";
    EXPECT_EQ(find(list, "osaurus:no title")->project, "osaurus");
}

TEST(OsaurusProvider, OnlyThe30LatestUpdated) {
    OsaurusHome o;
    for (int i = 0; i < 35; ++i)
        o.session("s" + std::to_string(i), 100 + i);
    auto list = o.poll();
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list.front().id, "osaurus:s0");
    EXPECT_EQ(list.back().id, "osaurus:s29");
}

// Failures of the store: an empty list, quickly, and never an exception.
TEST(StoreProviders, BrokenOrBusyStoresYieldNothing) {
    struct Store {
        const char* name;
        const char* rel;
        const char* schema;
        std::string liveSession;
        std::function<std::unique_ptr<AgentProvider>(const std::string& home)> provider;
    } stores[] = {
        {"hermes", ".hermes/state.db", fray::test::hermesSchema,
         "INSERT INTO sessions (id, started_at) VALUES ('a', 1);"
         "INSERT INTO messages (session_id, role, timestamp) VALUES ('a', 'user', " +
             num(toUnixSeconds(kNow)) + ")",
         [](const std::string& h) { return std::make_unique<HermesProvider>(h); }},
        {"osaurus", ".osaurus/chat-history/history.sqlite", fray::test::osaurusSchema,
         "INSERT INTO sessions (id, updated_at) VALUES ('a', " + num(toUnixSeconds(kNow)) + ")",
         [](const std::string& h) { return std::make_unique<OsaurusProvider>(h); }},
    };
    enum class Fault { none, missing, corrupt, wrongSchema, writeLocked };
    struct Row {
        const char* name;
        Fault fault;
    } rows[] = {
        {"healthy (the control)", Fault::none},
        {"missing", Fault::missing},
        {"corrupt file", Fault::corrupt},
        {"schema without the expected tables", Fault::wrongSchema},
        {"write-locked by another connection", Fault::writeLocked},
    };
    for (const auto& store : stores) {
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string(store.name) + ": " + r.name);
            TempDir home;
            const auto path = home / store.rel;
            std::filesystem::create_directories(path.parent_path());
            std::unique_ptr<WritableDb> writer;
            std::unique_ptr<fray::test::WriterProcess> locker;
            switch (r.fault) {
            case Fault::missing:
                break;
            case Fault::corrupt:
                home.write(store.rel, std::string("SQLite format 3\0", 16) + std::string(4096, 'Z'));
                break;
            case Fault::wrongSchema:
                writer = std::make_unique<WritableDb>(path.string());
                writer->exec("CREATE TABLE session(id TEXT); INSERT INTO session VALUES ('a')");
                break;
            case Fault::none:
            case Fault::writeLocked:
                writer = std::make_unique<WritableDb>(path.string());
                writer->exec(store.schema);
                writer->exec(store.liveSession);
                writer.reset();
                if (r.fault == Fault::writeLocked)
                    locker = std::make_unique<fray::test::WriterProcess>(
                        path.string(), "delete", "BEGIN EXCLUSIVE; UPDATE sessions SET id = id");
                break;
            }
            auto provider = store.provider(home.str());
            const auto t0 = std::chrono::steady_clock::now();
            std::vector<SessionInfo> list;
            EXPECT_NO_THROW(list = provider->poll(kNow, 20));
            EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
            EXPECT_EQ(list.size(), r.fault == Fault::none ? 1u : 0u);
        }
    }
}
