#include "agents/AgentRegistry.h"
#include "session/TextCut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

TEST(AgentRegistry, OnlyProvidersWhoseStoreExistsInFixedOrder) {
    const char* const osaurus = ".osaurus/chat-history/history.sqlite";
    struct Row {
        std::vector<const char*> files;
        std::vector<Agent> expect;
    } rows[] = {
        {{}, {}},
        {{osaurus}, {Agent::osaurus}},
        {{osaurus, ".hermes/state.db", ".codex/sessions/"}, {Agent::codex, Agent::hermes, Agent::osaurus}},
        {{".hermes/other.db", ".osaurus/x"}, {}}, // a store's directory alone is not the store
    };
    for (const auto& r : rows) {
        fray::test::TempDir home;
        for (std::string f : r.files)
            f.back() == '/' ? (void)home.mkdir(f) : (void)home.write(f, "");
        std::vector<Agent> got;
        for (const auto& p : AgentRegistry::available(home.str()))
            got.push_back(p->agent());
        EXPECT_EQ(got, r.expect) << r.files.size();
    }
}

TEST(AgentRegistry, LastComponentName) {
    using O = std::optional<std::string>;
    for (auto [in, out] : {std::pair{O(), O()},
                           {"", O()},
                           {"/work/api", "api"},
                           {"/work/api///", "api"},
                           {"/", "/"},
                           {"///", "/"},
                           {"api", "api"}})
        EXPECT_EQ(lastComponentName(in), out) << in.value_or("<absent>");
}

TEST(TextCut, FirstCharactersKeepGraphemeClustersWhole) {
    for (auto [in, n, out] : {
             std::tuple{"hello world", 5, "hello"},
             {"short", 22, "short"},
             {"e\xcc\x81"
              "abc",
              1, "e\xcc\x81"}, // combining accent
             // Regional indicators pair up into flags; a ZWJ joins what follows.
             {"\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa\xf0\x9f\x87\xab", 1, "\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa"},
             {"\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb!", 1,
              "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"},
             {"\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"
              "x",
              1, "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"}, // skin tone
             {"\xe2\x9d\xa4\xef\xb8\x8f"
              "x",
              1, "\xe2\x9d\xa4\xef\xb8\x8f"}, // variation selector
             {"a\r\nb", 2, "a\r\n"},
         })
        EXPECT_EQ(firstCharacters(in, n), out) << in;
}
