// Everything of a source besides its first picture and sound: a film-like MKV
// with two sound tracks in two languages, a subtitle track, chapters and a
// recording date, cut and joined into every kind of output. Each output keeps
// what its format can hold, and the beep stays on its flash on every track.
#include "disc_check.h"
#include "render_wait.h"
#include "sync_meter.h"
#include "test_media.h"
#include "user_media.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr double kWorstOffsetMs = 5;

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// 4 s of flashes and beeps (25 fps H.264 with B-frames); the beeps in English
// AAC and again in French AC-3; two English subtitle lines; chapters "Intro"
// (0-2 s) and "Main" (2-4 s); recorded 2024-05-01 10:20:30 UTC.
QString Film() {
    const QString folder = testmedia::Folder();
    WriteText(folder + "/film.srt", "1\n00:00:00,500 --> 00:00:01,500\nHello there\n\n"
                                    "2\n00:00:02,500 --> 00:00:03,500\nSecond line\n");
    WriteText(folder + "/film.meta", ";FFMETADATA1\ncreation_time=2024-05-01T10:20:30.000000Z\ntitle=Film\n"
                                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=Intro\n"
                                     "[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Main\n");
    const QString phone = testmedia::UserClip(testmedia::Shape::AacMp4);
    return testmedia::Make("film two tracks.mkv",
                           {"-i", phone, "-i", phone, "-i", folder + "/film.srt", "-f", "ffmetadata", "-i", folder + "/film.meta",
                            "-map", "0:v", "-map", "0:a", "-map", "1:a", "-map", "2", "-map_metadata", "3", "-map_chapters", "3",
                            "-c:v", "copy", "-c:a:0", "copy", "-c:a:1", "ac3", "-c:s", "srt",
                            "-metadata:s:a:0", "language=eng", "-metadata:s:a:0", "title=English",
                            "-metadata:s:a:1", "language=fra", "-metadata:s:a:1", "title=Français",
                            "-metadata:s:s:0", "language=eng"});
}

// The same film as an MP4 (timed text, both tracks AAC, the edit list B-frames
// bring), with a phone's model tag.
QString FilmMp4() {
    return testmedia::Make("film two tracks.mp4", {"-i", Film(), "-map", "0", "-c:v", "copy", "-c:a", "aac", "-ac", "2",
                                                   "-c:s", "mov_text", "-metadata", "creation_time=2024-05-01T10:20:30Z",
                                                   "-movflags", "use_metadata_tags", "-metadata",
                                                   "com.apple.quicktime.model=iPhone 15"});
}

// A broadcast recording: H.264 in a transport stream with 5.1 AC-3 (Spanish)
// and an MP2 second track (English, audio description); no subtitles, no chapters.
QString BroadcastTs() {
    const QString phone = testmedia::UserClip(testmedia::Shape::AacMp4);
    return testmedia::Make("broadcast 5.1.ts", {"-i", phone, "-map", "0:v", "-map", "0:a", "-map", "0:a", "-c:v", "copy",
                                                "-c:a:0", "ac3", "-ac:a:0", "6", "-b:a:0", "384k", "-c:a:1", "mp2",
                                                "-metadata:s:a:0", "language=spa", "-metadata:s:a:1", "language=eng",
                                                "-f", "mpegts"});
}

struct Source {
    const char* name;
    QString (*make)();
    const char* languages[2];
    bool subtitles, chapters;
};

const Source kSources[] = {
    {"FilmMkv", Film, {"eng", "fra"}, true, true},
    {"FilmMp4", FilmMp4, {"eng", "fra"}, true, true},
    {"BroadcastTs", BroadcastTs, {"spa", "eng"}, false, false},
};

struct Output {
    const char* name;
    int type;
    int soundTracks;
    bool subtitles, chapters, languages;
    bool everySource; // all sources and a join; the other formats differ only in their codecs
};

const Output kOutputs[] = {
    {"Mp4", 10, 2, true, true, true, true},        {"DvdPal", 4, 2, false, false, false, true},
    {"Avi", 8, 2, false, false, false, false},     {"Mpeg2", 7, 2, false, false, false, false},
    {"Svcd", 2, 2, false, false, false, false},    {"Wmv", 9, 1, false, false, true, true},
};

QString Extension(int type) {
    return type == 10 ? "mp4" : type == 8 ? "avi" : type == 9 ? "wmv" : "mpg";
}

QJsonArray Streams(const QString& file, const QString& type) {
    const QJsonArray all = testmedia::Probe(file)["streams"].toArray();
    QJsonArray out;
    for (const auto& s : all)
        if (s.toObject()["codec_type"].toString() == type)
            out.append(s);
    return out;
}

QJsonArray Entries(const QString& file, const QStringList& what) {
    QStringList args{"-v", "error", "-of", "json"};
    args << what << file;
    return QJsonDocument::fromJson(testmedia::Run("ffprobe", args)).object().value(what.last() == "-show_chapters" ? "chapters" : "packets").toArray();
}

class EveryStream : public ::testing::TestWithParam<Output> {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(GetParam().type);
        engine->SetOutputFileWidth(320);
        engine->SetOutputFileHeight(240);
        engine->SetFrameRate(25);
        engine->SetWMVProfile(2);
    }

    QString render(const QString& name) {
        const QString out = dir.filePath(name + "." + Extension(GetParam().type));
        const RenderOutcome r = RenderAndWait(*engine, out, 120000);
        EXPECT_TRUE(r.completed) << r.error.toStdString();
        return r.completed ? out : QString();
    }

    testmedia::SyncReport trackSync(const QString& file, int track) {
        return testmedia::MeasureTrackSync(file, track, dir.path());
    }

    // A part from 1 s to 3 s of a source.
    void checkPart(const Source& source, const QString& out) {
        const Output& o = GetParam();
        const QJsonArray sound = Streams(out, "audio");
        ASSERT_EQ(sound.size(), o.soundTracks);
        if (o.type == 4)
            EXPECT_EQ(testmedia::DvdauthorComplaint(out).toStdString(), "");
        for (int t = 0; t < o.soundTracks; ++t) {
            const testmedia::SyncReport sync = trackSync(out, t);
            std::printf("streams-row | %s | %s | track %d | %s | %.1f ms |\n", source.name, o.name, t,
                        qPrintable(sound[t].toObject()["codec_name"].toString()), sync.worstOffsetMs());
            EXPECT_GE(sync.events.size() - sync.unpairedFlashes, 2u) << "track " << t;
            EXPECT_LE(sync.worstOffsetMs(), kWorstOffsetMs) << "track " << t;
            EXPECT_NEAR(sync.audioSeconds, sync.videoSeconds, 0.05) << "track " << t;
            if (o.languages)
                EXPECT_EQ(sound[t].toObject()["tags"].toObject()["language"].toString(), source.languages[t]);
        }

        const QJsonArray subtitles = Streams(out, "subtitle");
        const bool withSubtitles = o.subtitles && source.subtitles;
        EXPECT_EQ(subtitles.size(), withSubtitles ? 1 : 0);
        if (withSubtitles) {
            // The lines at 0.5-1.5 s and 2.5-3.5 s of the film, cut to the part (1-3 s).
            const int index = subtitles[0].toObject()["index"].toInt();
            const QJsonArray lines = Entries(out, {"-select_streams", QString::number(index), "-show_entries",
                                                   "packet=pts_time,duration_time", "-show_packets"});
            ASSERT_GE(lines.size(), 2);
            EXPECT_NEAR(lines[0].toObject()["pts_time"].toString().toDouble(), 0.0, 0.05);
            EXPECT_NEAR(lines[0].toObject()["duration_time"].toString().toDouble(), 0.5, 0.05);
            EXPECT_NEAR(lines[lines.size() - 1].toObject()["pts_time"].toString().toDouble(), 1.5, 0.05);
        }

        const QJsonArray chapters = Entries(out, {"-show_chapters"});
        if (o.chapters && source.chapters) {
            ASSERT_EQ(chapters.size(), 2);
            EXPECT_EQ(chapters[0].toObject()["tags"].toObject()["title"].toString(), "Intro");
            EXPECT_EQ(chapters[1].toObject()["tags"].toObject()["title"].toString(), "Main");
            EXPECT_NEAR(chapters[1].toObject()["start_time"].toString().toDouble(), 1.0, 0.05);
            // The part starts a second into the recording.
            const QJsonObject tags = testmedia::Probe(out)["format"].toObject()["tags"].toObject();
            const QDateTime recorded = QDateTime::fromString(tags["creation_time"].toString(), Qt::ISODateWithMs);
            EXPECT_NEAR(QDateTime::fromString("2024-05-01T10:20:31Z", Qt::ISODate).msecsTo(recorded), 0, 100)
                << tags["creation_time"].toString().toStdString();
            if (source.make == FilmMp4)
                EXPECT_EQ(tags["com.apple.quicktime.model"].toString(), "iPhone 15");
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_P(EveryStream, APartKeepsWhatTheFormatHolds) {
    const Output& o = GetParam();
    for (const Source& source : kSources) {
        if (!o.everySource && &source != &kSources[0])
            continue;
        SCOPED_TRACE(source.name);
        const QString file = source.make();
        engine->ClearClips();
        engine->AddVideoClip(file, 1.0, 3.0, 0);
        engine->AddAudioClip(file, 1.0, 3.0);
        const QString out = render(QStringLiteral("part %1").arg(source.name));
        ASSERT_FALSE(out.isEmpty());
        checkPart(source, out);
    }
}

TEST_P(EveryStream, AJoinGivesEveryClipItsPlaceOnEachTrack) {
    // The film, then a phone clip with one sound track: the second track is
    // silent under the phone clip, and both stay on their pictures.
    const Output& o = GetParam();
    if (!o.everySource)
        GTEST_SKIP() << "joins into this format's codecs are measured by the sync tests";
    const QString film = Film();
    const QString phone = testmedia::UserClip(testmedia::Shape::AacMp4);
    for (const QString& clip : {film, phone}) {
        engine->AddVideoClip(clip, 0, 10, 0);
        engine->AddAudioClip(clip, 0, 10);
    }
    const QString out = render("join");
    ASSERT_FALSE(out.isEmpty());
    ASSERT_EQ(Streams(out, "audio").size(), o.soundTracks);
    const testmedia::SyncReport first = trackSync(out, 0);
    EXPECT_GE(first.events.size() - first.unpairedFlashes, 7u);
    EXPECT_LE(first.worstOffsetMs(), kWorstOffsetMs);
    if (o.soundTracks > 1) {
        const testmedia::SyncReport second = trackSync(out, 1);
        EXPECT_LE(second.worstOffsetMs(), kWorstOffsetMs);
        EXPECT_EQ(second.beeps.size(), 4u) << "the phone clip has no second track: silence there";
        EXPECT_NEAR(second.audioSeconds, second.videoSeconds, 0.05);
    }
    if (o.chapters) {
        // One chapter a clip, named after its file, and the film's own "Main" at 2 s.
        const QJsonArray chapters = Entries(out, {"-show_chapters"});
        ASSERT_EQ(chapters.size(), 3);
        EXPECT_EQ(chapters[0].toObject()["tags"].toObject()["title"].toString(), "film two tracks");
        EXPECT_EQ(chapters[1].toObject()["tags"].toObject()["title"].toString(), "Main");
        EXPECT_EQ(chapters[2].toObject()["tags"].toObject()["title"].toString(), QFileInfo(phone).completeBaseName());
        EXPECT_NEAR(chapters[2].toObject()["start_time"].toString().toDouble(), 4.0, 0.05);
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, EveryStream, ::testing::ValuesIn(kOutputs),
                         [](const ::testing::TestParamInfo<Output>& info) { return std::string(info.param.name); });

// Six channels near full scale folded into two: as loud as the source, not
// louder, so nothing clips. 5.1 AC-3 and 7.1 PCM, into MP4 and DVD.
TEST(SoundFolding, ManyChannelsFoldWithoutClipping) {
    EnsureApplication();
    struct Case {
        const char* layout;
        const char* codec;
    };
    for (const Case c : {Case{"5.1", "ac3"}, Case{"7.1", "pcm_s16le"}}) {
        const int channels = QString(c.layout) == "5.1" ? 6 : 8;
        QStringList exprs;
        for (int i = 0; i < channels; ++i)
            exprs << "0.794*sin(2*PI*440*t)"; // -2 dBFS
        const QString source = testmedia::Make(
            QStringLiteral("fold %1.mkv").arg(c.layout),
            {"-f", "lavfi", "-i", "color=black:s=160x120:r=25:d=2", "-f", "lavfi", "-i",
             QStringLiteral("aevalsrc=%1:s=48000:d=2:c=%2").arg(exprs.join('|'), c.layout), "-c:v", "libx264",
             "-c:a", c.codec, "-b:a", "640k"});
        for (int type : {10, 4}) {
            std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
            engine->SetOutputType(type);
            engine->AddVideoClip(source, 0, 2, 0);
            engine->AddAudioClip(source, 0, 2);
            QTemporaryDir dir;
            const QString out = dir.filePath(type == 10 ? "fold.mp4" : "fold.mpg");
            const RenderOutcome r = RenderAndWait(*engine, out, 120000);
            ASSERT_TRUE(r.completed) << r.error.toStdString();
            const QVector<qint16> samples = testmedia::MonoSamples(out, 48000);
            ASSERT_FALSE(samples.isEmpty());
            int peak = 0;
            for (qint16 s : samples)
                peak = std::max(peak, std::abs(int(s)));
            const double dbfs = 20 * std::log10(peak / 32768.0);
            EXPECT_LT(dbfs, -1.0) << c.layout << " into type " << type;
            EXPECT_GT(dbfs, -4.0) << c.layout << " into type " << type;
        }
    }
}

} // namespace
