// quillmark-cli split and join into MP4, checked with ffprobe.
#include "cli_run.h"
#include "test_media.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void ExpectMp4(const QString& file, double seconds) {
    const QJsonObject probe = testmedia::Probe(file);
    const QJsonObject v = testmedia::Stream(probe, "video");
    EXPECT_TRUE(probe["format"]["format_name"].toString().contains("mp4")) << file.toStdString();
    EXPECT_EQ(v["codec_name"].toString(), "h264") << file.toStdString();
    EXPECT_EQ(testmedia::Stream(probe, "audio")["codec_name"].toString(), "aac") << file.toStdString();
    // 25 frames a second by default, within one frame of the asked length.
    EXPECT_NEAR(v["nb_read_frames"].toString().toDouble() / 25.0, seconds, 0.041) << file.toStdString();
    EXPECT_NEAR(testmedia::AudioSeconds(file), seconds, 0.05) << file.toStdString();
}

TEST(Mp4Cli, SplitWritesMp4PartsAtTheSourceSize) {
    QTemporaryDir dir;
    const CliRun run = Cli({"split", testmedia::H264Clip(), "--parts", "2", "--format", "10", "--out", dir.path()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList parts = QDir(dir.path()).entryList({"*.mp4"}, QDir::Files, QDir::Name);
    ASSERT_EQ(parts.size(), 2) << parts.join(' ').toStdString();
    for (const QString& part : parts) {
        ExpectMp4(dir.filePath(part), 1.5);
        EXPECT_EQ(testmedia::Stream(testmedia::Probe(dir.filePath(part)), "video")["width"].toInt(), 160);
    }
}

TEST(Mp4Cli, JoinWritesOneMp4OfEveryInput) {
    QTemporaryDir dir;
    const QString out = dir.filePath("joined film.mp4");
    const CliRun run = Cli({"join", testmedia::H264Clip(), testmedia::Picture(), "--out", out, "--format", "10",
                            "--picture-seconds", "2", "--transition-seconds", "0"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    ExpectMp4(out, 5.0);
}

} // namespace
