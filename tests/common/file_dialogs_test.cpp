// The open and save dialogs as a user sees them: which files a folder of today's
// media shows, and the name a save dialog proposes.
#include "common/file_filters.h"
#include "common/media_filters.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <gtest/gtest.h>

namespace {

// The names the dialog lists in the folder it shows, once it has read it.
QStringList Listed(QFileDialog& dialog, int expected) {
    auto* view = dialog.findChild<QListView*>("listView");
    if (!view) return {};
    QStringList names;
    waitUntil([&] {
        names.clear();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            names << view->model()->index(row, 0, root).data().toString();
        return names.size() >= expected;
    }, 5000);
    names.sort();
    return names;
}

TEST(FileDialogs, AFolderOfTodaysFilesShowsEveryOneTheEngineReads) {
    TempFolder dir;
    for (const char* name : {"phone.mp4", "game.MKV", "iphone.mov", "tv.ts", "disc.VOB", "old.avi", "notes.txt", "song.mp3"})
        dir.write(name, "x");
    struct Case {
        QList<FileFilter> filters;
        QStringList shown;
    };
    for (const Case& c : {Case{VideoFilters(), {"disc.VOB", "game.MKV", "iphone.mov", "old.avi", "phone.mp4", "tv.ts"}},
                          Case{MusicFilters(), {"song.mp3"}}}) {
        SCOPED_TRACE(c.filters.first().description.toStdString());
        const std::unique_ptr<QFileDialog> dialog = MakeOpenDialog(nullptr, {"Open", c.filters, true});
        dialog->setDirectory(dir.path());
        dialog->show();
        EXPECT_EQ(Listed(*dialog, int(c.shown.size())), c.shown);
    }
}

TEST(FileDialogs, ASaveDialogProposesTheNameWithItsPlainExtension) {
    TempFolder dir;
    const std::unique_ptr<QFileDialog> dialog =
        MakeSaveDialog(nullptr, {"Export Segment List", {"Segment lists (*.csv)", "*.csv"}, dir.path("clip15.csv"), "csv"});
    dialog->show();
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "clip15.csv");
    EXPECT_EQ(dialog->selectedFiles(), QStringList{dir.path("clip15.csv")});
}

} // namespace
