// The split preview's own window on a real desktop (run by on_desktop.sh):
// wherever the main window is, the preview opens whole on the screen, beside the
// main window when there is room, at a size to judge frames by and the video's
// shape, and the keys stay with the main window.
#include "common/messages.h"
#include "mpv_media_player.h"
#include "split/split_list.h"
#include "split/split_point_editor.h"
#include "split/split_point_panel.h"
#include "support/wait_until.h"
#include "test_media.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

struct Shape {
    const char* name;
    QString size;       // as stored
    QStringList video;  // ffmpeg's video options
    QSize shown;        // the preview window's size
    bool rotate = false;  // stored on its side, with a display matrix of 90 degrees
};

struct Spot {
    const char* name;
    QRect main;  // where the main window goes on a 1280x800 screen
};

class PreviewWindowTest : public ::testing::TestWithParam<std::tuple<Shape, Spot>> {};

}  // namespace

TEST_P(PreviewWindowTest, OpensWholeOnTheScreenBesideTheMainWindowWithoutTakingTheKeys) {
    const auto& [shape, spot] = GetParam();
    QString file = testmedia::Make(QString("preview-%1.mp4").arg(shape.name),
                                         QStringList{"-f", "lavfi", "-i", "testsrc2=rate=25:duration=2:size=" + shape.size, "-c:v",
                                                     "libx264", "-pix_fmt", "yuv420p"} +
                                             shape.video);
    // FFmpeg 5.1 writes the display matrix from the "rotate" tag only when it copies.
    if (shape.rotate) {
        file = testmedia::Make(QString("preview-%1-rotated.mp4").arg(shape.name),
                               {"-i", file, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
    }
    ASSERT_FALSE(file.isEmpty());

    QWidget main;
    main.setWindowTitle("Quillmark");
    auto* panel = new SplitPointPanel;
    (new QVBoxLayout(&main))->addWidget(panel);
    SplitList list;
    SplitPointEditor editor(*panel, list, &main);
    MpvMediaPlayer player(MpvMediaPlayer::Options{"null"});
    editor.MP1 = &player;
    editor.SourceFileName = file;
    editor.SourceDuration = 2;
    editor.EnableSplitEditor();
    editor.ResetSplitList();
    main.setGeometry(spot.main);
    main.show();
    main.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == main.windowHandle(); }, 5000));

    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(panel->ListView1, &right);
    QWidget* video = player.OwnWindow();
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(waitUntil([&] { return video->isVisible() && video->windowHandle()->isExposed(); }, 5000));
    keepRunningFor(500);  // the desktop has placed and decorated both windows

    const QRect screen = main.screen()->availableGeometry();
    const QRect at = video->frameGeometry();
    EXPECT_TRUE(screen.contains(at)) << spot.name << ": " << at.x() << "," << at.y() << " " << at.width() << "x"
                                     << at.height();
    EXPECT_EQ(video->size(), shape.shown) << video->width() << "x" << video->height();
    const bool room = screen.width() - main.frameGeometry().width() >= at.width();
    if (room) EXPECT_FALSE(at.intersects(main.frameGeometry())) << spot.name;
    EXPECT_EQ(QGuiApplication::focusWindow(), main.windowHandle()) << "the preview took the keys";
    player.Close();
}

INSTANTIATE_TEST_SUITE_P(
    ShapesAndSpots, PreviewWindowTest,
    ::testing::Combine(
        ::testing::Values(
            // A 16:9 phone clip shrinks to 480 wide; a small one keeps its size.
            Shape{"wide", "640x360", {}, QSize(480, 270)},
            Shape{"small", "160x120", {}, QSize(160, 120)},
            // Anamorphic PAL: 720x576 pixels shown 4:3.
            Shape{"anamorphic", "720x576", {"-vf", "setsar=16/15"}, QSize(480, 360)},
            // A portrait phone clip: stored 640x360, turned upright by its rotation.
            Shape{"portrait", "640x360", {}, QSize(360, 640), true}),
        ::testing::Values(Spot{"left", QRect(40, 60, 600, 420)}, Spot{"right", QRect(640, 60, 600, 420)},
                          Spot{"whole screen", QRect(0, 20, 1280, 740)})),
    [](const auto& info) {
        QString name = QString("%1_%2").arg(std::get<0>(info.param).name, std::get<1>(info.param).name);
        return name.replace(' ', '_').toStdString();
    });
