// The preferences store over any file: load it, change our keys, save, load again. A
// file that is no JSON object is set aside whole; otherwise every key that is not ours
// comes back in its place with its text unchanged, and ours with their new values.
#include "FuzzCheck.h"
#include "model/JsonObjectText.h"
#include "model/PreferencesStore.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

using namespace fray;
using fray::test::readFile;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const test::TempDir folder; // run.sh puts it in memory: every save syncs the file
    const fs::path dir = folder.path(), path = dir / "preferences.json";
    for (const auto& e : fs::directory_iterator(dir))
        fs::remove(e.path());
    std::ofstream(path, std::ios::binary) << text;

    const auto before = JsonObjectText::parse(text);
    const std::string displayKey = "a\"b\\\n\xC3\xA9\x01";
    { // what the store says about a broken file goes to run.sh's log
        PreferencesStore store(path.string());
        store.load();
        store.set("soundKO", true);
        store.set("needsActionDelay", 37.5);
        store.set("displayKey", displayKey);
        store.remove("position");
    }
    const std::string saved = readFile(path);
    const auto after = JsonObjectText::parse(saved);
    FUZZ_CHECK(after.has_value());

    if (!before) { // set aside whole, under a name of its own
        std::size_t kept = 0;
        for (const auto& e : fs::directory_iterator(dir))
            kept += e.path() != path && readFile(e.path()) == text;
        FUZZ_CHECK(kept == 1);
        return 0;
    }
    const std::set<std::string> ours = {"soundKO", "needsActionDelay", "displayKey", "position"};
    std::map<std::string, std::string_view> was;
    std::vector<std::string> order; // the file's keys, first occurrences, ours left out
    for (const auto& m : *before) {
        if (!was.contains(m.key) && !ours.contains(m.key)) order.push_back(m.key);
        was[m.key] = m.raw; // the last of duplicates counts
    }
    std::vector<std::string> now;
    std::map<std::string, std::string_view> is;
    for (const auto& m : *after) {
        FUZZ_CHECK(!is.contains(m.key));
        is[m.key] = m.raw;
        if (!ours.contains(m.key)) now.push_back(m.key);
    }
    FUZZ_CHECK(now == order);
    for (const auto& key : order)
        FUZZ_CHECK(is[key] == was[key]);
    FUZZ_CHECK(!is.contains("position"));
    FUZZ_CHECK(saved.starts_with(JsonObjectText::byteOrderMark) ==
               text.starts_with(JsonObjectText::byteOrderMark));

    PreferencesStore again(path.string());
    again.load();
    FUZZ_CHECK(again.boolValue("soundKO") == true);
    FUZZ_CHECK(again.doubleValue("needsActionDelay") == 37.5);
    FUZZ_CHECK(again.stringValue("displayKey") == displayKey);
    return 0;
}
