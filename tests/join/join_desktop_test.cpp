// The join page as a desktop user works it: files dropped from a file manager,
// rows dragged into order, keys, blank boxes, the total length.
#include "join_test_fixture.h"
#include "join/join_list_view.h"
#include "common/up_down.h"
#include "join/pic_set_form.h"
#include "support/wait_until.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

namespace {
constexpr Qt::DropActions Offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// What a file manager offers: the files' URLs and their paths as text.
QMimeData* filesData(const QStringList& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    data->setUrls(urls);
    data->setText(files.join('\n'));
    return data;
}

class JoinDesktop : public JoinFixture {
protected:
    JoinDesktop() {
        page.resize(760, 520);
        page.show();
        pictures.PictureDuration = 4;
    }
    // Sends a drag to `at` (page coordinates) through the page's window, which
    // hands it to whichever widget there takes drops, as the desktop's drag does.
    // Returns whether the drop was taken.
    bool dragTo(QPoint at, QMimeData* data) { return dragOnto(page, at, data); }
    static bool dragOnto(QWidget& top, QPoint at, QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        QWindow* window = top.windowHandle();
        QDragEnterEvent enter(at, Offered, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        QDragMoveEvent move(at, Offered, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
        if (!move.isAccepted()) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(window, &leave);
            return false;
        }
        QDropEvent drop(at, move.dropAction(), data, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &drop);
        return drop.isAccepted();
    }
    // A point in the upper or lower half of a row, in page coordinates.
    QPoint onRow(int row, bool lowerHalf = false) const {
        const QRect r = page.ListView2->visualItemRect(page.ListView2->topLevelItem(row));
        const QPoint inViewport(r.center().x(), lowerHalf ? r.bottom() - 2 : r.top() + 2);
        return page.ListView2->viewport()->mapTo(&page, inViewport);
    }
    QPoint belowRows() const {
        return page.ListView2->viewport()->mapTo(&page, QPoint(20, page.ListView2->viewport()->height() - 5));
    }
    QStringList names() const { return column(1); }
    void focusList() {
        QApplication::setActiveWindow(&page);
        page.ListView2->setFocus();
    }
    // The video clips the join loads into the engine, in order.
    QStringList rendered() {
        engine.calls.clear();
        page.EdSaveFileName->setText("out");
        page.BitBtnJoin->click();
        QStringList clips;
        for (const QString& c : engine.calls) {
            if (c.startsWith("AddVideoClip(")) clips << c.mid(13).section(',', 0, 0).section('/', -1);
        }
        controller.BitBtnStopJoinClick();
        return clips;
    }
};
}  // namespace

TEST_F(JoinDesktop, DroppedFilesGoInAtTheDropPlaceInDropOrder) {
    add({"/v/a.avi", "/v/b.avi"});
    ASSERT_TRUE(dragTo(onRow(1), filesData({"/v/x.mpg", "/v/y.wmv"})));
    EXPECT_EQ(names(), (QStringList{"a.avi", "x.mpg", "y.wmv", "b.avi"}));
    // The lower half of a row puts them after it; below the rows, at the end.
    ASSERT_TRUE(dragTo(onRow(0, true), filesData({"/v/z.asf"})));
    ASSERT_TRUE(dragTo(belowRows(), filesData({"/p/last.jpg"})));
    EXPECT_EQ(names(), (QStringList{"a.avi", "z.asf", "x.mpg", "y.wmv", "b.avi", "last.jpg"}));
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(controller.JoinCount, 6);
    EXPECT_TRUE(page.BitBtnJoin->isEnabled());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
}

TEST_F(JoinDesktop, FilesOfOtherTypesAreRefusedInOneMessageAndTheRestGoIn) {
    ASSERT_TRUE(dragTo(belowRows(), filesData({"/d/notes.txt", "/v/a.AVI", "/d/song.flac", "/p/b.png"})));
    EXPECT_EQ(names(), (QStringList{"a.AVI", "b.png"}));
    // The message waits until the drop is over.
    EXPECT_TRUE(boxes.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !boxes.isEmpty(); }));
    EXPECT_EQ(boxes, QStringList{"Quillmark: Cannot join these files, their type is not supported: /d/notes.txt, "
                                 "/d/song.flac."});

    // Nothing usable: nothing changes but the message.
    boxes.clear();
    ASSERT_TRUE(dragTo(belowRows(), filesData({"/d/readme"})));
    ASSERT_TRUE(waitUntil([&] { return !boxes.isEmpty(); }));
    EXPECT_EQ(names(), (QStringList{"a.AVI", "b.png"}));
}

TEST_F(JoinDesktop, TextBoxesAndALockedPageTakeNoFiles) {
    const QString before = page.EdSaveFileName->text();
    for (QWidget* box : {static_cast<QWidget*>(page.EdSaveFileName), static_cast<QWidget*>(page.EdSavePath2)}) {
        const QPoint at = box->mapTo(&page, box->rect().center());
        EXPECT_FALSE(dragTo(at, filesData({"/v/a.avi"}))) << box->objectName().toStdString();
    }
    EXPECT_EQ(page.EdSaveFileName->text(), before);
    EXPECT_EQ(page.EdSavePath2->text(), joinOutputPath);
    EXPECT_EQ(page.ListView2->topLevelItemCount(), 0);

    // Plain text or web links are not files.
    auto* web = new QMimeData;
    web->setUrls({QUrl("https://example.org/clip.avi")});
    EXPECT_FALSE(dragTo(belowRows(), web));

    // While a join runs the list takes nothing, as the locked tool bar says.
    add({"/v/a.avi"});
    controller.DisableJoinControls();
    dragTo(belowRows(), filesData({"/v/b.avi"}));
    EXPECT_EQ(names(), QStringList{"a.avi"});
}

TEST_F(JoinDesktop, DraggedRowsMoveWithTheirDurationsAndTheJoinFollows) {
    add({"/v/a.avi", "/v/b.avi", "/v/c.avi", "/v/d.avi"});
    controller.joinItems.SetDuration(1, 7);
    player.lengths["/v/b.avi"] = 1000;
    player.lengths["/v/c.avi"] = 1000;
    player.lengths["/v/d.avi"] = 1000;
    // Row a onto the upper half of row d: before d.
    ASSERT_TRUE(dragTo(onRow(3), page.ListView2->rowDragData(0)));
    EXPECT_EQ(names(), (QStringList{"b.avi", "c.avi", "a.avi", "d.avi"}));
    EXPECT_EQ(controller.joinItems.at(3).duration, 7);
    EXPECT_EQ(selectedRow(), 2);
    // d to the top.
    ASSERT_TRUE(dragTo(onRow(0), page.ListView2->rowDragData(3)));
    EXPECT_EQ(names(), (QStringList{"d.avi", "b.avi", "c.avi", "a.avi"}));
    EXPECT_EQ(rendered(), (QStringList{"d.avi", "b.avi", "c.avi", "a.avi"}));

    // A row of another list (another window of the program) is not one of ours.
    JoinListView other;
    other.addTopLevelItem(new QTreeWidgetItem(QStringList{"1", "q.avi"}));
    EXPECT_FALSE(dragTo(onRow(0), other.rowDragData(0)));
    EXPECT_EQ(names(), (QStringList{"d.avi", "b.avi", "c.avi", "a.avi"}));
}

TEST_F(JoinDesktop, DeleteAndCtrlArrowsWorkTheSelectedRow) {
    add({"/v/a.avi", "/v/b.avi", "/v/c.avi"});
    player.lengths["/v/a.avi"] = 1000;
    player.lengths["/v/b.avi"] = 1000;
    player.lengths["/v/c.avi"] = 1000;
    focusList();
    select(0);
    QTest::keyClick(page.ListView2, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(names(), (QStringList{"b.avi", "a.avi", "c.avi"}));
    EXPECT_EQ(selectedRow(), 1);
    QTest::keyClick(page.ListView2, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(page.ListView2, Qt::Key_Down, Qt::ControlModifier);  // already last
    EXPECT_EQ(names(), (QStringList{"b.avi", "c.avi", "a.avi"}));
    QTest::keyClick(page.ListView2, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(names(), (QStringList{"b.avi", "a.avi", "c.avi"}));
    EXPECT_EQ(rendered(), (QStringList{"b.avi", "a.avi", "c.avi"}));

    focusList();
    select(0);
    QTest::keyClick(page.ListView2, Qt::Key_Delete);
    EXPECT_EQ(names(), (QStringList{"a.avi", "c.avi"}));
    EXPECT_EQ(selectedRow(), -1);  // as the Remove button leaves it

    // Delete in a text box deletes text, not a row.
    select(0);
    page.EdSaveFileName->setText("abc");
    page.EdSaveFileName->setFocus();
    page.EdSaveFileName->setCursorPosition(0);
    QTest::keyClick(page.EdSaveFileName, Qt::Key_Delete);
    EXPECT_EQ(page.EdSaveFileName->text(), "bc");
    EXPECT_EQ(names(), (QStringList{"a.avi", "c.avi"}));

    // A locked page moves nothing.
    controller.DisableJoinControls();
    focusList();
    select(0);
    QTest::keyClick(page.ListView2, Qt::Key_Delete);
    EXPECT_EQ(names(), (QStringList{"a.avi", "c.avi"}));
}

TEST_F(JoinDesktop, EveryButtonHasAnAltKeyAndCaptionsReadAsBefore) {
    QStringList keys;
    const auto collect = [&](const QList<QAbstractButton*>& buttons) {
        for (QAbstractButton* b : buttons) {
            // The arrows of a number field step it; the Up and Down keys in the field do that.
            if (!b->isVisible() || qobject_cast<UpDown*>(b->parentWidget())) continue;
            EXPECT_FALSE(b->shortcut().isEmpty()) << b->text().toStdString() << " " << b->toolTip().toStdString();
            keys << b->shortcut().toString();
        }
    };
    collect(page.findChildren<QAbstractButton*>());
    EXPECT_GE(keys.size(), 14);
    EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(' ').toStdString();
    // What a user reads is the caption without its marker.
    EXPECT_EQ(page.BitBtnJoin->text().remove('&'), "Join");
    EXPECT_EQ(page.SpeedBtnSet2->text().remove('&'), "Settings...");

    TPicSetForm form(nullptr, pictures, dir.path("setup.ini"), transitions, makeMusicPlayer());
    form.show();
    keys.clear();
    collect(form.findChildren<QAbstractButton*>());
    EXPECT_EQ(keys.size(), 6);
    EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(' ').toStdString();
    EXPECT_EQ(form.BitBtnOK->text().remove('&'), "OK");
}

TEST_F(JoinDesktop, AMusicFileDroppedOnItsBoxIsTakenAsIfChosen) {
    TPicSetForm form(nullptr, pictures, dir.path("setup.ini"), transitions, makeMusicPlayer());
    form.show();
    const QPoint music = form.EdMusicFile->mapTo(&form, form.EdMusicFile->rect().center());
    EXPECT_FALSE(dragOnto(form, music, filesData({"/m/clip.avi"})));
    EXPECT_FALSE(dragOnto(form, music, filesData({"/m/a.mp3", "/m/b.mp3"})));
    EXPECT_EQ(form.EdMusicFile->text(), "");
    ASSERT_TRUE(dragOnto(form, music, filesData({"/m/My Song.MP3"})));
    EXPECT_EQ(form.EdMusicFile->text(), "/m/My Song.MP3");
    // Taken only with OK, as a chosen file is.
    EXPECT_EQ(pictures.MusicFile, "");
    form.BitBtnOK->click();
    EXPECT_EQ(pictures.MusicFile, "/m/My Song.MP3");

    // The duration boxes take no files at all.
    form.show();
    const QPoint duration = form.EdDuration->mapTo(&form, form.EdDuration->rect().center());
    EXPECT_FALSE(dragOnto(form, duration, filesData({"/m/a.mp3"})));
}

TEST_F(JoinDesktop, TheTabKeyFollowsTheLayout) {
    add({"/v/a.avi"});
    select(0);
    QStringList order;
    QWidget* w = page.ListView2;
    for (int i = 0; i < 12 && w; ++i) {
        w = w->nextInFocusChain();
        while (w && !(w->focusPolicy() & Qt::TabFocus && w->isEnabled() && w->isVisible())) w = w->nextInFocusChain();
        if (w == page.ListView2) break;
        order << (w == page.EdSaveFileName ? "name" : w == page.EdSavePath2 ? "path"
                  : w == page.SpeedBtnSavePath2 ? "select" : w == page.cbFormat2 ? "format"
                  : w == page.SpeedBtnSet2 ? "settings" : w == page.BitBtnJoin ? "join"
                  : w == page.BitBtnExitJoin ? "exit" : w == page.TrackBar2 ? "position"
                  : w == page.TBPlay ? "play" : w->metaObject()->className());
    }
    EXPECT_EQ(order.mid(0, 8),
              (QStringList{"play", "position", "name", "path", "select", "format", "settings", "join"}));
}
