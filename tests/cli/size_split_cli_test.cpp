// quillmark-cli split --max-size: every part within its bound, cut on whole frames.
#include "cli_run.h"
#include "test_media.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Long enough for two or three parts in every format, each near its bound.
constexpr double kSourceSeconds = 12;

// Noise in every frame: no encoder squeezes it, so an uncapped rate overshoots a
// bound it would meet on a still picture. The sound is compressed and ends a
// little before the picture, as users' files do.
QString NoisySource() {
    return testmedia::Make("noisy 12s aac.mp4",
                           {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=12", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=11.5", "-vf", "noise=alls=30:allf=t", "-c:v", "libx264",
                            "-crf", "20", "-preset", "ultrafast", "-c:a", "aac", "-b:a", "96k"});
}

double FrameRate(const QJsonObject& video) {
    const QStringList rate = video["r_frame_rate"].toString().split('/');
    return rate.size() == 2 && rate[1].toDouble() > 0 ? rate[0].toDouble() / rate[1].toDouble() : 0;
}

struct SizedCase {
    int format;
    const char* limit;
    int64_t bytes;
};

class SizeSplitCli : public testing::TestWithParam<SizedCase> {};

TEST_P(SizeSplitCli, KeepsEveryPartWithinTheBoundAndLosesNoFrameBetweenThem) {
    const SizedCase c = GetParam();
    QTemporaryDir dir;
    const CliRun run = Cli({"split", NoisySource(), "--max-size", c.limit, "--format", QString::number(c.format), "--out",
                            dir.path()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    QStringList parts = QDir(dir.path()).entryList({"noisy 12s aac-*"}, QDir::Files);
    const auto number = [](const QString& name) { return name.section('-', -1).section('.', 0, 0).toInt(); };
    std::sort(parts.begin(), parts.end(), [&](const QString& a, const QString& b) { return number(a) < number(b); });
    ASSERT_GE(parts.size(), 2) << "a bound this small must need several parts";
    double frames = 0, seconds = 0, fps = 0;
    for (int i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE(parts[i].toStdString());
        EXPECT_EQ(number(parts[i]), i + 1);
        const QString file = dir.filePath(parts[i]);
        const int64_t size = QFileInfo(file).size();
        EXPECT_LE(size, c.bytes);
        if (i + 1 < parts.size()) EXPECT_GE(size, c.bytes * 85 / 100);
        // The printed size is the size on disk.
        EXPECT_TRUE(run.out.contains(QString("Part %1: %2 bytes").arg(i + 1).arg(size))) << run.out.toStdString();
        EXPECT_EQ(testmedia::DecodeErrors(file).toStdString(), "");
        const QJsonObject probe = testmedia::Probe(file);
        const QJsonObject video = testmedia::Stream(probe, "video");
        fps = FrameRate(video);
        frames += video["nb_read_frames"].toString().toDouble();
        seconds += probe["format"].toObject()["duration"].toString().toDouble();
    }
    EXPECT_NEAR(frames, std::round(kSourceSeconds * fps), 1.0);
    EXPECT_NEAR(seconds, kSourceSeconds, 0.1 * parts.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, SizeSplitCli,
                         testing::Values(SizedCase{0, "1M", 1 << 20}, SizedCase{4, "4m", 4 << 20},
                                         SizedCase{8, "0.4M", 419430}, SizedCase{9, "0.8M", 838860},
                                         SizedCase{10, "2M", 2 << 20}),
                         [](const auto& info) { return "Format" + std::to_string(info.param.format); });

TEST(SizeSplitCliRefusals, SaysWhatIsWrongBeforeWritingAnything) {
    QTemporaryDir dir;
    const CliRun tiny = Cli({"split", NoisySource(), "--max-size", "100K", "--format", "0", "--out", dir.path()});
    EXPECT_NE(tiny.code, 0);
    EXPECT_TRUE(tiny.err.contains("A part of at most 100 KB cannot hold one second of VCD PAL, which needs about 172 KB"))
        << tiny.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    for (const QStringList& args : {QStringList{"--max-size", "0"}, QStringList{"--max-size", "-5M"},
                                    QStringList{"--max-size", "lots"}, QStringList{"--max-size", "2M", "--parts", "3"}}) {
        const CliRun bad = Cli(QStringList{"split", NoisySource(), "--out", dir.path()} + args);
        EXPECT_NE(bad.code, 0) << args.join(' ').toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

}  // namespace
