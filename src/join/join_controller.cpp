#include "join/join_controller.h"

#include "common/folder_dialog.h"
#include "common/folders.h"
#include "common/guarded_handler.h"
#include "common/media_filters.h"
#include "common/messages.h"
#include "common/note_label.h"
#include "common/track_list.h"
#include "engine/media_player.h"
#include "engine/quillmark_error.h"
#include "engine/video_edit.h"
#include "join/join_list_view.h"
#include "join/join_page.h"
#include "join/pic_set_form.h"
#include "join/tracks_form.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QImageReader>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

JoinController::JoinController(JoinPage& p, TVideoEdit& engine, TMediaPlayer& player, OutputSelection& out,
                               QString& joinOutputPath, const FormatSettings& formatSettings,
                               PictureOptions& pictures, const QString& settings, const TVideoEdit& transitions,
                               PlayerFactory musicPlayer, QWidget* owner)
    : QObject(owner), preview(p, player, joinItems, selection, owner), page(p), VE2(engine), MP2(player), output(out),
      JoinOutputPath(joinOutputPath), formats(formatSettings), pictureOptions(pictures), settingsFile(settings),
      transitionList(transitions), makeMusicPlayer(std::move(musicPlayer)), window(owner), run(engine),
      engineAlive(&engine), playerAlive(&player) {
    const auto guard = GuardedHandlers(window, this);
    connect(page.ToolBtnOpen, &QAction::triggered, this, guard(&JoinController::ToolBtnOpenClick));
    connect(page.ToolBtnRemove, &QAction::triggered, this, guard(&JoinController::ToolBtnRemoveClick));
    connect(page.ToolBtnRemoveAll, &QAction::triggered, this, guard(&JoinController::ToolBtnRemoveAllClick));
    connect(page.ToolBtnMoveUp, &QAction::triggered, this, guard(&JoinController::ToolBtnMoveUpClick));
    connect(page.ToolBtnMoveDown, &QAction::triggered, this, guard(&JoinController::ToolBtnMoveDownClick));
    connect(page.ToolBtnPicSet, &QAction::triggered, this, guard(&JoinController::ToolBtnPicSetClick));
    connect(page.ToolBtnTracks, &QAction::triggered, this, guard(&JoinController::ToolBtnTracksClick));
    connect(page.MenuAddFiles, &QAction::triggered, this, guard(&JoinController::ToolBtnOpenClick));
    connect(page.MenuRemove, &QAction::triggered, this, guard(&JoinController::ToolBtnRemoveClick));
    connect(page.MenuRemoveAll, &QAction::triggered, this, guard(&JoinController::ToolBtnRemoveAllClick));
    connect(page.MenuMoveUp, &QAction::triggered, this, guard(&JoinController::ToolBtnMoveUpClick));
    connect(page.MenuMoveDown, &QAction::triggered, this, guard(&JoinController::ToolBtnMoveDownClick));
    // "Start Joining" does what "Join" does, and only when "Join" could be pressed.
    connect(page.MenuStartJoining, &QAction::triggered, this, [this] {
        if (page.BitBtnJoin->isEnabled()) Messages::guarded(window, [this] { BitBtnJoinClick(); });
    });
    connect(page.ListView2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Messages::guarded(window, [this] { onSelectionChanged(); }); });
    connect(page.SpeedBtnSavePath2, &QPushButton::clicked, this, guard(&JoinController::SpeedBtnSavePath2Click));
    connect(page.SpeedBtnSet2, &QPushButton::clicked, this, &JoinController::settingsRequested);
    connect(page.BitBtnJoin, &QPushButton::clicked, this, guard(&JoinController::BitBtnJoinClick));
    connect(page.BitBtnStopJoin, &QPushButton::clicked, this, guard(&JoinController::BitBtnStopJoinClick));
    connect(page.BitBtnExitJoin, &QPushButton::clicked, this, guard(&JoinController::BitBtnExitJoinClick));

    connect(&pictureLoader, &PictureLoader::loaded, this, [this](const QString& path, const QImage& picture) {
        if (path == selection.JoinSelectedFile) page.Image2->setPixmap(QPixmap::fromImage(picture));
    });
    connect(&pictureLoader, &PictureLoader::failed, this, [this](const QString& path) {
        if (path == selection.JoinSelectedFile) Messages::error(window, "Cannot show the picture " + path);
    });

    connect(page.ListView2, &JoinListView::filesDropped, this,
            [this](const QStringList& files, int row) { Messages::guarded(window, [&] { DropFiles(files, row); }); });
    connect(page.ListView2, &JoinListView::rowDragged, this,
            [this](int from, int to) { Messages::guarded(window, [&] { DragRow(from, to); }); });
    connect(&mediaInfo, &JoinMediaInfo::ready, this, &JoinController::showFacts);
    installKeys();

    connect(&run, &JoinRun::progressChanged, this, [this](int percent) {
        page.Gauge3->setValue(percent);
        page.lbTimes3->setText(clock.text(percent / 100.0));
    });
    connect(&run, &JoinRun::noteChanged, page.lbNote3, &NoteLabel::setNote);
    connect(&run, &JoinRun::finished, this, &JoinController::onRunFinished);
    connect(&run, &JoinRun::failed, this, &JoinController::onRunFailed);

    OpenDialog2.title = "Open video files to Join:";
    OpenDialog2.multiSelect = true;
    OpenDialog2.filters = VideoAndPictureFilters();
    // The preview player draws into the panel, also while it measures a video for
    // a join, so no window of its own ever appears.
    MP2.SetDisplay(page.Panel2);
}

JoinController::~JoinController() {
    // As a child of the window this may run after the window's engine and player
    // have gone; only what is still there is stopped.
    preview.Timer2.stop();
    if (engineAlive && run.running()) run.Stop();
    if (playerAlive && playerAlive->IsOpen()) playerAlive->Close();
    if (tracksForm && !tracksForm->parent()) delete tracksForm.data();
}

TPicSetForm* JoinController::PicSetForm() const { return picSetForm.data(); }

void JoinController::Shutdown() {
    if (run.running()) run.Stop();
    preview.Shutdown();
    if (picSetForm && picSetForm->MP1().IsOpen()) picSetForm->MP1().Close();
}

// ---- The list ----

int JoinController::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = page.ListView2->selectedItems();
    return selected.isEmpty() ? -1 : page.ListView2->indexOfTopLevelItem(selected.first());
}

void JoinController::selectRow(int row) {
    QTreeWidgetItem* item = page.ListView2->topLevelItem(row);
    if (item) page.ListView2->setCurrentItem(item);
}

void JoinController::RefreshJoinList() {
    // Rebuilding drops the rows and with them the selection; that is no choice
    // of the user, so the selection handler does not hear of it.
    rebuilding = true;
    page.ListView2->clear();
    QList<QTreeWidgetItem*> rows;
    for (int i = 1; i <= joinItems.count(); ++i) {
        const QString& path = joinItems.at(i).path;
        rows << new QTreeWidgetItem(
            QStringList{QString::number(i), JoinFileNameText(path), JoinFormatText(path), JoinSizeText(path)});
    }
    page.ListView2->addTopLevelItems(rows);
    rebuilding = false;
    JoinCount = page.ListView2->topLevelItemCount();
    if (JoinCount == 0) page.BitBtnJoin->setEnabled(false);

    if (!mediaInfo.probe) mediaInfo.probe = preview.measure;
    for (int i = 1; i <= joinItems.count(); ++i) {
        const QString& path = joinItems.at(i).path;
        QTreeWidgetItem* row = page.ListView2->topLevelItem(i - 1);
        // Rows are dragged between one another, never onto one.
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
        row->setToolTip(1, QDir::toNativeSeparators(path));
        const QImage thumbnail = mediaInfo.facts(path).thumbnail;
        if (!thumbnail.isNull()) row->setIcon(1, QIcon(QPixmap::fromImage(thumbnail)));
        mediaInfo.request(path);
    }
    updateTotal();
    showTracks();
}

void JoinController::showFacts(const QString& file) {
    if (!IsPictureFile(file)) {
        trackChoices.setTracks(file, mediaInfo.facts(file).tracks);
        showTracks();
    }
    const QImage thumbnail = mediaInfo.facts(file).thumbnail;
    if (!thumbnail.isNull()) {
        const QIcon icon(QPixmap::fromImage(thumbnail));
        for (int i = 1; i <= joinItems.count(); ++i) {
            if (joinItems.at(i).path == file) page.ListView2->topLevelItem(i - 1)->setIcon(1, icon);
        }
    }
    updateTotal();
}

void JoinController::updateTotal() {
    page.lbTotalLength->setText(mediaInfo.totalText(joinItems.all(), pictureOptions.PictureDuration));
}

void JoinController::addFiles(const QStringList& files, int beforeRow) {
    joinItems.Insert(beforeRow + 1, files);
    RefreshJoinList();
    page.BitBtnJoin->setEnabled(true);
}

void JoinController::ToolBtnOpenClick() {
    const QStringList files = RunOpenDialog(window, OpenDialog2);
    if (files.isEmpty()) return;
    addFiles(files, joinItems.count());
}

void JoinController::DropFiles(const QStringList& files, int row) {
    // Adding is the tool bar's job: while a join runs, nothing is added.
    if (!page.ToolBar1->isEnabled()) return;
    QStringList taken, refused;
    for (const QString& file : files) {
        (MatchesFilter(OpenDialog2.filters.first(), QFileInfo(file).fileName()) ? taken : refused) << file;
    }
    if (!taken.isEmpty()) addFiles(taken, row);
    if (refused.isEmpty()) return;
    QStringList names;
    for (const QString& file : refused) names << QDir::toNativeSeparators(file);
    // After the drop has ended, so the program the files came from is not kept
    // waiting while the box is open.
    const QString text = "Cannot join these files, their type is not supported: " + names.join(", ");
    QTimer::singleShot(0, this, [this, text] { Messages::error(window, text); });
}

void JoinController::DragRow(int from, int to) {
    if (!page.ToolBar1->isEnabled()) return;
    const int moved = joinItems.Move(from + 1, to + 1);
    if (moved == 0) return;
    RefreshJoinList();
    selectRow(moved - 1);
}

void JoinController::installKeys() {
    // On the list only, so Delete in a text box still deletes text.
    const auto onList = [this](QKeySequence keys, QAction* action) {
        auto* shortcut = new QShortcut(keys, page.ListView2, nullptr, nullptr, Qt::WidgetShortcut);
        // Through the tool bar's action, so a locked tool bar locks the keys too.
        connect(shortcut, &QShortcut::activated, action, [this, action] {
            if (page.ToolBar1->isEnabled()) action->trigger();
        });
    };
    onList(QKeySequence::Delete, page.ToolBtnRemove);
    onList(QKeySequence(Qt::CTRL | Qt::Key_Up), page.ToolBtnMoveUp);
    onList(QKeySequence(Qt::CTRL | Qt::Key_Down), page.ToolBtnMoveDown);
}

void JoinController::ToolBtnRemoveClick() {
    const int row = selectedRow();
    if (row < 0) return;
    joinItems.Remove(row + 1);
    RefreshJoinList();
}

void JoinController::ToolBtnRemoveAllClick() {
    joinItems.RemoveAll();
    RefreshJoinList();
}

void JoinController::ToolBtnMoveUpClick() {
    const int row = selectedRow();
    if (row <= 0) return;
    const int e = row + 1;
    joinItems.MoveUp(e);
    RefreshJoinList();
    selectRow(e - 2);
}

void JoinController::ToolBtnMoveDownClick() {
    const int row = selectedRow();
    if (row < 0 || row >= JoinCount - 1) return;
    const int e = row + 1;
    joinItems.MoveDown(e);
    RefreshJoinList();
    selectRow(e);
}

void JoinController::onSelectionChanged() {
    if (rebuilding) return;
    // The row reported last wins: the newly selected one, or the one just
    // deselected when nothing else was selected.
    const int row = selectedRow();
    if (row >= 0) {
        ListView2SelectItem(row);
    } else if (QTreeWidgetItem* current = page.ListView2->currentItem()) {
        ListView2SelectItem(page.ListView2->indexOfTopLevelItem(current));
    }
}

void JoinController::ListView2SelectItem(int row) {
    const int e = row + 1;
    if (!joinItems.contains(e)) return;
    const QString path = joinItems.at(e).path;
    if (!IsPictureFile(path)) {
        pictureLoader.cancel();
        preview.EnablePlay(true);
    } else {
        if (MP2.IsOpen()) {
            const TMediaPlayer::Mode mode = MP2.GetMode();
            if (mode == TMediaPlayer::Mode::Stopped || mode == TMediaPlayer::Mode::Open) MP2.Close();
        }
        // Only the header is read here, so a file that is no picture is refused at
        // once; the picture itself is read on a worker and shown when it is ready.
        if (!QImageReader(path).canRead()) throw QuillmarkError("Cannot show the picture " + path);
        page.Image2->clear();
        pictureLoader.request(path, page.Image2->size());
    }
    selection.JoinSelectedFile = path;
    selection.JoinSelectedNo = e;
    // While a join runs, what the list shows is what is being written.
    if (!run.running()) setListMenuEnabled(true);
}

void JoinController::SpeedBtnSavePath2Click() {
    QString folder;
    if (!ChooseFolder(window, "Select a directory to save output file", folder)) return;
    folder = WithTrailingSeparator(folder);
    page.EdSavePath2->setText(folder);
    JoinOutputPath = folder;
}

// ---- Picture options ----

void JoinController::ToolBtnPicSetClick() {
    if (!picSetForm) {
        picSetForm = new TPicSetForm(window, pictureOptions, settingsFile, transitionList, makeMusicPlayer());
        picSetForm->outputFrameRate = [this] { return OutputFrameRate(output.SelectedFormat, formats); };
    }
    picSetForm->hide();
    picSetForm->exec();
    updateTotal();
}

// ---- Tracks ----

void JoinController::ToolBtnTracksClick() {
    if (!tracksForm) {
        // Made once and kept, as a child of the window when there is one.
        tracksForm = new TTracksForm(window);
        connect(tracksForm->TrackList1, &TrackList::tickChanged, this,
                [this](const QString& file, int stream, bool kept) { trackChoices.setKept(file, stream, kept); });
    }
    showTracks();
    // Window-modal but not blocking: the list fills in as the videos are read.
    tracksForm->open();
}

TTracksForm* JoinController::TracksForm() const { return tracksForm.data(); }

QStringList JoinController::videoFiles() const {
    QStringList files;
    for (const JoinItem& item : joinItems.all())
        if (!IsPictureFile(item.path) && !files.contains(item.path)) files << item.path;
    return files;
}

QString JoinController::firstVideoFile() const {
    const QStringList files = videoFiles();
    return files.isEmpty() ? QString() : files.first();
}

void JoinController::showTracks() {
    if (tracksForm) tracksForm->TrackList1->showFiles(trackChoices, videoFiles(), true);
}

// ---- The run ----

void JoinController::BitBtnJoinClick() {
    if (page.ListView2->topLevelItemCount() == 0) {
        Messages::information(window, "Please add files to join.");
        return;
    }
    // A name that is only an extension would give a hidden ".avi".
    if (IsBlank(page.EdSaveFileName->text()) || IsNamelessFile(page.EdSaveFileName->text())) {
        Messages::information(window, "Please input file name.");
        return;
    }
    if (IsBlank(page.EdSavePath2->text())) {
        Messages::information(window, "Please select save path.");
        return;
    }
    if (const QString problem = OutputFolderProblem(page.EdSavePath2->text()); !problem.isEmpty())
        throw QuillmarkError(problem);
    if (HasPictures(joinItems.all())) {
        const QString problem = PictureTimingProblem(pictureOptions, OutputFrameRate(output.SelectedFormat, formats));
        if (!problem.isEmpty()) throw QuillmarkError(problem);
    }
    if (const QString problem = OutputExtensionProblem(output.SelectedFormat, firstVideoFile()); !problem.isEmpty())
        throw QuillmarkError(problem);
    const QString folder = page.EdSavePath2->text();
    const QString outputFile = JoinOutputFileName(WithTrailingSeparator(folder), page.EdSaveFileName->text(),
                                                  output.ExtensionFor(firstVideoFile()));
    if (QFileInfo::exists(outputFile) && !Messages::confirm(window, ReplaceQuestion({outputFile}), "&Replace")) return;
    DisableJoinControls();
    try {
        startJoin();
    } catch (...) {
        // A file that cannot be measured or a folder that cannot be made ends the
        // join before it starts: the page is usable again at once.
        run.Stop();
        if (MP2.IsOpen()) MP2.Close();
        EnableJoinControls();
        throw;
    }
}

void JoinController::startJoin() {
    // The join measures with the preview's player and closes it: a video playing
    // there ends first.
    preview.StopForJoin();
    const QString folder = page.EdSavePath2->text();
    if (const QString failure = EnsureFolder(folder); !failure.isEmpty()) throw QuillmarkError(failure);
    JoinOutputPath = WithTrailingSeparator(folder);
    const QString outputFile =
        JoinOutputFileName(JoinOutputPath, page.EdSaveFileName->text(), output.ExtensionFor(firstVideoFile()));

    JoinTimelineSetup setup;
    setup.selectedFormat = output.SelectedFormat;
    setup.formats = formats;
    setup.transitionCount = static_cast<int>(transitionList.Transitions().size());
    setup.keptTracks = trackChoices.keptFor(videoFiles());
    const DurationMeter measure = [this](const QString& path) {
        MP2.SetFileName(path);
        MP2.Open();
        MP2.SetTimeFormatMilliseconds();
        // Transition times are sums of these lengths: they must be the lengths
        // the engine lays the pictures out by, not the longest stream's.
        return preview.measure ? preview.measure(path) : MP2.Length() / 1000.0;
    };
    BuildJoinTimeline(VE2, joinItems.all(), pictureOptions, setup, measure, makeTransitionDraw());
    MP2.Close();
    page.Gauge3->setValue(0);
    page.Gauge3->setFormat("%p%");
    clock.start();
    page.lbTimes3->setText(clock.text(0));
    run.Start(outputFile);
}

void JoinController::onRunFinished() {
    page.Gauge3->setValue(100);
    page.lbTimes3->setText("Done in " + ShortClock(clock.elapsed()));
    Messages::taskComplete(window, JoinOutputPath, {run.JoinOutputFile()});
    EnableJoinControls();
}

void JoinController::onRunFailed(const QString& message) {
    showRunEnd("Failed at %p%", "Failed after " + ShortClock(clock.elapsed()));
    Messages::error(window, message);
    EnableJoinControls();
}

void JoinController::BitBtnStopJoinClick() {
    const bool running = run.running();
    run.Stop();
    if (running)
        showRunEnd("Stopped at %p%", QString("Stopped after %1; %2 was not written")
                                         .arg(ShortClock(clock.elapsed()), QDir::toNativeSeparators(run.JoinOutputFile())));
    EnableJoinControls();
}

void JoinController::showRunEnd(const QString& barFormat, const QString& times) {
    page.Gauge3->setFormat(barFormat);
    page.lbTimes3->setText(times);
}

void JoinController::setListMenuEnabled(bool enabled) {
    for (QAction* a : {page.MenuAddFiles, page.MenuRemove, page.MenuRemoveAll, page.MenuMoveUp, page.MenuMoveDown,
                       page.MenuStartJoining}) {
        a->setEnabled(enabled);
    }
}

void JoinController::BitBtnExitJoinClick() {
    page.Gauge3->setValue(0);
    emit exitRequested();
}

void JoinController::DisableJoinControls() {
    setListMenuEnabled(false);
    page.ToolBar1->setEnabled(false);
    page.TBToolbar2->setEnabled(false);
    page.cbFormat2->setEnabled(false);
    page.BitBtnJoin->setEnabled(false);
    page.BitBtnStopJoin->setEnabled(true);
    page.BitBtnExitJoin->setEnabled(false);
    page.SpeedBtnSavePath2->setEnabled(false);
    page.SpeedBtnSet2->setEnabled(false);
}

void JoinController::EnableJoinControls() {
    page.MenuAddFiles->setEnabled(true);
    // The rest of the menu follows the selection again.
    if (selectedRow() >= 0) setListMenuEnabled(true);
    page.ToolBar1->setEnabled(true);
    page.TBToolbar2->setEnabled(true);
    page.cbFormat2->setEnabled(true);
    page.BitBtnJoin->setEnabled(true);
    page.BitBtnStopJoin->setEnabled(false);
    page.BitBtnExitJoin->setEnabled(true);
    page.SpeedBtnSavePath2->setEnabled(true);
    page.SpeedBtnSet2->setEnabled(true);
}
