#include "MonitorFixture.h"
#include "monitor/Tuning.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <pthread.h>

using namespace fray;
using fray::test::MonitorFixture;
using fray::test::TranscriptGenerator;

namespace {

std::string lines(std::initializer_list<std::string> ls) {
    std::string out;
    for (const auto& l : ls)
        out += l + "\n";
    return out;
}

// A valid JSON line of exactly `n` bytes (without its line feed) that changes no state.
std::string neutralLine(std::size_t n) {
    std::string l = R"({"type":"summary","summary":"x"})";
    l.append(n - l.size(), ' ');
    return l;
}

struct Scenario {
    const char* name;
    std::function<void(MonitorFixture&, TranscriptGenerator&)> run;
};

void runScenarios(const std::vector<Scenario>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MonitorFixture f;
        TranscriptGenerator gen(7);
        row.run(f, gen);
    }
}

} // namespace

TEST(SessionMonitor, Tailing) {
    runScenarios({
        {"a line written in two parts is parsed once, when its line feed arrives",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const std::string tool = g.toolUse(2);
             const auto p = f.write("proj/s.jsonl", g.userPrompt(f.now - 5) + "\n" + tool.substr(0, 100));
             EXPECT_EQ(f.find(f.tick(), p)->combo, 0);
             f.append("proj/s.jsonl", tool.substr(100) + "\n");
             auto s = f.tick(1);
             EXPECT_EQ(f.find(s, p)->combo, 2);
             EXPECT_EQ(f.find(s, p)->status, SessionStatus::working);
             const int opens = f.files->opens;
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 2);
             EXPECT_EQ(f.files->opens, opens) << "an unchanged file is not opened";
         }},
        {"a transcript rewritten shorter is read again from its start, as a first read",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p =
                 f.write("proj/s.jsonl", lines({g.userPrompt(f.now - 60), g.toolUse(3), g.toolUse(1)}));
             EXPECT_EQ(f.find(f.tick(), p)->combo, 4);
             f.write("proj/s.jsonl", lines({g.userPrompt(f.now - 1, "short")}));
             auto s = f.find(f.tick(1), p);
             EXPECT_EQ(s->combo, 0);
             EXPECT_EQ(s->lastPromptAt, f.now - 2);
             EXPECT_FALSE(s->powerUpAt) << "a re-read is bootstrapping";
         }},
        {"growth beyond 4 MiB jumps to the last 128 KiB and drops the old partial line",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p =
                 f.write("proj/s.jsonl", g.userPrompt(f.now - 9) + "\n" + R"({"type":"assistant")");
             f.tick();
             std::string growth;
             while (growth.size() < (5u << 20))
                 growth += lines({g.toolUse(1), g.toolResult(40000)});
             growth += lines({g.userPrompt(f.now, "live"), g.toolUse(1)});
             const std::uint64_t before = f.files->bytesRead;
             f.append("proj/s.jsonl", growth);
             auto s = f.find(f.tick(1), p);
             EXPECT_LE(f.files->bytesRead - before, Tuning::initialTailBytes);
             EXPECT_EQ(s->combo, 1);
             EXPECT_EQ(s->powerUpAt, f.now - 1) << "a jump is no first read: prompts in it are live";
         }},
        {"a 1 MB transcript seen first: only the tail, its cut line dropped, no power-up",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             // The tail starts exactly at an embedded prompt object inside a junk line: were
             // the partial piece parsed, that prompt would count.
             const std::string boundary = R"({"type":"user","message":{"content":"cut"},"timestamp":")" +
                                          fray::test::isoTimestamp(f.now - 5) + "\"}";
             std::string rest = lines({g.userPrompt(f.now - 20), g.toolUse(1), g.toolUse(2)});
             rest += neutralLine(Tuning::initialTailBytes - boundary.size() - 1 - rest.size() - 1) + "\n";
             std::string history;
             while (history.size() < 900000)
                 history += lines({g.userPrompt(f.now - 3000), g.toolResult(20000)});
             const auto p = f.write("proj/s.jsonl", history + std::string(500, 'x') + boundary + "\n" + rest);
             auto s = f.find(f.tick(), p);
             EXPECT_EQ(f.files->bytesRead, Tuning::initialTailBytes);
             EXPECT_EQ(s->combo, 3);
             EXPECT_EQ(s->lastPromptAt, f.now - 20) << "only the prompt inside the tail";
             EXPECT_FALSE(s->powerUpAt);
         }},
        {"a 100 KB transcript seen first is read whole, prompts without power-up",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             std::string content = lines({g.userPrompt(f.now - 50)});
             while (content.size() < 100000)
                 content += lines({g.toolUse(1), g.toolResult(3000)});
             const auto p = f.write("proj/s.jsonl", content);
             auto s = f.find(f.tick(), p);
             EXPECT_EQ(s->lastPromptAt, f.now - 50);
             EXPECT_FALSE(s->powerUpAt);
         }},
        {"a partial line too long for memory is kept on disk and parsed when complete",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("proj/s.jsonl", lines({g.userPrompt(f.now - 5)}));
             f.tick();
             f.append("proj/s.jsonl",
                      R"({"type":"assistant","message":{"content":[{"type":"tool_use","input":")" +
                          std::string(300000, 'a'));
             f.tick(1);
             auto st = f.mon().stats();
             EXPECT_EQ(st.spilledLines, 1u);
             EXPECT_EQ(st.leftoverBytes, 0u);
             f.append("proj/s.jsonl", "\"}]}}\n");
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 1);
             EXPECT_EQ(f.mon().stats().spilledLines, 0u);
         }},
        {"a live prompt sets the power-up; a record carries the state's facts",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("proj/s.jsonl", lines({g.userPrompt(f.now - 30), g.toolUse(1)}), 10);
             auto s = *f.find(f.tick(), p);
             EXPECT_EQ(s.project, "orbit-api");
             EXPECT_EQ(s.cwd, "/home/dev/code/orbit-api");
             EXPECT_EQ(s.branch, "main");
             EXPECT_EQ(s.lastActivity, f.now - 10);
             EXPECT_EQ(s.stateSince, f.now);
             EXPECT_EQ(s.lastPromptAt, f.now - 30);
             EXPECT_EQ(s.agent, Agent::claude);
             EXPECT_DOUBLE_EQ(s.stamina, staminaValue({f.now - 30}, f.now));
             f.append("proj/s.jsonl", lines({g.userPrompt(f.now + 2)}));
             s = *f.find(f.tick(2), p);
             EXPECT_EQ(s.powerUpAt, f.now);
             EXPECT_EQ(s.combo, 0);
         }},
    });
}

TEST(SessionMonitor, Candidates) {
    MonitorFixture f;
    struct Row {
        const char* rel;
        double idle;
        bool candidate;
    } rows[] = {
        {"p/fresh.jsonl", 0, true},
        {"p/agent-1234.jsonl", 0, false},
        {"p/forty.jsonl", 2400, true},
        {"p/fifty.jsonl", 3000, false},
        {"p/deeper/x.jsonl", 0, false},
        {"p/notes.txt", 0, false},
        {"p/x.JSONL", 0, false},
        {"p/.hidden.jsonl", 0, false},
        {".hidden-project/x.jsonl", 0, false},
        {"q/other.jsonl", 0, true},
    };
    for (const auto& r : rows)
        f.write(r.rel, "", r.idle);
    f.home.mkdir(".claude/projects/p/dir.jsonl");
    auto s = f.tick();
    for (const auto& r : rows)
        EXPECT_EQ(f.find(s, f.path(r.rel)) != nullptr, r.candidate) << r.rel;
    EXPECT_EQ(s.size(), 3u);

    // 301 s later the forty-minute file has been idle over 45 minutes: dropped with its state.
    s = f.tick(301);
    EXPECT_FALSE(f.find(s, f.path("p/forty.jsonl")));
    EXPECT_EQ(f.mon().stats().states, 2u);
}

TEST(SessionMonitor, FaultsAreSilentAndBounded) {
    runScenarios({
        {"file vanishes between its attributes and the open",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.toolUse(1)}));
             f.files->beforeOpen = [](const std::string& path) { std::filesystem::remove(path); };
             EXPECT_NO_THROW(f.tick());
             f.tick(1);
             EXPECT_EQ(f.mon().stats().states, 0u);
         }},
        {"file shrinks between its attributes and the read: the next tick starts over",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.toolUse(1), g.toolUse(1)}));
             EXPECT_EQ(f.find(f.tick(), p)->combo, 2);
             f.append("p/s.jsonl", lines({g.toolUse(1)}));
             f.files->beforeOpen = [](const std::string& path) { std::filesystem::resize_file(path, 10); };
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 2);
             f.files->beforeOpen = nullptr;
             f.write("p/s.jsonl", lines({g.toolUse(1)}));
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 1);
         }},
        {"permission denied on the file keeps its state; access back, it catches up",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.toolUse(1)}), 30);
             f.tick();
             f.append("p/s.jsonl", lines({g.toolUse(1)}), 30);
             f.files->denied.insert(p);
             auto s = f.find(f.tick(1), p);
             ASSERT_TRUE(s);
             EXPECT_EQ(s->combo, 1);
             EXPECT_EQ(s->status, SessionStatus::needsAction);
             f.files->denied.clear();
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 2);
         }},
        {"a read error is like a failed open",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.toolUse(1)}));
             f.tick();
             f.append("p/s.jsonl", lines({g.toolUse(2)}));
             f.files->readErrors.insert(p);
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 1);
             f.files->readErrors.clear();
             EXPECT_EQ(f.find(f.tick(1), p)->combo, 3);
         }},
        {"a project directory that cannot be listed is skipped, the others are not",
         [](MonitorFixture& f, TranscriptGenerator&) {
             f.write("locked/s.jsonl", "");
             const auto open = f.write("open/s.jsonl", "");
             f.files->denied.insert(f.path("locked"));
             auto s = f.tick();
             ASSERT_EQ(s.size(), 1u);
             EXPECT_EQ(s[0].id, open);
         }},
        {"invalid UTF-8, binary garbage and NUL bytes are skipped",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             std::string junk = "\xff\xfe{\"type\":\"assistant\"}\n";
             junk += std::string("\0\0\x01\x02 binary \x80\x81", 16) + "\n";
             junk += R"({"type":"user","message":{"content":"bad \xc3\x28 utf8"}})"
                     "\n";
             const auto p = f.write("p/s.jsonl", junk + lines({g.toolUse(1)}));
             auto s = f.find(f.tick(), p);
             EXPECT_EQ(s->combo, 1);
             EXPECT_EQ(s->status, SessionStatus::working);
         }},
        {"a 50 MB line written in one go is skipped; memory stays bounded",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.userPrompt(f.now)}));
             f.tick();
             std::string huge =
                 R"({"type":"user","message":{"content":")" + std::string(50u << 20, 'z') + "\"}}\n";
             f.append("p/s.jsonl", huge + lines({g.toolUse(1)}));
             auto s = f.find(f.tick(1), p);
             EXPECT_EQ(s->combo, 1);
             auto st = f.mon().stats();
             EXPECT_EQ(st.leftoverBytes, 0u);
             EXPECT_LE(st.bufferCapacity, 1u << 20);
         }},
        {"a 50 MB line trickling in over many ticks is cut, never held whole",
         [](MonitorFixture& f, TranscriptGenerator& g) {
             const auto p = f.write("p/s.jsonl", lines({g.userPrompt(f.now)}));
             f.tick();
             f.append("p/s.jsonl", R"({"type":"user","message":{"content":")");
             const std::string chunk(3u << 20, 'z');
             for (int i = 0; i < 17; ++i) {
                 f.append("p/s.jsonl", chunk);
                 const std::uint64_t before = f.files->bytesRead;
                 f.tick(0.1);
                 EXPECT_LE(f.files->bytesRead - before,
                           SessionMonitor::leftoverCap + Tuning::maxCatchupBytes);
                 EXPECT_LE(f.mon().stats().leftoverBytes, SessionMonitor::maxLeftoverInMemory);
             }
             f.append("p/s.jsonl", "\"}}\n" + lines({g.toolUse(2)}));
             EXPECT_EQ(f.find(f.tick(0.1), p)->combo, 2);
         }},
    });
}

TEST(SessionMonitor, NeedsActionDelayReader) {
    struct Row {
        const char* name;
        std::function<std::optional<double>()> reader;
        SessionStatus expect; // a tool call idle for 10 s
    } rows[] = {
        {"no reader: 20 s", nullptr, SessionStatus::working},
        {"missing: 20 s", [] { return std::nullopt; }, SessionStatus::working},
        {"5 s", [] { return 5.0; }, SessionStatus::needsAction},
        {"not a number: 20 s", [] { return std::nan(""); }, SessionStatus::working},
        {"negative: 20 s", [] { return -3.0; }, SessionStatus::working},
        {"reader throws: 20 s", []() -> std::optional<double> { throw std::runtime_error("store gone"); },
         SessionStatus::working},
    };
    for (const auto& r : rows) {
        MonitorFixture f;
        TranscriptGenerator g;
        f.delay = r.reader;
        const auto p = f.write("p/s.jsonl", lines({g.toolUse(1)}), 10);
        EXPECT_EQ(f.find(f.tick(), p)->status, r.expect) << r.name;
    }
}

namespace {

// Hands out fixed sessions and counts its polls.
class FakeProvider : public AgentProvider {
  public:
    FakeProvider(Agent a, std::vector<SessionInfo> s, bool throws = false)
        : agent_(a), sessions(std::move(s)), throws_(throws) {}
    Agent agent() const override { return agent_; }
    bool isAvailable() const override { return true; }
    std::vector<SessionInfo> poll(Instant, double) override {
        ++polls;
        if (throws_) throw std::runtime_error("store exploded");
        return sessions;
    }
    Agent agent_;
    std::vector<SessionInfo> sessions;
    bool throws_;
    int polls = 0;
};

SessionInfo other(const char* id, Agent a, SessionStatus st, Instant since, Instant active) {
    return SessionInfo::make(id, id, std::nullopt, std::nullopt, st, 0, since, active, std::nullopt,
                             std::nullopt, 0.5, a);
}

} // namespace

TEST(SessionMonitor, PollCadence) {
    const Instant t = wallNow();
    struct Row {
        const char* name;
        std::vector<SessionInfo> sessions;
        int expectedPolls; // over 10 ticks
    } rows[] = {
        {"no other-agent session: every tick", {}, 10},
        {"some: ticks 1, 4, 7, 10", {other("c", Agent::codex, SessionStatus::working, t, t)}, 4},
    };
    for (const auto& r : rows) {
        MonitorFixture f;
        auto fake = std::make_shared<FakeProvider>(Agent::codex, r.sessions);
        auto failing = std::make_shared<FakeProvider>(Agent::hermes, r.sessions, true);
        f.providers = ProviderList{failing, fake};
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(f.tick(2).size(), r.sessions.size()) << r.name;
        EXPECT_EQ(fake->polls, r.expectedPolls) << r.name;
    }
}

TEST(SessionMonitor, SortsByUrgencyAcrossAgents) {
    MonitorFixture f;
    TranscriptGenerator g;
    const Instant t = f.now;
    const auto claudeWaiting = f.write("p/wait.jsonl", lines({g.toolUse(1)}), 60);
    const auto claudeWorking = f.write("p/work.jsonl", lines({g.userPrompt(t - 100), g.toolUse(1)}), 10);
    f.providers = ProviderList{
        std::make_shared<FakeProvider>(
            Agent::codex,
            std::vector{other("codex-done", Agent::codex, SessionStatus::completed, t - 5, t - 1),
                        other("codex-wait", Agent::codex, SessionStatus::needsAction, t - 100, t - 1)}),
        std::make_shared<FakeProvider>(
            Agent::hermes,
            std::vector{other("hermes-wait", Agent::hermes, SessionStatus::needsAction, t - 300, t - 50),
                        other("osa-work", Agent::osaurus, SessionStatus::working, t - 9, t - 5)}),
    };
    std::vector<std::string> order;
    for (const auto& s : f.tick())
        order.push_back(s.id);
    // Waiting the longest first; the Claude session began waiting at this tick. Then the
    // working ones by latest activity, then the finished one.
    EXPECT_EQ(order, (std::vector<std::string>{"hermes-wait", "codex-wait", claudeWaiting, "osa-work",
                                               claudeWorking, "codex-done"}));
}

TEST(SessionMonitor, MissingProjectsDirectoryStillDeliversOtherAgents) {
    MonitorFixture f;
    f.providers = ProviderList{std::make_shared<FakeProvider>(
        Agent::codex, std::vector{other("c", Agent::codex, SessionStatus::working, f.now, f.now)})};
    for (int i = 0; i < 3; ++i) {
        auto s = f.tick(2);
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].id, "c");
    }
    EXPECT_EQ(f.mon().stats().candidates, 0u);
}

TEST(SessionMonitor, RunsOnItsOwnThreadAndStopsWhenDestroyed) {
    MonitorFixture f;
    std::mutex m;
    std::condition_variable cv;
    int calls = 0;
    std::string threadName;
    f.mon().onUpdate = [&](const SessionList&) {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard lock(m);
        threadName = name;
        ++calls;
        cv.notify_all();
    };
    f.mon().start();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(2), [&] { return calls >= 1; }))
            << "first tick at once";
        EXPECT_EQ(threadName, "fray.monitor");
    }
    const auto t0 = std::chrono::steady_clock::now();
    f.monitor.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500))
        << "no wait for the period";
    std::lock_guard lock(m);
    const int after = calls;
    EXPECT_EQ(after, 1) << "no second tick within the 2 s period";
}
