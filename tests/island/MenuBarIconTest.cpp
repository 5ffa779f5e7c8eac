#include "island/MenuBarIcon.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

using namespace fray;
using C = MenuBarIcon::Clash;
using S = SessionStatus;

namespace {

SessionList sessions(std::initializer_list<S> statuses) {
    SessionList out;
    int i = 0;
    for (S s : statuses)
        out.push_back(SessionInfo::make(std::to_string(i++), "p", std::nullopt, std::nullopt, s, 0, {}, {}));
    return out;
}

struct Icon {
    test::ManualTime time;
    IconAnimator icon{time.timers()};
    std::vector<C> shown;
    Icon() {
        QObject::connect(&icon, &IconAnimator::frameChanged, [this](C c) { shown.push_back(c); });
    }
    std::vector<C> framesOver(double seconds) {
        shown.clear();
        time.advance(seconds);
        return shown;
    }
};

int alphaAt(const QImage& img, double gx, double gyUp) {
    // Grid coordinates, y up, to pixels.
    const double s = img.height() / MenuBarIcon::gridH;
    return qAlpha(img.pixel(int(gx * s), int((MenuBarIcon::gridH - gyUp) * s)));
}

long inkBetweenHeads(const QImage& img, double fromUp, double toUp) {
    const double s = img.height() / MenuBarIcon::gridH;
    long sum = 0;
    for (int y = int((MenuBarIcon::gridH - toUp) * s); y < int((MenuBarIcon::gridH - fromUp) * s); ++y)
        for (int x = int(10.4 * s) + 1; x < int(15.5 * s); ++x)
            sum += qAlpha(img.pixel(x, y));
    return sum;
}

} // namespace

TEST(IconAnimator, FrameSequences) {
    {
        SCOPED_TRACE("needs action wins and blinks every half second, spark-less first");
        Icon i;
        i.icon.syncIcon(sessions({S::working, S::needsAction}));
        EXPECT_TRUE(i.shown.empty()) << "the image already shown stays until the first tick";
        EXPECT_EQ(i.framesOver(2.0), (std::vector<C>{C::none, C::full, C::none, C::full}));
    }
    {
        SCOPED_TRACE("working pulses once a second");
        Icon i;
        i.icon.syncIcon(sessions({S::working, S::completed}));
        EXPECT_EQ(i.framesOver(3.0), (std::vector<C>{C::short_, C::full, C::short_}));
    }
    {
        SCOPED_TRACE("equal top statuses do not restart the rhythm");
        Icon i;
        i.icon.syncIcon(sessions({S::needsAction}));
        i.time.advance(0.4);
        i.icon.syncIcon(sessions({S::working, S::needsAction}));
        i.icon.syncIcon(sessions({S::needsAction}));
        EXPECT_EQ(i.framesOver(0.2), (std::vector<C>{C::none})) << "tick at 0.5 s, not 0.9 s";
        EXPECT_EQ(i.time.liveTimers(), 1);
    }
    {
        SCOPED_TRACE("switching from blink to pulse keeps the shown frame until the new timer ticks");
        Icon i;
        i.icon.syncIcon(sessions({S::needsAction}));
        i.time.advance(0.5);
        EXPECT_EQ(i.icon.frame(), C::none);
        i.icon.syncIcon(sessions({S::working}));
        EXPECT_EQ(i.framesOver(0.9), std::vector<C>{});
        EXPECT_EQ(i.icon.frame(), C::none);
        EXPECT_EQ(i.framesOver(0.2), (std::vector<C>{C::short_}));
        EXPECT_EQ(i.time.liveTimers(), 1) << "the old timer is gone";
    }
    {
        SCOPED_TRACE("started, completed or nothing: full and still");
        for (auto list : {sessions({S::started}), sessions({S::completed}), sessions({})}) {
            Icon i;
            i.icon.syncIcon(sessions({S::needsAction}));
            i.time.advance(0.5);
            i.icon.syncIcon(list);
            EXPECT_EQ(i.icon.frame(), C::full);
            EXPECT_TRUE(i.framesOver(3).empty());
        }
    }
}

TEST(MenuBarIcon, ShapesAtAnyDensity) {
    for (int h : {18, 36, 54}) {
        SCOPED_TRACE(h);
        QImage full = MenuBarIcon::image(C::full, h);
        QImage shorter = MenuBarIcon::image(C::short_, h);
        QImage none = MenuBarIcon::image(C::none, h);
        EXPECT_EQ(full.height(), h);
        EXPECT_GT(alphaAt(full, 2.0, 9.0), 200) << "left head is filled";
        EXPECT_LT(alphaAt(full, 7.2, 9.1), 60) << "its eye is a hole (even-odd)";
        EXPECT_LT(alphaAt(full, 18.7, 8.8), 60) << "robot eye is a hole";
        // Ink in the gap between the heads, overall and above the short spark's tip.
        EXPECT_GT(inkBetweenHeads(full, 2.0, 16.0), inkBetweenHeads(shorter, 2.0, 16.0));
        EXPECT_GT(inkBetweenHeads(shorter, 2.0, 16.0), 0);
        EXPECT_GT(inkBetweenHeads(full, 13.6, 16.0), 0) << "the full spark reaches high";
        EXPECT_EQ(inkBetweenHeads(shorter, 13.6, 16.0), 0) << "the short spark does not";
        EXPECT_EQ(inkBetweenHeads(none, 0.0, 18.0), 0) << "no spark at all";
    }
}
