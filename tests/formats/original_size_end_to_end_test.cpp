// "Original Size" from the settings reaching a real render.
#include "engine/video_edit.h"
#include "formats/format_settings.h"
#include "test_media.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QJsonObject RenderAvi(const FormatSettings& settings, const QString& source, const QString& out) {
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    bool done = false;
    QString error;
    QObject::connect(engine.get(), &TVideoEdit::OnComplete, [&] { done = true; });
    QObject::connect(engine.get(), &TVideoEdit::OnError, [&](const QString& m) { error = m, done = true; });
    engine->ClearClips();
    engine->AddVideoClip(source, 0, 1, static_cast<int16_t>(settings.ResizeMode));
    ApplyFormatSettings(*engine, 8, settings);
    engine->SetOutputType(8);
    engine->StartRender(out);
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return testmedia::Stream(testmedia::Probe(out), "video");
}
}  // namespace

TEST(OriginalSize, KeepsTheSourceSizeAndTheFieldsApplyWithoutIt) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const QString source = testmedia::Make("size_320x240.avi", {"-f", "lavfi", "-i",
                                                                 "testsrc2=size=320x240:rate=25:duration=1", "-c:v",
                                                                 "mpeg4"});
    QTemporaryDir dir;
    FormatSettings settings;
    settings.AviOriginalSize = true;
    const QJsonObject kept = RenderAvi(settings, source, dir.filePath("kept.avi"));
    EXPECT_EQ(kept["width"].toInt(), 320);
    EXPECT_EQ(kept["height"].toInt(), 240);

    settings.AviOriginalSize = false;  // the AVI width and height apply again
    const QJsonObject sized = RenderAvi(settings, source, dir.filePath("sized.avi"));
    EXPECT_EQ(sized["width"].toInt(), 352);
    EXPECT_EQ(sized["height"].toInt(), 240);
}
