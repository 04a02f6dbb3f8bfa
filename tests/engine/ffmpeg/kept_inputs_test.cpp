// Inputs kept open between readers of one file: a reader of a kept input sees
// the file as a newly opened one does, a changed file is opened anew, and no
// file stays open long after its last reader.
#include "engine/ffmpeg/io/kept_inputs.h"
#include "engine/ffmpeg/media_reader.h"
#include "test_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// The time of the first frame a reader decodes from where it stands, and of the one after a seek.
std::pair<double, double> FirstTimes(const QString& file) {
    MediaReader reader(file, AVMEDIA_TYPE_VIDEO, false, nullptr);
    av::FramePtr frame = av::NewFrame();
    EXPECT_TRUE(reader.next(frame.get()));
    const double first = reader.frameTime(frame.get());
    reader.seekTo(1.0);
    EXPECT_TRUE(reader.next(frame.get()));
    return {first, reader.frameTime(frame.get())};
}

TEST(KeptInputs, AKeptInputReadsAsANewOne) {
    kept_inputs::CloseIdle();
    const QString mkv = testmedia::Make("kept.mkv", {"-i", testmedia::H264Clip(), "-c", "copy"});
    for (const QString& file : {testmedia::H264Clip(), testmedia::PcmClip(), mkv}) {
        const auto fresh = FirstTimes(file); // leaves the input kept, moved a second in
        EXPECT_EQ(kept_inputs::IdleCount(), 1) << file.toStdString();
        const auto again = FirstTimes(file);
        EXPECT_DOUBLE_EQ(fresh.first, again.first) << file.toStdString();
        EXPECT_DOUBLE_EQ(fresh.second, again.second) << file.toStdString();
        EXPECT_EQ(kept_inputs::IdleCount(), 1) << "one input serves one reader after another";
        kept_inputs::CloseIdle();
    }
}

TEST(KeptInputs, AFileWrittenAnewIsOpenedAnew) {
    kept_inputs::CloseIdle();
    QTemporaryDir dir;
    const QString file = dir.filePath("changing.mkv");
    ASSERT_TRUE(QFile::copy(testmedia::Make("kept.mkv", {"-i", testmedia::H264Clip(), "-c", "copy"}), file));
    const double before = MediaReader(file, AVMEDIA_TYPE_VIDEO, false, nullptr).headerDuration();
    ASSERT_TRUE(QFile::remove(file));
    testmedia::Run("ffmpeg", {"-v", "error", "-i", testmedia::H264Clip(), "-t", "1", "-c", "copy", file});
    const double after = MediaReader(file, AVMEDIA_TYPE_VIDEO, false, nullptr).headerDuration();
    EXPECT_GT(before, 2.5);
    EXPECT_LT(after, 1.5);
}

TEST(KeptInputs, IdleInputsAreClosedWithinSeconds) {
    kept_inputs::CloseIdle();
    FirstTimes(testmedia::H264Clip());
    ASSERT_EQ(kept_inputs::IdleCount(), 1);
    for (int waited = 0; waited < 100 && kept_inputs::IdleCount() > 0; ++waited)
        QThread::msleep(100);
    EXPECT_EQ(kept_inputs::IdleCount(), 0);
}

} // namespace
