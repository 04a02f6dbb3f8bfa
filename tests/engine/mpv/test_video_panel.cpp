#include "video_panel.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage solid(const QSize& size, QColor color) {
    QImage image(size, QImage::Format_RGBX8888);
    image.fill(color);
    return image;
}

}  // namespace

TEST(VideoPanel, DrawsTheFrameInsideThePictureRectAndBlackAroundIt) {
    VideoPanel panel;
    panel.resize(100, 80);
    panel.setPictureRect(QRect(10, 10, 40, 30));
    panel.showFrame(solid({40, 30}, Qt::green));
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(49, 39), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(60, 50), QColor(Qt::black));
    EXPECT_EQ(panel.framesShown(), 1);

    panel.clearFrame();
    EXPECT_EQ(panel.grab().toImage().pixelColor(20, 20), QColor(Qt::black));
}

TEST(VideoPanel, AnnouncesEveryChangeOfThePictureSize) {
    VideoPanel panel;
    panel.resize(100, 80);
    panel.show();  // hidden widgets get their resize events only when shown
    int changes = 0;
    QObject::connect(&panel, &VideoPanel::pictureSizeChanged, [&] { ++changes; });

    panel.setPictureRect(QRect(0, 0, 50, 40));
    EXPECT_EQ(changes, 1);
    panel.setPictureRect(QRect(5, 5, 50, 40));  // moved, same size: frames stay valid
    EXPECT_EQ(changes, 1);
    panel.resize(120, 90);  // its own rectangle decides, not the panel's size
    EXPECT_EQ(changes, 1);
    panel.setPictureRect(QRect());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(panel.pictureRect(), QRect(0, 0, 120, 90));
    panel.resize(130, 90);
    EXPECT_EQ(changes, 3);
}
