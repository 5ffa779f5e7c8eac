// The precise-focus search over fake trees: matching, the climb to a pressable
// ancestor, retries and giving up.
#include "integration/AXFocus.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <thread>

using namespace fray;
using namespace std::chrono_literals;
using fake::AXNode;

namespace {

struct Harness {
    fake::Access access;
    std::shared_ptr<AXNode> app = AXNode::make("Claude");
    std::shared_ptr<AXNode> sidebar = app->add(AXNode::make("Claude window"))->add(AXNode::make());
    std::vector<std::chrono::milliseconds> waits;
    AXFocus ax{access, [this] { return std::shared_ptr<AccessibleElement>(app); },
               [this](std::chrono::milliseconds ms) { waits.push_back(ms); }};
    Harness() { access.trusted = true; }
};

} // namespace

TEST(AXFocus, WhichLabelsMatchATitle) {
    struct Row {
        const char* label; // of a pressable row; "|" separates title, description and value
        std::string title;
        bool pressed;
    } rows[] = {
        {"fix the login bug 2m", "  Fix   the\nLogin   BUG ", true}, // blanks, line break, case; a suffix
        {"refacto", "refacto", false},                               // seven characters never match
        {"Refactor", "refactor", true},                              // eight do
        {"résumé é", "RÉSUMÉ É", true},                              // one character per accented letter
        {"Refactor parser", "Refactor parser into modules", true},   // the label inside a longer title
        {"|Deploy|pipeline fix", "deploy pipeline fix", true},       // description and value join in
        {"Write the release notes", "   \n ", false},                // blanks alone would be in every label
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label + (" / " + r.title));
        Harness h;
        auto row = h.sidebar->add(AXNode::make({}, true));
        std::string label = r.label;
        for (const char* attribute : AXFocus::labelAttributes) {
            row->texts[attribute] = label.substr(0, label.find('|'));
            label = label.find('|') == std::string::npos ? "" : label.substr(label.find('|') + 1);
        }
        EXPECT_EQ(h.ax.clickSession(r.title), r.pressed);
        EXPECT_EQ(row->presses, r.pressed ? 1 : 0);
    }
}

TEST(AXFocus, TheMatchOrAnAncestorWithinFiveTakesThePress) {
    // Levels from the matched text up to its pressable ancestor; six is too far, and
    // then the search goes on below the text, where a matching row waits.
    for (int levelsUp : {0, 2, 5, 6}) {
        SCOPED_TRACE(levelsUp);
        Harness h;
        auto pressable = h.sidebar->add(AXNode::make({}, true));
        auto text = pressable;
        for (int i = 0; i < levelsUp; ++i)
            text = text->add(AXNode::make());
        text->texts["AXTitle"] = "Fix the login bug";
        auto below = text->add(AXNode::make("Fix the login bug · 3m", true));
        EXPECT_TRUE(h.ax.clickSession("fix the login bug"));
        EXPECT_EQ(std::make_pair(pressable->presses, below->presses),
                  levelsUp <= 5 ? std::pair(1, 0) : std::pair(0, 1));
    }
}

TEST(AXFocus, RetriesThenGivesUp) {
    Harness h;
    h.sidebar->add(AXNode::make("Something else entirely", true));
    EXPECT_FALSE(h.ax.clickSession("Fix the login bug"));
    EXPECT_EQ(h.waits.size(), std::size_t(AXFocus::attempts));

    // Children that cannot be read end the walk.
    h.app->childrenFail = true;
    EXPECT_FALSE(h.ax.clickSession("Something else entirely"));
}

// An application that stopped answering: every read takes long (each real call ends
// at its own timeout), and the tree seems endless. The search is abandoned at the bound.
TEST(AXFocus, AStallingTreeIsAbandoned) {
    struct Stalling : AXNode {
        std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() override {
            std::this_thread::sleep_for(40ms);
            return std::vector<std::shared_ptr<AccessibleElement>>(50, std::make_shared<Stalling>());
        }
    };
    fake::Access access;
    access.trusted = true;
    AXFocus ax(
        access, [] { return std::make_shared<Stalling>(); }, {}, 300ms);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(ax.clickSession("Fix the login bug"));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 600ms);
}
