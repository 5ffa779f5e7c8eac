#include "monitor/LineClassifier.h"
#include "support/TranscriptGenerator.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace fray;

// The generator feeds benchmarks and monitor tests; its lines must classify as intended.
TEST(TranscriptGenerator, SessionClassifiesLikeARealOne) {
    fray::test::TranscriptGenerator gen(11);
    const Instant start = fromUnixSeconds(1767225600.0);
    std::string session = gen.session(3, start, 1024, 4096);
    FileState st(start);
    st.bootstrapping = true; // as on a first read: last-prompt echoes are not new prompts
    std::istringstream in(session);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        parseLine(line, st, start + 1000.0);
        ++lines;
    }
    EXPECT_GT(lines, 12);
    EXPECT_EQ(st.lastKind, LineKind::assistantText);
    EXPECT_TRUE(st.seenAssistant);
    EXPECT_EQ(st.cwd, "/home/dev/code/orbit-api");
    EXPECT_EQ(st.branch, "main");
    EXPECT_EQ(st.promptTimes.size(), 3u) << "three prompts; command noise is not one";
    EXPECT_FALSE(st.powerUpAt);
    EXPECT_GE(st.combo, 1);

    for (const auto& l : gen.smallLines(200, start)) {
        if (l.find("\"isSidechain\":true") != std::string::npos) continue;
        FileState probe(start);
        parseLine(l, probe, start);
        EXPECT_TRUE(probe.cwd || probe.lastPromptText || probe.lastKind != LineKind::none) << l.substr(0, 120);
    }
}
