#include "model/AppModel.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

using namespace fray;

namespace {
struct Model {
    std::shared_ptr<test::ManualTime> time = std::make_shared<test::ManualTime>();
    AppModel model{time};
};
} // namespace

// Entering is immediate; leaving waits 0.35 s, and coming back within it cancels the wait.
TEST(AppModelHover, LeavingWaitsAndReturningCancels) {
    Model m;
    int notified = 0;
    QObject::connect(&m.model, &AppModel::hoveredChanged, [&](bool) { ++notified; });
    m.model.setHover(true);
    EXPECT_EQ(std::make_pair(m.model.hovered(), notified), std::make_pair(true, 1));
    m.model.setHover(false);
    m.time->advance(0.2);
    m.model.setHover(true);
    m.model.setHover(false);
    m.time->advance(0.3); // 0.5 s after the first exit
    EXPECT_TRUE(m.model.hovered());
    m.time->advance(0.06);
    EXPECT_FALSE(m.model.hovered());
}

TEST(AppModelDrag, ClicksSuppressedUntilQuarterSecondAfterLastDrag) {
    Model m;
    m.model.noteDrag();
    m.model.clearDragSoon(); // drag ends at t
    m.time->advance(0.2);
    EXPECT_TRUE(m.model.suppressClick);
    m.time->advance(0.1); // t + 0.3
    EXPECT_FALSE(m.model.suppressClick);

    // A second drag 0.1 s after the first ends voids the first clear.
    m.model.noteDrag();
    m.model.clearDragSoon();
    m.time->advance(0.1);
    m.model.noteDrag();
    m.time->advance(0.2); // first clear would have fired here
    EXPECT_TRUE(m.model.suppressClick);
    m.model.clearDragSoon();
    m.time->advance(0.24);
    EXPECT_TRUE(m.model.suppressClick);
    m.time->advance(0.02);
    EXPECT_FALSE(m.model.suppressClick);
}
