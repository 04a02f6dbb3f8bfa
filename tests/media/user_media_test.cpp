#include "disc_check.h"
#include "probe_rows.h"
#include "sync_meter.h"
#include "test_media.h"
#include "user_media.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>

using namespace testmedia;

namespace {

double Number(const QJsonValue& v) { return v.toString().toDouble(); }

QList<QHash<QString, QString>> Packets(const QString& file, const QString& stream) {
    return CompactRows(Run("ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                                       "packet=pts_time,dts_time,pos,size", "-of", "compact=p=0", file}));
}

std::vector<double> FrameTimes(const QString& file) {
    std::vector<double> times;
    for (const auto& row : CompactRows(Run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                       "frame=best_effort_timestamp_time", "-of", "compact=p=0", file})))
        times.push_back(row.value("best_effort_timestamp_time").toDouble());
    return times;
}

// What ffmpeg says while decoding one stream, at `level` and above.
QString DecodeLog(const QString& file, const QString& stream, const QString& level = "warning") {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostats", "-v", level, "-i", file, "-map", stream, "-f", "null", "-"});
    ffmpeg.waitForFinished(60000);
    return QString::fromUtf8(ffmpeg.readAllStandardError());
}

// One frame's luma as decoded (`rotate` false: as coded, ignoring the display matrix).
QByteArray FrameLuma(const QString& file, bool rotate) {
    QStringList args{"-v", "error"};
    if (!rotate)
        args << "-noautorotate";
    args << "-i" << file << "-frames:v" << "1" << "-f" << "rawvideo" << "-pix_fmt" << "gray" << "-";
    return Run("ffmpeg", args);
}

struct ShapeFacts {
    testmedia::Shape shape;
    QString format; // part of ffprobe's format_name
    QString video, audio;
    int width, height;
    double videoSeconds, audioSeconds; // decoded, within 0.1 s
    std::function<void(const QString& file, const QJsonObject& video, const QJsonObject& audio)> extra;
};

const std::vector<ShapeFacts>& Facts() {
    using S = testmedia::Shape;
    auto hasBFrames = [](const QString&, const QJsonObject& v, const QJsonObject&) {
        EXPECT_GE(v["has_b_frames"].toInt(), 1);
    };
    static const std::vector<ShapeFacts> facts{
        {S::AacMp4, "mp4", "h264", "aac", 320, 240, 4, 4, hasBFrames},
        {S::Mp3Avi, "avi", "mpeg4", "mp3", 320, 240, 4, 4, {}},
        {S::Ac3Mpeg, "mpeg", "mpeg2video", "ac3", 720, 576, 4, 4,
         [](const QString&, const QJsonObject&, const QJsonObject& a) {
             EXPECT_EQ(a["sample_rate"].toString(), "48000");
         }},
        {S::Mp2Mpeg, "mpeg", "mpeg1video", "mp2", 352, 288, 4, 4,
         [](const QString&, const QJsonObject&, const QJsonObject& a) {
             EXPECT_EQ(a["sample_rate"].toString(), "44100");
         }},
        {S::WmaAsf, "asf", "wmv2", "wmav2", 320, 240, 4, 4, {}},
        {S::SoundLonger, "mp4", "h264", "aac", 320, 240, 2.0, 2.5, {}},
        {S::SoundShorter, "mp4", "h264", "aac", 320, 240, 2.52, 2.0, {}},
        {S::LateSound, "mp4", "h264", "aac", 320, 240, 4, 3,
         [](const QString&, const QJsonObject& v, const QJsonObject& a) {
             EXPECT_NEAR(Number(v["start_time"]), 0.0, 0.001);
             EXPECT_NEAR(Number(a["start_time"]), 1.0 - 1024.0 / 44100, 0.001);
         }},
        {S::RotatedPhone, "mp4", "h264", "aac", 320, 240, 4, 4,
         [](const QString& file, const QJsonObject& v, const QJsonObject&) {
             int rotation = 0;
             for (const QJsonValue& side : v["side_data_list"].toArray())
                 rotation = side["rotation"].toInt(rotation);
             EXPECT_EQ(std::abs(rotation), 90);
             // The square sits top-left in the coded picture; turned a quarter
             // anticlockwise for display, it lands bottom-left of a 240x320 picture.
             const QByteArray coded = FrameLuma(file, false), shown = FrameLuma(file, true);
             ASSERT_EQ(coded.size(), 320 * 240);
             ASSERT_EQ(shown.size(), 240 * 320);
             EXPECT_GT(quint8(coded[10 * 320 + 10]), 200);
             EXPECT_LT(quint8(coded[200 * 320 + 300]), 40);
             EXPECT_GT(quint8(shown[310 * 240 + 10]), 200);
             EXPECT_LT(quint8(shown[10 * 240 + 10]), 40);
         }},
        {S::Interlaced576i, "mpeg", "mpeg2video", "mp2", 720, 576, 4, 4,
         [](const QString& file, const QJsonObject& v, const QJsonObject& a) {
             EXPECT_EQ(v["field_order"].toString(), "tt");
             EXPECT_EQ(a["sample_rate"].toString(), "48000");
             // The fields of a frame show the bar at different places.
             const QByteArray luma = Luma(file, 5);
             ASSERT_EQ(luma.size(), 720 * 576);
             int differing = 0;
             for (int x = 0; x < 720; ++x)
                 differing += std::abs(quint8(luma[100 * 720 + x]) - quint8(luma[101 * 720 + x])) > 40;
             EXPECT_GT(differing, 10);
         }},
        {S::Anamorphic, "mpeg", "mpeg2video", "mp2", 720, 576, 4, 4,
         [](const QString&, const QJsonObject& v, const QJsonObject&) {
             EXPECT_EQ(v["sample_aspect_ratio"].toString(), "64:45");
             EXPECT_EQ(v["display_aspect_ratio"].toString(), "16:9");
         }},
        {S::OffsetTs, "mpegts", "h264", "aac", 320, 240, 4, 4,
         [](const QString&, const QJsonObject& v, const QJsonObject& a) {
             EXPECT_NEAR(Number(v["start_time"]), 10.0, 0.001);
             EXPECT_NEAR(Number(a["start_time"]), 10.0, 0.05);
         }},
        {S::VariableRate, "mp4", "h264", "aac", 320, 240, 3.93, 4,
         [](const QString& file, const QJsonObject& v, const QJsonObject&) {
             EXPECT_NE(v["avg_frame_rate"].toString(), v["r_frame_rate"].toString());
             const std::vector<double> t = FrameTimes(file);
             ASSERT_GT(t.size(), 50u);
             double shortest = 1, longest = 0;
             for (size_t i = 1; i < t.size(); ++i) {
                 shortest = std::min(shortest, t[i] - t[i - 1]);
                 longest = std::max(longest, t[i] - t[i - 1]);
             }
             EXPECT_NEAR(shortest, 0.020, 0.001);
             EXPECT_NEAR(longest, 0.050, 0.001);
         }},
        {S::CameraMjpeg, "avi", "mjpeg", "pcm_s16le", 320, 240, 4, 4,
         [](const QString& file, const QJsonObject& v, const QJsonObject& a) {
             EXPECT_EQ(v["r_frame_rate"].toString(), "30/1");
             EXPECT_EQ(a["sample_rate"].toString(), "11025");
             EXPECT_EQ(a["channels"].toInt(), 1);
             // The demuxer hands a chunk out in pieces that lie back to back in
             // the file; a jump in position is the next chunk.
             QList<qint64> chunks;
             qint64 end = -1;
             for (const auto& p : Packets(file, "a:0")) {
                 const qint64 pos = p.value("pos").toLongLong(), size = p.value("size").toLongLong();
                 if (pos != end || chunks.isEmpty())
                     chunks << 0;
                 chunks.last() += size;
                 end = pos + size;
             }
             EXPECT_EQ(chunks, (QList<qint64>{22050, 22050, 22050, 22050}));
         }},
        {S::PackedXvid, "avi", "mpeg4", "mp3", 320, 240, 3.92, 4,
         [](const QString& file, const QJsonObject& v, const QJsonObject&) {
             EXPECT_GE(v["has_b_frames"].toInt(), 1);
             EXPECT_TRUE(DecodeLog(file, "0:v:0", "info").contains("packed B-frames"));
             // No empty chunks after the first frame: packets follow frame by frame.
             const auto packets = Packets(file, "v:0");
             ASSERT_GT(packets.size(), 10);
             EXPECT_NEAR(packets[1].value("dts_time").toDouble(), 0.04, 0.001);
         }},
    };
    return facts;
}

// Where each source's flashes and beeps lie (s from its first frame).
struct Expected {
    std::vector<double> flashes, beeps;
};

Expected ExpectedEvents(testmedia::Shape shape) {
    using S = testmedia::Shape;
    const std::vector<double> at48{0.48, 1.48, 2.48, 3.48}, at50{0.5, 1.5, 2.5, 3.5};
    switch (shape) {
    case S::SoundLonger: return {{0.48, 1.48}, {0.48, 1.48, 2.48}};
    case S::SoundShorter: return {{0.48, 1.48, 2.48}, {0.48, 1.48}};
    case S::LateSound: return {at48, {1.48, 2.48, 3.48}};
    case S::VariableRate:
    case S::CameraMjpeg: return {at50, at50};
    default: return {at48, at48};
    }
}

void ExpectTimes(const std::vector<double>& found, const std::vector<double>& expected, const char* what) {
    ASSERT_EQ(found.size(), expected.size()) << what;
    for (size_t i = 0; i < found.size(); ++i)
        EXPECT_NEAR(found[i], expected[i], 0.001) << what << " " << i;
}

// One reading of each source serves both what it is and where its flashes and
// beeps lie: the meter is checked on every shape the engine tests measure with it.
TEST(UserMedia, EachShapeIsWhatItClaimsAndTheMeterFindsItsFlashesAndBeepsInSync) {
    ASSERT_EQ(Facts().size(), AllShapes().size());
    for (const ShapeFacts& f : Facts()) {
        SCOPED_TRACE(ShapeName(f.shape).toStdString());
        const QString file = UserClip(f.shape);
        ASSERT_TRUE(QFileInfo(file).isAbsolute());
        ASSERT_GT(QFileInfo(file).size(), 1000) << file.toStdString();
        const QJsonObject probe = ProbeHeaders(file);
        const QJsonObject v = Stream(probe, "video"), a = Stream(probe, "audio");
        EXPECT_TRUE(probe["format"]["format_name"].toString().contains(f.format));
        EXPECT_EQ(v["codec_name"].toString(), f.video);
        EXPECT_EQ(a["codec_name"].toString(), f.audio);
        EXPECT_EQ(v["width"].toInt(), f.width);
        EXPECT_EQ(v["height"].toInt(), f.height);
        const SyncReport sync = MeasureSync(file);
        EXPECT_NEAR(sync.videoSeconds, f.videoSeconds, 0.1);
        EXPECT_NEAR(sync.audioSeconds, f.audioSeconds, 0.1);
        if (f.extra)
            f.extra(file, v, a);

        const Expected expected = ExpectedEvents(f.shape);
        ExpectTimes(sync.flashes, expected.flashes, "flashes");
        ExpectTimes(sync.beeps, expected.beeps, "beeps");
        EXPECT_LT(sync.worstOffsetMs(), 1.0);
        EXPECT_EQ(sync.events.size(), expected.flashes.size());
        const int paired = int(sync.events.size()) - sync.unpairedFlashes;
        EXPECT_EQ(sync.unpairedBeeps, int(expected.beeps.size()) - paired);
    }
}

TEST(SyncMeter, LeavesAFlashWithoutSoundUnpaired) {
    const SyncReport sync = MeasureSync(UserClip(testmedia::Shape::LateSound));
    ASSERT_EQ(sync.events.size(), 4u);
    EXPECT_EQ(sync.events[0].beep, -1);
    EXPECT_EQ(sync.unpairedFlashes, 1);
    EXPECT_EQ(sync.unpairedBeeps, 0);
}

TEST(SyncMeter, MeasuresKnownOffsets) {
    const QString source = UserClip(testmedia::Shape::AacMp4);
    struct Case {
        QString name;
        QStringList args;
        double offsetMs;
    };
    const std::vector<Case> cases{
        {"late_by_samples.mp4", {"-i", source, "-c:v", "copy", "-af", "adelay=100|100", "-c:a", "aac"}, 100},
        {"early_by_samples.mp4",
         {"-i", source, "-c:v", "copy", "-af", "atrim=start=0.06,asetpts=PTS-STARTPTS", "-c:a", "aac"}, -60},
        // The same delay written as a later start time, the samples untouched.
        {"late_by_start_time.mp4",
         {"-i", source, "-itsoffset", "0.1", "-i", source, "-map", "0:v", "-map", "1:a", "-c", "copy"}, 100},
        // A DVD program stream, whose clock starts at 0.5 s.
        {"late_dvd.mpg", {"-i", source, "-af", "adelay=100|100", "-target", "pal-dvd"}, 100},
        {"in_sync_vcd.mpg", {"-i", source, "-target", "pal-vcd"}, 0},
        {"in_sync.avi", {"-i", source, "-c:v", "mpeg4", "-q:v", "4", "-c:a", "pcm_s16le"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const SyncReport sync = MeasureSync(Make("offset_" + c.name, c.args));
        EXPECT_EQ(sync.flashes.size(), 4u);
        EXPECT_EQ(sync.unpairedFlashes, 0);
        ASSERT_FALSE(sync.events.empty());
        for (const SyncEvent& e : sync.events)
            EXPECT_NEAR(e.offsetMs, c.offsetMs, 2.0) << "flash at " << e.flash;
    }
}

TEST(SyncMeter, ReadsAnAwkwardlyNamedFile) {
    const QString file = AwkwardlyNamedClip();
    EXPECT_TRUE(QFileInfo(file).fileName().contains(QString::fromUtf8("Ü")));
    EXPECT_TRUE(file.contains('"') && file.contains('\'') && file.contains(' '));
    const SyncReport sync = MeasureSync(file);
    EXPECT_EQ(sync.flashes.size(), 4u);
    EXPECT_EQ(sync.beeps.size(), 4u);
    EXPECT_LT(sync.worstOffsetMs(), 1.0);
}

TEST(UserMedia, DamagedSoundKeepsItsContainerAndPicture) {
    const QString file = DamagedSoundMp4();
    const QJsonObject probe = Probe(file);
    EXPECT_EQ(Stream(probe, "audio")["codec_name"].toString(), "aac");
    EXPECT_EQ(Stream(probe, "video")["nb_read_frames"].toString(), "100");
    EXPECT_FALSE(DecodeLog(file, "0:a:0").isEmpty());
    EXPECT_TRUE(DecodeLog(file, "0:v:0").isEmpty());
}

TEST(UserMedia, TruncatedFileCannotBeOpened) {
    const QString file = TruncatedMp4();
    EXPECT_EQ(QFileInfo(file).size(), 100);
    int exitCode = 0;
    testmedia::Run("ffprobe", {"-v", "error", file}, &exitCode);
    EXPECT_NE(exitCode, 0);
}

TEST(DiscCheck, AcceptsStandardDiscFiles) {
    const QString source = UserClip(testmedia::Shape::AacMp4);
    const QString dvd = Make("disc_pal_dvd.mpg", {"-i", source, "-target", "pal-dvd"});
    const QString vcd = Make("disc_pal_vcd.mpg", {"-i", source, "-target", "pal-vcd"});
    const QString svcd = Make("disc_pal_svcd.mpg", {"-i", source, "-target", "pal-svcd"});
    EXPECT_EQ(DvdauthorComplaint(dvd).toStdString(), "");
    EXPECT_EQ(VcdimagerComplaint(vcd, false).toStdString(), "");
    EXPECT_EQ(VcdimagerComplaint(svcd, true).toStdString(), "");
}

TEST(DiscCheck, RefusesFilesThatAreNotForTheDisc) {
    const QString source = UserClip(testmedia::Shape::AacMp4);
    const QString smallDvd = Make("disc_small_dvd.mpg", {"-i", source, "-target", "pal-dvd", "-s", "320x240"});
    const QString smallVcd = Make("disc_small_vcd.mpg", {"-i", source, "-target", "pal-vcd", "-s", "320x240"});
    const QString vcd = Make("disc_pal_vcd.mpg", {"-i", source, "-target", "pal-vcd"});
    const QString svcd = Make("disc_pal_svcd.mpg", {"-i", source, "-target", "pal-svcd"});
    const QString plainMpeg = UserClip(testmedia::Shape::Mp2Mpeg);

    EXPECT_TRUE(DvdauthorComplaint(smallDvd).contains("320x240"));
    EXPECT_FALSE(DvdauthorComplaint(vcd).isEmpty());
    EXPECT_FALSE(DvdauthorComplaint(UserClip(testmedia::Shape::AacMp4)).isEmpty());
    EXPECT_TRUE(VcdimagerComplaint(smallVcd, false).contains("320x240"));
    EXPECT_FALSE(VcdimagerComplaint(plainMpeg, false).isEmpty());
    EXPECT_FALSE(VcdimagerComplaint(svcd, false).isEmpty());
    EXPECT_FALSE(VcdimagerComplaint(vcd, true).isEmpty());
}

} // namespace
