#include "agents/AgentRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace fray;

TEST(AgentRegistry, OnlyProvidersWhoseStoreExistsInFixedOrder) {
    struct Row {
        std::vector<const char*> files;
        std::vector<Agent> expect;
    } rows[] = {
        {{".osaurus/chat-history/history.sqlite", ".hermes/state.db", ".codex/sessions/"},
         {Agent::codex, Agent::hermes, Agent::osaurus}},
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
