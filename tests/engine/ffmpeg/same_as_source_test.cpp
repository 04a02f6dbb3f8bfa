// Parts in the source's own format: today's kinds of files cut off their
// keyframes. Each source shows its frame number and moves every frame, so a
// frame out of place shows; it flashes and beeps once a second on every sound
// track, so sync shows. A part keeps the container, the codecs, every stream,
// the turn and the colour; its frames are the source's from the cut on, the
// copied ones bit for bit.
#include "render_wait.h"
#include "sync_meter.h"
#include "test_media.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr int kFirstFrame = 13; // 0.52 s: off the keyframe grid (every 25 frames)
constexpr int kEndFrame = 78;   // 3.12 s
constexpr int kFrames = kEndFrame - kFirstFrame;
constexpr int kCopiedFrames = 40; // of the groups at 25 and 50, an open group's leading pictures encoded

QString Picture(const char* size) {
    return QStringLiteral("testsrc=s=%1:r=25:d=4,scroll=h=0.013:v=0.007,"
                          "drawbox=c=white:t=fill:enable='eq(mod(n-12\\,25)\\,0)'").arg(size);
}

QString Beeps(int rate, int channels) {
    const QString beep = QStringLiteral("if(gte(n\\,%1)*lt(mod(n-%1\\,%2)\\,%3)\\,0.5*sin(2*PI*1000*(n-%1)/%2)\\,0)")
                             .arg(std::llround(std::ceil(0.48 * rate - 1e-9))).arg(rate).arg(rate / 25);
    QStringList all;
    for (int c = 0; c < channels; ++c)
        all << beep;
    return QStringLiteral("aevalsrc=exprs='%1':s=%2:d=4").arg(all.join('|')).arg(rate);
}

struct Source {
    const char* name;
    const char* file;
    QStringList args;   // inputs and codecs
    int soundTracks;
    int subtitles;
    bool turned;
};

QStringList Lavfi(const QString& graph) { return {"-f", "lavfi", "-i", graph}; }

std::vector<Source> Sources() {
    const QStringList h264{"-c:v", "libx264", "-preset", "veryfast", "-bf", "2", "-g", "25", "-keyint_min", "25",
                           "-sc_threshold", "0", "-pix_fmt", "yuv420p"};
    QStringList phone = Lavfi(Picture("320x240")) + Lavfi(Beeps(48000, 2));
    phone << "-c:v" << "libx265" << "-preset" << "ultrafast" << "-pix_fmt" << "yuv420p10le" << "-tag:v" << "hvc1"
          << "-x265-params" << "keyint=25:min-keyint=25:scenecut=0:bframes=2:open-gop=0:log-level=error"
          << "-color_primaries" << "bt2020" << "-color_trc" << "arib-std-b67" << "-colorspace" << "bt2020nc"
          << "-c:a" << "aac" << "-b:a" << "128k";
    QStringList game = Lavfi(Picture("320x240")) + Lavfi(Beeps(48000, 2)) + Lavfi(Beeps(48000, 2));
    game << "-map" << "0" << "-map" << "1" << "-map" << "2" << h264 << "-c:a:0" << "aac" << "-c:a:1" << "ac3"
         << "-metadata:s:a:0" << "language=eng" << "-metadata:s:a:1" << "language=fra";
    QStringList web = Lavfi(Picture("320x240")) + Lavfi(Beeps(48000, 2));
    web << "-c:v" << "libvpx-vp9" << "-deadline" << "realtime" << "-cpu-used" << "8" << "-g" << "25"
        << "-keyint_min" << "25" << "-b:v" << "1M" << "-c:a" << "libopus";
    QStringList broadcast = Lavfi(Picture("320x240")) + Lavfi(Beeps(48000, 6));
    broadcast << h264 << "-c:a" << "ac3" << "-b:a" << "384k" << "-f" << "mpegts";
    QStringList dvd = Lavfi(Picture("352x288")) + Lavfi(Beeps(48000, 2));
    dvd << "-c:v" << "mpeg2video" << "-q:v" << "3" << "-g" << "25" << "-bf" << "2" << "-c:a" << "ac3" << "-f" << "vob";
    return {
        {"HevcMov", "phone hevc 10-bit.mov", phone, 1, 0, true},
        {"H264Mkv", "game two tracks.mkv", game, 2, 0, false},
        {"Vp9Webm", "screen vp9.webm", web, 1, 0, false},
        {"H264Ts", "broadcast ac3.ts", broadcast, 1, 0, false},
        {"Mpeg2Ps", "dvd title.mpg", dvd, 1, 0, false},
    };
}

QJsonArray StreamsOf(const QJsonObject& probe, const QString& type) {
    QJsonArray out;
    for (const auto& s : probe["streams"].toArray())
        if (s.toObject()["codec_type"].toString() == type)
            out.append(s);
    return out;
}

// The decoded frames' checksums, the source's from frame `from` on.
QStringList Hashes(const QString& file, int from, int count) {
    const QStringList all = testmedia::FrameHashes(file);
    return all.mid(from, count);
}

// The worst PSNR of the part's frames against the source's frames it should hold.
double WorstPsnr(const QString& part, const QString& source, const QString& dir) {
    const QString log = dir + "/psnr.log";
    testmedia::Run("ffmpeg", {"-v", "error", "-noautorotate", "-i", part, "-noautorotate", "-i", source, "-filter_complex",
                              QStringLiteral("[0:v]setpts=PTS-STARTPTS[a];[1:v]trim=start_frame=%1:end_frame=%2,"
                                             "setpts=PTS-STARTPTS[b];[a][b]psnr=stats_file='%3'")
                                  .arg(kFirstFrame).arg(kEndFrame).arg(log),
                              "-f", "null", "-"});
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    double worst = 1000;
    const QRegularExpression value("psnr_avg:(\\S+)");
    for (const QByteArray& line : file.readAll().split('\n')) {
        const auto m = value.match(QString::fromUtf8(line));
        if (m.hasMatch())
            worst = std::min(worst, m.captured(1) == "inf" ? 1000.0 : m.captured(1).toDouble());
    }
    return worst;
}

class SameAsSource : public ::testing::TestWithParam<Source> {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(11);
        QObject::connect(engine.get(), &TVideoEdit::OnRenderNote, [this](const QString& n) { notes << n; });
    }

    QString part(const QString& source, const QString& extension) {
        engine->ClearClips();
        engine->AddVideoClip(source, kFirstFrame / 25.0, kEndFrame / 25.0, 0);
        engine->AddAudioClip(source, kFirstFrame / 25.0, kEndFrame / 25.0);
        const QString out = dir.filePath("part." + extension);
        const RenderOutcome r = RenderAndWait(*engine, out, 120000);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return r.completed ? out : QString();
    }

    // Sync of sound track `track`, measured on a copy of the picture and that track alone.
    testmedia::SyncReport trackSync(const QString& file, int track) {
        // Program streams stay program streams: their pictures carry no times another container takes.
        const bool program = file.endsWith(".mpg");
        const QString single = dir.filePath(QStringLiteral("track%1.%2").arg(track).arg(program ? "mpg" : "mkv"));
        QFile::remove(single);
        QStringList args{"-v", "error", "-i", file, "-map", "0:v:0", "-map", QStringLiteral("0:a:%1").arg(track), "-c", "copy"};
        if (program)
            args << "-f" << "vob";
        testmedia::Run("ffmpeg", args << single);
        return testmedia::MeasureSync(single);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
    QStringList notes;
};

TEST_P(SameAsSource, APartIsTheSourceFromTheCutOn) {
    const Source& s = GetParam();
    QString source = testmedia::Make(s.file, s.args);
    // FFmpeg 5.1 writes a display matrix from the "rotate" tag only when it copies.
    if (s.turned)
        source = testmedia::Make(QStringLiteral("turned %1").arg(s.file),
                                 {"-i", source, "-map", "0", "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    const QString extension = QFileInfo(source).suffix();
    const QString out = part(source, extension);
    ASSERT_FALSE(out.isEmpty());
    std::printf("same-source notes | %s | %s\n", s.name, qPrintable(notes.join(" / ")));
    std::fflush(stdout);

    const QJsonObject in = testmedia::Probe(source), got = testmedia::Probe(out);
    EXPECT_EQ(got["format"].toObject()["format_name"], in["format"].toObject()["format_name"]);
    const QJsonObject v = testmedia::Stream(got, "video"), sv = testmedia::Stream(in, "video");
    for (const char* key : {"codec_name", "profile", "pix_fmt", "width", "height", "color_primaries", "color_transfer",
                            "color_space", "codec_tag_string"})
        EXPECT_EQ(v[key], sv[key]) << key;
    if (s.turned) {
        const QJsonArray side = v["side_data_list"].toArray();
        ASSERT_FALSE(side.isEmpty()) << "the turn is lost";
        EXPECT_EQ(side.first().toObject()["rotation"].toInt(),
                  sv["side_data_list"].toArray().first().toObject()["rotation"].toInt());
    }

    // Every sound track, copied in its codec and in sync.
    const QJsonArray sound = StreamsOf(got, "audio"), sourceSound = StreamsOf(in, "audio");
    ASSERT_EQ(sound.size(), s.soundTracks);
    for (int t = 0; t < s.soundTracks; ++t) {
        EXPECT_EQ(sound[t].toObject()["codec_name"], sourceSound[t].toObject()["codec_name"]);
        EXPECT_EQ(sound[t].toObject()["channels"], sourceSound[t].toObject()["channels"]);
        EXPECT_EQ(sound[t].toObject()["tags"].toObject()["language"], sourceSound[t].toObject()["tags"].toObject()["language"]);
        // At least as much in sync as the source is: the cut adds nothing to its codec's own delay.
        const testmedia::SyncReport sync = trackSync(out, t), own = trackSync(source, t);
        std::printf("same-source sync | %s | track %d | %.1f ms | source %.1f ms |\n", s.name, t, sync.worstOffsetMs(),
                    own.worstOffsetMs());
        EXPECT_GE(sync.events.size() - sync.unpairedFlashes, 2u) << "track " << t;
        EXPECT_LE(sync.worstOffsetMs(), own.worstOffsetMs() + 2.0) << "track " << t;
    }

    // Exactly the frames of the cut, in order; the copied ones bit for bit.
    const QStringList part = testmedia::FrameHashes(out);
    EXPECT_EQ(part.size(), kFrames);
    const QStringList wanted = Hashes(source, kFirstFrame, kFrames);
    int same = 0;
    for (int i = 0; i < std::min(part.size(), wanted.size()); ++i)
        same += part[i] == wanted[i];
    const double psnr = WorstPsnr(out, source, dir.path());
    std::printf("same-source frames | %s | %lld of %d | identical %d | worst PSNR %.1f dB |\n", s.name,
                static_cast<long long>(part.size()), kFrames, same, psnr);
    // The note tells how many frames were encoded: all the others are copied.
    const QRegularExpression encodedNote("re-encoding (\\d+) frames around the cuts");
    const auto m = encodedNote.match(notes.join(' '));
    ASSERT_TRUE(m.hasMatch()) << "nothing copied";
    EXPECT_LE(m.captured(1).toInt(), kFrames - kCopiedFrames);
    EXPECT_GE(same, kFrames - m.captured(1).toInt());
    EXPECT_GE(psnr, 30.0) << "a frame that is not the source's at its place";
}

INSTANTIATE_TEST_SUITE_P(Sources, SameAsSource, ::testing::ValuesIn(Sources()),
                         [](const ::testing::TestParamInfo<Source>& info) { return std::string(info.param.name); });

} // namespace
