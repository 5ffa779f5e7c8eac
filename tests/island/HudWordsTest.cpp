#include "Fixtures.h"
#include "island/CollapsedViews.h"
#include "island/Medallion.h"
#include "island/Roster.h"
#include "island/StatusLine.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::frameNow;
using test::modelIn;
using test::modelOf;
using test::session;

// A model in `status` since `ago` seconds, idle included.
IslandModel since(IslandStatus status, double ago) {
    IslandModel m = modelIn(status, ago);
    m.stateSince = frameNow() - ago;
    return m;
}

SessionList fighters(int n) {
    SessionList list;
    for (int i = 0; i < n; ++i) list.push_back(session(std::to_string(i), SessionStatus::working));
    return list;
}

TEST(Medallion, Figures) {
    struct Case {
        const char* name;
        IslandStatus status;
        double ago;
        const char* minutes;
        const char* seconds;
        double size;
    } cases[] = {
        {"idle shows dashes", IslandStatus::idle, 0, "", "--", 19},
        {"idle hides minutes even when they would show", IslandStatus::idle, 600, "", "--", 0},
        {"59 s", IslandStatus::working, 59, "", "59", 19},
        {"fractions are dropped", IslandStatus::working, 61.9, "1M", "01", 16},
        {"minutes stop at 99", IslandStatus::working, 6005, "99M", "05", 16},
        {"far past 99 minutes the seconds keep cycling", IslandStatus::needsAction, 9999, "99M", "39", 16},
        {"a state that begins in the future", IslandStatus::working, -20, "", "00", 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Medallion::Figures f = Medallion::figures(since(c.status, c.ago), frameNow());
        EXPECT_EQ(f.minutes, c.minutes);
        EXPECT_EQ(f.seconds, c.seconds);
        if (c.size) { EXPECT_DOUBLE_EQ(f.secondsSize, c.size); }
    }
}

TEST(Medallion, TicksOnWholeSecondsOfTheState) {
    RedrawSchedule s, idle;
    Medallion::schedule(s, QRectF(), modelIn(IslandStatus::working, 12.3), frameNow());
    ASSERT_TRUE(s.next());
    EXPECT_NEAR(secondsBetween(frameNow(), *s.next()), 0.7, 1e-6);
    Medallion::schedule(idle, QRectF(), modelIn(IslandStatus::idle), frameNow());
    EXPECT_TRUE(idle.empty()) << "dashes never change";
}

TEST(StatusLine, CentreWords) {
    using W = StatusLine::Word;
    auto in = [](IslandStatus s, std::int64_t combo) {
        IslandModel m = modelIn(s);
        m.combo = combo;
        return m;
    };
    struct Case {
        IslandModel model;
        W kind;
        const char* main;
        const char* second;
    } cases[] = {
        {modelIn(IslandStatus::idle), W::awaiting, "AWAITING CHALLENGER…", ""},
        {in(IslandStatus::started, 0), W::fight, "FIGHT!", ""},
        {in(IslandStatus::working, 0), W::fightOn, "FIGHT ON…", ""},
        {in(IslandStatus::working, 1), W::hits, "1", "HIT"},
        {in(IslandStatus::working, 2), W::hits, "2", "HITS"},
        {in(IslandStatus::needsAction, 4), W::yourMove, "YOUR MOVE!", ""},
        {in(IslandStatus::completed, 0), W::knockOut, "K.O.!", "PERFECT"},
        {in(IslandStatus::completed, 1), W::knockOut, "K.O.!", "1 HIT FINISH"},
        {in(IslandStatus::completed, 12), W::knockOut, "K.O.!", "12 HIT FINISH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.main);
        StatusLine::CentreWord w = StatusLine::centreWord(c.model);
        EXPECT_EQ(w.kind, c.kind);
        EXPECT_EQ(w.main, QString::fromUtf8(c.main));
        EXPECT_EQ(w.second, QString::fromUtf8(c.second));
    }
}

TEST(StatusLine, LocationAndFighterCount) {
    IslandModel m = modelIn(IslandStatus::working);
    m.project = "pixel-forge";
    m.branch = "feat/Boss";
    EXPECT_EQ(StatusLine::location(m), QStringLiteral("PIXEL-FORGE  ·  feat/Boss")) << "the branch keeps its case";
    m.branch = "";
    EXPECT_EQ(StatusLine::location(m), "PIXEL-FORGE");
    m.branch.reset();
    EXPECT_EQ(StatusLine::location(m), "PIXEL-FORGE");
    EXPECT_EQ(StatusLine::location(modelIn(IslandStatus::idle)), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(1))), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(3))), QStringLiteral("×3"));
}

TEST(SessionRow, MoveWordAndAge) {
    struct Case {
        SessionStatus status;
        std::int64_t combo;
        const char* word;
    } words[] = {
        {SessionStatus::completed, 3, "K.O."},      {SessionStatus::started, 0, "FIGHT!"},
        {SessionStatus::working, 0, "FIGHTING"},    {SessionStatus::working, 1, "1 HITS"}, // one hit is still plural
        {SessionStatus::working, 17, "17 HITS"},    {SessionStatus::needsAction, 2, "YOUR MOVE"},
    };
    for (const auto& c : words) EXPECT_EQ(SessionRow::moveWord(session("a", c.status, c.combo)), c.word);
    struct Age {
        double ago;
        const char* text;
    } ages[] = {{0, "0:00"}, {9.9, "0:09"}, {725, "12:05"}, {5999, "99:59"}, {7205, "99:05"}, {-40, "0:00"}};
    for (const auto& c : ages)
        EXPECT_EQ(SessionRow::age(session("a", SessionStatus::working, 0, c.ago), frameNow()), c.text) << c.ago;
}

TEST(CollapsedViews, Labels) {
    struct Case {
        const char* name;
        IslandStatus status;
        double ago;
        const char* bar;
        const char* dial;
    } cases[] = {
        {"idle", IslandStatus::idle, 0, "—", "--"},
        {"knocked out", IslandStatus::completed, 400, "K.O.", "KO"},
        {"under a minute", IslandStatus::working, 42, "0:42", "42"},
        {"minutes and seconds", IslandStatus::started, 187, "3:07", "3M"},
        {"past 99 minutes", IslandStatus::needsAction, 6005, "99:05", "99M"},
        {"in the future", IslandStatus::working, -5, "0:00", "00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandModel m = modelIn(c.status, c.ago);
        EXPECT_EQ(BarMini::label(m, frameNow()), QString::fromUtf8(c.bar));
        EXPECT_EQ(CollapsedIsland::dialText(m, frameNow()), QString::fromUtf8(c.dial));
    }
    struct Badge {
        int fighters;
        const char *bar, *dial;
    } badges[] = {{1, "", ""}, {5, "5", "5"}, {120, "99", nullptr}}; // the bar's badge stops at two digits
    for (const auto& b : badges) {
        EXPECT_EQ(BarMini::badge(modelOf(fighters(b.fighters))), b.bar) << b.fighters;
        if (b.dial) { EXPECT_EQ(CollapsedIsland::badge(modelOf(fighters(b.fighters))), b.dial) << b.fighters; }
    }
}

TEST(CollapsedViews, PowerUpFlareAndSchedule) {
    const Instant now = frameNow();
    struct Case {
        const char* name;
        double ago;
        bool powering;
        double flare;
    } cases[] = {{"peak", 0.75, true, 1}, {"last moment", 1.5, true, 0}, {"over", 1.6, false, 0}, {"ahead", -0.2, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IslandModel m = modelIn(IslandStatus::working);
        m.powerUpAt = now - c.ago;
        EXPECT_EQ(Collapsed::isPoweringUp(m, now), c.powering);
        EXPECT_NEAR(Collapsed::flare(m, now), c.flare, 1e-9);
        RedrawSchedule s;
        Collapsed::schedule(s, QRectF(0, 0, 60, 24), m, now);
        ASSERT_TRUE(s.next());
        if (c.powering)
            EXPECT_NEAR(secondsBetween(now, *s.next()), 0.05, 1e-6) << "frames during the flare";
        else
            EXPECT_GT(secondsBetween(now, *s.next()), 0.05) << "otherwise the label's next second";
    }
    RedrawSchedule settled;
    Collapsed::schedule(settled, QRectF(0, 0, 60, 24), modelIn(IslandStatus::completed), now);
    EXPECT_TRUE(settled.empty()) << "\"K.O.\" does not tick";
}

TEST(Redraw, NextWholeSecond) {
    const Instant since = frameNow();
    struct Case {
        double at, due;
    } cases[] = {{0.3, 1}, {5.9, 6}, {6.0, 7}, {-3, 1}};
    for (const auto& c : cases) EXPECT_NEAR(secondsBetween(since, Redraw::nextSecond(since, since + c.at)), c.due, 1e-9) << c.at;
    EXPECT_EQ(Redraw::elapsedSeconds(since, since - 4.0), 0);
    EXPECT_EQ(Redraw::elapsedSeconds(since, since + 4.99), 4);
}

} // namespace
} // namespace fray
