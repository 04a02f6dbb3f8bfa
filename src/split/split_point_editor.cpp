#include "split/split_point_editor.h"

#include "common/guarded_handler.h"
#include "common/messages.h"
#include "common/window_placement.h"
#include "engine/media_player.h"
#include "split/detect_dialog.h"
#include "split/edit_selection_form.h"
#include "split/segment_list_actions.h"
#include "split/split_list.h"
#include "split/split_plan.h"
#include "split/split_point_panel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

SplitPointEditor::SplitPointEditor(SplitPointPanel& p, SplitList& l, QWidget* owner)
    : panel(p), list(l), window(owner) {
    const auto guard = GuardedHandlers(window, this);
    connect(panel.SpeedBtnPlay, &QToolButton::clicked, this, guard(&SplitPointEditor::SpeedBtnPlayClick));
    connect(panel.SpeedBtnPause, &QToolButton::clicked, this, guard(&SplitPointEditor::SpeedBtnPauseClick));
    connect(panel.SpeedBtnStop, &QToolButton::clicked, this, guard(&SplitPointEditor::SpeedBtnStopClick));
    connect(panel.Timer1, &QTimer::timeout, this, guard(&SplitPointEditor::Timer1Timer));
    connect(panel.SpeedBtnSet, &QPushButton::clicked, this, guard(&SplitPointEditor::SpeedBtnSetClick));
    connect(panel.BitBtnEdit, &QPushButton::clicked, this, guard(&SplitPointEditor::BitBtnEditClick));
    connect(panel.Edit1, &QAction::triggered, this, guard(&SplitPointEditor::BitBtnEditClick));
    connect(panel.ListView1, &QTreeWidget::itemDoubleClicked, this, guard(&SplitPointEditor::BitBtnEditClick));
    connect(panel.BitBtnRemove, &QPushButton::clicked, this, guard(&SplitPointEditor::BitBtnRemoveClick));
    connect(panel.Remove1, &QAction::triggered, this, guard(&SplitPointEditor::BitBtnRemoveClick));
    connect(panel.BitBtnRemoveAll, &QPushButton::clicked, this, guard(&SplitPointEditor::BitBtnRemoveAllClick));
    connect(panel.CheckTip, &QCheckBox::toggled, this, &SplitPointEditor::updateTooltips);
    connect(panel.DetectScenes, &QAction::triggered, this, [this] { DetectClick(DetectionKind::Scenes); });
    connect(panel.DetectBlack, &QAction::triggered, this, [this] { DetectClick(DetectionKind::Black); });
    connect(panel.DetectSilence, &QAction::triggered, this, [this] { DetectClick(DetectionKind::Silence); });
    // A tick set from the keyboard reaches the save flags as a click does.
    connect(panel.ListView1, &QTreeWidget::itemChanged, this, [this] {
        if (!refreshing) readTicks();
    });
    // The picture follows the row selected, by mouse or keys.
    connect(panel.ListView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { Messages::guarded(window, [this] { showSelectedRow(); }); });
    connect(panel.ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { panel.PopupMenu1->popup(panel.ListView1->viewport()->mapToGlobal(at)); });
    new SegmentListActions(panel, list, *this, window);
    // Clicking a bare part of the group gives it the keys, as clicking a control does.
    panel.setFocusPolicy(Qt::ClickFocus);
    watchForKeys(&panel);
    for (QWidget* child : panel.findChildren<QWidget*>()) watchForKeys(child);
}

void SplitPointEditor::watchForKeys(QWidget* widget) {
    if (widget) widget->installEventFilter(this);
}

bool SplitPointEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        bool handled = false;
        Messages::guarded(window, [&] { handled = handleKey(watched, *static_cast<QKeyEvent*>(event)); });
        if (handled) return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // Run once the control has handled the release, so selection and position are the new ones.
        if (watched == panel.TrackBar1) {
            QTimer::singleShot(0, this, Guarded(window, this, &SplitPointEditor::TrackBar1Released));
        } else if (watched == panel.ListView1->viewport()) {
            QTimer::singleShot(0, this, Guarded(window, this, &SplitPointEditor::ListView1Click));
        }
    }
    return QObject::eventFilter(watched, event);
}

// Space, the arrows, Home, End and S wherever the keys are in the group, except
// that Space keeps pressing a focused button or box.
bool SplitPointEditor::handleKey(QObject* watched, const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool shifted = modifiers == Qt::ShiftModifier;
    // The tool bar is what the editor switches off with its mode.
    if (!MP1 || !panel.TBToolbar1->isEnabled()) return false;
    switch (key.key()) {
        case Qt::Key_Space:
            if (!plain || qobject_cast<QAbstractButton*>(watched)) return false;
            TogglePlay();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right: {
            if (!plain && !shifted) return false;
            const int direction = key.key() == Qt::Key_Left ? -1 : 1;
            if (shifted) {
                StepSeconds(direction);
            } else {
                StepFrames(direction);
            }
            return true;
        }
        case Qt::Key_Home:
            if (!plain) return false;
            ShowFirstFrame();
            return true;
        case Qt::Key_End:
            if (!plain) return false;
            ShowLastFrame();
            return true;
        case Qt::Key_S:
            if (!plain || !panel.SpeedBtnSet->isEnabled()) return false;
            SpeedBtnSetClick();
            return true;
        default:
            return false;
    }
}

bool SplitPointEditor::previewPlaying() const {
    return MP1 && MP1->IsOpen() && MP1->GetMode() == TMediaPlayer::Mode::Playing;
}

bool SplitPointEditor::previewPaused() const {
    return MP1 && MP1->IsOpen() && MP1->GetMode() == TMediaPlayer::Mode::Paused;
}

int SplitPointEditor::selectedRow() const {
    const QList<QTreeWidgetItem*> items = panel.ListView1->selectedItems();
    return items.isEmpty() ? 0 : panel.ListView1->indexOfTopLevelItem(items.first()) + 1;
}

// ---- The list ----

void SplitPointEditor::ResetSplitList() {
    followSource();
    list.Reset(SourceDuration, SourceFileName, OutputExt);
    RefreshSplitList();
    emit partCountChanged(list.PartCount());
}

void SplitPointEditor::RefreshSplitList() {
    refreshing = true;
    panel.ListView1->clear();
    for (int k = 1; k <= list.PartCount(); ++k) {
        auto* item = new QTreeWidgetItem(list.RowTexts(k));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, list.SelectionSaved.value(k, true) ? Qt::Checked : Qt::Unchecked);
        panel.ListView1->addTopLevelItem(item);
    }
    refreshing = false;
    updateTooltips();
}

void SplitPointEditor::updateTooltips() {
    for (int i = 0; i < panel.ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = panel.ListView1->topLevelItem(i);
        const int part = item->text(0).toInt();
        const QString tip = panel.CheckTip->isChecked() ? list.SelectionTips.value(part) : QString();
        for (int c = 0; c < item->columnCount(); ++c) item->setToolTip(c, tip);
    }
}

void SplitPointEditor::readTicks() {
    for (int i = 0; i < panel.ListView1->topLevelItemCount() && i + 1 < list.SelectionSaved.size(); ++i) {
        list.SelectionSaved[i + 1] = panel.ListView1->topLevelItem(i)->checkState(0) == Qt::Checked;
    }
}

void SplitPointEditor::EnableSplitEditor() {
    panel.TrackBar1->setEnabled(true);
    panel.TBToolbar1->setEnabled(true);
    if (!previewPlaying()) panel.SpeedBtnPlay->setEnabled(true);
    for (QWidget* w : {static_cast<QWidget*>(panel.SpeedBtnSet), static_cast<QWidget*>(panel.BitBtnEdit),
                       static_cast<QWidget*>(panel.BitBtnRemove), static_cast<QWidget*>(panel.BitBtnRemoveAll),
                       static_cast<QWidget*>(panel.BtnSegments), static_cast<QWidget*>(panel.BtnDetect),
                       static_cast<QWidget*>(panel.ListView1),
                       static_cast<QWidget*>(panel.CheckTip)}) {
        w->setEnabled(true);
    }
}

void SplitPointEditor::DisableSplitEditor() {
    followSource();
    // Points found for a source that is no longer being edited belong nowhere.
    if (detecting) detecting->reject();
    panel.TrackBar1->setEnabled(false);
    panel.TBToolbar1->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(panel.SpeedBtnSet), static_cast<QWidget*>(panel.BitBtnEdit),
                       static_cast<QWidget*>(panel.BitBtnRemove), static_cast<QWidget*>(panel.BitBtnRemoveAll),
                       static_cast<QWidget*>(panel.BtnSegments), static_cast<QWidget*>(panel.BtnDetect),
                       static_cast<QWidget*>(panel.ListView1),
                       static_cast<QWidget*>(panel.CheckTip)}) {
        w->setEnabled(false);
    }
}

double SplitPointEditor::markedTime() const {
    const QString shown = panel.lbElapsedTime->text();
    return shown == markedClock ? markedSeconds : static_cast<double>(ParseClock(shown));
}

void SplitPointEditor::SpeedBtnSetClick() {
    // While playing, the frame on show now, not the one of the last timer tick.
    if (previewPlaying()) showFrame();
    list.SetPoint(markedTime());
    RefreshSplitList();
    emit partCountChanged(list.PartCount());
}

void SplitPointEditor::BitBtnRemoveClick() {
    const int row = selectedRow();
    if (row == 0 || list.PartCount() <= 1) return;
    list.Remove(row);
    panel.SpeedBtnSet->setEnabled(true);
    RefreshSplitList();
    emit partCountChanged(list.PartCount());
}

void SplitPointEditor::ListReplaced() {
    panel.SpeedBtnSet->setEnabled(true);
    RefreshSplitList();
    emit partCountChanged(list.PartCount());
}

void SplitPointEditor::BitBtnRemoveAllClick() {
    panel.SpeedBtnSet->setEnabled(true);
    ResetSplitList();
}

void SplitPointEditor::DetectClick(DetectionKind kind) {
    if (detecting) detecting->reject();
    detecting = new DetectDialog(SourceFileName, kind, window);
    detecting->setAttribute(Qt::WA_DeleteOnClose);
    connect(detecting, &DetectDialog::found, this, &SplitPointEditor::addDetectedPoints);
    detecting->open();
}

DetectDialog* SplitPointEditor::detectDialog() const { return detecting.data(); }

void SplitPointEditor::addDetectedPoints(const QList<double>& points) {
    list.AddFoundPoints(points);
    panel.SpeedBtnSet->setEnabled(true);
    RefreshSplitList();
    emit partCountChanged(list.PartCount());
}

void SplitPointEditor::BitBtnEditClick() {
    const int row = selectedRow();
    if (row == 0) return;
    TEditSelectionForm dialog(window, list, row, OutputExt, panel.ListView1->topLevelItem(row - 1));
    if (dialog.exec() == QDialog::Accepted) RefreshSplitList();
}

void SplitPointEditor::showStartOf(int row) {
    // Set right after this adds nothing, even at a start with a fraction.
    showElapsed(FormatClock(RoundHalfEven(list.TimePoints[row - 1])), list.TimePoints[row - 1]);
    const int64_t total = ParseClock(panel.lbTotalTime->text());
    if (total != 0) {
        panel.TrackBar1->setValue(static_cast<int>(ParseClock(panel.lbElapsedTime->text()) * 100 / total));
    }
}

void SplitPointEditor::ListView1Click() {
    readTicks();
    const int row = selectedRow();
    const bool any = row != 0;
    panel.Edit1->setEnabled(any);
    panel.BitBtnEdit->setEnabled(any);
    panel.Remove1->setEnabled(any);
    panel.BitBtnRemove->setEnabled(any);
    if (!any) return;
    showStartOf(row);
    if (previewPlaying()) {
        MP1->Seek(static_cast<int>(std::trunc(list.TimePoints[row - 1] * 1000)));
        MP1->Play();
    }
}

// ---- The preview ----

void SplitPointEditor::SpeedBtnPlayClick() {
    if (!MP1) return;
    if (previewPaused()) {
        MP1->Seek(static_cast<int>(RoundHalfEven(MP1->Length() * panel.TrackBar1->value() / 100.0)));
    } else {
        openPreview();
    }
    startPlaying();
}

void SplitPointEditor::openPreview() {
    connectPlayer();
    MP1->SetFileName(SourceFileName);
    MP1->Open();
    shownSource = SourceFileName;
    MP1->SetTimeFormatMilliseconds();
    MP1->SetDisplayRect(QRect(QPoint(0, 0), QPoint(169, 133)));
    placePreviewWindow();
    showElapsed("00:00:00", 0);
}

void SplitPointEditor::startPlaying() {
    MP1->Play();
    panel.SpeedBtnPlay->setEnabled(false);
    panel.SpeedBtnPause->setEnabled(true);
    panel.SpeedBtnStop->setEnabled(true);
    panel.Timer1->start();
}

void SplitPointEditor::TogglePlay() {
    if (!MP1) return;
    if (previewPlaying()) {
        SpeedBtnPauseClick();
        return;
    }
    const int64_t total = ParseClock(panel.lbTotalTime->text());
    const bool trackBarAtFrame =
        total == 0 || panel.TrackBar1->value() == ParseClock(panel.lbElapsedTime->text()) * 100 / total;
    if (previewPaused() && trackBarAtFrame) {
        startPlaying();
    } else {
        SpeedBtnPlayClick();
    }
}

// Keys may mark before anything played: the source opens, paused, at its start.
bool SplitPointEditor::readyToMark() {
    if (!MP1) return false;
    if (!MP1->IsOpen()) {
        openPreview();
    } else if (previewPlaying()) {
        SpeedBtnPauseClick();
    }
    panel.Timer1->stop();
    panel.SpeedBtnPlay->setEnabled(true);
    panel.SpeedBtnPause->setEnabled(false);
    panel.SpeedBtnStop->setEnabled(true);
    return true;
}

void SplitPointEditor::StepFrames(int count) {
    if (count == 0 || !readyToMark()) return;
    if (MP1->FrameRate() <= 0) return;  // sound only: no frames to step through
    readOutFollowsFrames = true;
    MP1->StepFrames(count);
}

void SplitPointEditor::StepSeconds(int seconds) {
    if (!readyToMark()) return;
    readOutFollowsFrames = true;
    const double rate = MP1->FrameRate();
    if (rate > 0) {
        MP1->StepFrames(static_cast<int>(std::lround(seconds * rate)));
    } else {
        MP1->ShowFrameAt(std::max(0.0, MP1->FramePosition() + seconds));
    }
}

void SplitPointEditor::ShowFirstFrame() {
    if (!readyToMark()) return;
    readOutFollowsFrames = true;
    MP1->ShowFrameAt(0);
}

void SplitPointEditor::ShowLastFrame() {
    if (!readyToMark()) return;
    readOutFollowsFrames = true;
    MP1->ShowFrameAt(MP1->Length() / 1000.0);
}

void SplitPointEditor::connectPlayer() {
    if (connectedPlayer == MP1) return;
    if (connectedPlayer) disconnect(connectedPlayer, nullptr, this, nullptr);
    connectedPlayer = MP1;
    connect(MP1, &TMediaPlayer::FrameShown, this, [this] { Messages::guarded(window, [this] { onFrameShown(); }); });
}

void SplitPointEditor::onFrameShown() {
    // A frame that lands after Play or Stop belongs to nothing on show any more.
    if (!MP1 || !previewPaused() || !readOutFollowsFrames) return;
    showFrame();
}

// A paused or stopped preview shows the selected row's first frame; a playing
// one jumps there on the click itself.
void SplitPointEditor::showSelectedRow() {
    const int row = selectedRow();
    if (refreshing || row == 0 || !MP1 || !MP1->IsOpen() || previewPlaying()) return;
    if (row >= list.TimePoints.size()) return;
    connectPlayer();
    showStartOf(row);
    readOutFollowsFrames = false;
    MP1->ShowFrameAt(list.TimePoints[row - 1]);
    panel.Timer1->stop();
    panel.SpeedBtnPlay->setEnabled(true);
    panel.SpeedBtnPause->setEnabled(false);
    panel.SpeedBtnStop->setEnabled(true);
}

// Another source was chosen: the old one's preview and position go with it.
void SplitPointEditor::followSource() {
    if (shownSource == SourceFileName) return;
    shownSource = SourceFileName;
    if (MP1 && MP1->IsOpen() && MP1->FileName() != SourceFileName) {
        MP1->Close();
        panel.Timer1->stop();
        panel.SpeedBtnPlay->setEnabled(true);
        panel.SpeedBtnPause->setEnabled(false);
        panel.SpeedBtnStop->setEnabled(false);
    }
    showElapsed("00:00:00", 0);
    panel.lbExactPosition->clear();
    panel.TrackBar1->setValue(0);
}

// Beside the window in use, whole on its screen; where the user moved it, it
// stays, as long as the new file's picture fits there.
void SplitPointEditor::placePreviewWindow() {
    QWidget* video = MP1->OwnWindow();
    const QWidget* main = window ? window->window() : panel.window();
    if (!video || !main || !main->screen()) return;
    const QRect desk = main->screen()->availableGeometry();
    // The desktop decorates it as it does the main window.
    const QSize decorations = main->frameGeometry().size() - main->geometry().size();
    const QPoint titleBar = main->geometry().topLeft() - main->frameGeometry().topLeft();
    const QSize framed = video->size() + decorations;
    if (previewPlaced && desk.contains(QRect(video->frameGeometry().topLeft(), framed))) return;
    previewPlaced = true;
    const QRect at = PlaceBeside(main->frameGeometry(), framed, desk);
    video->setGeometry(QRect(at.topLeft() + titleBar, at.size() - decorations));
}

void SplitPointEditor::setPreviewWindowShown(bool shown) {
    QWidget* video = MP1 ? MP1->OwnWindow() : nullptr;
    if (video) video->setVisible(shown);
}

void SplitPointEditor::showElapsed(const QString& clock, double exact) {
    panel.lbElapsedTime->setText(clock);
    markedClock = clock;
    markedSeconds = exact;
    panel.lbExactPosition->setText("(" + FormatExactClock(exact) + ")");
}

// The read-out follows the player: the clock as the timer writes it, and beside
// it the exact time and the number of the frame on show.
void SplitPointEditor::showFrame() {
    const double at = MP1->FramePosition();
    showElapsed(FormatClock(MP1->Position() / 1000), at);
    if (MP1->FrameRate() > 0) {
        panel.lbExactPosition->setText(
            QString("(%1, frame %2)").arg(FormatExactClock(at)).arg(MP1->FrameNumber()));
    }
    const int64_t total = ParseClock(panel.lbTotalTime->text());
    if (total != 0) {
        panel.TrackBar1->setValue(static_cast<int>(ParseClock(panel.lbElapsedTime->text()) * 100 / total));
    }
}

void SplitPointEditor::SpeedBtnPauseClick() {
    if (!MP1) return;
    MP1->Pause();
    panel.SpeedBtnPlay->setEnabled(true);
    panel.Timer1->stop();
    showFrame();
    panel.SpeedBtnPause->setEnabled(false);
}

void SplitPointEditor::SpeedBtnStopClick() {
    if (previewPlaying()) {
        MP1->Stop();
        MP1->Close();
    }
    panel.SpeedBtnPlay->setEnabled(true);
    panel.SpeedBtnPause->setEnabled(false);
    panel.SpeedBtnStop->setEnabled(false);
    panel.Timer1->stop();
    showElapsed("00:00:00", 0);
    panel.TrackBar1->setValue(0);
}

void SplitPointEditor::Timer1Timer() {
    // A player closed behind the timer's back has no position to show.
    if (!MP1 || !MP1->IsOpen()) {
        panel.Timer1->stop();
        return;
    }
    showFrame();
    const int64_t total = ParseClock(panel.lbTotalTime->text());
    const int64_t elapsed = ParseClock(panel.lbElapsedTime->text());
    if (total != 0) panel.TrackBar1->setValue(static_cast<int>(elapsed * 100 / total));
    // A player that reached the end has stopped by itself; the read-out may never
    // reach a duration with a fraction, so its mode counts as well.
    if (elapsed >= SourceDuration || MP1->GetMode() == TMediaPlayer::Mode::Stopped) SpeedBtnStopClick();
}

void SplitPointEditor::TrackBar1Released() {
    if (!previewPlaying()) return;
    const int64_t total = ParseClock(panel.lbTotalTime->text());
    const int percent = panel.TrackBar1->value();
    MP1->Seek(static_cast<int>(total * percent * 10));
    showElapsed(FormatClock(total * percent / 100), total * percent / 100.0);
    MP1->Play();
}
