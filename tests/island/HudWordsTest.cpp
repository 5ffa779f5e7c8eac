#include "Fixtures.h"
#include "island/CollapsedViews.h"
#include "island/Medallion.h"
#include "island/Roster.h"
#include "island/StatusLine.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

using test::fighters;
using test::frameNow;
using test::modelIn;
using test::modelOf;
using test::session;
using S = IslandStatus;

TEST(Medallion, Figures) {
    // Minutes and seconds as "minutes|seconds".
    for (auto [name, status, ago, shown] :
         {std::tuple{"idle shows dashes", S::idle, 0.0, "|--"},
          {"idle hides minutes even when they would show", S::idle, 600.0, "|--"},
          {"59 s", S::working, 59.0, "|59"},
          {"fractions are dropped", S::working, 61.9, "1M|01"},
          {"minutes stop at 99", S::working, 6005.0, "99M|05"},
          {"past 99 minutes the seconds keep cycling", S::needsAction, 9999.0, "99M|39"},
          {"a state that begins in the future", S::working, -20.0, "|00"}}) {
        IslandModel m = modelIn(status, ago);
        m.stateSince = frameNow() - ago; // idle too
        Medallion::Figures f = Medallion::figures(m, frameNow());
        EXPECT_EQ(f.minutes + "|" + f.seconds, shown) << name;
    }
}

TEST(StatusLine, CentreWords) {
    using W = StatusLine::Word;
    for (auto [status, combo, kind, main, second] :
         {std::tuple{S::idle, 0, W::awaiting, "AWAITING CHALLENGER…", ""},
          {S::started, 0, W::fight, "FIGHT!", ""},
          {S::working, 0, W::fightOn, "FIGHT ON…", ""},
          {S::working, 1, W::hits, "1", "HIT"},
          {S::working, 2, W::hits, "2", "HITS"},
          {S::needsAction, 4, W::yourMove, "YOUR MOVE!", ""},
          {S::completed, 0, W::knockOut, "K.O.!", "PERFECT"},
          {S::completed, 1, W::knockOut, "K.O.!", "1 HIT FINISH"},
          {S::completed, 12, W::knockOut, "K.O.!", "12 HIT FINISH"}}) {
        SCOPED_TRACE(testing::Message() << main << " " << second);
        IslandModel m = modelIn(status);
        m.combo = combo;
        StatusLine::CentreWord w = StatusLine::centreWord(m);
        EXPECT_EQ(w.kind, kind);
        EXPECT_EQ(w.main, QString::fromUtf8(main));
        EXPECT_EQ(w.second, QString::fromUtf8(second));
    }
}

TEST(StatusLine, LocationAndFighterCount) {
    IslandModel m = modelIn(S::working);
    m.project = "pixel-forge";
    m.branch = "feat/Boss";
    EXPECT_EQ(StatusLine::location(m), QStringLiteral("PIXEL-FORGE  ·  feat/Boss"))
        << "the branch keeps its case";
    m.branch = "";
    EXPECT_EQ(StatusLine::location(m), "PIXEL-FORGE");
    m.branch.reset();
    EXPECT_EQ(StatusLine::location(m), "PIXEL-FORGE");
    EXPECT_EQ(StatusLine::location(modelIn(S::idle)), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(1))), "");
    EXPECT_EQ(StatusLine::count(modelOf(fighters(3))), QStringLiteral("×3"));
}

TEST(SessionRow, MoveWordAndAge) {
    for (auto [status, combo, word] : {std::tuple{SessionStatus::completed, 3, "K.O."},
                                       {SessionStatus::started, 0, "FIGHT!"},
                                       {SessionStatus::working, 0, "FIGHTING"},
                                       {SessionStatus::working, 1, "1 HITS"},
                                       {SessionStatus::working, 17, "17 HITS"},
                                       {SessionStatus::needsAction, 2, "YOUR MOVE"}})
        EXPECT_EQ(SessionRow::moveWord(session("a", status, combo)), word); // one hit is still "HITS" here
    // (The clock itself, fractions and the future, is the medallion's: the same elapsed seconds.)
    for (auto [ago, text] : {std::pair{9.9, "0:09"}, {725.0, "12:05"}, {7205.0, "99:05"}})
        EXPECT_EQ(SessionRow::age(session("a", SessionStatus::working, 0, ago), frameNow()), text) << ago;
}

TEST(CollapsedViews, LabelsAndBadges) {
    for (auto [name, status, ago, bar, dial] :
         {std::tuple{"idle", S::idle, 0.0, "—", "--"},
          {"knocked out", S::completed, 400.0, "K.O.", "KO"},
          {"under a minute", S::working, 42.0, "0:42", "42"},
          {"minutes and seconds", S::started, 187.0, "3:07", "3M"},
          {"past 99 minutes", S::needsAction, 6005.0, "99:05", "99M"}}) {
        SCOPED_TRACE(name);
        IslandModel m = modelIn(status, ago);
        EXPECT_EQ(BarMini::label(m, frameNow()), QString::fromUtf8(bar));
        EXPECT_EQ(CollapsedIsland::dialText(m, frameNow()), QString::fromUtf8(dial));
    }
    EXPECT_EQ(BarMini::badge(modelOf(fighters(1))), "");
    EXPECT_EQ(CollapsedIsland::badge(modelOf(fighters(1))), "");
    EXPECT_EQ(CollapsedIsland::badge(modelOf(fighters(5))), "5");
    EXPECT_EQ(BarMini::badge(modelOf(fighters(120))), "99") << "the bar's badge stops at two digits";
}

TEST(Redraw, NextWholeSecondIsNeverNow) {
    const Instant since = frameNow();
    for (auto [at, due] : {std::pair{0.3, 1.0}, {5.9, 6.0}, {6.0, 7.0}, {-3.0, 1.0}})
        EXPECT_NEAR(secondsBetween(since, Redraw::nextSecond(since, since + at)), due, 1e-9) << at;
}

} // namespace
} // namespace fray
