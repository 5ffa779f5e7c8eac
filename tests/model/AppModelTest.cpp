#include "model/AppModel.h"
#include "support/ManualTime.h"

#include <gtest/gtest.h>

using namespace fray;

// The root view's tests hold the delays themselves; here, that a newer event voids the
// older pending one, so the island does not close under the pointer nor take a stray click.
TEST(AppModel, APendingClearIsVoidedByANewerEvent) {
    auto time = std::make_shared<test::ManualTime>();
    AppModel model{time};
    model.setHover(true);
    model.setHover(false);
    time->advance(0.2);
    model.setHover(true); // back before the leave took effect
    time->advance(1);
    EXPECT_TRUE(model.hovered());

    model.noteDrag();
    model.clearDragSoon();
    time->advance(0.1);
    model.noteDrag(); // a second drag before the first clear fires
    time->advance(1);
    EXPECT_TRUE(model.suppressClick);
    model.clearDragSoon();
    time->advance(1);
    EXPECT_FALSE(model.suppressClick);
}
