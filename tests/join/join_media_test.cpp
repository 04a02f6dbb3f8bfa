// What the join page shows about real files: thumbnails made from pictures and
// from videos' first frames, and the total length from the engine's probe.
#include "join_test_fixture.h"
#include "engine/duration_probe.h"
#include "engine/ffmpeg/first_frame.h"
#include "engine/quillmark_error.h"
#include "join/pic_set_form.h"
#include "support/wait_until.h"
#include "test_media.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
QImage ImageOf(const FramePixels& p) {
    return QImage(reinterpret_cast<const uchar*>(p.argb.constData()), p.width, p.height, p.width * 4,
                  QImage::Format_ARGB32)
        .copy();
}

// 5 s of picture and 2 s of sound.
QString ShortSoundClip() {
    return testmedia::Make("join_short_sound.mp4",
                           {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=5", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=2", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
}
// 3 s of picture under 6 s of sound: the container says 6.
QString LongSoundClip() {
    return testmedia::Make("join_long_sound.mp4",
                           {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=3", "-f", "lavfi", "-i",
                            "sine=frequency=440:duration=6", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac"});
}

class JoinMedia : public JoinFixture {
protected:
    JoinMedia() {
        pictures.PictureDuration = 4;
        controller.preview.measure = MeasureDuration;
        controller.mediaInfo.firstFrame = [](const QString& file, QSize box) { return ImageOf(FirstFrame(file, box)); };
    }
    QString total() const { return page.lbTotalLength->text(); }
    bool allThumbnails() const {
        for (int r = 0; r < page.ListView2->topLevelItemCount(); ++r) {
            if (page.ListView2->topLevelItem(r)->icon(1).isNull()) return false;
        }
        return true;
    }
};
}  // namespace

TEST(FirstFrame, IsUprightAtItsDisplayAspectAndSmall) {
    const QString red = testmedia::Make("first_red.mp4", {"-f", "lavfi", "-i", "color=c=red:size=160x90:duration=1",
                                                          "-c:v", "libx264", "-pix_fmt", "yuv420p"});
    const QString wide = testmedia::Make("first_anamorphic.avi",
                                         {"-f", "lavfi", "-i", "color=c=blue:size=160x120:duration=1", "-vf",
                                          "setsar=2", "-c:v", "mpeg4"});
    const QString turned =
        testmedia::Make("first_turned90.mp4", {"-i", red, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    ASSERT_FALSE(red.isEmpty() || wide.isEmpty() || turned.isEmpty());

    const QImage r = ImageOf(FirstFrame(red, QSize(32, 24)));
    EXPECT_EQ(r.size(), QSize(32, 18));
    const QColor c = r.pixelColor(16, 9);
    EXPECT_GT(c.red(), 200);
    EXPECT_LT(c.green(), 40);
    EXPECT_EQ(c.alpha(), 255);
    // Pixels twice as wide as high: shown 320x120.
    EXPECT_EQ(FirstFrame(wide, QSize(32, 24)).width, 32);
    EXPECT_EQ(FirstFrame(wide, QSize(32, 24)).height, 12);
    // Stored lying down, shown standing.
    const FramePixels t = FirstFrame(turned, QSize(32, 24));
    EXPECT_EQ(QSize(t.width, t.height), QSize(13, 24));
    // Never enlarged.
    EXPECT_EQ(ImageOf(FirstFrame(red, QSize(400, 400))).size(), QSize(160, 90));
}

TEST(FirstFrame, AFileWithoutPicturesNamesTheFile) {
    TempFolder dir;
    const QString broken = dir.write("broken clip.avi", QByteArray(4000, 'x'));
    try {
        FirstFrame(broken, QSize(32, 24));
        FAIL() << "no picture expected";
    } catch (const QuillmarkError& e) {
        EXPECT_TRUE(QString(e.what()).contains("broken clip.avi")) << e.what();
    }
}

TEST_F(JoinMedia, TheTotalUsesPicturesDurationAndEachVideosPictureExtent) {
    const QString shortSound = ShortSoundClip(), longSound = LongSoundClip();
    ASSERT_FALSE(shortSound.isEmpty() || longSound.isEmpty());
    add({testmedia::Picture(), shortSound, longSound});
    // The rows are there at once; the lengths come later.
    EXPECT_EQ(page.ListView2->topLevelItemCount(), 3);
    EXPECT_EQ(page.ListView2->topLevelItem(1)->toolTip(1), shortSound);
    ASSERT_TRUE(waitUntil([&] { return !total().contains("..."); })) << total().toStdString();
    // 4 s picture + 5 s + 3 s (not the 6 s the second clip's sound lasts).
    EXPECT_EQ(total(), "Total length: 0:00:12");
    ASSERT_TRUE(waitUntil([&] { return allThumbnails(); }));
    // The entries' own durations stay for the preview and the join to measure.
    EXPECT_EQ(controller.joinItems.at(2).duration, 0);

    // New picture options count at once.
    QTimer::singleShot(0, [&] {
        TPicSetForm* form = controller.PicSetForm();
        form->EdDuration->setText("10");
        form->BitBtnOK->click();
    });
    page.ToolBtnPicSet->trigger();
    EXPECT_EQ(total(), "Total length: 0:00:18");

    select(0);
    page.ToolBtnRemove->trigger();
    EXPECT_EQ(total(), "Total length: 0:00:08");
}

TEST_F(JoinMedia, AFileThatCannotBeProbedShowsAQuestionMark) {
    const QString broken = dir.write("broken.mpg", QByteArray(4000, 'x'));
    add({testmedia::Picture(), broken});
    ASSERT_TRUE(waitUntil([&] { return total() == "Total length: ?"; })) << total().toStdString();
    EXPECT_TRUE(page.ListView2->topLevelItem(1)->icon(1).isNull());
    EXPECT_TRUE(waitUntil([&] { return !page.ListView2->topLevelItem(0)->icon(1).isNull(); }));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    select(1);
    page.ToolBtnRemove->trigger();
    EXPECT_EQ(total(), "Total length: 0:00:04");
}
