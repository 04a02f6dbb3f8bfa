#include "common/window_placement.h"

#include <gtest/gtest.h>

namespace {
const QRect kDesk(0, 0, 1280, 800);
}

TEST(PlaceBeside, RightThenLeftThenOverTheMainWindowAlwaysWholeOnTheDesk) {
    // Room on the right.
    EXPECT_EQ(PlaceBeside(QRect(40, 60, 600, 420), QSize(480, 300), kDesk), QRect(648, 60, 480, 300));
    // None on the right: on the left.
    EXPECT_EQ(PlaceBeside(QRect(700, 60, 560, 420), QSize(480, 300), kDesk), QRect(212, 60, 480, 300));
    // None on either side: over the main window's top right corner.
    EXPECT_EQ(PlaceBeside(QRect(0, 0, 1280, 780), QSize(480, 300), kDesk), QRect(800, 0, 480, 300));
    // A main window partly off the desk still gets a preview wholly on it.
    EXPECT_EQ(PlaceBeside(QRect(-300, 700, 600, 420), QSize(480, 300), kDesk), QRect(308, 500, 480, 300));
    // Larger than the desk: shrunk to it at the same shape.
    EXPECT_EQ(PlaceBeside(QRect(0, 0, 600, 400), QSize(1920, 1080), kDesk), QRect(0, 0, 1280, 720));
}
