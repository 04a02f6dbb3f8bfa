// Pictures come out upright, with their fields and their shape: phone rotations,
// interlaced camcorder and DVD sources, anamorphic and portrait frames, full-range
// JPEG video, and the first timestamps of an AVI with MP3 sound.
#include "render_wait.h"
#include "test_media.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// 1 s of black, 160x120, with a white 40x30 box in the top left corner.
QString CornerClip() {
    return testmedia::Make("corner_160x120.mp4",
                           {"-f", "lavfi", "-i",
                            "color=c=black:size=160x120:rate=25:duration=1,"
                            "drawbox=x=0:y=0:w=40:h=30:color=white:t=fill",
                            "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
}

// The corner clip with a display matrix saying to turn it by `degrees`.
QString RotatedClip(int degrees) {
    return testmedia::Make(QStringLiteral("corner_rotate%1.mp4").arg(degrees),
                           {"-i", CornerClip(), "-c", "copy", "-metadata:s:v:0", QStringLiteral("rotate=%1").arg(degrees)});
}

// The corner clip with a mirroring display matrix, written into its track header.
QString MirroredClip(const QString& folder) {
    QFile in(CornerClip());
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray mp4 = in.readAll();
    const int tkhd = mp4.indexOf("tkhd");
    const int matrix = tkhd + 44; // version 0 header: the matrix's first entry
    if (tkhd < 0 || mp4.mid(matrix, 4) != QByteArray::fromHex("00010000"))
        return {};
    mp4.replace(matrix, 4, QByteArray::fromHex("ffff0000"));
    const QString path = folder + "/mirrored.mp4";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(mp4);
    return path;
}

// 2 s of moving 576i PAL MPEG-2 shown 4:3, `top` or bottom field first, so the
// two fields of a frame hold different moments.
QString InterlacedClip(bool top) {
    const QString order = top ? "top" : "bottom";
    return testmedia::Make(QStringLiteral("interlaced_576_%1.mpg").arg(order),
                           {"-f", "lavfi", "-i",
                            QStringLiteral("testsrc2=size=720x576:rate=50,tinterlace=interleave_%1,setfield=%2")
                                .arg(order, top ? "tff" : "bff"),
                            "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "2", "-ac", "2",
                            "-c:v", "mpeg2video", "-flags", "+ildct+ilme", "-top", top ? "1" : "0", "-aspect", "4:3",
                            "-b:v", "4M", "-c:a", "mp2", "-f", "vob"});
}

struct Corners {
    int topLeft, topRight, bottomLeft, bottomRight;
};

Corners CornerLuma(const QByteArray& luma, int width, int height) {
    auto mean = [&](int x0, int y0) {
        int sum = 0;
        for (int y = y0; y < y0 + 8; ++y)
            for (int x = x0; x < x0 + 8; ++x)
                sum += uchar(luma.at(y * width + x));
        return sum / 64;
    };
    if (luma.size() != width * height)
        return {-1, -1, -1, -1};
    return {mean(2, 2), mean(width - 10, 2), mean(2, height - 10), mean(width - 10, height - 10)};
}

// Which corner is bright: 0 top left, 1 top right, 2 bottom left, 3 bottom right,
// -1 when not exactly one.
int BrightCorner(const QByteArray& luma, int width, int height) {
    const Corners c = CornerLuma(luma, width, height);
    const int values[] = {c.topLeft, c.topRight, c.bottomLeft, c.bottomRight};
    int bright = -1;
    for (int i = 0; i < 4; ++i) {
        if (values[i] > 180) {
            if (bright >= 0)
                return -1;
            bright = i;
        } else if (values[i] > 60) {
            return -1;
        }
    }
    return bright;
}

double Ratio(const QString& r) {
    const QStringList p = r.split(':');
    return p.size() == 2 && p[1].toDouble() > 0 ? p[0].toDouble() / p[1].toDouble() : 0;
}

struct FieldCounts {
    int top = 0, bottom = 0, progressive = 0;
};

// What ffmpeg's interlace detector sees in a file's frames.
FieldCounts DetectFields(const QString& file) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "info", "-nostats", "-i", file, "-an", "-vf", "idet", "-f", "null", "-"});
    ffmpeg.waitForFinished(120000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    const QRegularExpression multi("Multi frame detection: TFF:\\s*(\\d+) BFF:\\s*(\\d+) Progressive:\\s*(\\d+)");
    const QRegularExpressionMatch m = multi.match(log);
    FieldCounts c;
    if (m.hasMatch())
        c = {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()};
    return c;
}

class EngineGeometry : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetFrameRate(25);
    }

    QString render(const QString& name = "out") {
        const QString out = dir.filePath(name);
        const RenderOutcome r = RenderAndWait(*engine, out);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return out;
    }

    QJsonObject video(const QString& file) { return testmedia::Stream(testmedia::Probe(file), "video"); }

    // AVI at the first clip's own size, uncompressed so pixels stay as rendered.
    void originalSizeAvi() {
        engine->SetOutputType(8);
        engine->SetUseVideoCompressor(false);
        engine->SetOutputFileWidth(0);
        engine->SetOutputFileHeight(0);
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(EngineGeometry, RotatedAndMirroredVideosComeOutAsPlayersShowThem) {
    struct Case {
        QString file;
        int width, height;
    };
    const QString mirrored = MirroredClip(dir.path());
    ASSERT_FALSE(mirrored.isEmpty());
    for (const Case& c : {Case{RotatedClip(90), 120, 160}, Case{RotatedClip(180), 160, 120},
                          Case{RotatedClip(270), 120, 160}, Case{mirrored, 160, 120}}) {
        SCOPED_TRACE(c.file.toStdString());
        const QJsonArray sides = video(c.file)["side_data_list"].toArray();
        ASSERT_FALSE(sides.isEmpty()) << "the source carries a display matrix";
        // The ffmpeg command line turns the source as players do: the reference.
        const int expected = BrightCorner(testmedia::Luma(c.file), c.width, c.height);
        ASSERT_GT(expected, 0) << "a turned source shows its box away from the top left";

        engine->ClearClips();
        originalSizeAvi();
        engine->AddVideoClip(c.file, 0, 1, 0);
        const QString out = render(QFileInfo(c.file).baseName() + ".avi");
        const QJsonObject v = video(out);
        EXPECT_EQ(v["width"].toInt(), c.width) << "original size is the turned size";
        EXPECT_EQ(v["height"].toInt(), c.height);
        EXPECT_EQ(BrightCorner(testmedia::Luma(out), c.width, c.height), expected);
        EXPECT_EQ(BrightCorner(testmedia::Luma(out, 20), c.width, c.height), expected) << "every frame is turned";
    }
}

TEST_F(EngineGeometry, ATurnedClipIsFittedByItsUprightShape) {
    // Into a landscape frame with bars, a portrait picture is tall: black at the
    // sides, picture in the middle from top to bottom.
    engine->SetOutputType(8);
    engine->SetUseVideoCompressor(false);
    engine->SetOutputFileWidth(160);
    engine->SetOutputFileHeight(120);
    engine->AddVideoClip(RotatedClip(90), 0, 0.4, 2);
    const QByteArray luma = testmedia::Luma(render("fitted.avi"));
    ASSERT_EQ(luma.size(), 160 * 120);
    // 120x160 upright scaled to 90x120: bars 35 wide either side, the box in a corner.
    EXPECT_LT(uchar(luma.at(60 * 160 + 10)), 30) << "left bar";
    EXPECT_LT(uchar(luma.at(60 * 160 + 150)), 30) << "right bar";
    EXPECT_EQ(BrightCorner(testmedia::Luma(RotatedClip(90)), 120, 160), 2);
    EXPECT_GT(uchar(luma.at(115 * 160 + 40)), 180) << "the box, bottom left of the upright picture";
}

TEST_F(EngineGeometry, PortraitClipsOnDiscsAreFourThreeNeverWide) {
    const QString portrait = testmedia::Make("portrait_180x320.mp4",
                                             {"-f", "lavfi", "-i", "testsrc2=size=180x320:rate=25:duration=1", "-c:v",
                                              "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    // A phone's portrait clip stored landscape with a rotation.
    const QString phone = testmedia::Make("phone_320x180_rotate90.mp4",
                                          {"-i", testmedia::Make("landscape_320x180.mp4",
                                                                 {"-f", "lavfi", "-i",
                                                                  "testsrc2=size=320x180:rate=25:duration=1", "-c:v",
                                                                  "libx264", "-preset", "ultrafast", "-pix_fmt",
                                                                  "yuv420p"}),
                                           "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    for (const QString& clip : {portrait, phone})
        for (int mode : {0, 2}) {
            SCOPED_TRACE(QStringLiteral("%1 mode %2").arg(clip).arg(mode).toStdString());
            engine->ClearClips();
            engine->SetOutputType(4);
            engine->AddVideoClip(clip, 0, 0.4, int16_t(mode));
            EXPECT_EQ(video(render("portrait.mpg"))["display_aspect_ratio"].toString(), "4:3");
        }
}

TEST_F(EngineGeometry, InterlacedSourcesKeepTheirFieldsOnDvdOfTheirOwnShape) {
    for (bool top : {true, false}) {
        SCOPED_TRACE(top ? "top field first" : "bottom field first");
        const QString source = InterlacedClip(top);
        ASSERT_EQ(video(source)["field_order"].toString(), top ? "tt" : "bb");
        engine->ClearClips();
        engine->SetOutputType(4);
        engine->AddVideoClip(source, 0, 2, 2);
        engine->AddAudioClip(source, 0, 2);
        const QString out = render(top ? "top.mpg" : "bottom.mpg");
        const QJsonObject v = video(out);
        EXPECT_EQ(v["field_order"].toString(), top ? "tt" : "bb");
        EXPECT_EQ(v["display_aspect_ratio"].toString(), "4:3");
        const FieldCounts fields = DetectFields(out);
        EXPECT_GE(top ? fields.top : fields.bottom, 45) << "the fields still hold their own moments";

        const QString disc = dir.filePath(top ? "dvd_top" : "dvd_bottom");
        int exitCode = -1;
        testmedia::Run("dvdauthor", {"-o", disc, "-t", out}, &exitCode);
        EXPECT_EQ(exitCode, 0) << "dvdauthor accepts the interlaced DVD";
    }
}

TEST_F(EngineGeometry, InterlacedSourcesAreDeinterlacedWhereTheirFieldsCannotStay) {
    const QString source = InterlacedClip(true);
    const FieldCounts before = DetectFields(source);
    ASSERT_GE(before.top, 45) << "the source is visibly interlaced";
    struct Case {
        int type;
        const char* why;
    };
    // SVCD and VCD have other frame sizes, NTSC DVD another rate, AVI is progressive.
    for (const Case& c : {Case{2, "SVCD"}, Case{0, "VCD"}, Case{5, "NTSC DVD"}, Case{8, "AVI"}}) {
        SCOPED_TRACE(c.why);
        engine->ClearClips();
        engine->SetOutputType(c.type);
        engine->SetOutputFileWidth(352);
        engine->SetOutputFileHeight(288);
        engine->AddVideoClip(source, 0, 2, 2);
        const QString out = render(QStringLiteral("deinterlaced_%1").arg(c.type));
        const QString order = video(out)["field_order"].toString();
        EXPECT_NE(order, "tt");
        EXPECT_NE(order, "bb");
        const FieldCounts after = DetectFields(out);
        const int frames = after.top + after.bottom + after.progressive;
        EXPECT_GT(frames, 40);
        EXPECT_GE(after.progressive, frames * 8 / 10) << "no combing: " << after.top << " tff, " << after.bottom
                                                      << " bff, " << after.progressive << " progressive";
    }
}

TEST_F(EngineGeometry, ProgressiveSourcesMakeProgressiveDvds) {
    engine->SetOutputType(4);
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    EXPECT_EQ(video(render("progressive.mpg"))["field_order"].toString(), "progressive");
}

TEST_F(EngineGeometry, DiscAndStandardMpegFramesShowTheSourcesShape) {
    const QString anamorphic = testmedia::Make("anamorphic_720x576.mpg",
                                               {"-f", "lavfi", "-i", "testsrc2=size=720x576:rate=25:duration=1",
                                                "-c:v", "mpeg2video", "-aspect", "16:9", "-b:v", "3M", "-f", "vob"});
    ASSERT_EQ(video(anamorphic)["sample_aspect_ratio"].toString(), "64:45");
    struct Case {
        int type;
        QString clip;
        int mode;
        double aspect;    // as displayed
        double tolerance; // what the format's aspect table allows
    };
    for (const Case& c : {
             Case{0, testmedia::WideClip(), 0, 4.0 / 3, 0.01},    // VCD players know 4:3 only
             Case{1, anamorphic, 0, 4.0 / 3, 0.01},
             Case{2, testmedia::WideClip(), 0, 16.0 / 9, 0.001},  // SVCD keeps a stretched wide source wide
             Case{4, anamorphic, 0, 16.0 / 9, 0.001},
             Case{4, anamorphic, 2, 16.0 / 9, 0.001},             // fitted whole, a wide picture stays wide
             Case{4, anamorphic, 3, 4.0 / 3, 0.001},              // cropped to 4:3
             Case{6, testmedia::H264Clip(), 0, 4.0 / 3, 0.08},    // MPEG-1's nearest pixel shape at 480x576
             Case{7, testmedia::H264Clip(), 0, 4.0 / 3, 0.001},
             Case{7, testmedia::WideClip(), 2, 16.0 / 9, 0.001},
         }) {
        SCOPED_TRACE(QStringLiteral("type %1, %2, mode %3").arg(c.type).arg(c.clip).arg(c.mode).toStdString());
        engine->ClearClips();
        engine->SetOutputType(c.type);
        engine->SetOutputFileWidth(480);
        engine->SetOutputFileHeight(576);
        engine->AddVideoClip(c.clip, 0, 0.4, int16_t(c.mode));
        const QJsonObject v = video(render("shape.mpg"));
        const double shown = v["width"].toInt() * Ratio(v["sample_aspect_ratio"].toString()) / v["height"].toInt();
        EXPECT_NEAR(shown, c.aspect, c.aspect * c.tolerance) << v["sample_aspect_ratio"].toString().toStdString();
    }
}

TEST_F(EngineGeometry, FullRangeVideoKeepsItsBlacksAndWhites) {
    const QString filter = "color=c=black:size=160x120:rate=25:duration=1,"
                           "drawbox=x=80:y=0:w=80:h=120:color=white:t=fill";
    const QString mjpeg = testmedia::Make("fullrange_mjpeg.avi", {"-f", "lavfi", "-i", filter, "-c:v", "mjpeg",
                                                                  "-pix_fmt", "yuvj420p", "-q:v", "2"});
    // VP9 reports its range beside a plain 4:2:0 pixel format, not as a "J" one.
    const QString vp9 = testmedia::Make("fullrange_vp9.webm",
                                        {"-f", "lavfi", "-i", filter, "-vf", "scale=out_range=pc", "-c:v", "libvpx-vp9",
                                         "-deadline", "realtime", "-pix_fmt", "yuv420p", "-color_range", "pc"});
    ASSERT_EQ(video(vp9)["color_range"].toString(), "pc");
    for (const QString& clip : {mjpeg, vp9}) {
        SCOPED_TRACE(clip.toStdString());
        engine->ClearClips();
        engine->SetOutputType(8);
        engine->SetUseVideoCompressor(false); // limited-range YUV 4:2:0
        engine->SetOutputFileWidth(160);
        engine->SetOutputFileHeight(120);
        engine->AddVideoClip(clip, 0, 0.4, 0);
        // The stored levels, not a conversion of them.
        const QByteArray y = testmedia::Run("ffmpeg", {"-v", "error", "-i", render("range.avi"), "-frames:v", "1",
                                                       "-f", "rawvideo", "-"});
        ASSERT_GE(y.size(), 160 * 120);
        EXPECT_NEAR(uchar(y.at(60 * 160 + 20)), 16, 3) << "black";
        EXPECT_NEAR(uchar(y.at(60 * 160 + 140)), 235, 3) << "white";
    }
}

class EngineAviTiming : public EngineGeometry {
protected:
    void SetUp() override {
        EngineGeometry::SetUp();
        engine->SetOutputType(8); // the defaults: MPEG-4 and MP3
        engine->SetOutputFileWidth(160);
        engine->SetOutputFileHeight(120);
    }
};

// The first field of each line of ffprobe's csv; side data sections add blank lines.
QList<QByteArray> Lines(const QByteArray& text) {
    QList<QByteArray> lines;
    for (const QByteArray& l : text.split('\n'))
        if (!l.trimmed().isEmpty())
            lines << l.split(',').first().trimmed();
    return lines;
}

TEST_F(EngineAviTiming, EveryCompressorStartsOnItsFirstFrameAndNoFrameIsLate) {
    const int compressors = engine->VideoCompressors().size();
    for (int i = 0; i < compressors; ++i) {
        SCOPED_TRACE(engine->VideoCompressors()[i].toStdString());
        engine->ClearClips();
        engine->SetVideoCompressor(int16_t(i));
        engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
        engine->AddAudioClip(testmedia::H264Clip(), 0, 1);
        const QString out = render(QStringLiteral("timing%1.avi").arg(i));
        const QList<QByteArray> sizes = Lines(testmedia::Run(
            "ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=size", "-of", "csv=p=0", out}));
        ASSERT_EQ(sizes.size(), 25);
        for (int n = 0; n < sizes.size(); ++n)
            EXPECT_GT(sizes[n].toInt(), 0) << "chunk " << n << " holds a frame";
        // Where a player puts each decoded picture.
        const QList<QByteArray> times = Lines(testmedia::Run("ffprobe", {"-v", "error", "-select_streams", "v:0",
                                                                         "-show_entries", "frame=best_effort_timestamp",
                                                                         "-of", "csv=p=0", out}));
        ASSERT_EQ(times.size(), 25);
        for (int n = 0; n < times.size(); ++n)
            EXPECT_EQ(times[n].toInt(), n) << "frame " << n;
    }
}

TEST_F(EngineAviTiming, Mp3SoundPlaysWithItsPicture) {
    // A white flash and a tone that both begin at exactly 1 s.
    const QString clip = testmedia::Make(
        "flash_and_tone.mkv",
        {"-f", "lavfi", "-i",
         "color=c=black:size=160x120:rate=25:duration=2,"
         "drawbox=x=0:y=0:w=160:h=120:color=white:t=fill:enable='gte(n,25)'",
         "-f", "lavfi", "-i", "aevalsrc='if(gte(t,1),0.5*sin(2*PI*1000*t),0)':s=44100:d=2", "-c:v", "libx264",
         "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "pcm_s16le"});
    engine->AddVideoClip(clip, 0, 2, 0);
    engine->AddAudioClip(clip, 0, 2);
    const QString out = render("sync.avi");

    int flash = -1;
    for (int n = 20; n < 30 && flash < 0; ++n) {
        const QByteArray luma = testmedia::Luma(out, n);
        if (luma.size() == 160 * 120 && uchar(luma.at(60 * 160 + 80)) > 128)
            flash = n;
    }
    EXPECT_EQ(flash, 25) << "the flash's frame plays at 1 s";
    const QVector<qint16> samples = testmedia::MonoSamples(out, 44100);
    int onset = -1;
    for (int i = 0; i < samples.size() && onset < 0; ++i)
        if (std::abs(int(samples[i])) > 4000)
            onset = i;
    ASSERT_GT(onset, 0);
    EXPECT_NEAR(onset / 44100.0 * 1000, 1000, 4) << "the tone, in ms: neither early nor late by the encoder's delay";
    EXPECT_NEAR(testmedia::AudioSeconds(out), 2.0, 0.03) << "the sound lasts as long as the picture";
}

} // namespace
