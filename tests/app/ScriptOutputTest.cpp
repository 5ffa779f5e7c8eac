// The real binary for scripts, status bars and desktop notifications: --json, --json
// --follow and --waybar parsed as JSON, and notifications on a private session bus through
// a notification service of our own.
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <thread>

using namespace fray;
using namespace fray::test;
using namespace std::chrono_literals;

namespace {

// A home where orbit-api waits on a Bash call (30 s silent) and a Codex session works.
struct Home {
    TempDir dir;
    // A working directory that exists, so a click can resume the session there.
    TranscriptGenerator gen{3, dir.mkdir("code/orbit-api").string(), "feat/stripe-webhooks"};
    std::string transcript;
    Home() {
        const double now = double(std::time(nullptr));
        transcript =
            dir.write(".claude/projects/-home-dev-code-orbit-api/0b1c2d3e-aaaa-4bbb-8ccc-0123456789ab.jsonl",
                      gen.userPrompt(fromUnixSeconds(now - 40)) + "\n" + gen.toolCall("Bash") + "\n")
                .string();
        setMtime(transcript, now - 30);
        const auto rollout = dir.write(".codex/sessions/2026/12/06/rollout-2026-12-06T09-00-00-abc.jsonl",
                                       R"({"type":"session_meta","payload":{"cwd":"/home/dev/web"}})"
                                       "\n"
                                       R"({"type":"event_msg","payload":{"type":"user_message"}})"
                                       "\n");
        setMtime(rollout, now - 5);
    }
    std::map<std::string, std::string> env() const { return isolatedEnv(dir.str()); }
    void answerTheCall() {
        dir.append(std::filesystem::path(transcript).lexically_relative(dir.path()).string(),
                   gen.toolResult(64) + "\n");
    }
};

simdjson::dom::element parse(simdjson::dom::parser& parser, const std::string& text) {
    simdjson::dom::element doc;
    EXPECT_EQ(parser.parse(text).get(doc), simdjson::SUCCESS) << text;
    return doc;
}

std::string str(simdjson::dom::element e) {
    std::string_view v;
    return e.get_string().get(v) ? "<not a string>" : std::string(v);
}

} // namespace

TEST(ScriptOutput, JsonWaybarAndFollow) {
    Home home;
    simdjson::dom::parser parser;
    auto once = runProcess(FRAYMARK_BINARY, {"--json"}, home.env());
    ASSERT_EQ(once.exitCode, 0) << once.err;
    auto doc = parse(parser, once.out);
    simdjson::dom::array sessions;
    ASSERT_EQ(doc["sessions"].get_array().get(sessions), simdjson::SUCCESS);
    ASSERT_EQ(sessions.size(), 2u);
    auto waiting = sessions.at(0).value();
    EXPECT_EQ(str(waiting["branch"]), "feat/stripe-webhooks");
    EXPECT_EQ(str(waiting["status"]), "needsAction");
    EXPECT_EQ(str(waiting["pendingCall"]["summary"]), "npm test -- webhooks");
    EXPECT_GE(int64_t(waiting["idleSeconds"]), 40);
    auto codex = sessions.at(1).value();
    EXPECT_EQ(str(codex["agent"]), "codex");
    EXPECT_TRUE(codex["branch"].is_null());
    EXPECT_TRUE(codex["pendingCall"].is_null());

    BackgroundProcess bar(FRAYMARK_BINARY, {"--waybar"}, home.env());
    auto line = bar.readLine(10s);
    ASSERT_TRUE(line) << bar.stderrText();
    auto module = parse(parser, *line);
    EXPECT_EQ(str(module["text"]), "2 YOUR MOVE");
    EXPECT_EQ(str(module["class"]), "needsAction");
    EXPECT_EQ(str(module["tooltip"]),
              "CLD orbit-api [feat/stripe-webhooks] YOUR MOVE — Bash: npm test -- webhooks\n"
              "CDX web FIGHTING");
    EXPECT_EQ(bar.stop(SIGTERM), 0);

    BackgroundProcess follow(FRAYMARK_BINARY, {"--json", "--follow"}, home.env());
    ASSERT_TRUE(follow.readLine(10s));
    EXPECT_EQ(follow.readLine(4500ms), std::nullopt) << "ticks without a change print nothing";
    home.answerTheCall();
    auto changed = follow.readLine(6s);
    ASSERT_TRUE(changed);
    EXPECT_EQ(str(parse(parser, *changed)["sessions"].at(0)["status"]), "working");
    EXPECT_EQ(follow.stop(SIGTERM), 0);

    auto unreadable = runProcess(FRAYMARK_BINARY, {"--json"}, isolatedEnv("/nonexistent/home"));
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_EQ(unreadable.out,
              "{\"error\": \"cannot read the home directory /nonexistent/home: No such file or "
              "directory\"}\n");
}

TEST(Notifications, OnAPrivateSessionBus) {
    TempDir busHome;
    BackgroundProcess bus("/usr/bin/dbus-daemon", {"--session", "--nofork", "--print-address"},
                          isolatedEnv(busHome.str()));
    const auto address = bus.readLine(5s);
    if (!address) GTEST_SKIP() << "no dbus-daemon for the notification tests: " << bus.stderrText();
    auto withBus = [&](std::map<std::string, std::string> env) {
        env["DBUS_SESSION_BUS_ADDRESS"] = *address;
        return env;
    };
    BackgroundProcess service(FAKE_NOTIFICATIONS, {}, withBus(isolatedEnv(busHome.str())));
    ASSERT_EQ(service.readLine(5s), "ready") << service.stderrText();

    Home home;
    BackgroundProcess fray(FRAYMARK_BINARY, {}, withBus(home.env()));
    EXPECT_EQ(service.readLine(8s), "notify 1 0 1 orbit-api · feat/stripe-webhooks|Bash: npm test -- "
                                    "webhooks|default,Go to session");
    // The service picked "Go to session": the click path ran (here it resumes the session in
    // a terminal, so the script is written).
    const auto script = home.dir / ".cache/fraymark/resume.sh";
    for (int i = 0; i < 50 && !std::filesystem::exists(script); ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(std::filesystem::exists(script));
    home.answerTheCall();
    EXPECT_EQ(service.readLine(6s), "close 1") << "closed once it stops waiting";
    EXPECT_EQ(service.readLine(3s), std::nullopt) << "and nothing stacked";
}
