// Files as users' devices and old programs leave them: damaged sound, packed
// B-frames, a source that vanishes mid-render.
#include "render_wait.h"
#include "test_media.h"
#include "user_media.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <gtest/gtest.h>

namespace {

using testmedia::Shape;

class UsersFiles : public ::testing::Test {
protected:
    void SetUp() override {
        engine = LosslessAviEngine(320, 240);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

double MeanDifference(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size() || a.isEmpty())
        return 255;
    double sum = 0;
    for (int i = 0; i < a.size(); ++i)
        sum += std::abs(int(uchar(a[i])) - int(uchar(b[i])));
    return sum / a.size();
}

TEST_F(UsersFiles, DamagedSoundRendersWithTheDamagedStretchSilent) {
    // Before: the whole render failed with the library's "Not yet implemented in
    // FFmpeg, patches welcome".
    const QString source = testmedia::DamagedSoundMp4();
    engine->AddVideoClip(source, 0, 4, 0);
    engine->AddAudioClip(source, 0, 4);
    const QString out = dir.filePath("damaged.avi");
    const RenderOutcome r = RenderAndWait(*engine, out);
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    EXPECT_NEAR(testmedia::AudioSeconds(out), 4.0, 0.05);
    // The beeps outside the damage are where they belong, in the sound that is left.
    const QVector<qint16> sound = testmedia::MonoSamples(out, 44100);
    const auto loudness = [&](double from, double to) {
        int peak = 0;
        for (int i = int(from * 44100); i < int(to * 44100) && i < sound.size(); ++i)
            peak = std::max(peak, std::abs(int(sound[i])));
        return peak;
    };
    EXPECT_GT(loudness(0.48, 0.52), 3000);
    EXPECT_GT(loudness(3.48, 3.52), 3000);
}

double FirstPictureTime(const QString& file) {
    const QByteArray out = testmedia::Run("ffprobe", {"-v", "error", "-select_streams", "v", "-read_intervals", "%+#4",
                                                      "-show_entries", "frame=best_effort_timestamp_time", "-of",
                                                      "csv=p=0", file});
    return out.split('\n').first().trimmed().toDouble();
}

TEST_F(UsersFiles, SoundThatCannotBeDecodedAtAllIsNamedInOurWords) {
    const QString source = testmedia::UndecodableSoundMp4();
    engine->AddVideoClip(source, 0, 4, 0);
    engine->AddAudioClip(source, 0, 4);
    const RenderOutcome r = RenderAndWait(*engine, dir.filePath("undecodable.avi"));
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains("user_UndecodableSound.mp4") && r.error.contains("audio stream (aac)"))
        << r.error.toStdString();
    EXPECT_FALSE(r.error.contains("patches welcome")) << r.error.toStdString();
}

TEST_F(UsersFiles, APackedBFrameFileShowsItsRealPictureAfterACut) {
    // Before: the first frame after a cut was grey. The command line decodes the
    // file from its start, where packed frames are no trouble.
    const QString source = testmedia::UserClip(Shape::PackedXvid);
    const QString whole = dir.filePath("whole.avi");
    engine->AddVideoClip(source, 0, 4, 0);
    ASSERT_TRUE(RenderAndWait(*engine, whole).completed);
    for (double cut : {1.0, 1.52, 2.04}) {
        engine->ClearClips();
        engine->AddVideoClip(source, cut, cut + 0.5, 0);
        const QString part = dir.filePath("part.avi");
        const RenderOutcome r = RenderAndWait(*engine, part);
        ASSERT_TRUE(r.completed) << r.error.toStdString();
        // The whole render opens on the file's first picture, which this file
        // shows one frame after its start.
        const int frame = int(std::lround((cut - FirstPictureTime(source)) * 25));
        EXPECT_LT(MeanDifference(testmedia::Luma(part, 0), testmedia::Luma(whole, frame)), 1.0) << "cut at " << cut;
    }
}

TEST_F(UsersFiles, ASourceThatEndsUnderTheRenderFailsNamingIt) {
    // A source on a share or a stick that goes away mid-render: the pictures stop
    // long before the file said. The render fails rather than end short.
    const QString original = testmedia::Make("vanishing.mpg", {"-f", "lavfi", "-i", "testsrc=d=40:s=640x480:r=25",
                                                              "-c:v", "mpeg2video", "-q:v", "2", "-f", "mpeg"});
    const QString source = dir.filePath("vanishing.mpg");
    ASSERT_TRUE(QFile::copy(original, source));
    engine->SetUseVideoCompressor(true);
    engine->SetOutputType(4);
    engine->AddVideoClip(source, 0, 40, 0);
    bool cut = false;
    QObject::connect(engine.get(), &TVideoEdit::OnProcessing, [&](double, double) {
        if (!cut)
            cut = QFile::resize(source, QFileInfo(source).size() / 4);
    });
    const RenderOutcome r = RenderAndWait(*engine, dir.filePath("out.mpg"), 120000);
    ASSERT_TRUE(cut);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains("vanishing.mpg")) << r.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.mpg")));
}

} // namespace
