#include "join/join_preview.h"

#include "common/guarded_handler.h"
#include "common/messages.h"
#include "engine/media_player.h"
#include "join/join_list.h"
#include "join/join_page.h"
#include "split/split_plan.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QToolButton>
#include <algorithm>

namespace {
const QRect PreviewRect(0, 0, 209, 169);
const QString ZeroClock = QStringLiteral("00:00:00");
}  // namespace

JoinPreview::JoinPreview(JoinPage& p, TMediaPlayer& player, JoinItems& list, const JoinSelection& sel,
                         QWidget* owner)
    : page(p), MP2(player), items(list), selection(sel), window(owner) {
    Timer2.setInterval(1000);
    const auto guard = GuardedHandlers(window, this);
    connect(&Timer2, &QTimer::timeout, this, guard(&JoinPreview::Timer2Timer));
    connect(page.TBPlay, &QToolButton::clicked, this, guard(&JoinPreview::TBPlayClick));
    connect(page.TBPause, &QToolButton::clicked, this, guard(&JoinPreview::TBPauseClick));
    connect(page.TBStop, &QToolButton::clicked, this, guard(&JoinPreview::TBStopClick));
    connect(page.MenuPlay, &QAction::triggered, this, guard(&JoinPreview::TBPlayClick));
    connect(page.MenuPause, &QAction::triggered, this, guard(&JoinPreview::TBPauseClick));
    connect(page.MenuStop, &QAction::triggered, this, guard(&JoinPreview::TBStopClick));
    positionBar = page.TrackBar2;
    positionBar->installEventFilter(this);
    // Pictures come already fitted to the panel at their own shape; stretching
    // them over it would squeeze them. The panel's black shows around them.
    page.Image2->setScaledContents(false);
}

bool JoinPreview::playing() const { return MP2.IsOpen() && MP2.GetMode() == TMediaPlayer::Mode::Playing; }

void JoinPreview::EnablePlay(bool enabled) {
    page.TBPlay->setEnabled(enabled);
    page.MenuPlay->setEnabled(enabled);
}

void JoinPreview::EnablePause(bool enabled) {
    page.TBPause->setEnabled(enabled);
    page.MenuPause->setEnabled(enabled);
}

void JoinPreview::EnableStop(bool enabled) {
    page.TBStop->setEnabled(enabled);
    page.MenuStop->setEnabled(enabled);
}

void JoinPreview::TBPlayClick() {
    const QString file = selection.JoinSelectedFile;
    if (file.isEmpty() || IsPictureFile(file)) return;
    if (MP2.IsOpen() && MP2.GetMode() == TMediaPlayer::Mode::Paused) {
        // Resumes the loaded file where the bar points, even if another entry
        // has been selected since.
        const int64_t at = RoundHalfEven(static_cast<double>(MP2.Length()) * page.TrackBar2->value() / 100);
        MP2.Seek(static_cast<int>(std::clamp<int64_t>(at, 0, INT32_MAX)));
        MP2.Play();
    } else {
        MP2.SetFileName(file);
        MP2.SetDisplay(page.Panel2);
        MP2.Open();
        MP2.SetTimeFormatMilliseconds();
        JoinLoadedDuration = measure ? measure(file) : MP2.Length() / 1000.0;
        // After Remove the selection may name an entry that has gone or whose
        // number now belongs to another file: only the entry that still holds the
        // played file takes its length.
        const int no = selection.JoinSelectedNo;
        if (items.contains(no) && items.at(no).path == file) items.SetDuration(no, JoinLoadedDuration);
        page.lbTotalTime2->setText(FormatClock(RoundHalfEven(JoinLoadedDuration)));
        MP2.SetDisplayRect(PreviewRect);
        page.lbElapsedTime2->setText(ZeroClock);
        MP2.Play();
    }
    EnablePlay(false);
    EnablePause(true);
    EnableStop(true);
    Timer2.start();
}

void JoinPreview::TBPauseClick() {
    MP2.Pause();
    EnablePlay(true);
    Timer2.stop();
    page.lbElapsedTime2->setText(FormatClock(MP2.Position() / 1000));
    EnablePause(false);
}

void JoinPreview::TBStopClick() {
    if (playing()) {
        MP2.Stop();
        MP2.Close();
    }
    EnablePlay(true);
    EnablePause(false);
    EnableStop(false);
    Timer2.stop();
    page.lbElapsedTime2->setText(ZeroClock);
    page.TrackBar2->setValue(0);
}

void JoinPreview::Timer2Timer() {
    // The player can be closed under a running timer (a picture selected after
    // the video ended, a join): that ends the playback as Stop would.
    if (!MP2.IsOpen()) {
        TBStopClick();
        return;
    }
    page.lbElapsedTime2->setText(FormatClock(MP2.Position() / 1000));
    const int64_t elapsed = ParseClock(page.lbElapsedTime2->text());
    const int64_t total = ParseClock(page.lbTotalTime2->text());
    if (total != 0) page.TrackBar2->setValue(static_cast<int>(std::clamp<int64_t>(elapsed * 100 / total, 0, 100)));
    if (static_cast<double>(elapsed) >= JoinLoadedDuration) TBStopClick();
}

void JoinPreview::TrackBar2Released() {
    if (!playing()) return;
    const int64_t total = ParseClock(page.lbTotalTime2->text());
    const int p = page.TrackBar2->value();
    MP2.Seek(static_cast<int>(std::clamp<int64_t>(total * p * 10, 0, INT32_MAX)));
    page.lbElapsedTime2->setText(FormatClock(total * p / 100));
    MP2.Play();
}

bool JoinPreview::eventFilter(QObject* watched, QEvent* event) {
    // The bar's own events reach here while the page around it is being destroyed,
    // so the page is read only for a real release, never to recognise the bar.
    if (watched == positionBar && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Messages::guarded(window, [this] { TrackBar2Released(); });
    }
    return QObject::eventFilter(watched, event);  // the bar handles the release as usual
}

void JoinPreview::StopForJoin() {
    const bool active = Timer2.isActive() || page.TBStop->isEnabled();
    if (!active) return;
    if (MP2.IsOpen()) {
        const TMediaPlayer::Mode mode = MP2.GetMode();
        if (mode == TMediaPlayer::Mode::Playing || mode == TMediaPlayer::Mode::Paused) MP2.Stop();
    }
    TBStopClick();
}

void JoinPreview::Shutdown() {
    Timer2.stop();
    if (MP2.IsOpen()) MP2.Close();
}
