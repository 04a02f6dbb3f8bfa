// Sound cut from compressed tracks is the source's own sound from the first
// sample on, compared with the whole track decoded by the ffmpeg command line;
// parts and joins keep picture and sound lengths together.
#include "render_wait.h"
#include "test_media.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>
#include <cmath>

namespace {

// A chirp in each channel: tonal, so the codecs reproduce it the same way
// whatever the decoder heard before (noise would be filled in at random).
QStringList Chirp(int rate, double seconds) {
    return {"-f", "lavfi", "-i",
            QStringLiteral("aevalsrc=0.3*sin(2*PI*(200+150*t)*t)|0.3*sin(2*PI*(300+100*t)*t):s=%1:d=%2")
                .arg(rate).arg(seconds)};
}

struct SoundSource {
    const char* name;
    QStringList args;
};

std::vector<SoundSource> CompressedSources() {
    return {
        {"chirp.mp3", Chirp(44100, 6) + QStringList{"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"chirp.m4a", Chirp(44100, 6) + QStringList{"-c:a", "aac", "-b:a", "128k"}},
        {"chirp-ac3.mpg", QStringList{"-f", "lavfi", "-i", "testsrc=d=6:s=160x120:r=25"} + Chirp(44100, 6)
                              + QStringList{"-c:v", "mpeg2video", "-c:a", "ac3", "-b:a", "192k", "-f", "vob"}},
        {"chirp-mp2.mpg", QStringList{"-f", "lavfi", "-i", "testsrc=d=6:s=160x120:r=25"} + Chirp(44100, 6)
                              + QStringList{"-c:v", "mpeg1video", "-c:a", "mp2", "-b:a", "192k", "-f", "mpeg"}},
        {"chirp.wma", Chirp(44100, 6) + QStringList{"-c:a", "wmav2", "-b:a", "128k", "-f", "asf"}},
    };
}

// Where `part` sits in `whole` around `expected` (in samples), and how far the
// samples then differ at worst.
struct Match {
    int shift = 0;
    int worst = 0;
    int worstAt = 0; // sample of `part` where it differs most
};
Match FindIn(const QVector<qint16>& whole, const QVector<qint16>& part, int expected, int count) {
    Match best{0, 1 << 30};
    long bestSum = -1;
    for (int shift = -2500; shift <= 2500; ++shift) {
        const int at = expected + shift;
        if (at < 0 || at + count > whole.size() || count > part.size())
            continue;
        long sum = 0;
        for (int i = 0; i < count; i += 3)
            sum += std::abs(whole[at + i] - part[i]);
        if (bestSum < 0 || sum < bestSum) {
            bestSum = sum;
            best.shift = shift;
        }
    }
    best.worst = 0;
    for (int i = 0; i < count; ++i)
        if (std::abs(whole[expected + best.shift + i] - part[i]) > best.worst) {
            best.worst = std::abs(whole[expected + best.shift + i] - part[i]);
            best.worstAt = i;
        }
    return best;
}

// Where the first decoded sample of a file plays, from the file's start: the
// command line's decode begins there, whatever the codec's own delay.
double FirstSoundTime(const QString& file) {
    const QJsonObject probe = QJsonDocument::fromJson(testmedia::Run("ffprobe", {"-v", "error", "-select_streams",
        "a", "-read_intervals", "%+#8", "-show_entries", "frame=best_effort_timestamp_time:format=start_time",
        "-of", "json", file})).object();
    const double first = probe["frames"].toArray().at(0).toObject()["best_effort_timestamp_time"].toString().toDouble();
    return first - probe["format"].toObject()["start_time"].toString().toDouble();
}

// Frames of an `fps` grid from 0 that start before `seconds`.
int FirstFrameCount(double seconds, double fps) { return int(std::ceil(seconds * fps - 1e-3)); }

class SoundCuts : public ::testing::Test {
protected:
    void SetUp() override {
        engine = LosslessAviEngine(160, 120);
    }

    QString render(const QString& name) {
        const QString out = dir.filePath(name);
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(SoundCuts, CompressedSoundIsExactFromTheFirstSampleAfterACut) {
    const QString picture = testmedia::H264Clip();
    for (const SoundSource& s : CompressedSources()) {
        const QString source = testmedia::Make(s.name, s.args);
        const QVector<qint16> whole = testmedia::MonoSamples(source, 44100);
        for (double cut : {1.0, 2.32}) {
            engine->ClearClips();
            engine->AddVideoClip(picture, 0, 0.8, 0);
            engine->AddAudioClip(source, cut, cut + 0.8);
            const QVector<qint16> part = testmedia::MonoSamples(render("cut.avi"), 44100);
            const Match m = FindIn(whole, part, int(std::lround((cut - FirstSoundTime(source)) * 44100)), 4000);
            // Program streams carry times in 90 kHz ticks: a sample either way. ASF
            // counts milliseconds, and so does the first time the reference is read from.
            const QString name = s.name;
            const int slack = name.endsWith(".mpg") ? 1 : name.endsWith(".wma") ? 45 : 0;
            EXPECT_LE(std::abs(m.shift), slack) << s.name << " cut at " << cut;
            EXPECT_LE(m.worst, 4) << s.name << " cut at " << cut;
        }
    }
}

TEST_F(SoundCuts, ConsecutivePartsHoldEverySampleOnce) {
    // Parts cut between frames (6 s / 7): the sound of each starts with its
    // first frame, so laid end to end they are the source's sound again.
    const QString source = testmedia::Make("chirp-video.mp4", QStringList{"-f", "lavfi", "-i",
                                                                          "testsrc=d=6:s=160x120:r=25"}
                                                                  + Chirp(44100, 6)
                                                                  + QStringList{"-c:v", "libx264", "-c:a", "aac"});
    const QVector<qint16> whole = testmedia::MonoSamples(source, 44100);
    const double length = 6.0 / 7;
    QVector<qint16> joined;
    int frames = 0;
    for (int n = 0; n < 7; ++n) {
        engine->ClearClips();
        engine->AddAudioClip(source, n * length, (n + 1) * length);
        engine->AddVideoClip(source, n * length, (n + 1) * length, 0);
        const QString part = render(QStringLiteral("part%1.avi").arg(n));
        const QVector<qint16> sound = testmedia::MonoSamples(part, 44100);
        const int pictures = testmedia::Stream(testmedia::Probe(part), "video")["nb_read_frames"].toString().toInt();
        EXPECT_EQ(sound.size(), pictures * 44100 / 25) << "part " << n;
        frames += pictures;
        joined += sound;
    }
    EXPECT_EQ(frames, 150);
    ASSERT_GE(whole.size(), joined.size());
    // The codec's last frame ends the source's own decode a little differently.
    const Match m = FindIn(whole, joined, 0, joined.size() - 2205);
    EXPECT_EQ(m.shift, 0);
    EXPECT_LE(m.worst, 4) << "at sample " << m.worstAt;
}

TEST_F(SoundCuts, PartsAtAnotherFrameRateHoldEachOutputFrameOnce) {
    // 12.04 s into four parts at 23.976 fps: 289 frames of that grid, from a
    // 25 fps source and from a film-rate one alike.
    for (const char* rate : {"25", "24000/1001"}) {
        const QString source = testmedia::Make(QStringLiteral("twelve-%1.mp4").arg(QString(rate).replace('/', '_')),
                                               {"-f", "lavfi", "-i",
                                                QStringLiteral("testsrc=d=12.04:s=160x120:r=%1").arg(rate), "-c:v",
                                                "libx264", "-g", "12"});
        engine->SetFrameRate(23.976f);
        int frames = 0;
        const double whole = testmedia::Stream(testmedia::Probe(source), "video")["duration"].toString().toDouble();
        const double length = whole / 4;
        for (int n = 0; n < 4; ++n) {
            engine->ClearClips();
            engine->AddVideoClip(source, n * length, (n + 1) * length, 0);
            frames += testmedia::Stream(testmedia::Probe(render(QStringLiteral("p%1.avi").arg(n))), "video")
                          ["nb_read_frames"].toString().toInt();
        }
        EXPECT_EQ(frames, FirstFrameCount(whole, 24000.0 / 1001)) << rate << " fps source of " << whole << " s";
    }
}

} // namespace
