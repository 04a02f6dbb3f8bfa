// Renders to MP4 (H.264 + AAC) from users' sources, checked with ffprobe and by
// reading the file's own box layout.
#include "render_wait.h"
#include "sync_meter.h"
#include "test_media.h"
#include "user_media.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

using testmedia::Shape;

constexpr int kMp4 = 10;

// The types of the file's top-level boxes, in file order.
QStringList TopLevelBoxes(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {"cannot open " + file};
    QStringList boxes;
    qint64 at = 0;
    while (at + 8 <= f.size()) {
        f.seek(at);
        const QByteArray head = f.read(16);
        quint64 size = (quint64(uchar(head[0])) << 24) | (uchar(head[1]) << 16) | (uchar(head[2]) << 8) | uchar(head[3]);
        if (size == 1 && head.size() == 16) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | uchar(head[i]);
        }
        boxes << QString::fromLatin1(head.mid(4, 4));
        if (size < 8)
            break;
        at += qint64(size);
    }
    return boxes;
}

double StartTime(const QJsonObject& stream) {
    return stream["start_time"].toString().toDouble();
}

class Mp4Output : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(kMp4);
    }

    QString render(const QString& source, double start, double stop, const QString& name) {
        engine->AddVideoClip(source, start, stop, 0);
        engine->AddAudioClip(source, start, stop);
        const QString out = dir.filePath(name);
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(Mp4Output, CompressedSoundBecomesH264AndAacInSyncFromZero) {
    engine->SetFrameRate(30);
    engine->SetOutputFileWidth(256);
    engine->SetOutputFileHeight(192);
    engine->SetMP4AudioBitrate(192);
    const QString out = render(testmedia::UserClip(Shape::Mp3Avi), 0, 4, "mp3 source.mp4");

    const QJsonObject probe = testmedia::Probe(out);
    const QJsonObject v = testmedia::Stream(probe, "video");
    const QJsonObject a = testmedia::Stream(probe, "audio");
    EXPECT_EQ(v["codec_name"].toString(), "h264");
    EXPECT_EQ(v["pix_fmt"].toString(), "yuv420p");
    EXPECT_EQ(v["width"].toInt(), 256);
    EXPECT_EQ(v["height"].toInt(), 192);
    EXPECT_EQ(v["r_frame_rate"].toString(), "30/1");
    EXPECT_NEAR(v["nb_read_frames"].toString().toInt(), 120, 1);
    EXPECT_EQ(a["codec_name"].toString(), "aac");
    EXPECT_EQ(a["sample_rate"].toString(), "48000");
    EXPECT_EQ(a["channels"].toInt(), 2);
    EXPECT_NEAR(testmedia::AudioSeconds(out), 4.0, 1 / 30.0);
    // The first picture and the first sound both at 0, whatever the encoders' delays.
    EXPECT_NEAR(StartTime(v), 0, 1e-3);
    EXPECT_NEAR(StartTime(a), 0, 1e-3);

    const testmedia::SyncReport sync = testmedia::MeasureSync(out);
    EXPECT_EQ(sync.events.size(), 4u);
    EXPECT_EQ(sync.unpairedFlashes, 0);
    EXPECT_LT(sync.worstOffsetMs(), 1000 / 30.0);

    // The index ahead of the media, so the file plays while it downloads.
    const QStringList boxes = TopLevelBoxes(out);
    ASSERT_TRUE(boxes.contains("moov") && boxes.contains("mdat")) << boxes.join(' ').toStdString();
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat")) << boxes.join(' ').toStdString();
}

TEST_F(Mp4Output, OriginalSizeOfARotatedPhoneClipComesOutUpright) {
    engine->SetFrameRate(25);
    engine->SetOutputFileWidth(0);
    engine->SetOutputFileHeight(0);
    const QString out = render(testmedia::UserClip(Shape::RotatedPhone), 0, 2, "phone.mp4");

    const QJsonObject v = testmedia::Stream(testmedia::Probe(out), "video");
    EXPECT_EQ(v["width"].toInt(), 240);
    EXPECT_EQ(v["height"].toInt(), 320);
    EXPECT_TRUE(v["side_data_list"].toArray().isEmpty()) << "no rotation left for players to apply";
    // The coded picture's top-left square, turned as the player would show it, is bottom left.
    const QByteArray luma = testmedia::Luma(out, 0);
    ASSERT_EQ(luma.size(), 240 * 320);
    auto mean = [&](int x0, int y0) {
        int sum = 0;
        for (int y = y0; y < y0 + 32; ++y)
            for (int x = x0; x < x0 + 32; ++x)
                sum += uchar(luma[y * 240 + x]);
        return sum / (32 * 32);
    };
    EXPECT_GT(mean(8, 320 - 40), 180);
    EXPECT_LT(mean(8, 8), 60);
}

TEST_F(Mp4Output, LowerQualityNumberGivesALargerFile) {
    engine->SetFrameRate(25);
    engine->SetOutputFileWidth(320);
    engine->SetOutputFileHeight(240);
    engine->SetOutputAudio(false);
    // Fine detail in motion, where the rate factor decides how much is kept.
    const QString source = testmedia::Make("mp4_detail.avi", {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=3",
                                                              "-c:v", "mpeg4", "-q:v", "2"});
    engine->SetMP4Quality(18);
    const QString best = render(source, 0, 3, "crf18.mp4");
    engine->ClearClips();
    engine->SetMP4Quality(28);
    const QString smallest = render(source, 0, 3, "crf28.mp4");
    EXPECT_GT(QFileInfo(best).size(), QFileInfo(smallest).size() * 3 / 2)
        << QFileInfo(best).size() << " vs " << QFileInfo(smallest).size();
}

} // namespace
