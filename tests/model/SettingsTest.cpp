#include "model/Settings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace fray;
using fray::test::TempDir;

namespace {

struct Fixture {
    TempDir dir;
    std::string path = (dir / "fraymark/preferences.json").string();

    std::shared_ptr<PreferencesStore> store() {
        auto s = std::make_shared<PreferencesStore>(path);
        s->load();
        return s;
    }
    void write(const std::string& json) { dir.write("fraymark/preferences.json", json); }
    std::string text() { return fray::test::readFile(path); }
};

const GRect kPrimary{0, 0, 1512, 982};
Settings::PrimaryFrame primary() {
    return [] { return std::optional<GRect>(kPrimary); };
}

// The settings that differ from their defaults, as "name=value" words.
std::string changed(const Settings& s) {
    std::ostringstream o;
    auto add = [&](const char* name, const auto& value, const auto& byDefault) {
        if (value != byDefault) o << name << "=" << value << " ";
    };
    add("soundNeedsAction", s.soundNeedsAction(), true);
    add("soundKO", s.soundKO(), true);
    add("notifyNeedsAction", s.notifyNeedsAction(), true);
    add("notifyCompleted", s.notifyCompleted(), false);
    add("showOverFullscreen", s.showOverFullscreen(), true);
    add("showCompleted", s.showCompleted(), true);
    add("position", rawValue(s.position()), rawValue(IslandPosition::center));
    add("delay", s.needsActionDelay(), 20.0);
    add("collapsed", s.collapsed(), false);
    add("overlapMenuBar", s.overlapMenuBar(), true);
    add("preciseFocus", s.preciseFocus(), false);
    add("displayKey", s.displayKey().value_or("-"), "-");
    add("displayName", s.displayName().value_or("-"), "-");
    if (const auto& p = s.customSpot()) o << "spot=" << p->x << "," << p->y << " ";
    return o.str();
}

} // namespace

TEST(Settings, StoredValuesAndTheirTypes) {
    for (auto [json, expect] : {
             std::pair<std::string, std::string>{R"({"soundsEnabled": false})",
                                                 "soundNeedsAction=0 soundKO=0 "}, // the legacy switch
             {R"({"soundsEnabled": false, "soundKO": true})", "soundNeedsAction=0 "},
             {R"({"soundKO": "no", "showCompleted": 0, "overlapMenuBar": null, "needsActionDelay": "30"})",
              ""},
             {R"({"collapsed": 1, "preciseFocus": "yes", "notifyCompleted": true})",
              "notifyCompleted=1 collapsed=1 "}, // numbers read as booleans here only
             {R"({"position": "right", "needsActionDelay": 45})", "position=right delay=45 "},
             {R"({"displayKey": "ext:1-2-3", "displayName": "DELL", "customDX": 5})",
              "displayKey=ext:1-2-3 displayName=DELL "}, // one half of a spot is no spot
             {R"({"customDX": 12.5, "customDY": -3})", "spot=12.5,-3 "},
             // A byte-order mark, numbers beyond double and 64-bit range, any depth: valid JSON,
             // read and not set aside; a number out of range counts as missing.
             {"\xEF\xBB\xBF{\"needsActionDelay\": 1e400, \"n\": 12345678901234567890, \"deep\": " +
                  std::string(5000, '[') + std::string(5000, ']') + ", \"soundKO\": false}",
              "soundKO=0 "},
         }) {
        Fixture f;
        f.write(json);
        EXPECT_EQ(changed(Settings(f.store(), primary())), expect) << json.substr(0, 80);
    }
    Fixture f;
    Settings s(f.store(), primary());
    EXPECT_FALSE(std::filesystem::exists(f.path)) << "loading alone writes nothing";
}

TEST(Settings, LegacyPositionMigration) {
    struct Row {
        const char* name;
        double x, y;
        std::optional<GPoint> expect;
    } rows[] = {
        {"just left of the display, inside the margin", -30, kPrimary.top() - 10, GPoint{-30, 10}},
        {"exactly on the 40-point margin", kPrimary.right() + 40, kPrimary.bottom() - 40, GPoint{1552, 1022}},
        {"beyond the margin is dropped", -100, kPrimary.top() - 10, std::nullopt},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.write("{\"customX\": " + std::to_string(r.x) + ", \"customY\": " + std::to_string(r.y) +
                ", \"customDX\": 1}");
        Settings s(f.store(), primary());
        EXPECT_EQ(s.customSpot(), r.expect);
        Settings again(f.store(), primary());
        EXPECT_EQ(again.customSpot(), r.expect) << "migrated spot persists";
        auto reread = f.store();
        EXPECT_FALSE(reread->value("customX") || reread->value("customY")) << "older keys are gone";
    }
    // Without a display nothing migrates and the older keys stay.
    Fixture f;
    f.write(R"({"customX": 10, "customY": 20})");
    Settings s(f.store(), [] { return std::optional<GRect>(); });
    EXPECT_FALSE(s.customSpot());
    EXPECT_TRUE(f.store()->value("customX"));
}

TEST(Settings, WritesThroughWithTypesAndRemovals) {
    Fixture f;
    f.write(R"({"soundsEnabled": false, "futureKey": {"a": [1, 2]}, "position": "Left"})");
    std::filesystem::permissions(f.path, std::filesystem::perms(0644));
    const bool root = geteuid() == 0; // only root can hand the file to another owner
    if (root) {
        ASSERT_EQ(chown(f.path.c_str(), 4321, 4322), 0);
    }
    {
        Settings s(f.store(), primary());
        s.setSoundKO(true);
        s.setPosition(IslandPosition::left);
        s.setNeedsActionDelay(37);
        s.setCustomSpot(GPoint{10, 20});
        s.setDisplayKey(std::string("builtin"));
        s.setCustomSpot(std::nullopt);
        s.setDisplayKey(std::nullopt);
    }
    // Keys in their order, values not ours exactly as written, new keys last.
    EXPECT_EQ(f.text(), R"({
  "soundsEnabled": false,
  "futureKey": {"a": [1, 2]},
  "position": "left",
  "soundKO": true,
  "needsActionDelay": 37
}
)");
    struct stat st {};
    ASSERT_EQ(stat(f.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "the file keeps its mode";
    if (root) {
        EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), std::make_pair(4321u, 4322u)) << "and its owner";
    }

    for (auto& e : std::filesystem::directory_iterator(f.dir / "fraymark"))
        EXPECT_EQ(e.path().filename(), "preferences.json") << "no temporary files left behind";
}

// Each broken file in turn: set aside under a name of its own, said on standard error,
// never overwritten, neither by the next broken one nor by a change.
TEST(PreferencesStore, BrokenFileIsSetAsideNotOverwritten) {
    Fixture f;
    std::map<std::string, std::string> kept; // set-aside name: contents
    for (const char* bad :
         {"{\"soundKO\": tru", "[true]", "\xff\xfe", "{\"a\":1} trailing", "{\"a\":1} trailing"}) {
        SCOPED_TRACE(bad);
        f.write(bad);
        testing::internal::CaptureStderr();
        auto store = f.store();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
        const auto at = err.find(f.path + ".broken-"), end = err.find(" and using");
        ASSERT_TRUE(at != std::string::npos && end != std::string::npos) << err;
        const std::string aside = err.substr(at, end - at);
        EXPECT_TRUE(kept.emplace(aside, bad).second) << "a name of its own: " << aside;
        Settings s(store, primary());
        EXPECT_TRUE(s.soundKO());
        s.setSoundKO(false);
        EXPECT_FALSE(f.store()->boolValue("soundKO").value_or(true));
    }
    for (const auto& [aside, bad] : kept)
        EXPECT_EQ(fray::test::readFile(aside), bad) << "the user's file survives: " << aside;
}

// Something other than a file at the path (a FIFO would block the open for good): one
// line, defaults, and the thing is left as it is.
TEST(PreferencesStore, NonRegularFileIsLeftAlone) {
    Fixture f;
    f.dir.mkdir("fraymark");
    ASSERT_EQ(mkfifo(f.path.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    auto loaded = std::async(std::launch::async, [&] { return f.store(); });
    if (loaded.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        close(open(f.path.c_str(), O_WRONLY | O_NONBLOCK)); // let the blocked open return
        ADD_FAILURE() << "loading blocked";
    }
    auto store = loaded.get();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "fraymark: " + f.path +
                       " is not a regular file; using default settings and leaving it alone\n");
    Settings s(store, primary());
    s.setSoundKO(false);
    EXPECT_TRUE(s.saveError());
    EXPECT_TRUE(std::filesystem::is_fifo(f.path)) << "not replaced by a file";
}

// A folder that cannot be written (here a file stands where it should be): the change is
// kept in memory, said once on standard error, and readable as the reason.
TEST(PreferencesStore, ChangesThatCannotBeSavedAreReportedOnce) {
    Fixture f;
    f.dir.write("blocked", "a file where the config folder should be");
    f.path = (f.dir / "blocked/fraymark/preferences.json").string();
    Settings s(f.store(), primary());
    testing::internal::CaptureStderr();
    s.setSoundKO(false);
    s.setCollapsed(true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("cannot write " + f.path), std::string::npos) << err;
    ASSERT_TRUE(s.saveError());
    EXPECT_NE(s.saveError()->find("Not a directory"), std::string::npos);
    EXPECT_FALSE(s.soundKO()) << "the value holds for this run";

    std::filesystem::remove(f.dir / "blocked");
    s.setSoundKO(true);
    EXPECT_EQ(s.saveError(), std::nullopt);
    EXPECT_TRUE(f.store()->boolValue("soundKO").value_or(false));
}

TEST(PreferencesStore, ConcurrentReadsSeeWholeValues) {
    Fixture f;
    auto store = f.store();
    store->set("needsActionDelay", 10.0);
    std::atomic<int> bad{0};
    std::jthread reader([&](std::stop_token stop) {
        while (!stop.stop_requested())
            if (auto v = store->doubleValue("needsActionDelay"); v != 10.0 && v != 90.0) ++bad;
    });
    for (int i = 0; i < 200; ++i)
        store->set("needsActionDelay", i % 2 ? 90.0 : 10.0);
    reader.request_stop();
    reader.join();
    EXPECT_EQ(bad, 0);
}
