#include "../engine/ffmpeg/detection_media.h"
#include "cli_run.h"

#include <gtest/gtest.h>

namespace {

TEST(DetectCli, PrintsOnlyTheTimesOfEachKind) {
    // Standard error is no terminal here: no progress, and stdout is the points alone.
    CliRun scenes = Cli({"detect", "scenes", detectionmedia::Cuts()});
    EXPECT_EQ(scenes.code, 0) << scenes.err.toStdString();
    EXPECT_EQ(scenes.out, "2.000\n4.400\n7.120\n");
    EXPECT_TRUE(scenes.err.isEmpty()) << scenes.err.toStdString();

    CliRun black = Cli({"detect", "black", detectionmedia::Black()});
    EXPECT_EQ(black.code, 0) << black.err.toStdString();
    EXPECT_TRUE(black.out == "3.480\n" || black.out == "3.520\n") << black.out.toStdString();

    CliRun silence = Cli({"detect", "silence", detectionmedia::Silence(), "--threshold", "-40"});
    EXPECT_EQ(silence.code, 0) << silence.err.toStdString();
    ASSERT_EQ(silence.out.count('\n'), 1) << silence.out.toStdString();
    EXPECT_NEAR(silence.out.toDouble(), 5.5, 0.04);

    CliRun none = Cli({"detect", "scenes", detectionmedia::Noise()});
    EXPECT_EQ(none.code, 0);
    EXPECT_TRUE(none.out.isEmpty()) << none.out.toStdString();
}

TEST(DetectCli, FailuresNameTheFile) {
    const QString noSound = detectionmedia::Noise();
    CliRun silence = Cli({"detect", "silence", noSound});
    EXPECT_EQ(silence.code, 1);
    EXPECT_TRUE(silence.out.isEmpty());
    EXPECT_TRUE(silence.err.contains(noSound) && silence.err.contains("no audio stream")) << silence.err.toStdString();

    const QString junk = testmedia::Folder() + "/detect junk.avi";
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    CliRun unreadable = Cli({"detect", "black", junk});
    EXPECT_EQ(unreadable.code, 1);
    EXPECT_TRUE(unreadable.err.contains(junk)) << unreadable.err.toStdString();

    EXPECT_EQ(Cli({"detect", "faces", noSound}).code, 2);
    EXPECT_EQ(Cli({"detect", "scenes", noSound, "--threshold", "500"}).code, 2);
    EXPECT_EQ(Cli({"detect", "scenes"}).code, 2);
}

} // namespace
