// The join list on the page: adding, removing, moving, selecting, the folder.
#include "common/folder_dialog.h"
#include "join_test_fixture.h"

#include "engine/quillmark_error.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QDir>
#include <QBuffer>
#include <QCoreApplication>
#include <QThreadPool>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A JPEG whose EXIF orientation says to turn it a quarter clockwise.
QString turnedJpeg(const QString& path, QSize size, Qt::GlobalColor colour) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(&buffer, "JPG"));
    const QByteArray tiff = QByteArray::fromHex("4d4d002a00000008" "0001" "011200030000000100060000" "00000000");
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1 = QByteArray::fromHex("ffe1");
    app1.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xff)).append(payload);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jpeg.left(2) + app1 + jpeg.mid(2));
    return path;
}

// Lets the picture reads in flight end and their results reach the page.
void settle() {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

}  // namespace

using JoinListPage = JoinFixture;

TEST_F(JoinListPage, AddedFilesAreNumberedOnInDialogOrder) {
    add({"/v/a.avi", "/v/b.mpeg", "/v/a.avi"});
    add({"/v/PIC.Jpeg", "/v/noext"});
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(column(1), (QStringList{"a.avi", "b.mpeg", "a.avi", "PIC.Jpeg", "noext"}));
    EXPECT_EQ(column(2), (QStringList{"AVI", "MPE", "AVI", "JPE", ""}));
    EXPECT_EQ(cell(0, 3), "0.00  MB");  // not on disk
    EXPECT_EQ(controller.JoinCount, 5);
    nextFiles.clear();
    page.ToolBtnOpen->trigger();  // cancelled
    EXPECT_EQ(controller.JoinCount, 5);
}

TEST_F(JoinListPage, RemoveAllDisablesJoinAndAddingEnablesIt) {
    add({"/v/a.avi"});
    page.ToolBtnRemoveAll->trigger();
    EXPECT_EQ(page.ListView2->topLevelItemCount(), 0);
    EXPECT_FALSE(page.BitBtnJoin->isEnabled());
    add({"/v/b.avi"});
    EXPECT_TRUE(page.BitBtnJoin->isEnabled());
}

TEST_F(JoinListPage, MovingKeepsDurationsAndSelectsTheMovedEntry) {
    add({"/v/1.avi", "/v/2.avi", "/v/3.avi"});
    controller.joinItems.SetDuration(3, 75.4);
    select(2);
    page.ToolBtnMoveUp->trigger();
    EXPECT_EQ(column(1), (QStringList{"1.avi", "3.avi", "2.avi"}));
    EXPECT_DOUBLE_EQ(controller.joinItems.at(2).duration, 75.4);
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_EQ(controller.selection.JoinSelectedNo, 2);
    EXPECT_EQ(controller.selection.JoinSelectedFile, "/v/3.avi");

    select(0);
    page.ToolBtnMoveUp->trigger();  // already first
    select(2);
    page.ToolBtnMoveDown->trigger();  // already last
    EXPECT_EQ(column(1), (QStringList{"1.avi", "3.avi", "2.avi"}));
    select(0);
    page.ToolBtnMoveDown->trigger();
    EXPECT_EQ(column(1), (QStringList{"3.avi", "1.avi", "2.avi"}));
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(JoinListPage, RemoveRenumbersAndLeavesNoSelection) {
    add({"/v/1.avi", "/v/2.avi", "/v/3.avi", "/v/4.avi"});
    page.ToolBtnRemove->trigger();  // nothing selected: nothing happens
    EXPECT_EQ(controller.JoinCount, 4);
    select(1);
    page.ToolBtnRemove->trigger();
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(column(1), (QStringList{"1.avi", "3.avi", "4.avi"}));
    EXPECT_EQ(selectedRow(), -1);
    // The selection state still names the removed entry, as it was.
    EXPECT_EQ(controller.selection.JoinSelectedFile, "/v/2.avi");
}

TEST_F(JoinListPage, SelectingEnablesTheMenuAndPlayOnlyForVideos) {
    const QString pic = picture("p.bmp");
    add({pic, "/v/a.avi"});
    EXPECT_FALSE(page.MenuRemove->isEnabled());
    EXPECT_TRUE(page.MenuAddFiles->isEnabled());
    select(0);
    EXPECT_FALSE(page.TBPlay->isEnabled());
    settle();
    EXPECT_FALSE(page.Image2->pixmap().isNull());
    for (QAction* a : {page.MenuRemove, page.MenuRemoveAll, page.MenuMoveUp, page.MenuMoveDown,
                       page.MenuStartJoining}) {
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }
    select(1);
    EXPECT_TRUE(page.TBPlay->isEnabled());
    EXPECT_TRUE(page.MenuPlay->isEnabled());
    page.ToolBtnRemoveAll->trigger();
    EXPECT_TRUE(page.MenuRemove->isEnabled());  // nothing disables them again
}

TEST_F(JoinListPage, APictureIsPreviewedTheWayItsCameraHeldItAtItsOwnShape) {
    add({turnedJpeg(dir.path("turned.jpg"), QSize(32, 24), Qt::red)});
    select(0);
    settle();
    // Upright, as large as the panel holds, with black beside it.
    const QSize shown = page.Image2->pixmap().size();
    EXPECT_EQ(shown.height(), page.Panel2->height());
    EXPECT_NEAR(shown.width(), page.Panel2->height() * 3 / 4, 1);
    const QImage panel = page.Panel2->grab().toImage();
    EXPECT_EQ(panel.pixelColor(2, panel.height() / 2), QColor(Qt::black));
    EXPECT_GT(qRed(panel.pixel(panel.width() / 2, panel.height() / 2)), 200);
    EXPECT_EQ(panel.pixelColor(panel.width() - 3, panel.height() / 2), QColor(Qt::black));
}

TEST_F(JoinListPage, ALargePictureIsReadScaledToThePanelOffTheWindowsThread) {
    add({turnedJpeg(dir.path("big photo.jpg"), QSize(4000, 3000), Qt::red)});
    select(0);
    // Nothing is shown until the worker has read it.
    EXPECT_TRUE(page.Image2->pixmap().isNull());
    settle();
    const QSize shown = page.Image2->pixmap().size();
    EXPECT_LE(shown.width(), page.Image2->width());
    EXPECT_EQ(shown.height(), page.Image2->height());  // the long side, turned upright, fills the panel's height
    EXPECT_NEAR(shown.width(), page.Image2->height() * 3 / 4, 1);
}

TEST_F(JoinListPage, APictureLeftBeforeItWasReadIsNeverShown) {
    const QString big = turnedJpeg(dir.path("big.jpg"), QSize(4000, 3000), Qt::red);
    const QString small = turnedJpeg(dir.path("small.jpg"), QSize(40, 30), Qt::green);
    add({big, "/v/a.avi", small});
    select(0);
    select(1);
    settle();
    EXPECT_TRUE(page.Image2->pixmap().isNull());

    select(0);
    select(2);
    settle();
    const QImage shown = page.Image2->pixmap().toImage();
    ASSERT_EQ(shown.height(), page.Image2->height());
    EXPECT_GT(qGreen(shown.pixel(shown.width() / 2, shown.height() / 2)), 200);
    EXPECT_LT(qRed(shown.pixel(shown.width() / 2, shown.height() / 2)), 60);
}

TEST_F(JoinListPage, APictureClosesAStoppedPlayerButNotAPlayingOne) {
    const QString pic = picture("p.jpg");
    add({"/v/a.avi", pic});
    player.lengths["/v/a.avi"] = 5000;
    select(0);
    page.TBPlay->click();
    select(1);
    EXPECT_TRUE(player.IsOpen());  // still playing underneath the picture
    page.TBPause->click();
    player.Stop();
    select(0);
    select(1);
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(JoinListPage, AnUnreadablePictureIsReportedAndTheSelectionKept) {
    add({"/v/a.avi", dir.write("bad.jpg", "not a picture")});
    select(0);
    select(1);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith("Quillmark: Cannot show the picture ")) << boxes[0].toStdString();
    EXPECT_EQ(controller.selection.JoinSelectedNo, 1);
}

TEST_F(JoinListPage, TheChosenFolderGainsASeparator) {
    SetChooseFolderHandler([](const QString& title, QString& folder) {
        EXPECT_EQ(title, "Select a directory to save output file");
        EXPECT_TRUE(folder.isEmpty());
        folder = "/media/films";
        return true;
    });
    page.SpeedBtnSavePath2->click();
    EXPECT_EQ(page.EdSavePath2->text(), "/media/films" + QString(QDir::separator()));
    EXPECT_EQ(joinOutputPath, page.EdSavePath2->text());
    SetChooseFolderHandler([](const QString&, QString&) { return false; });
    page.EdSavePath2->setText("/typed");
    page.SpeedBtnSavePath2->click();
    EXPECT_EQ(page.EdSavePath2->text(), "/typed");
}

TEST_F(JoinListPage, TheOpenDialogOffersVideosAndPictures) {
    EXPECT_EQ(controller.OpenDialog2.title, "Open video files to Join:");
    EXPECT_TRUE(controller.OpenDialog2.multiSelect);
    // The classic entries in their order, then today's kinds; the first holds them all.
    ASSERT_EQ(controller.OpenDialog2.filters.size(), 16);
    EXPECT_EQ(controller.OpenDialog2.filters[6].description, "JPG files (*.jpg,jpeg)");
    EXPECT_EQ(controller.OpenDialog2.filters[7].description, "PNG files (*.png)");
    EXPECT_EQ(controller.OpenDialog2.filters[7].patterns, "*.png");
    EXPECT_EQ(controller.OpenDialog2.filters[8].description, "MP4 files (*.mp4;*.m4v)");
    EXPECT_TRUE(controller.OpenDialog2.filters[0].patterns.startsWith("*.avi;*.mpg;*.wmv;*.asf;*.mpeg;*.bmp;*.jpg;*.jpeg;*.png;*.mp4"));
    for (const FileFilter& kind : controller.OpenDialog2.filters.mid(1))
        for (const QString& pattern : kind.patterns.split(';'))
            EXPECT_TRUE(MatchesFilter(controller.OpenDialog2.filters[0], "x" + pattern.mid(1))) << pattern.toStdString();
}

TEST_F(JoinListPage, TheToolBarAndMenuReadAsDesigned) {
    QStringList tools;
    for (QAction* a : page.ToolBar1->actions()) tools << (a->isSeparator() ? "|" : QString(a->iconText()).remove('&') + "/" + a->toolTip());
    EXPECT_EQ(tools, (QStringList{"Add Files.../Add files", "|", "Remove/Remove selected item",
                                  "Remove All/Remove all items", "|", "Move Up/Move up selected item",
                                  "Move Down/Move down selected item", "|", "Options.../Picture options",
                                   "Tracks.../Sound and subtitle tracks of the videos", "|"}));
    QStringList menu;
    for (QAction* a : page.PopupMenu2->actions()) menu << (a->isSeparator() ? "|" : a->text());
    EXPECT_EQ(menu, (QStringList{"Add Files...", "Remove", "Remove All", "Move Up", "Move Down", "|", "Play",
                                 "Pause", "Stop", "|", "Start Joining"}));
    EXPECT_EQ(page.BitBtnExitJoin->toolTip(), "Go back to  main menu");
    EXPECT_FALSE(page.BitBtnStopJoin->isEnabled());
    EXPECT_EQ(page.EdSaveFileName->text(), "Untitled");
}

TEST(JoinControllerLifetime, AWindowThatDropsItsPlayerFirstClosesCleanly) {
    auto window = std::make_unique<QWidget>();
    auto* page = new JoinPage(window.get());
    auto engine = std::make_unique<RecordingVideoEdit>();
    auto player = std::make_unique<RecordingMediaPlayer>();
    OutputSelection output;
    QString folder = "/tmp/";
    FormatSettings formats;
    PictureOptions pictures;
    auto* controller = new JoinController(*page, *engine, *player, output, folder, formats, pictures, "/nonexistent/setup.ini",
                                          *engine, [] { return std::make_unique<RecordingMediaPlayer>(); }, window.get());
    player->lengths["/v/a.avi"] = 3000;
    controller->joinItems.Add({"/v/a.avi"});
    controller->selection = {"/v/a.avi", 1};
    controller->preview.TBPlayClick();
    ASSERT_TRUE(player->IsOpen());
    // Members of a window go before its children: the controller outlives them.
    player.reset();
    engine.reset();
    EXPECT_NO_FATAL_FAILURE(window.reset());
}
