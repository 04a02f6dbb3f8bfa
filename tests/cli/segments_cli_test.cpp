// quillmark-cli split --segments: a segment list written by hand or exported.
#include "cli_run.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString WriteList(const QTemporaryDir& dir, const QByteArray& text) {
    const QString path = dir.filePath("my cuts.csv");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

double VideoSeconds(const QString& file) {
    const QJsonObject v = testmedia::Stream(testmedia::Probe(file), "video");
    return v["nb_read_frames"].toString().toDouble() / 25.0;
}

TEST(SegmentsCli, WritesTheSavedSegmentsOfAListWithGapsUnderTheirNames) {
    QTemporaryDir dir;
    const QString list = WriteList(dir, "start,end,name,save\n"
                                        "0.400,1.200,Intro \"A\".avi,1\n"
                                        "1.200,1.600,dropped,0\n"
                                        "00:00:02.000,2.800,\"Teil 2, Ürümqi\",1\n");
    const CliRun run = Cli({"split", testmedia::H264Clip(), "--segments", list, "--format", "8", "--out", dir.path()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"*.avi"}, QDir::Files, QDir::Name),
              (QStringList{"Intro \"A\".avi", "Teil 2, Ürümqi.avi"}));
    // 0.8 s each at 25 frames a second: the listed spans, not the gaps between them.
    EXPECT_NEAR(VideoSeconds(dir.filePath("Intro \"A\".avi")), 0.8, 0.041);
    EXPECT_NEAR(VideoSeconds(dir.filePath("Teil 2, Ürümqi.avi")), 0.8, 0.041);
}

TEST(SegmentsCli, AMalformedLineIsReportedWithItsNumberAndNothingIsWritten) {
    QTemporaryDir dir;
    const QString list = WriteList(dir, "start,end,name,save\n0,1,one,1\n1,0.5,two,1\n");
    const CliRun run = Cli({"split", testmedia::H264Clip(), "--segments", list, "--format", "8", "--out", dir.path()});
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.err.contains("Line 3 of \"" + list + "\" ends at 0.500, not after its start at 1.000"))
        << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"*.avi"}), QStringList());

    const CliRun escape = Cli({"split", testmedia::H264Clip(), "--segments",
                               WriteList(dir, "start,end,name,save\n0,1,../outside,1\n"), "--out", dir.path()});
    EXPECT_NE(escape.code, 0);
    EXPECT_TRUE(escape.err.contains("with a folder in it")) << escape.err.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("../outside.avi")));
}

} // namespace
