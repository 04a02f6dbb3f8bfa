// Still pictures on the timeline and where the resize modes put a picture.
#include "render_wait.h"
#include "test_media.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class EnginePictures : public ::testing::Test {
protected:
    void SetUp() override {
        engine = LosslessAviEngine(160, 120);
    }

    QString render() {
        const QString out = dir.filePath("out.avi");
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return out;
    }

    // Luma of the output's first frame at (x, y).
    int pixel(const QByteArray& luma, int x, int y) { return uchar(luma.at(y * 160 + x)); }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(EnginePictures, APictureLastsItsShowingTime) {
    engine->AddVideoClip(testmedia::Picture(), 0, 2.5, 2);
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    const QString out = render();
    const QJsonObject probe = testmedia::Probe(out);
    // 2.5 s holds the 63 frames that start before 2.5 s; the clip after it starts
    // at frame 63.
    EXPECT_EQ(testmedia::Stream(probe, "video")["nb_read_frames"].toString().toInt(), 63 + 25);
    // Silence under the picture, so the sound lasts as long as the picture does.
    EXPECT_NEAR(testmedia::AudioSeconds(out), 88 / 25.0, 0.001);
}

TEST_F(EnginePictures, ShowingTimesRoundToWholeOutputFrames) {
    struct Case {
        float fps;
        double seconds;
        int frames;
    };
    for (const Case& c : {Case{25, 1, 25}, Case{25, 2.5, 63}, Case{25, 4, 100}, Case{29.97f, 1, 30},
                          Case{29.97f, 2.5, 75}, Case{29.97f, 4, 120}}) {
        engine->ClearClips();
        engine->SetFrameRate(c.fps);
        engine->AddVideoClip(testmedia::Picture(), 0, c.seconds, 0);
        const QJsonObject v = testmedia::Stream(testmedia::Probe(render()), "video");
        EXPECT_EQ(v["nb_read_frames"].toString().toInt(), c.frames) << c.fps << " fps, " << c.seconds << " s";
    }
}

TEST_F(EnginePictures, ResizeModesPlaceThePictureWithBlackAround) {
    const QString wide = testmedia::Make("white_320x180.png", {"-f", "lavfi", "-i", "color=c=white:size=320x180",
                                                               "-frames:v", "1"});
    const QString small = testmedia::Make("white_100x50.png", {"-f", "lavfi", "-i", "color=c=white:size=100x50",
                                                               "-frames:v", "1"});
    struct Case {
        QString picture;
        int mode;
        bool topBlack;  // row 2 in the middle column
        bool leftBlack; // column 2 in the middle row
    };
    for (const Case& c : {Case{wide, 0, false, false}, Case{wide, 1, false, false}, Case{wide, 2, true, false},
                          Case{wide, 3, false, false}, Case{small, 1, true, true}, Case{small, 2, true, false},
                          Case{small, 3, false, false}}) {
        SCOPED_TRACE(QStringLiteral("%1 mode %2").arg(c.picture).arg(c.mode).toStdString());
        engine->ClearClips();
        engine->AddVideoClip(c.picture, 0, 0.2, int16_t(c.mode));
        const QByteArray luma = testmedia::Luma(render());
        ASSERT_EQ(luma.size(), 160 * 120);
        EXPECT_GT(pixel(luma, 80, 60), 200) << "the middle shows the picture";
        EXPECT_EQ(pixel(luma, 80, 2) < 30, c.topBlack) << pixel(luma, 80, 2);
        EXPECT_EQ(pixel(luma, 2, 60) < 30, c.leftBlack) << pixel(luma, 2, 60);
    }
}

TEST_F(EnginePictures, JpegsAreTurnedUprightByTheirExifOrientation) {
    // The 200x100 test picture tagged "rotate 90 degrees clockwise to view".
    QFile plain(testmedia::Picture());
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    const QByteArray jpeg = plain.readAll();
    const QByteArray tiff = QByteArray::fromHex("4d4d002a00000008" "0001" "011200030000000100060000" "00000000");
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1 = QByteArray::fromHex("ffe1");
    app1.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xff)).append(payload);
    const QString turned = dir.filePath("turned.jpg");
    QFile out(turned);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(jpeg.left(2) + app1 + jpeg.mid(2));
    out.close();

    // "Original size" takes the first clip's size: the upright picture's.
    engine->SetOutputFileWidth(0);
    engine->SetOutputFileHeight(0);
    engine->AddVideoClip(turned, 0, 0.2, 0);
    const QJsonObject v = testmedia::Stream(testmedia::Probe(render()), "video");
    EXPECT_EQ(v["width"].toInt(), 100);
    EXPECT_EQ(v["height"].toInt(), 200);
}

TEST_F(EnginePictures, ADamagedPictureIsNamed) {
    const QString broken = dir.filePath("broken.jpg");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(64, 'x'));
    f.close();
    engine->AddVideoClip(broken, 0, 1, 0);
    const RenderOutcome r = RenderAndWait(*engine, dir.filePath("out.avi"));
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains(broken)) << r.error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.avi")));
}

TEST_F(EnginePictures, SoundStartsWithTheVideoClipAddedBeforeIt) {
    // A picture without sound, then a video with its sound: the sound waits for
    // its picture instead of playing under the still.
    engine->AddVideoClip(testmedia::Picture(), 0, 1, 0);
    engine->AddVideoClip(testmedia::PcmClip(), 0, 1, 0);
    engine->AddAudioClip(testmedia::PcmClip(), 0, 1);
    const QVector<qint16> samples = testmedia::MonoSamples(render(), 44100);
    ASSERT_EQ(samples.size(), 2 * 44100);
    auto loudest = [&](int from, int to) {
        int peak = 0;
        for (int i = from; i < to; ++i)
            peak = std::max(peak, std::abs(int(samples[i])));
        return peak;
    };
    EXPECT_EQ(loudest(0, 44100), 0);
    EXPECT_GT(loudest(44100, 44100 + 441), 1000) << "the sound begins with its video";
}

TEST_F(EnginePictures, ConsecutiveAudioClipsAreSampleExact) {
    const QString source = testmedia::PcmClip();
    engine->AddVideoClip(source, 0, 3, 0);
    engine->AddAudioClip(source, 0, 1.23);
    engine->AddAudioClip(source, 1.23, 2.2);
    engine->AddAudioClip(source, 2.2, 3);
    EXPECT_EQ(testmedia::AudioHash(render()), testmedia::AudioHash(source));
}

} // namespace
