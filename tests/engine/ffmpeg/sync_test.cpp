// Picture and sound together as a viewer sees them: on sources shaped like
// phones', camcorders', discs' and old programs' files, the beep stays on its
// flash after cuts between frames, after pictures, after a clip whose sound
// outlasts its picture and to the last clip of a long join; disc outputs are
// accepted by the authoring tools.
#include "disc_check.h"
#include "render_wait.h"
#include "sync_meter.h"
#include "test_media.h"
#include "user_media.h"

#include <QJsonObject>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

using testmedia::Shape;

// What a viewer would notice: 5 ms is well under what anyone can see or hear.
constexpr double kWorstOffsetMs = 5;

struct Output {
    const char* name;
    int type;
    bool mp3 = false; // AVI with MP3 sound instead of PCM
    double fps = 25;
};

const Output kOutputs[] = {{"AviPcm", 8}, {"AviMp3", 8, true}, {"DvdPal", 4}, {"DvdNtsc", 5, false, 30000 / 1001.0}, {"VcdPal", 0},
                           {"SvcdPal", 2},
                           {"Wmv", 9}};

class Sync : public ::testing::TestWithParam<Output> {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        const Output& o = GetParam();
        engine->SetOutputType(o.type);
        engine->SetUseVideoCompressor(true);
        engine->SetVideoCompressor(5); // MPEG-4 Part 2
        engine->SetUseAudioCompressor(true);
        engine->SetAudioCompressor(o.mp3 ? 4 : 0);
        engine->SetOutputFileWidth(320);
        engine->SetOutputFileHeight(240);
        engine->SetFrameRate(25);
        engine->SetWMVProfile(2); // 320x240, 25 fps
    }

    QString extension() const { return GetParam().type == 8 ? "avi" : GetParam().type == 9 ? "wmv" : "mpg"; }

    // Renders and measures; empty report when the render failed (the failure is recorded).
    testmedia::SyncReport render(const QString& name) {
        const QString out = dir.filePath(name + "." + extension());
        const RenderOutcome r = RenderAndWait(*engine, out, 120000);
        EXPECT_TRUE(r.completed) << name.toStdString() << ": " << r.error.toStdString();
        if (!r.completed)
            return {};
        lastOutput = out;
        return testmedia::MeasureSync(out);
    }

    static std::string Describe(const testmedia::SyncReport& report) {
        std::string s;
        for (const auto& e : report.events)
            s += " " + std::to_string(e.flash) + "s:" + (e.beep < 0 ? "-" : std::to_string(e.offsetMs) + "ms");
        return s;
    }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
    QString lastOutput;
};

// A flash can only appear on an output frame: from a source of another frame
// rate it lands up to half an output frame from its beep, and into fewer frames a
// second a one-frame flash may be dropped altogether. Between equal rates the
// beep must sit on its flash.
double SourceFps(const QString& file) {
    const QStringList rate = testmedia::Stream(testmedia::ProbeHeaders(file), "video")["avg_frame_rate"].toString().split('/');
    return rate.size() == 2 && rate[1].toDouble() > 0 ? rate[0].toDouble() / rate[1].toDouble() : 0;
}

TEST_P(Sync, CutsBetweenFramesKeepTheBeepOnItsFlash) {
    for (Shape shape : testmedia::AllShapes()) {
        const QString source = testmedia::UserClip(shape);
        const std::string what = testmedia::ShapeName(shape).toStdString();
        engine->ClearClips();
        engine->AddAudioClip(source, 1.01, 2.93);
        engine->AddVideoClip(source, 1.01, 2.93, 0);
        const testmedia::SyncReport report = render("cut-" + testmedia::ShapeName(shape));
        if (lastOutput.isEmpty())
            continue;
        const double rate = SourceFps(source);
        const bool sameRate = std::abs(rate - GetParam().fps) < 0.01;
        if (rate <= GetParam().fps + 0.01)
            EXPECT_GE(report.events.size() - report.unpairedFlashes, 1u) << what << Describe(report);
        const double limit = sameRate ? kWorstOffsetMs : 500 / GetParam().fps + 1;
        EXPECT_LE(report.worstOffsetMs(), limit) << what << Describe(report);
        EXPECT_NEAR(report.audioSeconds, report.videoSeconds, 0.05) << what;
        // One line a render for the record: what a viewer would notice of it.
        const QJsonObject video = testmedia::Stream(testmedia::ProbeHeaders(lastOutput), "video");
        std::printf("sync-row | %s | %s | %.1f ms | %.2f s | %.2f s | %dx%d | %s |\n", what.c_str(), GetParam().name,
                    report.worstOffsetMs(), report.videoSeconds, report.audioSeconds, video["width"].toInt(),
                    video["height"].toInt(), qPrintable(video["field_order"].toString("progressive")));
        if (GetParam().type == 4 || GetParam().type == 5)
            EXPECT_EQ(testmedia::DvdauthorComplaint(lastOutput).toStdString(), "") << what;
        if (GetParam().type == 0 || GetParam().type == 2) {
            // A cut of a second or so is shorter than a disc track should be; that
            // warning is about the clip, not the file.
            const QString complaint = testmedia::VcdimagerComplaint(lastOutput, GetParam().type == 2);
            EXPECT_TRUE(!complaint.contains("ERROR") && complaint.count("WARN") == complaint.count("shorter than 75"))
                << what << complaint.toStdString();
        }
        lastOutput.clear();
    }
}

TEST_P(Sync, JoinsKeepEachClipsSoundOnItsPictures) {
    // A picture, a clip whose sound outlasts its picture, then four clips of
    // other shapes: the last clip's beeps still sit on its flashes.
    const QString still = testmedia::Picture();
    const std::vector<Shape> clips = {Shape::SoundLonger, Shape::Mp3Avi, Shape::Mp2Mpeg, Shape::SoundShorter,
                                      Shape::Ac3Mpeg, Shape::AacMp4};
    engine->ClearClips();
    engine->AddVideoClip(still, 0, 1, 0);
    for (Shape shape : clips) {
        const QString source = testmedia::UserClip(shape);
        engine->AddVideoClip(source, 0, 10, 0);
        engine->AddAudioClip(source, 0, 10);
    }
    const testmedia::SyncReport report = render("join");
    ASSERT_FALSE(report.events.empty());
    // Every clip is 25 fps: only NTSC output changes the rate.
    const double limit = GetParam().fps == 25 ? kWorstOffsetMs : 500 / GetParam().fps + 1;
    EXPECT_LE(report.worstOffsetMs(), limit) << Describe(report);
    EXPECT_NEAR(report.audioSeconds, report.videoSeconds, 0.05);
    // The last clip's flashes are there and paired.
    const double lastStart = report.videoSeconds - 3.5;
    int lastPaired = 0;
    for (const auto& e : report.events)
        if (e.flash > lastStart && e.beep >= 0)
            ++lastPaired;
    EXPECT_GE(lastPaired, 3) << Describe(report);
}

INSTANTIATE_TEST_SUITE_P(Outputs, Sync, ::testing::ValuesIn(kOutputs),
                         [](const ::testing::TestParamInfo<Output>& info) { return std::string(info.param.name); });

} // namespace
