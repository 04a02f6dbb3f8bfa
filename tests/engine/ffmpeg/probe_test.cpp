// The duration probe reports what can really be played: the pictures' extent
// when a file has pictures, never a header's guess, and refuses what cannot be split.
#include "engine/duration_probe.h"
#include "engine/quillmark_error.h"
#include "test_media.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Piece(const QString& file, qint64 bytes, const QString& name) {
    QFile in(file);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly));
    const QString out = QDir(testmedia::Folder()).filePath(name);
    QFile piece(out);
    EXPECT_TRUE(piece.open(QIODevice::WriteOnly | QIODevice::Truncate));
    piece.write(in.read(bytes));
    return out;
}

QString Refusal(const QString& file) {
    try {
        MeasureDuration(file);
    } catch (const QuillmarkError& e) {
        return e.message();
    }
    return {};
}

const QStringList kPicture{"-f", "lavfi", "-i", "testsrc=s=160x120:r=25"};
const QStringList kTone{"-f", "lavfi", "-i", "sine=f=440:r=44100"};

TEST(DurationProbe, ReportsThePicturesExtentWhateverTheSoundDoes) {
    // Sound half a second longer than the picture, and half a second shorter.
    const QString longer = testmedia::Make("probe-sound-longer.mp4", {"-f", "lavfi", "-i", "testsrc=d=2:s=160x120:r=25",
        "-f", "lavfi", "-i", "sine=d=2.5:r=44100", "-c:v", "libx264", "-c:a", "aac"});
    const QString shorter = testmedia::Make("probe-sound-shorter.mp4", {"-f", "lavfi", "-i",
        "testsrc=d=2.4:s=160x120:r=25", "-f", "lavfi", "-i", "sine=d=1.9:r=44100", "-c:v", "libx264", "-c:a", "aac"});
    // Timestamps from 10 s on, as a recorder's transport stream has them.
    const QString offset = testmedia::Make("probe-offset.ts", {"-f", "lavfi", "-i", "testsrc=d=3:s=160x120:r=25",
        "-f", "lavfi", "-i", "sine=d=3:r=48000", "-c:v", "libx264", "-c:a", "aac", "-output_ts_offset", "10"});
    EXPECT_NEAR(MeasureDuration(longer), 2.0, 1e-3);
    EXPECT_NEAR(MeasureDuration(shorter), 2.4, 1e-3);
    EXPECT_NEAR(MeasureDuration(offset), 3.0, 0.05);
}

TEST(DurationProbe, MusicLastsAsLongAsItsSound) {
    const QString mp3 = testmedia::Make("probe-music.mp3", {"-f", "lavfi", "-i", "sine=d=5:r=44100",
                                                             "-c:a", "libmp3lame"});
    EXPECT_NEAR(MeasureDuration(mp3), 5.0, 0.05);
}

TEST(DurationProbe, APieceOfAFileLastsWhatItHolds) {
    const QString whole = testmedia::Make("probe-faststart.mp4", {"-f", "lavfi", "-i", "testsrc=d=6:s=160x120:r=25",
        "-f", "lavfi", "-i", "sine=d=6:r=44100", "-c:v", "libx264", "-c:a", "aac", "-movflags", "+faststart"});
    // The index still promises 6 s; only the first half of the data is there.
    const double half = MeasureDuration(Piece(whole, QFileInfo(whole).size() / 2, "probe-half.mp4"));
    EXPECT_GT(half, 1.0);
    EXPECT_LT(half, 5.0);
    const QString tiny = Piece(whole, 100, "probe-100-bytes.mp4");
    EXPECT_TRUE(Refusal(tiny).contains("probe-100-bytes.mp4")) << Refusal(tiny).toStdString();
}

TEST(DurationProbe, PicturesAreNotSplitSources) {
    for (const char* name : {"probe-still.jpg", "probe-still.png", "probe-still.bmp"}) {
        const QString still = testmedia::Make(name, kPicture + QStringList{"-frames:v", "1"});
        const QString refusal = Refusal(still);
        EXPECT_TRUE(refusal.contains(name) && refusal.contains("still picture")) << refusal.toStdString();
    }
    // A broken JPEG and a huge one are refused the same way, not given 0.04 s.
    const QString broken = Piece(testmedia::Make("probe-whole.jpg", kPicture + QStringList{"-frames:v", "1"}), 300,
                                 "probe-broken.jpg");
    EXPECT_TRUE(Refusal(broken).contains("probe-broken.jpg"));
}

} // namespace
