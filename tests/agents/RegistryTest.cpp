#include "agents/AgentRegistry.h"
#include "agents/TextCut.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

TEST(AgentRegistry, OnlyProvidersWhoseStoreExists) {
    struct Row {
        const char* name;
        std::vector<const char*> files;
        std::vector<Agent> expect;
    } rows[] = {
        {"none of the stores", {}, {}},
        {"only Osaurus", {".osaurus/chat-history/history.sqlite"}, {Agent::osaurus}},
        {"all three, in fixed order",
         {".osaurus/chat-history/history.sqlite", ".hermes/state.db", ".codex/sessions/"},
         {Agent::codex, Agent::hermes, Agent::osaurus}},
        {"a store's parent directory alone is not the store", {".hermes/other.db", ".osaurus/x"}, {}},
    };
    for (const auto& r : rows) {
        fray::test::TempDir home;
        for (std::string f : r.files)
            f.back() == '/' ? (void)home.mkdir(f) : (void)home.write(f, "");
        std::vector<Agent> got;
        for (const auto& p : AgentRegistry::available(home.str()))
            got.push_back(p->agent());
        EXPECT_EQ(got, r.expect) << r.name;
    }
}

TEST(AgentRegistry, LastComponentName) {
    struct Row {
        std::optional<std::string> in, out;
    } rows[] = {
        {std::nullopt, std::nullopt}, {"", std::nullopt}, {"/work/api", "api"}, {"/work/api/", "api"},
        {"/work/api///", "api"},      {"/", "/"},         {"///", "/"},         {"api", "api"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(lastComponentName(r.in), r.out) << r.in.value_or("<absent>");
}

TEST(TextCut, FirstCharacters) {
    struct Row {
        const char* in;
        std::size_t n;
        const char* out;
    } rows[] = {
        {"hello world", 5, "hello"},
        {"short", 22, "short"},
        {"", 3, ""},
        {"e\xcc\x81"
         "abc",
         1, "e\xcc\x81"}, // e + combining acute
        {"\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa\xf0\x9f\x87\xab\xf0\x9f\x87\xb7", 1,
         "\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa"}, // two flags
        {"\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb!", 1,
         "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"}, // ZWJ
        {"\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"
         "x",
         1, "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"}, // skin tone
        {"\xe2\x9d\xa4\xef\xb8\x8f"
         "x",
         1, "\xe2\x9d\xa4\xef\xb8\x8f"},                                         // variation selector
        {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", 2, "\xe6\x97\xa5\xe6\x9c\xac"}, // CJK
        {"a\r\nb", 2, "a\r\n"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(firstCharacters(r.in, r.n), r.out) << r.in;
}
