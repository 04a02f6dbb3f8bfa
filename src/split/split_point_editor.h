#pragma once

#include "engine/split_point_detection.h"

#include <QObject>
#include <QPointer>

class DetectDialog;
class SplitList;
class SplitPointPanel;
class TMediaPlayer;
class QKeyEvent;
class QTreeWidgetItem;
class QWidget;

// Drives the split-point group: previews the source in the player, turns the
// time shown into split points, and keeps the list of parts on screen in step
// with the split list it edits.
class SplitPointEditor : public QObject {
    Q_OBJECT
public:
    SplitPointEditor(SplitPointPanel& panel, SplitList& list, QWidget* window);

    // The preview player; may be absent, and then nothing plays.
    QPointer<TMediaPlayer> MP1;
    // What the preview plays and how long it is.
    QString SourceFileName;
    double SourceDuration = 0;
    // The extension of renamed parts.
    QString OutputExt;

    void ResetSplitList();
    // The list was replaced as a whole (an import): show it and count its parts.
    void ListReplaced();
    void RefreshSplitList();
    void EnableSplitEditor();
    void DisableSplitEditor();

    void SpeedBtnPlayClick();
    void SpeedBtnPauseClick();
    void SpeedBtnStopClick();
    void Timer1Timer();
    void TrackBar1Released();
    void SpeedBtnSetClick();
    void BitBtnEditClick();
    void BitBtnRemoveClick();
    void BitBtnRemoveAllClick();
    void ListView1Click();
    // Opens the search for points of one kind in the source; what it finds is
    // added to the list as if each point had been set.
    void DetectClick(DetectionKind kind);
    // The open search, if any.
    DetectDialog* detectDialog() const;
    void addDetectedPoints(const QList<double>& points);

    // Frame-exact marking from the keyboard: frames back or forward, seconds back
    // or forward, the first or the last frame. Each pauses the preview and asks
    // for the frame, opening the source first when it is closed; the read-out
    // follows once the frame is on show. Nothing waits for it.
    void StepFrames(int count);
    void StepSeconds(int seconds);
    void ShowFirstFrame();
    void ShowLastFrame();
    // Space: pauses a playing preview; otherwise plays, on from the frame shown
    // when the track bar still points at it.
    void TogglePlay();

    // The preview's own video window shows only while the editor's step does.
    void setPreviewWindowShown(bool shown);

    // The time Set would take: the exact time behind the read-out.
    double markedTime() const;

    bool previewPlaying() const;
    bool previewPaused() const;
    // The row selected in the list, from 1; 0 when none.
    int selectedRow() const;

signals:
    // The number of rows changed; the pie follows it.
    void partCountChanged(int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QObject* watched, const QKeyEvent& key);
    void watchForKeys(QWidget* widget);
    void openPreview();
    bool readyToMark();
    void showFrame();
    void showElapsed(const QString& clock, double exact);
    void startPlaying();
    void readTicks();
    void updateTooltips();
    void showStartOf(int row);
    void connectPlayer();
    void onFrameShown();
    void showSelectedRow();
    void followSource();
    void placePreviewWindow();

    SplitPointPanel& panel;
    SplitList& list;
    QWidget* window;
    bool refreshing = false;
    // What the read-out stands for, exactly, while it shows the text it was given.
    QString markedClock = "00:00:00";
    double markedSeconds = 0;
    QPointer<DetectDialog> detecting;
    QPointer<TMediaPlayer> connectedPlayer;
    // A frame shown for a selected row leaves the row's start in the read-out,
    // so Set right after it adds nothing.
    bool readOutFollowsFrames = true;
    // The source the read-out and the open preview belong to.
    QString shownSource;
    bool previewPlaced = false;
};
