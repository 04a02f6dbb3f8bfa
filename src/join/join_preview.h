#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class JoinItems;
class JoinPage;
class QSlider;
class TMediaPlayer;

// The entry last reported by the join list's selection handler.
struct JoinSelection {
    QString JoinSelectedFile;
    int JoinSelectedNo = 0;  // row + 1; may name a removed entry after Remove
};

// Plays the selected video in the join page's preview panel with play, pause,
// stop, the two times and a position bar that seeks. Playing a video measures it,
// and the length is kept in its entry for the join run.
class JoinPreview : public QObject {
    Q_OBJECT
public:
    JoinPreview(JoinPage& page, TMediaPlayer& player, JoinItems& items, const JoinSelection& selection,
                QWidget* window);

    double JoinLoadedDuration = 0;
    QTimer Timer2;
    // Measures what the engine will really show of a file (its pictures' extent,
    // where a player reports the longest stream); the player's length without it.
    std::function<double(const QString& file)> measure;

    void TBPlayClick();
    void TBPauseClick();
    void TBStopClick();
    void Timer2Timer();
    // The position bar was let go: a playing video jumps to its place.
    void TrackBar2Released();

    // Play and its menu entry are enabled and disabled together; likewise Pause, Stop.
    void EnablePlay(bool enabled);
    void EnablePause(bool enabled);
    void EnableStop(bool enabled);

    // A join is about to use and close the player: a playing or paused video is
    // stopped and the preview goes back to its ready state, so nothing reads the
    // closed player afterwards.
    void StopForJoin();
    // The window is closing: no tick and no sound after this.
    void Shutdown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool playing() const;

    JoinPage& page;
    TMediaPlayer& MP2;
    JoinItems& items;
    const JoinSelection& selection;
    QWidget* window;
    // Only compared with, never used as a slider: it is the bar while the page lives.
    QPointer<QObject> positionBar;
};
