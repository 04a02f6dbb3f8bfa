#pragma once

#include "common/file_filters.h"
#include "common/folder_dialog.h"
#include "common/folders.h"
#include "common/messages.h"
#include "fakes/recording_media_player.h"
#include "fakes/recording_video_edit.h"
#include "join/join_controller.h"
#include "join/join_page.h"
#include "support/temp_folder.h"

#include <QImage>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

// A join page driven by its controller on a recording engine and player, with
// message boxes and file dialogs answered by the test.
class JoinFixture : public ::testing::Test {
protected:
    JoinFixture()
        : controller(page, engine, player, output, joinOutputPath, formats, pictures, dir.path("setup.ini"),
                     transitions, [this] { return makeMusicPlayer(); }, nullptr) {
        Messages::setBoxHandler([this](Messages::Kind, const QString& caption, const QString& text) {
            boxes << caption + ": " + text;
        });
        SetOpenDialogHandler([this](const OpenDialogSetup&) { return nextFiles; });
        QObject::connect(&controller, &JoinController::exitRequested, [this] { exits++; });
        page.EdSavePath2->setText(joinOutputPath);
        player.calls.clear();
    }
    ~JoinFixture() override {
        Messages::setBoxHandler({});
        SetOpenDialogHandler({});
        SetChooseFolderHandler({});
    }

    std::unique_ptr<TMediaPlayer> makeMusicPlayer() {
        auto p = std::make_unique<RecordingMediaPlayer>();
        musicPlayer = p.get();
        return p;
    }
    void add(const QStringList& files) {
        nextFiles = files;
        page.ToolBtnOpen->trigger();
    }
    QString picture(const QString& name) {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(dir.path(name));
        return dir.path(name);
    }
    void select(int row) { page.ListView2->setCurrentItem(page.ListView2->topLevelItem(row)); }
    QString cell(int row, int column) const { return page.ListView2->topLevelItem(row)->text(column); }
    QStringList column(int c) const {
        QStringList out;
        for (int r = 0; r < page.ListView2->topLevelItemCount(); ++r) out << cell(r, c);
        return out;
    }
    int selectedRow() const {
        const auto items = page.ListView2->selectedItems();
        return items.isEmpty() ? -1 : page.ListView2->indexOfTopLevelItem(items.first());
    }

    TempFolder dir;
    JoinPage page;
    RecordingVideoEdit engine;
    RecordingVideoEdit transitions;
    RecordingMediaPlayer player;
    RecordingMediaPlayer* musicPlayer = nullptr;
    OutputSelection output;
    QString joinOutputPath = dir.path("out") + "/";
    FormatSettings formats;
    PictureOptions pictures;
    JoinController controller;
    QStringList nextFiles;
    QStringList boxes;
    int exits = 0;
};
