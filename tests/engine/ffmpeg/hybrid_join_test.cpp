// Joins of clips and photos. The clips already in the output's format are
// copied frame for frame; the photos and their transitions are encoded to
// match them; the sound stays with the pictures on every track. Pieces of one
// recording that a camera split into files meet without a gap in the sound.
#include "render_wait.h"
#include "sync_meter.h"
#include "test_media.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kClipFrames = 100;  // 4 s at 25 fps
constexpr int kPhotoFrames = 50;  // 2 s
constexpr int kFadeFrames = 25;   // 1 s
constexpr double kWorstOffsetMs = 5;

// Black, with a white frame once a second from 0.48 s on; sound silent but for
// 40 ms of 1 kHz starting with each white frame.
QStringList FlashAndBeep(const char* size, int tracks) {
    QStringList args{"-f", "lavfi", "-i",
                     QStringLiteral("color=c=black:s=%1:r=25:d=4,format=yuv420p,"
                                    "drawbox=c=white:t=fill:enable='eq(mod(n-12\\,25)\\,0)'")
                         .arg(size)};
    for (int t = 0; t < tracks; ++t)
        args << "-f" << "lavfi" << "-i"
             << "aevalsrc=exprs='if(gte(n\\,23040)*lt(mod(n-23040\\,48000)\\,1920)\\,0.5*sin(2*PI*1000*n/48000)\\,0)':"
                "s=48000:d=4:c=stereo";
    for (int i = 0; i <= tracks; ++i)
        args << "-map" << QString::number(i);
    return args;
}

struct Output {
    const char* name;
    int outputType;
    const char* clip; // a file name with a space, as users' files have
    QStringList args;
    int soundTracks;
    bool chapters;
};

std::vector<Output> Outputs() {
    const QStringList h264{"-c:v", "libx264", "-preset", "veryfast", "-bf", "2", "-g", "25", "-sc_threshold", "0"};
    return {
        {"Mp4", 10, "flashing phone clip.mp4", FlashAndBeep("320x240", 1) + h264 + QStringList{"-c:a", "aac"}, 1, true},
        {"Dvd", 4, "flashing camcorder title.mpg",
         FlashAndBeep("720x576", 1) + QStringList{"-target", "pal-dvd", "-aspect", "4:3"}, 1, false},
        {"SourceMkv", 11, "flashing game, two tracks.mkv",
         FlashAndBeep("320x240", 2) + h264 + QStringList{"-c:a:0", "aac", "-c:a:1", "ac3"}, 2, true},
    };
}

double MeanLuma(const QString& file, int frame) {
    const QByteArray luma = testmedia::Luma(file, frame);
    double sum = 0;
    for (char c : luma)
        sum += uchar(c);
    return luma.isEmpty() ? -1 : sum / luma.size();
}

class HybridJoin : public ::testing::TestWithParam<Output> {};

// Clip, photo, clip, photo, as the join lays them: a fade before each photo.
TEST_P(HybridJoin, CopiesTheClipsAndEncodesThePhotosBetweenThem) {
    EnsureApplication();
    const Output& o = GetParam();
    const QString clip = testmedia::Make(QString::fromLatin1(o.clip), o.args);
    const QString photo = testmedia::Make("dark grey photo.jpg", {"-f", "lavfi", "-i", "color=c=0x404040:s=640x480",
                                                                  "-frames:v", "1"});
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    engine->SetOutputType(o.outputType);
    engine->SetFrameRate(25);
    engine->SetOutputFileWidth(0);
    engine->SetOutputFileHeight(0);
    QStringList notes;
    QObject::connect(engine.get(), &TVideoEdit::OnRenderNote, [&notes](const QString& n) { notes << n; });
    // The clip's length as the join measures it: the file's, which may begin
    // with sound before the first picture.
    const double length = testmedia::Probe(clip)["format"].toObject()["duration"].toString().toDouble();
    double at = 0;
    for (int i = 0; i < 2; ++i) {
        engine->AddVideoClip(clip, 0, length, 0);
        engine->AddAudioClip(clip, 0, length);
        at += length;
        engine->AddTransition(0, at, at + 1);
        engine->AddVideoClip(photo, 0, 2, 0);
        at += 2;
    }
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("holiday.") + QFileInfo(clip).suffix());
    const RenderOutcome r = RenderAndWait(*engine, out, 180000);
    ASSERT_TRUE(r.completed) << r.error.toStdString();

    ASSERT_EQ(notes.size(), 4) << notes.join('\n').toStdString();
    for (int i : {0, 2})
        EXPECT_TRUE(notes[i].startsWith("Copying")) << notes[i].toStdString();
    for (int i : {1, 3})
        EXPECT_TRUE(notes[i].endsWith("it is a still picture")) << notes[i].toStdString();

    const QStringList made = testmedia::FrameHashes(out), source = testmedia::FrameHashes(clip);
    ASSERT_EQ(source.size(), kClipFrames);
    ASSERT_EQ(made.size(), 2 * (kClipFrames + kPhotoFrames));
    const int second = kClipFrames + kPhotoFrames;
    EXPECT_TRUE(made.mid(0, kClipFrames) == source) << "the first clip's frames are its own";
    EXPECT_TRUE(made.mid(second, kClipFrames) == source) << "the second clip's frames are its own";

    // Each fade starts from the clip's last (black) frame on the photo's first
    // frame and has reached the photo one second later.
    for (int start : {kClipFrames, second + kClipFrames}) {
        const double from = MeanLuma(out, start), middle = MeanLuma(out, start + kFadeFrames / 2);
        EXPECT_LT(from, 25) << start;
        EXPECT_GT(middle, from + 5) << start;
        EXPECT_LT(middle, 55) << start;
        EXPECT_NEAR(MeanLuma(out, start + kFadeFrames + 1), 65, 8) << start;
        EXPECT_NEAR(MeanLuma(out, start + kPhotoFrames - 1), 65, 8) << start;
    }

    for (int t = 0; t < o.soundTracks; ++t) {
        const testmedia::SyncReport sync = testmedia::MeasureTrackSync(out, t, dir.path());
        EXPECT_EQ(sync.events.size(), 8u) << "track " << t;
        EXPECT_EQ(sync.unpairedFlashes, 0) << "track " << t;
        EXPECT_EQ(sync.unpairedBeeps, 0) << "track " << t;
        EXPECT_LE(sync.worstOffsetMs(), kWorstOffsetMs) << "track " << t;
    }

    if (o.chapters) {
        const QJsonArray chapters =
            QJsonDocument::fromJson(testmedia::Run("ffprobe", {"-v", "error", "-show_chapters", "-of", "json", out}))
                .object()["chapters"].toArray();
        ASSERT_EQ(chapters.size(), 4);
        const QString clipName = QFileInfo(clip).completeBaseName();
        const QStringList titles{clipName, "dark grey photo", clipName, "dark grey photo"};
        const double starts[] = {0, 4, 6, 10};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(chapters[i].toObject()["tags"].toObject()["title"].toString(), titles[i]);
            EXPECT_NEAR(chapters[i].toObject()["start_time"].toString().toDouble(), starts[i], 0.001);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, HybridJoin, ::testing::ValuesIn(Outputs()),
                         [](const auto& info) { return std::string(info.param.name); });

// A camera that splits a long recording into files: each file a piece of one
// unbroken tone, coded on its own (so each opens with its coder's priming and
// ends padded to a whole packet).
struct Recording {
    const char* name;
    int outputType;
    const char* extension;
    QStringList codecs;
};

std::vector<Recording> Recordings() {
    return {
        {"AacMp4IntoMp4", 10, "mp4", {"-c:v", "libx264", "-preset", "veryfast", "-g", "25", "-c:a", "aac"}},
        {"AacMp4IntoDvd", 4, "mp4", {"-c:v", "libx264", "-preset", "veryfast", "-g", "25", "-c:a", "aac"}},
        {"Ac3VobIntoDvd", 4, "mpg", {"-target", "pal-dvd", "-aspect", "4:3"}},
        {"Mp3MkvIntoMp4", 10, "mkv", {"-c:v", "libx264", "-preset", "veryfast", "-g", "25", "-c:a", "libmp3lame"}},
    };
}

struct Silence {
    double start, end;
};

// Stretches of sound below -40 dB lasting 3 ms or more, and the decoded length.
std::vector<Silence> Silences(const QString& file, double* length) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostats", "-i", file, "-map", "0:a:0", "-af",
                            "silencedetect=n=-40dB:d=0.003", "-f", "null", "-"});
    ffmpeg.waitForFinished(120000);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    std::vector<Silence> found;
    const QRegularExpression start("silence_start: (-?[0-9.]+)"), end("silence_end: (-?[0-9.]+)");
    for (auto it = start.globalMatch(log); it.hasNext();)
        found.push_back({it.next().captured(1).toDouble(), -1});
    size_t k = 0;
    for (auto it = end.globalMatch(log); it.hasNext() && k < found.size(); ++k)
        found[k].end = it.next().captured(1).toDouble();
    *length = testmedia::AudioSeconds(file);
    for (Silence& s : found)
        if (s.end < 0)
            s.end = *length;
    return found;
}

class ChapterFiles : public ::testing::TestWithParam<Recording> {};

TEST_P(ChapterFiles, JoinWithoutAGapOrADoubledSample) {
    EnsureApplication();
    const Recording& rec = GetParam();
    QStringList pieces;
    for (int i = 0; i < 2; ++i) {
        QStringList args{"-f", "lavfi", "-i", "testsrc2=s=720x576:r=25", "-f", "lavfi", "-i",
                         "sine=f=440:r=48000,volume=4,aformat=channel_layouts=stereo", "-ss", QString::number(2 * i),
                         "-t", "2"};
        pieces << testmedia::Make(QStringLiteral("%1 CHAPTER %2.%3").arg(rec.name).arg(i + 1).arg(rec.extension),
                                  args + rec.codecs);
    }
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    engine->SetOutputType(rec.outputType);
    engine->SetFrameRate(25);
    for (const QString& piece : pieces) {
        const double length = testmedia::Probe(piece)["format"].toObject()["duration"].toString().toDouble();
        engine->AddVideoClip(piece, 0, length, 0);
        engine->AddAudioClip(piece, 0, length);
    }
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("whole.") + rec.extension);
    const RenderOutcome r = RenderAndWait(*engine, out, 180000);
    ASSERT_TRUE(r.completed) << r.error.toStdString();

    double length = 0;
    const std::vector<Silence> silences = Silences(out, &length);
    // The tone runs from the start (less the coder's priming) to its end.
    double toneEnd = length;
    for (const Silence& s : silences) {
        if (s.end >= length - 0.001)
            toneEnd = std::min(toneEnd, s.start);
        else
            EXPECT_LT(s.start, 0.03) << "a gap of " << (s.end - s.start) * 1000 << " ms at " << s.start << " s";
    }
    EXPECT_NEAR(toneEnd, 4.0, 0.001) << "decoded " << length << " s";
}

INSTANTIATE_TEST_SUITE_P(Cameras, ChapterFiles, ::testing::ValuesIn(Recordings()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
