// Size, shape and frame-rate settings reaching a real render.
#include "engine/video_edit.h"
#include "formats/format_settings.h"
#include "formats/output_format.h"
#include "test_media.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QJsonObject Render(const FormatSettings& settings, int format, const QString& source, const QString& out) {
    std::unique_ptr<TVideoEdit> engine = CreateVideoEdit();
    bool done = false;
    QString error;
    QObject::connect(engine.get(), &TVideoEdit::OnComplete, [&] { done = true; });
    QObject::connect(engine.get(), &TVideoEdit::OnError, [&](const QString& m) { error = m, done = true; });
    engine->ClearClips();
    engine->AddVideoClip(source, 0, 1, static_cast<int16_t>(settings.ResizeMode));
    engine->AddAudioClip(source, 0, 1);
    ApplyFormatSettings(*engine, format, settings);
    engine->SetOutputType(format);
    engine->StartRender(out);
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return testmedia::Stream(testmedia::Probe(out), "video");
}

double Ratio(const QString& text) {
    const QStringList parts = text.split(QRegularExpression("[:/]"));
    const double den = parts.size() == 2 ? parts[1].toDouble() : 0;
    return den > 0 && parts[0].toDouble() > 0 ? parts[0].toDouble() / den : 1.0;
}

// The shape the picture shows inside the frame, black bars left out: the lit
// run of the middle row and of the middle column, in display units.
double ShownPictureAspect(const QString& file, const QJsonObject& video) {
    const int width = video["width"].toInt(), height = video["height"].toInt();
    const QByteArray luma = testmedia::Luma(file, 5);
    if (width <= 0 || luma.size() != width * height) return 0;
    int lit = 0, litRows = 0;
    for (int x = 0; x < width; ++x) lit += uchar(luma[(height / 2) * width + x]) > 64;
    for (int y = 0; y < height; ++y) litRows += uchar(luma[y * width + width / 2]) > 64;
    return litRows > 0 ? lit * Ratio(video["sample_aspect_ratio"].toString()) / litRows : 0;
}

// A phone's or screen recorder's clip: plain grey H.264 at its own size and rate, AAC sound.
QString PhoneClip(int width, int height, const QString& rate) {
    return testmedia::Make(QString("phone_%1x%2_%3.mp4").arg(width).arg(height).arg(QString(rate).replace('/', '_')),
                           {"-f", "lavfi", "-i", QString("color=c=0x808080:size=%1x%2:rate=%3:duration=1")
                                                     .arg(width).arg(height).arg(rate),
                            "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:v", "libx264", "-pix_fmt",
                            "yuv420p", "-c:a", "aac", "-shortest"});
}

struct ShapeCase {
    const char* name;
    int width, height;
    const char* rate;
    int format;
    double shownAspect;     // the picture's own shape, bars left out
    const char* frameRate;  // the output's, or empty when the format fixes it
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class DefaultSettingsKeepShape : public ::testing::TestWithParam<ShapeCase> {};

// With a new settings file's values: pictures keep their shape in any frame, and
// MP4 keeps the source's size and frame rate.
TEST_P(DefaultSettingsKeepShape, OfPortraitWideAndFastClips) {
    const ShapeCase& c = GetParam();
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    const QString source = PhoneClip(c.width, c.height, c.rate);
    QTemporaryDir dir;
    const QString out = dir.filePath(QString("out.") + FormatExtension(c.format));
    const QJsonObject video = Render(FormatSettings{}, c.format, source, out);
    EXPECT_NEAR(ShownPictureAspect(out, video), c.shownAspect, c.shownAspect * 0.05);
    if (*c.frameRate) {
        EXPECT_EQ(video["r_frame_rate"].toString(), c.frameRate);
        EXPECT_EQ(video["width"].toInt(), c.width);
        EXPECT_EQ(video["height"].toInt(), c.height);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, DefaultSettingsKeepShape,
    ::testing::Values(ShapeCase{"PortraitOnDvd", 144, 256, "60", OutputFormat::DvdPal, 9.0 / 16, ""},
                      ShapeCase{"PortraitInAvi", 144, 256, "60", OutputFormat::Avi, 9.0 / 16, ""},
                      ShapeCase{"WideInAvi", 256, 144, "30", OutputFormat::Avi, 16.0 / 9, ""},
                      ShapeCase{"WideOnDvd", 256, 144, "25", OutputFormat::DvdNtsc, 16.0 / 9, ""},
                      ShapeCase{"PortraitMp4At60", 144, 256, "60", OutputFormat::Mp4, 9.0 / 16, "60/1"},
                      ShapeCase{"WideMp4At5994", 256, 144, "60000/1001", OutputFormat::Mp4, 16.0 / 9, "60000/1001"},
                      ShapeCase{"WideMp4At23976", 256, 144, "24000/1001", OutputFormat::Mp4, 16.0 / 9, "24000/1001"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    const QJsonObject kept = Render(settings, OutputFormat::Avi, source, dir.filePath("kept.avi"));
    EXPECT_EQ(kept["width"].toInt(), 320);
    EXPECT_EQ(kept["height"].toInt(), 240);

    settings.AviOriginalSize = false;  // the AVI width and height apply again
    const QJsonObject sized = Render(settings, OutputFormat::Avi, source, dir.filePath("sized.avi"));
    EXPECT_EQ(sized["width"].toInt(), 352);
    EXPECT_EQ(sized["height"].toInt(), 240);
}
