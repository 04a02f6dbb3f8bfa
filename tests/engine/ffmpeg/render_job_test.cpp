// Stopping, replacing and destroying a render never waits for its worker: the
// window gets its answer at once, nothing of a stopped render arrives later, and
// the worker removes its temporary in the background.
#include "engine/ffmpeg/render_job.h"
#include "engine/ffmpeg/render_workers.h"
#include "engine/ffmpeg/temporary_file.h"
#include "engine/video_edit.h"
#include "render_wait.h"
#include "test_media.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Far above what a Stop that only raises a flag costs, far below what waiting
// for the clips' inspection costs (well over a second for 200 files).
constexpr qint64 kPromptMs = 200;
constexpr int kWindDownMs = 60000;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        Spin(20);
    }
    return true;
}

QStringList Temporaries(const QString& folder) {
    QStringList found;
    for (const QString& name : FolderEntries(folder))
        if (IsTemporaryName(name))
            found << name;
    return found;
}

// Everything a render said, by kind.
struct Reports {
    explicit Reports(TVideoEdit& engine) {
        QObject::connect(&engine, &TVideoEdit::OnProcessing, &engine, [this](double, double total) {
            ++progress;
            durations << total;
        });
        QObject::connect(&engine, &TVideoEdit::OnComplete, &engine, [this] { ++completions; });
        QObject::connect(&engine, &TVideoEdit::OnError, &engine, [this](const QString& message) { errors << message; });
    }
    int total() const { return progress + completions + int(errors.size()); }

    int progress = 0;
    int completions = 0;
    QStringList errors;
    QList<double> durations;
};

class RenderJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(QDir(dir.path()).mkdir("sources"));
        engine = CreateVideoEdit();
    }

    // 200 files of three seconds with their sound, each a clip of its own: a
    // join of a folder of phone videos.
    void LoadManyClips(TVideoEdit& target) {
        const QString clip = testmedia::H264Clip();
        for (int i = 0; i < 200; ++i) {
            const QString name = dir.filePath(QStringLiteral("sources/clip %1.mp4").arg(i));
            ASSERT_EQ(::link(QFile::encodeName(clip), QFile::encodeName(name)), 0) << name.toStdString();
            target.AddVideoClip(name, 0, 3, 0);
            target.AddAudioClip(name, 0, 3);
        }
    }
    QString out(const QString& name) const { return dir.filePath(name); }
    // Outputs and temporaries in the output folder (the sources sit below it).
    QStringList outputs() const { return FolderEntries(dir.path()); }

    QTemporaryDir dir;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(RenderJobTest, StopRightAfterStartAnswersAtOnceAndNothingOfTheRenderArrivesLater) {
    LoadManyClips(*engine);
    Reports reports(*engine);
    ASSERT_TRUE(engine->StartRender(out("many.avi")));
    QElapsedTimer clock;
    clock.start();
    engine->StopRender();
    EXPECT_LT(clock.elapsed(), kPromptMs);

    Spin(500);
    EXPECT_EQ(reports.total(), 0) << reports.errors.join('\n').toStdString();
    EXPECT_TRUE(WaitUntil([&] { return Temporaries(dir.path()).isEmpty(); }, kWindDownMs))
        << Temporaries(dir.path()).join(' ').toStdString();
    EXPECT_TRUE(WaitForRenderWorkers(std::chrono::milliseconds(kWindDownMs)));
    Spin(200);
    EXPECT_EQ(reports.total(), 0);
    EXPECT_EQ(outputs(), QStringList());
}

TEST_F(RenderJobTest, ARenderStartedWhileTheStoppedOneWindsDownCompletesAndTheOldOneSaysNothing) {
    LoadManyClips(*engine);
    Reports reports(*engine);
    ASSERT_TRUE(engine->StartRender(out("many.avi")));
    Spin(100);
    engine->StopRender();

    engine->ClearClips();
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(engine->StartRender(out("short.avi")));
    EXPECT_LT(clock.elapsed(), kPromptMs);
    ASSERT_TRUE(WaitUntil([&] { return reports.completions + reports.errors.size() > 0; }, kWindDownMs));
    ASSERT_TRUE(WaitUntil([&] { return Temporaries(dir.path()).isEmpty(); }, kWindDownMs));
    Spin(200);

    EXPECT_EQ(reports.completions, 1);
    EXPECT_EQ(reports.errors, QStringList());
    for (double duration : reports.durations)
        EXPECT_NEAR(duration, 1.0, 0.05) << "a report of the stopped 600 s render";
    EXPECT_EQ(outputs(), QStringList{"short.avi"});
    EXPECT_EQ(testmedia::Stream(testmedia::Probe(out("short.avi")), "video")["nb_read_frames"].toString().toInt(), 25);
}

TEST_F(RenderJobTest, DestroyingTheEngineMidRenderDoesNotWaitAndTheWorkerCleansUpAfterIt) {
    // While the clips are being inspected, and while frames are being written.
    for (const bool writing : {false, true}) {
        SCOPED_TRACE(writing ? "writing" : "inspecting");
        engine = CreateVideoEdit();
        if (writing) {
            for (int i = 0; i < 40; ++i)
                engine->AddVideoClip(testmedia::H264Clip(), 0, 3, 0);
        } else {
            QDir(dir.filePath("sources")).removeRecursively();
            QDir(dir.path()).mkdir("sources");
            LoadManyClips(*engine);
        }
        bool anyReport = false;
        QObject::connect(engine.get(), &TVideoEdit::OnProcessing, [&] { anyReport = true; });
        ASSERT_TRUE(engine->StartRender(out("long.avi")));
        if (writing)
            ASSERT_TRUE(WaitUntil([&] { return anyReport; }, kWindDownMs));
        else
            Spin(50);

        QElapsedTimer clock;
        clock.start();
        engine.reset();
        EXPECT_LT(clock.elapsed(), kPromptMs);
        Spin(300);
        EXPECT_TRUE(WaitForRenderWorkers(std::chrono::milliseconds(kWindDownMs)));
        Spin(200);
        EXPECT_EQ(outputs(), QStringList());
    }
}

// The job on its own: its status, and a refusal that Stop silences like any report.
TEST_F(RenderJobTest, AJobSaysWhereItIsAndAStoppedRefusalIsNeverHeard) {
    Timeline timeline;
    timeline.video.push_back(VideoClip{testmedia::H264Clip(), 0, 1, 0});
    RenderJob job(RenderRequest{timeline, {}, {}, out("one.avi")});
    int completions = 0;
    QStringList failures;
    QObject::connect(&job, &RenderJob::completed, [&] { ++completions; });
    QObject::connect(&job, &RenderJob::failed, [&](const QString& message) { failures << message; });
    EXPECT_EQ(job.status(), RenderJob::Status::Idle);
    ASSERT_TRUE(job.start());
    EXPECT_NE(job.status(), RenderJob::Status::Idle);
    EXPECT_TRUE(IsTemporaryName(QFileInfo(job.temporaryPath()).fileName()));
    ASSERT_TRUE(WaitUntil([&] { return completions + failures.size() > 0; }, kWindDownMs));
    EXPECT_EQ(job.status(), RenderJob::Status::Done);
    EXPECT_EQ(failures, QStringList());
    EXPECT_EQ(outputs(), QStringList{"one.avi"});
    job.stop(); // too late to matter
    EXPECT_EQ(job.status(), RenderJob::Status::Done);

    RenderJob refused(RenderRequest{timeline, {}, {}, out("never.avi")});
    QObject::connect(&refused, &RenderJob::failed, [&](const QString& message) { failures << message; });
    refused.refuse("no");
    refused.stop();
    Spin(100);
    EXPECT_EQ(failures, QStringList());
    EXPECT_EQ(refused.status(), RenderJob::Status::Stopping);

    timeline.video.front().file = dir.filePath("sources/gone.mp4");
    RenderJob failing(RenderRequest{timeline, {}, {}, out("failing.avi")});
    QStringList leftWhenTold;
    QObject::connect(&failing, &RenderJob::failed, [&](const QString& message) {
        failures << message;
        leftWhenTold = FolderEntries(dir.path());
    });
    ASSERT_TRUE(failing.start());
    ASSERT_TRUE(WaitUntil([&] { return !failures.isEmpty(); }, kWindDownMs));
    EXPECT_EQ(failing.status(), RenderJob::Status::Failed);
    EXPECT_TRUE(failures.front().contains("gone.mp4")) << failures.front().toStdString();
    EXPECT_EQ(leftWhenTold, QStringList{"one.avi"}); // the temporary went before the failure was told
}

} // namespace
