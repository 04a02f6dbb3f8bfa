// The duration probe, the render script reader and quillmark-cli end to end.
#include "cli/progress_bar.h"
#include "cli/render_script.h"
#include "cli_run.h"
#include "engine/duration_probe.h"
#include "engine/quillmark_error.h"
#include "fakes/recording_video_edit.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(EngineDurationProbe, MeasuresSecondsAndNamesAnUnreadableFile) {
    EXPECT_NEAR(MeasureDuration(testmedia::H264Clip()), 3.0, 0.05);
    EXPECT_NEAR(MeasureDuration(testmedia::WideClip()), 2.0, 0.05);
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.mpg");
    QFile f(text);
    f.open(QIODevice::WriteOnly);
    f.write("hello");
    f.close();
    for (const QString& bad : {text, dir.filePath("missing.avi")}) {
        try {
            MeasureDuration(bad);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const QuillmarkError& e) {
            EXPECT_TRUE(e.message().contains(bad)) << e.message().toStdString();
        }
    }
}

TEST(CliRenderScript, AppliesEachLineInOrder) {
    RecordingVideoEdit engine;
    const auto bad = ApplyScript("# a comment\n"
                                 "ClearClips\n"
                                 "OutputType 4   # trailing comment\n"
                                 "\n"
                                 "  outputaudio false\n"
                                 "AddVideoClip \"/videos/my clip #1.avi\" 0 30.5 2\n"
                                 "AddAudioClip /videos/a.avi 1.5 2\n"
                                 "AddTransition 3 14.5 16.5\n"
                                 // Outside the list: plain cuts, as a join passes them on.
                                 "AddTransition -1 20 21\n"
                                 "AddTransition 46 22 23\n"
                                 "FrameRate 29.97\n"
                                 "SmartRender 0\n",
                                 engine);
    EXPECT_FALSE(bad.has_value());
    EXPECT_EQ(engine.calls, (QStringList{"ClearClips", "OutputType=4", "OutputAudio=false",
                                         "AddVideoClip(/videos/my clip #1.avi, 0, 30.5, 2)",
                                         "AddAudioClip(/videos/a.avi, 1.5, 2)", "AddTransition(3, 14.5, 16.5)",
                                         "AddTransition(-1, 20, 21)", "AddTransition(46, 22, 23)",
                                         "FrameRate=29.97", "SmartRender=false"}));
}

TEST(CliRenderScript, NamesTheFirstBadLine) {
    struct Case {
        const char* script;
        int line;
    };
    for (const Case& c : {Case{"OutputType 4\nPlay now\n", 2}, Case{"\n\nOutputType four\n", 3},
                          Case{"AddVideoClip \"a.avi 0 1\n", 1}, Case{"AddAudioClip a.avi 0\n", 1},
                          Case{"OutputFileWidth 70000\n", 1}, Case{"OutputAudio maybe\n", 1}}) {
        RecordingVideoEdit engine;
        const auto bad = ApplyScript(c.script, engine);
        ASSERT_TRUE(bad.has_value()) << c.script;
        EXPECT_EQ(bad->line, c.line) << c.script;
        EXPECT_FALSE(bad->message.isEmpty());
    }
}

TEST(CliProgressBar, ShowsPercentAndTimeLeft) {
    EXPECT_EQ(ProgressBar::Render(0.5, 75), "[###############---------------]  50%  1:15 left");
    EXPECT_EQ(ProgressBar::Render(0, -1), "[------------------------------]   0%  --:-- left");
    EXPECT_EQ(ProgressBar::Render(1, 3725), "[##############################] 100%  1:02:05 left");
}

TEST(CliProgram, ListsProbesAndRejectsBadUsage) {
    const CliRun videos = Cli({"list", "videocompressors"});
    EXPECT_EQ(videos.code, 0);
    EXPECT_TRUE(videos.out.split('\n').value(5).startsWith("5 MPEG-4")) << videos.out.toStdString();
    const CliRun audios = Cli({"list", "audiocompressors"});
    EXPECT_TRUE(audios.out.split('\n').value(4).contains("MP3")) << audios.out.toStdString();
    EXPECT_EQ(Cli({"list", "wmvprofiles"}).out.count('\n'), 6);
    EXPECT_EQ(Cli({"list", "transitions"}).code, 0);

    const CliRun probe = Cli({"probe", testmedia::H264Clip()});
    EXPECT_EQ(probe.code, 0);
    EXPECT_NEAR(probe.out.section('\n', 0, 0).toDouble(), 3.0, 0.05);  // the tracks follow the length
    EXPECT_EQ(Cli({"probe", "/no/such/file.avi"}).code, 1);

    EXPECT_EQ(Cli({}).code, 2);
    EXPECT_EQ(Cli({"dance"}).code, 2);
    EXPECT_EQ(Cli({"list", "colours"}).code, 2);
}

TEST(CliProgram, RenderExitCodes) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out.avi");
    const QByteArray good = QStringLiteral("OutputType 8\nAddVideoClip \"%1\" 0 1 0\nAddAudioClip \"%1\" 0 1\n")
                                .arg(testmedia::H264Clip()).toUtf8();
    const CliRun ok = Cli({"render", "-", out}, good);
    EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.err.contains("100%")) << ok.err.toStdString();
    EXPECT_EQ(testmedia::Stream(testmedia::Probe(out), "video")["codec_name"].toString(), "mpeg4");

    const CliRun badLine = Cli({"render", "-", dir.filePath("x.avi")}, "OutputType 8\nAddVideoClip\n");
    EXPECT_EQ(badLine.code, 2);
    EXPECT_TRUE(badLine.err.contains(":2:")) << badLine.err.toStdString();

    const CliRun failed = Cli({"render", "-", dir.filePath("y.avi")}, "AddVideoClip /no/such.avi 0 1\n");
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains("/no/such.avi")) << failed.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("y.avi")));
}

TEST(CliProgram, InterruptStopsTheRenderAndLeavesNoFile) {
    QTemporaryDir dir;
    QProcess p;
    // Wait until the render is under way (the bar is drawn), then press Ctrl+C.
    const QByteArray err = StartLongRender(p, testmedia::H264Clip(), 30, dir.filePath("out.mpg"));
    ASSERT_TRUE(err.contains('%')) << err.toStdString();
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace

TEST(CliProgram, SplitWritesTheTickedRowsUnderTheirNames) {
    QTemporaryDir dir;
    const QString out = dir.filePath("parts");  // made by the command
    const CliRun run = Cli({"split", testmedia::H264Clip(), "--points", "1,2", "--skip", "2", "--names",
                            "intro,,outro.avi", "--format", "8", "--out", out});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count("Part "), 2) << run.out.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"intro.avi", "outro.avi"}));
    for (const char* name : {"intro.avi", "outro.avi"}) {
        const QJsonObject video = testmedia::Stream(testmedia::Probe(QDir(out).filePath(name)), "video");
        // One second each, at whatever rate the AVI settings give.
        EXPECT_NEAR(video["duration"].toString().toDouble(), 1.0, 0.05) << name;
    }
}

TEST(CliProgram, SplitNamesPartsAfterTheSourceAndRejectsBadPlans) {
    QTemporaryDir dir;
    const CliRun run = Cli({"split", testmedia::H264Clip(), "--parts", "3", "--format", "4", "--out", dir.path()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QString base = QFileInfo(testmedia::H264Clip()).completeBaseName();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              (QStringList{base + "-1.mpg", base + "-2.mpg", base + "-3.mpg"}));

    EXPECT_EQ(Cli({"split", testmedia::H264Clip()}).code, 2);
    EXPECT_EQ(Cli({"split", testmedia::H264Clip(), "--parts", "0"}).code, 2);
    EXPECT_EQ(Cli({"split", testmedia::H264Clip(), "--parts", "2", "--every", "5"}).code, 2);
    EXPECT_EQ(Cli({"split", "/no/such/file.avi", "--parts", "2"}).code, 1);
}

TEST(CliProgram, JoinLaysPicturesAndVideosEndToEnd) {
    QTemporaryDir dir;
    const QString out = dir.filePath("joined/holiday.avi");  // the folder is made
    const CliRun run = Cli({"join", testmedia::Picture(), testmedia::H264Clip(), testmedia::Picture(), "--out", out,
                            "--format", "8", "--picture-seconds", "2", "--transition-seconds", "1", "--transition",
                            "random"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QJsonObject probe = testmedia::Probe(out);
    const double video = testmedia::Stream(probe, "video")["duration"].toString().toDouble();
    EXPECT_NEAR(video, 2 + 3 + 2, 0.1);
    EXPECT_NEAR(testmedia::AudioSeconds(out), video, 0.05);

    EXPECT_EQ(Cli({"join", testmedia::Picture()}).code, 2);  // no --out
    EXPECT_EQ(Cli({"join", "--out", dir.filePath("x.avi")}).code, 2);
    EXPECT_EQ(Cli({"join", "/no/such.avi", "--out", dir.filePath("y.avi")}).code, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("y.avi")));
}
