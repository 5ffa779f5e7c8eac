#include "Fixtures.h"
#include "island/CollapsedViews.h"
#include "island/Medallion.h"
#include "island/Roster.h"
#include "island/StatusLine.h"
#include "island/Vortan.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::frameNow;
using test::modelIn;
using test::session;

TEST(Medallion, Figures) {
    struct Case {
        const char* name;
        IslandStatus status;
        double ago;
        const char* minutes;
        const char* seconds;
        double size;
    } cases[] = {
        {"idle shows dashes without minutes", IslandStatus::idle, 0, "", "--", 19},
        {"59 s", IslandStatus::working, 59, "", "59", 19},
        {"61 s", IslandStatus::working, 61, "1M", "01", 16},
        {"fractions are dropped", IslandStatus::working, 61.9, "1M", "01", 16},
        {"minutes stop at 99", IslandStatus::working, 6005, "99M", "05", 16},
        {"far past 99 minutes the seconds keep cycling", IslandStatus::needsAction, 9999, "99M", "39", 16},
        {"a state that begins in the future", IslandStatus::working, -20, "", "00", 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Medallion::Figures f = Medallion::figures(modelIn(c.status, c.ago), frameNow());
        EXPECT_EQ(f.minutes, c.minutes);
        EXPECT_EQ(f.seconds, c.seconds);
        EXPECT_DOUBLE_EQ(f.secondsSize, c.size);
    }
}

TEST(Medallion, IdleHidesMinutesEvenWhenTheyWouldShow) {
    IslandModel idle = modelIn(IslandStatus::idle);
    idle.stateSince = frameNow() - 600.0;
    Medallion::Figures f = Medallion::figures(idle, frameNow());
    EXPECT_EQ(f.minutes, "");
    EXPECT_EQ(f.seconds, "--");
}

TEST(Medallion, TicksOnWholeSecondsOfTheState) {
    IslandModel m = modelIn(IslandStatus::working, 12.3);
    RedrawSchedule s;
    Medallion::schedule(s, QRectF(), m, frameNow());
    ASSERT_TRUE(s.next());
    EXPECT_NEAR(secondsBetween(frameNow(), *s.next()), 0.7, 1e-6);
    RedrawSchedule idle;
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
        const char* name;
        IslandModel model;
        W kind;
        const char* main;
        const char* second;
    } cases[] = {
        {"idle", modelIn(IslandStatus::idle), W::awaiting, "AWAITING CHALLENGER…", ""},
        {"started", in(IslandStatus::started, 0), W::fight, "FIGHT!", ""},
        {"working without a combo", in(IslandStatus::working, 0), W::fightOn, "FIGHT ON…", ""},
        {"one hit", in(IslandStatus::working, 1), W::hits, "1", "HIT"},
        {"two hits", in(IslandStatus::working, 2), W::hits, "2", "HITS"},
        {"waiting", in(IslandStatus::needsAction, 4), W::yourMove, "YOUR MOVE!", ""},
        {"perfect finish", in(IslandStatus::completed, 0), W::knockOut, "K.O.!", "PERFECT"},
        {"one-hit finish", in(IslandStatus::completed, 1), W::knockOut, "K.O.!", "1 HIT FINISH"},
        {"twelve-hit finish", in(IslandStatus::completed, 12), W::knockOut, "K.O.!", "12 HIT FINISH"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusLine::CentreWord w = StatusLine::centreWord(c.model);
        EXPECT_EQ(w.kind, c.kind);
        EXPECT_EQ(w.main, QString::fromUtf8(c.main));
        EXPECT_EQ(w.second, QString::fromUtf8(c.second));
    }
}

TEST(StatusLine, LocationLabel) {
    auto with = [](std::optional<std::string> branch) {
        IslandModel m = modelIn(IslandStatus::working);
        m.project = "pixel-forge";
        m.branch = std::move(branch);
        return m;
    };
    EXPECT_EQ(StatusLine::location(with("feat/Boss")), QStringLiteral("PIXEL-FORGE  ·  feat/Boss"))
        << "the branch keeps its case";
    EXPECT_EQ(StatusLine::location(with("")), "PIXEL-FORGE");
    EXPECT_EQ(StatusLine::location(with(std::nullopt)), "PIXEL-FORGE");
    EXPECT_EQ(StatusLine::location(modelIn(IslandStatus::idle)), "");
}

TEST(StatusLine, FighterCount) {
    EXPECT_EQ(StatusLine::count(test::modelOf({session("a", SessionStatus::working)})), "");
    EXPECT_EQ(StatusLine::count(test::modelOf(
                  {session("a", SessionStatus::working), session("b", SessionStatus::started), session("c", SessionStatus::completed)})),
              QStringLiteral("×3"));
}

TEST(StatusLine, HeartbeatStaysInRange) {
    for (int i = 0; i < 100; ++i) {
        double p = StatusLine::movePulse(frameNow() + i * 0.037);
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 1);
    }
}

TEST(SessionRow, ColourAndMoveWord) {
    struct Case {
        const char* name;
        SessionStatus status;
        std::int64_t combo;
        QColor colour;
        const char* word;
    } cases[] = {
        {"knocked out", SessionStatus::completed, 3, Vortan::gold(), "K.O."},
        {"started", SessionStatus::started, 0, Vortan::fightCyan(), "FIGHT!"},
        {"working, no combo", SessionStatus::working, 0, Vortan::barYellow(), "FIGHTING"},
        {"working, one hit is still plural", SessionStatus::working, 1, Vortan::barYellow(), "1 HITS"},
        {"working, many hits", SessionStatus::working, 17, Vortan::barYellow(), "17 HITS"},
        {"waiting, without the exclamation", SessionStatus::needsAction, 2, Vortan::rageRed(), "YOUR MOVE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionInfo s = session("a", c.status, c.combo);
        EXPECT_EQ(SessionRow::colour(c.status), c.colour);
        EXPECT_EQ(SessionRow::moveWord(s), c.word);
    }
}

TEST(SessionRow, AgeText) {
    struct Case {
        double ago;
        const char* text;
    } cases[] = {{0, "0:00"}, {9.9, "0:09"}, {725, "12:05"}, {5999, "99:59"}, {7205, "99:05"}, {-40, "0:00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ago);
        EXPECT_EQ(SessionRow::age(session("a", SessionStatus::working, 0, c.ago), frameNow()), c.text);
    }
}

TEST(CollapsedViews, BarMiniMetrics) {
    struct Case {
        double height, corner, label, badge;
    } cases[] = {{46, 9, 24.84, 14.72}, {20, 6.8, 10.8, 7}, {24, 8.16, 12.96, 7.68}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.height);
        EXPECT_NEAR(BarMini::cornerRadius(c.height), c.corner, 1e-9);
        EXPECT_NEAR(BarMini::labelSize(c.height), c.label, 1e-9);
        EXPECT_NEAR(BarMini::badgeFontSize(c.height), c.badge, 1e-9);
    }
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
}

TEST(CollapsedViews, CountBadges) {
    auto many = [](int n) {
        SessionList list;
        for (int i = 0; i < n; ++i) list.push_back(session(std::to_string(i), SessionStatus::working));
        return test::modelOf(list);
    };
    EXPECT_EQ(BarMini::badge(many(1)), "");
    EXPECT_EQ(BarMini::badge(many(2)), "2");
    EXPECT_EQ(BarMini::badge(many(120)), "99");
    EXPECT_EQ(CollapsedIsland::badge(many(1)), "");
    EXPECT_EQ(CollapsedIsland::badge(many(5)), "5");
}

TEST(CollapsedViews, StatusColours) {
    EXPECT_NEAR(BarMini::statusColour(IslandStatus::idle).alphaF(), 0.4, 0.005);
    EXPECT_NEAR(CollapsedIsland::statusColor(IslandStatus::idle).alphaF(), 0.35, 0.005);
    EXPECT_EQ(BarMini::statusColour(IslandStatus::started), Vortan::fightCyan());
    EXPECT_EQ(BarMini::statusColour(IslandStatus::working), Vortan::barYellow());
    EXPECT_EQ(BarMini::statusColour(IslandStatus::needsAction), Vortan::rageRed());
    EXPECT_EQ(CollapsedIsland::statusColor(IslandStatus::completed), Vortan::gold());
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        EXPECT_NEAR(secondsBetween(since, Redraw::nextSecond(since, since + c.at)), c.due, 1e-9);
    }
    EXPECT_EQ(Redraw::elapsedSeconds(since, since - 4.0), 0);
    EXPECT_EQ(Redraw::elapsedSeconds(since, since + 4.99), 4);
}

} // namespace
} // namespace fray
