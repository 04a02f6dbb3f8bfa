// Failing and stopped renders: one clear error naming the file, and nothing
// left behind in the output folder.
#include "render_wait.h"
#include "test_media.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class EngineFailures : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(4);
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = inputs.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }

    void expectFailureNaming(const QString& file) {
        const RenderOutcome r = RenderAndWait(*engine, out.filePath("out.mpg"));
        EXPECT_FALSE(r.completed);
        EXPECT_EQ(r.events, 1);
        EXPECT_TRUE(r.error.contains(file)) << r.error.toStdString();
        EXPECT_TRUE(FolderEntries(out.path()).isEmpty()) << FolderEntries(out.path()).join(' ').toStdString();
    }

    QTemporaryDir inputs;
    QTemporaryDir out;
    std::unique_ptr<TVideoEdit> engine;
};

TEST_F(EngineFailures, UnreadableSourcesAreNamed) {
    QByteArray half = [] {
        QFile f(testmedia::H264Clip());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    half.truncate(half.size() / 2);
    const QStringList bad = {inputs.filePath("missing.avi"), writeFile("notes.avi", "just some text\n"),
                             writeFile("truncated.mp4", half), writeFile("empty.mpg", {})};
    for (const QString& file : bad) {
        SCOPED_TRACE(file.toStdString());
        // A bad video clip, and a bad audio clip behind a good video clip.
        engine->ClearClips();
        engine->AddVideoClip(file, 0, 1, 0);
        expectFailureNaming(file);
        engine->ClearClips();
        engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
        engine->AddAudioClip(file, 0, 1);
        expectFailureNaming(file);
    }
}

TEST_F(EngineFailures, UnwritableFolderIsNamed) {
    // root writes anywhere it has permission bits for; /proc refuses even root.
    const QString folder = geteuid() == 0 ? QStringLiteral("/proc") : out.filePath("locked");
    if (geteuid() != 0) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    const QString target = folder + "/out.mpg";
    const RenderOutcome r = RenderAndWait(*engine, target);
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains(target)) << r.error.toStdString();
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(EngineFailures, OutputThatIsAnInputIsRefusedAndKept) {
    const QString copy = inputs.filePath("source.mp4");
    QFile::copy(testmedia::H264Clip(), copy);
    const qint64 size = QFileInfo(copy).size();
    engine->AddVideoClip(testmedia::H264Clip(), 0, 1, 0);
    engine->AddAudioClip(copy, 0, 1);
    // Another spelling of the same path.
    const RenderOutcome r = RenderAndWait(*engine, inputs.path() + "/./source.mp4");
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains("source.mp4")) << r.error.toStdString();
    EXPECT_EQ(QFileInfo(copy).size(), size);
}

TEST_F(EngineFailures, AFailedRenderKeepsTheFileItWouldHaveReplaced) {
    const QString target = out.filePath("out.mpg");
    QFile f(target);
    f.open(QIODevice::WriteOnly);
    f.write("previous");
    f.close();
    engine->AddVideoClip(inputs.filePath("missing.avi"), 0, 1, 0);
    const RenderOutcome r = RenderAndWait(*engine, target);
    EXPECT_FALSE(r.completed);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), "previous");
    EXPECT_EQ(FolderEntries(out.path()), QStringList{"out.mpg"});
}

class EngineStop : public EngineFailures {
protected:
    void addLongTimeline() {
        // Long enough that the render is still running when the test stops it.
        for (int i = 0; i < 20; ++i)
            engine->AddVideoClip(testmedia::H264Clip(), 0, 3, 0);
        engine->AddAudioClip(testmedia::H264Clip(), 0, 3);
    }
};

TEST_F(EngineStop, StopIsFinalAndLeavesNoFile) {
    addLongTimeline();
    int completions = 0, errors = 0, progressAfterStop = 0;
    bool stopped = false;
    QObject::connect(engine.get(), &TVideoEdit::OnComplete, [&] { ++completions; });
    QObject::connect(engine.get(), &TVideoEdit::OnError, [&](const QString&) { ++errors; });
    QObject::connect(engine.get(), &TVideoEdit::OnProcessing, [&](double pos, double) {
        if (stopped)
            ++progressAfterStop;
        else if (pos > 0) {
            // Stop from inside a progress handler while more reports are queued.
            engine->StopRender();
            stopped = true;
        }
    });
    engine->StartRender(out.filePath("out.mpg"));
    for (int i = 0; i < 100 && !stopped; ++i)
        Spin(50);
    ASSERT_TRUE(stopped) << "the render never reported progress";
    Spin(500);
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(progressAfterStop, 0);
    EXPECT_TRUE(FolderEntries(out.path()).isEmpty()) << FolderEntries(out.path()).join(' ').toStdString();

    // The engine renders again after a stop.
    engine->ClearClips();
    engine->AddVideoClip(testmedia::H264Clip(), 0, 0.5, 0);
    EXPECT_TRUE(RenderAndWait(*engine, out.filePath("again.mpg")).completed);
}

TEST_F(EngineStop, DestroyingTheEngineMidRenderStopsIt) {
    addLongTimeline();
    engine->StartRender(out.filePath("out.mpg"));
    Spin(300);
    engine.reset();
    Spin(200);
    EXPECT_TRUE(FolderEntries(out.path()).isEmpty()) << FolderEntries(out.path()).join(' ').toStdString();
}

} // namespace
