// Which picture and transition durations an output can show.
#include "join/picture_options.h"

#include <gtest/gtest.h>
#include <limits>

TEST(PictureTiming, DurationsBelowOneFrameOrNoNumberAreNamed) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PictureDurationProblem(inf, 25), "The picture duration inf is not a number of seconds");
    EXPECT_EQ(PictureDurationProblem(-1, 25), "The picture duration -1 seconds is below zero");
    EXPECT_EQ(PictureDurationProblem(0, 25),
              "The picture duration 0 seconds is shorter than one frame of the output, 0.04 seconds");
    EXPECT_EQ(PictureDurationProblem(0.04, 25), "");
    // 29.97 frames a second: a frame lasts 0.03337 s.
    EXPECT_NE(PictureDurationProblem(0.0333, 29.97), "");
    EXPECT_EQ(PictureDurationProblem(0.0334, 29.97), "");

    EXPECT_EQ(TransitionDurationProblem(0, 25), "");  // a plain cut
    EXPECT_EQ(TransitionDurationProblem(-inf, 25), "The transition duration -inf is not a number of seconds");
    EXPECT_NE(TransitionDurationProblem(0.01, 25), "");

    // A mistyped or stored-at-its-limit duration would render for days.
    EXPECT_EQ(PictureDurationProblem(86400, 25), "");
    EXPECT_EQ(PictureDurationProblem(1e9, 25), "The picture duration 1e+09 seconds is longer than a day, 86400 seconds");
    EXPECT_NE(TransitionDurationProblem(2147483647, 25), "");

    PictureOptions options;
    options.TransitionDuration = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PictureTimingProblem(options, 25), "The transition duration nan is not a number of seconds");
    options.PictureDuration = 0.001;
    EXPECT_TRUE(PictureTimingProblem(options, 25).startsWith("The picture duration 0.001 seconds"));
}
