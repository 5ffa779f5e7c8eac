#include "monitor/SessionMonitor.h"
#include "session/Tuning.h"
#include "support/FaultyFileAccess.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace fray;
using namespace fray::test;

namespace {

// A fixture home with a controllable clock and a counting, fault-injecting file seam.
struct MonitorFixture {
    TempDir home;
    // Whole seconds, as transcript timestamps are written; near the real time because
    // the files' creation (birth) times are real.
    Instant now = fromUnixSeconds(std::floor(toUnixSeconds(wallNow())));
    std::shared_ptr<FaultyFileAccess> files = std::make_shared<FaultyFileAccess>();
    std::function<std::optional<double>()> delay;
    ProviderList providers;
    std::unique_ptr<SessionMonitor> monitor;

    SessionMonitor& mon() {
        if (!monitor)
            monitor = std::make_unique<SessionMonitor>(SessionMonitor::Config{
                home.str(), [this] { return now; }, delay, files, [this] { return providers; }});
        return *monitor;
    }
    SessionList tick(double advance = 0) {
        now = now + advance;
        return mon().tickNow();
    }
    // Ticks and returns the session of one transcript, or one with the id "missing".
    SessionInfo tickFor(const std::string& id, double advance = 0) {
        for (auto& s : tick(advance))
            if (s.id == id) return s;
        return SessionInfo::make("missing", "", {}, {}, SessionStatus::started, -1, {}, {});
    }
    std::string path(std::string_view rel) const { return (home / ".claude/projects" / rel).string(); }
    // Writes, or appends to, a transcript and dates it `idle` seconds before now.
    std::string write(std::string_view rel, std::string_view content, double idle = 0, bool append = false) {
        const std::string full = ".claude/projects/" + std::string(rel);
        auto p = append ? home.append(full, content) : home.write(full, content);
        setMtime(p, toUnixSeconds(now) - idle);
        return p.string();
    }
    // The same for the one transcript most scenarios watch, and its session after a tick.
    std::string put(std::string_view content, double idle = 0) { return write("p/s.jsonl", content, idle); }
    void add(std::string_view content, double idle = 0) { write("p/s.jsonl", content, idle, true); }
    SessionInfo at(double advance = 0) { return tickFor(path("p/s.jsonl"), advance); }
};

std::string lines(std::initializer_list<std::string> ls) {
    std::string out;
    for (const auto& l : ls)
        out += l + "\n";
    return out;
}

using F = MonitorFixture;
using G = TranscriptGenerator;
using Scenario = std::pair<const char*, std::function<void(F&, G&)>>;

void runScenarios(const std::vector<Scenario>& rows) {
    for (const auto& [name, run] : rows) {
        SCOPED_TRACE(name);
        MonitorFixture f;
        TranscriptGenerator gen(7);
        run(f, gen);
    }
}

} // namespace

TEST(SessionMonitor, Tailing) {
    runScenarios({
        {"a line written in two parts is parsed once, when its line feed arrives",
         [](F& f, G& g) {
             const std::string tool = g.toolUse(2);
             f.put(g.userPrompt(f.now - 5) + "\n" + tool.substr(0, 100));
             EXPECT_EQ(f.at().combo, 0);
             f.add(tool.substr(100) + "\n");
             EXPECT_EQ(f.at(1).combo, 2);
             const int opens = f.files->opens;
             EXPECT_EQ(f.at(1).combo, 2) << "an unchanged file is not read again";
             EXPECT_EQ(f.files->opens, opens) << "nor even opened: idle ticks cost no file I/O";
         }},
        {"a transcript rewritten shorter is read again from its start, keeping its status and power-up",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 60), g.toolUse(3), g.toolUse(1)}));
             const Instant since = f.now;
             EXPECT_EQ(f.at().combo, 4);
             f.add(lines({g.userPrompt(f.now + 2, "live"), g.toolUse(1)}));
             EXPECT_EQ(f.at(2).powerUpAt, f.now);
             f.put(lines({g.userPrompt(f.now - 1, "short"), g.toolUse(1)}));
             const auto s = f.at(1);
             EXPECT_EQ(std::tie(s.combo, s.lastPromptAt, s.status),
                       std::make_tuple(1, f.now - 2, SessionStatus::working));
             EXPECT_EQ(std::tie(s.stateSince, s.powerUpAt), std::make_tuple(since, f.now - 1))
                 << "the re-read is bootstrapping: it neither powers up nor forgets";
         }},
        {"a transcript replaced through rename by a larger one is read afresh",
         [](F& f, G& g) {
             const auto p = f.put(lines({g.userPrompt(f.now - 300), g.toolUse(1)}), 200);
             EXPECT_EQ(f.at().combo, 1);
             g.setClock(f.now - 6);
             const auto fresh =
                 f.write("proj/s.tmp", g.script({"prompt", "thinking", "thinking", "thinking"}));
             ASSERT_GT(std::filesystem::file_size(fresh), std::filesystem::file_size(p));
             std::filesystem::rename(fresh, p);
             const auto s = f.at(2);
             EXPECT_EQ(std::tie(s.combo, s.lastPromptAt), std::make_tuple(0, std::optional(f.now - 8)));
         }},
        {"growth of exactly 4 MiB is read whole; beyond, it jumps to the last 128 KiB, where prompts are "
         "live",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 9)}));
             f.tick();
             const std::string calls = lines({g.toolUse(2)});
             f.add(calls + std::string(Tuning::maxCatchupBytes - calls.size() - 1, ' ') + "\n");
             EXPECT_EQ(f.at(1).combo, 2) << "the calls at its start count";
             f.add(R"({"type":"assistant")"); // a partial line, then a jump over its end
             f.tick(1);
             std::string growth;
             while (growth.size() < (5u << 20))
                 growth += lines({g.toolUse(1), g.toolResult(40000)});
             const std::uint64_t before = f.files->bytesRead;
             f.add(growth + lines({g.userPrompt(f.now, "live"), g.toolUse(1)}));
             const auto s = f.at(1);
             EXPECT_LE(f.files->bytesRead - before, Tuning::initialTailBytes);
             EXPECT_EQ(std::tie(s.combo, s.powerUpAt), std::make_tuple(1, std::optional(f.now - 1)));
         }},
        {"progress records, and a line still being written, are activity: the command stays working",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 60), g.toolCall("Bash")}), 30);
             EXPECT_EQ(f.at().status, SessionStatus::needsAction);
             f.add(lines({g.line("progress bash_progress")}));
             EXPECT_EQ(f.at(1).status, SessionStatus::working);
             EXPECT_EQ(f.at(30).status, SessionStatus::needsAction);
             f.add(g.toolResult(2000).substr(0, 500));
             EXPECT_EQ(f.at(1).status, SessionStatus::working);
         }},
    });
}

// A session's first read covers its whole current turn, and never leaves it invisible.
TEST(SessionMonitor, FirstReadCoversTheTurn) {
    runScenarios({
        {"a turn longer than the tail is read back to its prompt, which gives the mode",
         [](F& f, G& g) {
             g.setPermissionMode("bypassPermissions");
             std::string content = g.session(12, f.now - 9000, 100000, 180000); // about 5 MB of history
             const std::size_t history = content.size();
             content += g.userPrompt(f.now - 200, "migrate the schema") + "\n";
             for (int i = 0; i < 40; ++i)
                 content += g.toolCall("Bash") + "\n" + g.toolResult(40000) + "\n";
             content += g.toolCall("Bash") + "\n";
             const auto s = (f.put(content, 100), f.at());
             EXPECT_EQ(std::tie(s.combo, s.status, s.lastPromptAt),
                       std::make_tuple(41, SessionStatus::working, std::optional(f.now - 200)));
             EXPECT_LT(f.files->bytesRead, 2 * (content.size() - history)) << "not the whole file";
         }},
        {"a last line longer than the tail still shows the session",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 30), g.toolCall("Bash"), g.toolResult(164000)}), 5);
             const auto s = f.at();
             EXPECT_EQ(std::tie(s.status, s.combo), std::make_tuple(SessionStatus::working, 1));
         }},
        {"an unfinished line longer than the tail is read from its start once complete",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 30)}) +
                   R"({"type":"assistant","message":{"content":[{"type":"tool_use","input":")" +
                   std::string(300000, 'a'));
             EXPECT_EQ(f.at().status, SessionStatus::started);
             EXPECT_EQ(f.mon().stats().spilledLines, 1u);
             f.add("\"}]}}\n");
             EXPECT_EQ(f.at(2).combo, 1);
             EXPECT_EQ(f.mon().stats().spilledLines, 0u);
         }},
        {"reading back stops 16 MiB before the end",
         [](F& f, G& g) {
             std::string content = g.userPrompt(f.now - 900) + "\n";
             int calls = 0;
             while (content.size() < Tuning::maxReadBackBytes + (2u << 20)) {
                 content += g.toolCall("Read") + "\n" + g.toolResult(180000) + "\n";
                 ++calls;
             }
             const auto s = (f.put(content, 5), f.at());
             EXPECT_EQ(s.status, SessionStatus::working);
             EXPECT_LT(s.combo, calls);
             EXPECT_GT(s.combo, calls * 3 / 4);
             EXPECT_LE(f.files->bytesRead, Tuning::maxReadBackBytes + SessionMonitor::maxLeftoverInMemory)
                 << "each byte once";
         }},
        {"records appended after the end do not revive it, even on the first read",
         [](F& f, G& g) {
             f.put(g.session(1, f.now - 300, 500, 900) + g.line("summary") + "\n");
             const auto s = f.at();
             EXPECT_EQ(s.status, SessionStatus::completed);
             EXPECT_LT(s.lastActivity, f.now - 250) << "the time of the last record that held activity";
             f.add(g.script({"snapshot", "summary"}) + "\n");
             EXPECT_EQ(f.at(2).lastActivity, s.lastActivity);
             EXPECT_EQ(f.at(430).id, "missing") << "gone 12 minutes after its end";
         }},
    });
}

TEST(SessionMonitor, Candidates) {
    MonitorFixture f;
    const std::tuple<const char*, double, bool> rows[] = {
        // clang-format off
        {"p/fresh.jsonl", 0, true},     {"p/agent-1234.jsonl", 0, false}, {"p/forty.jsonl", 2400, true},
        {"p/fifty.jsonl", 3000, false}, {"p/deeper/x.jsonl", 0, false},   {"p/notes.txt", 0, false},
        {"p/.hidden.jsonl", 0, false},  {"q/other.jsonl", 0, true},       {"locked/s.jsonl", 0, false},
        // clang-format on
    };
    for (auto [rel, idle, candidate] : rows)
        f.write(rel, "", idle);
    f.home.mkdir(".claude/projects/p/dir.jsonl");
    f.files->denied.insert(f.path("locked")); // a project that cannot be listed is skipped, not the others
    std::set<std::string> found;
    for (const auto& s : f.tick())
        found.insert(s.id);
    for (auto [rel, idle, candidate] : rows)
        EXPECT_EQ(found.contains(f.path(rel)), candidate) << rel;
    EXPECT_EQ(found.size(), 3u);

    // 301 s later the forty-minute file has been idle over 45 minutes: dropped with its state.
    EXPECT_EQ(f.tickFor(f.path("p/forty.jsonl"), 301).id, "missing");
    EXPECT_EQ(f.mon().stats().states, 2u);
}

TEST(SessionMonitor, FaultsAreSilentAndBounded) {
    runScenarios({
        {"a FIFO put in place between the attributes and the open blocks nothing",
         [](F& f, G& g) {
             const auto p = f.put(lines({g.toolUse(1)}));
             f.files->beforeOpen = [](const std::string& path) {
                 std::filesystem::remove(path);
                 mkfifo(path.c_str(), 0600);
             };
             auto ticked = std::async(std::launch::async, [&] { return f.tick(); });
             if (ticked.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
                 close(open(p.c_str(), O_WRONLY | O_NONBLOCK)); // let the blocked open return
                 ADD_FAILURE() << "the tick blocked on the FIFO";
             }
             ticked.get();
             f.files->beforeOpen = nullptr;
             f.tick(1);
             EXPECT_EQ(f.mon().stats().states, 0u) << "and then it is dropped";
         }},
        {"a denied open or a failed read keeps the state; once readable it catches up",
         [](F& f, G& g) {
             const auto p = f.put(lines({g.toolUse(1)}), 30);
             f.tick();
             f.add(lines({g.toolUse(1)}), 30);
             f.files->denied.insert(p);
             const auto s = f.at(1);
             EXPECT_EQ(std::tie(s.combo, s.status), std::make_tuple(1, SessionStatus::needsAction));
             f.files->denied.clear();
             f.files->readErrors.insert(p);
             EXPECT_EQ(f.at(1).combo, 1);
             f.files->readErrors.clear();
             EXPECT_EQ(f.at(1).combo, 2);
         }},
        {"a transcript dated an hour ahead ages from the moment it was first seen",
         [](F& f, G& g) {
             f.put(lines({g.userPrompt(f.now - 5), g.assistantText({}, true)}), -3600);
             const auto s = f.at();
             EXPECT_EQ(std::tie(s.status, s.lastActivity), std::make_tuple(SessionStatus::working, f.now));
             EXPECT_EQ(f.at(719).status, SessionStatus::completed);
             EXPECT_EQ(f.at(2).id, "missing") << "gone 12 minutes later";
         }},
        {"a 50 MB line trickling in over many ticks is cut, never held whole",
         [](F& f, G& g) {
             const std::string open = R"({"type":"user","message":{"content":")";
             f.put(lines({g.userPrompt(f.now)}) + open);
             f.tick();
             for (int i = 0; i < 17; ++i) {
                 f.add(std::string(3u << 20, 'z'));
                 const std::uint64_t before = f.files->bytesRead;
                 f.tick(0.1);
                 EXPECT_LE(f.files->bytesRead - before,
                           SessionMonitor::leftoverCap + Tuning::maxCatchupBytes);
                 EXPECT_LE(f.mon().stats().leftoverBytes, SessionMonitor::maxLeftoverInMemory);
             }
             f.add("\"}}\n" + lines({g.toolUse(2)}));
             EXPECT_EQ(f.at(0.1).combo, 2);
             EXPECT_LE(f.mon().stats().bufferCapacity, 1u << 20);
         }},
    });
}

TEST(SessionMonitor, NeedsActionDelayIsReadEachTickAndMadeSafe) {
    for (auto [stored, delay] : {std::pair{std::optional<double>(), 20.0},
                                 {0.0, 0.0},
                                 {2700.0, 2700.0},
                                 {2700.5, 2700.0},
                                 {std::nan(""), 20.0},
                                 {-3.0, 20.0}})
        EXPECT_EQ(Tuning::needsActionDelayFrom(stored), delay) << stored.value_or(-1);
    MonitorFixture f;
    std::optional<double> stored;
    bool fails = false;
    f.delay = [&]() -> std::optional<double> {
        if (fails) throw std::runtime_error("store gone");
        return stored;
    };
    f.put(lines({TranscriptGenerator().toolUse(1)}), 10); // a tool call idle 10 s
    EXPECT_EQ(f.at().status, SessionStatus::working) << "missing: 20 s";
    stored = 5.0;
    EXPECT_EQ(f.at().status, SessionStatus::needsAction);
    fails = true;
    EXPECT_EQ(f.at().status, SessionStatus::working) << "a throwing reader: 20 s";
}

namespace {

// Hands out fixed sessions, or throws, and counts its polls.
struct FakeProvider : AgentProvider {
    FakeProvider(std::vector<SessionInfo> s, bool t = false) : sessions(std::move(s)), throws(t) {}
    Agent agent() const override { return Agent::codex; }
    bool isAvailable() const override { return true; }
    std::vector<SessionInfo> poll(Instant, double) override {
        ++polls;
        if (throws) throw std::runtime_error("store exploded");
        return sessions;
    }
    std::vector<SessionInfo> sessions;
    bool throws;
    int polls = 0;
};

SessionInfo other(const char* id, Agent a, SessionStatus st, Instant since, Instant active) {
    return SessionInfo::make(id, id, {}, {}, st, 0, since, active, {}, {}, 0.5, a);
}

} // namespace

// No ~/.claude/projects here: the other agents' sessions come through all the same.
TEST(SessionMonitor, PollCadenceAndAThrowingProvider) {
    const Instant t = wallNow();
    const std::vector sessions{other("c", Agent::codex, SessionStatus::working, t, t)};
    MonitorFixture f;
    auto fake = std::make_shared<FakeProvider>(sessions);
    f.providers = ProviderList{std::make_shared<FakeProvider>(sessions, true), fake};
    std::vector<int> ticks; // the ticks that polled: every third, the stores are slow to read
    for (int i = 1; i <= 10; ++i) {
        const int before = fake->polls;
        EXPECT_EQ(f.tick(2).size(), 1u);
        if (fake->polls > before) ticks.push_back(i);
    }
    EXPECT_EQ(ticks, (std::vector<int>{1, 4, 7, 10}));
}

TEST(SessionMonitor, SortsByUrgencyAcrossAgents) {
    MonitorFixture f;
    TranscriptGenerator g;
    const Instant t = f.now;
    const auto claudeWaiting = f.write("p/wait.jsonl", lines({g.toolUse(1)}), 60);
    const auto claudeWorking = f.write("p/work.jsonl", lines({g.userPrompt(t - 100), g.toolUse(1)}), 10);
    using S = SessionStatus;
    f.providers = ProviderList{std::make_shared<FakeProvider>(
        std::vector{other("codex-done", Agent::codex, S::completed, t - 5, t - 1),
                    other("hermes-wait", Agent::hermes, S::needsAction, t - 300, t - 50),
                    other("osa-work", Agent::osaurus, S::working, t - 9, t - 5)})};
    std::vector<std::string> order;
    for (const auto& s : f.tick())
        order.push_back(s.id);
    // Waiting the longest first; the Claude session began waiting at this tick. Then the
    // working ones by latest activity, then the finished one.
    EXPECT_EQ(order, (std::vector<std::string>{"hermes-wait", claudeWaiting, "osa-work", claudeWorking,
                                               "codex-done"}));
}

// A large first backlog is read on two threads; every file must still end up with the
// state it gets when read alone.
TEST(SessionMonitor, BacklogReadInParallelMatchesFilesReadAlone) {
    MonitorFixture many;
    std::vector<std::string> contents;
    const auto rel = [](std::size_t i) { return "-srv-p" + std::to_string(i) + "/s.jsonl"; };
    for (int i = 0; i < 24; ++i) {
        const std::string n = std::to_string(i);
        TranscriptGenerator gen(40 + i, "/srv/p" + n, "b" + n);
        contents.push_back(gen.session(2 + i % 3, many.now - 600.0, 2000, 60000));
        if (i % 4 == 0) contents.back() += gen.toolUse(1 + i % 3) + "\n"; // some end waiting on a tool
        many.write(rel(i), contents.back(), i % 4 == 0 ? 30 : 1);
    }
    const SessionList together = many.tick();
    ASSERT_EQ(together.size(), contents.size());
    for (std::size_t i = 0; i < contents.size(); ++i) {
        MonitorFixture alone;
        alone.now = many.now;
        auto solo = alone.tickFor(alone.write(rel(i), contents[i], i % 4 == 0 ? 30 : 1));
        solo.id = many.path(rel(i));
        EXPECT_NE(std::find(together.begin(), together.end(), solo), together.end()) << rel(i);
    }
}
