#include "mpv_media_player.h"

#include "engine/quillmark_error.h"
#include "mpv_frame_renderer.h"
#include "mpv_handle.h"
#include "video_panel.h"

#include <QEvent>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

int toMs(double seconds) { return static_cast<int>(std::lround(seconds * 1000.0)); }

// A stream without a known length (0) still has positions.
int withinFile(int ms, int lengthMs) { return lengthMs > 0 ? std::clamp(ms, 0, lengthMs) : std::max(ms, 0); }

QString openError(const QString& file, const QString& reason) {
    return QString("Cannot open \"%1\": %2").arg(file, reason);
}

}  // namespace

MpvMediaPlayer::MpvMediaPlayer(QObject* parent) : MpvMediaPlayer(Options{}, parent) {}

MpvMediaPlayer::MpvMediaPlayer(Options opts, QObject* parent) : TMediaPlayer(parent), options(std::move(opts)) {}

MpvMediaPlayer::~MpvMediaPlayer() {
    // The render context must be gone before the core, and the core before the
    // panels it draws into.
    renderer.reset();
    mpv.reset();
    delete displayPanel.data();
}

void MpvMediaPlayer::ensureMpv() {
    if (mpv) return;
    auto handle = std::make_unique<MpvHandle>(options.audioOutput);
    // The render context has to exist before mpv sets up video for a file.
    renderer = std::make_unique<MpvFrameRenderer>(handle->get());
    mpv = std::move(handle);
    connect(mpv.get(), &MpvHandle::fileStarted, this, &MpvMediaPlayer::onFileStarted);
    connect(mpv.get(), &MpvHandle::fileLoaded, this, &MpvMediaPlayer::onFileLoaded);
    connect(mpv.get(), &MpvHandle::fileEnded, this, &MpvMediaPlayer::onFileEnded);
    connect(mpv.get(), &MpvHandle::seekStarted, this, &MpvMediaPlayer::onSeekStarted);
    connect(mpv.get(), &MpvHandle::playbackRestarted, this, &MpvMediaPlayer::onPlaybackRestarted);
    connect(mpv.get(), &MpvHandle::eofReachedChanged, this, &MpvMediaPlayer::onEofReachedChanged);
}

void MpvMediaPlayer::SetDisplay(QWidget* widget) {
    if (display == widget) return;
    const bool showing = phase == Phase::Loaded && hasVideo;
    if (showing) detachVideo();
    if (display) display->removeEventFilter(this);
    delete displayPanel.data();
    display = widget;
    if (display) {
        displayPanel = new VideoPanel(display);
        displayPanel->setPictureRect(displayRect);
        displayPanel->setGeometry(display->rect());
        displayPanel->hide();
        display->installEventFilter(this);
    }
    if (showing) attachVideo();
}

bool MpvMediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    // The panel covers the whole display, whatever size the page gives it.
    if (watched == display && event->type() == QEvent::Resize && displayPanel) {
        displayPanel->setGeometry(display->rect());
    }
    return TMediaPlayer::eventFilter(watched, event);
}

void MpvMediaPlayer::Open() {
    if (phase != Phase::Closed) Close();
    const QFileInfo file(FileName());
    if (FileName().isEmpty() || !file.isFile()) throw QuillmarkError(openError(FileName(), "file not found"));

    ensureMpv();
    // Opened files wait at their first frame, as a stopped device does.
    mpv->setFlag("pause", true);
    // An absolute path keeps mpv from reading names such as "x://y" as addresses.
    const qint64 id = mpv->loadFile(file.absoluteFilePath());
    if (id < 0) throw QuillmarkError(openError(FileName(), MpvHandle::errorText(static_cast<int>(id))));

    phase = Phase::Loading;
    entry = id;
    entryStarted = false;
    loadOutcome = LoadOutcome::Pending;
    loadError = 0;
    const bool answered =
        mpv->handleEventsUntil([this] { return loadOutcome != LoadOutcome::Pending; }, options.openTimeout);
    if (!answered || loadOutcome == LoadOutcome::Failed) {
        mpv->command({"stop"});
        resetToClosed();
        throw QuillmarkError(answered ? openError(FileName(), MpvHandle::errorText(loadError))
                                      : openError(FileName(), "the player did not answer in time"));
    }

    phase = Phase::Loaded;
    transport = Transport::Stopped;
    lengthMs = std::max(0, toMs(mpv->doubleProperty("duration").value_or(0.0)));
    hasVideo = mpv->intProperty("current-tracks/video/id").has_value();
    atEnd = false;
    seekPending = false;
    lastPositionMs = 0;
    if (hasVideo) attachVideo();
    reportMode();
}

void MpvMediaPlayer::attachVideo() {
    VideoPanel* panel = displayPanel;
    if (!display) {
        if (!ownWindow) ownWindow = std::make_unique<VideoPanel>();
        ownWindow->setWindowTitle(QFileInfo(FileName()).fileName());
        fitOwnWindow();
        panel = ownWindow.get();
    }
    if (!panel) return;  // the display widget was destroyed
    panel->show();
    if (!panel->isWindow()) panel->raise();  // above whatever else the display holds
    renderer->setTarget(panel);
}

void MpvMediaPlayer::fitOwnWindow() {
    if (!ownWindow) return;
    QSize size = displayRect.isEmpty() ? QSize() : QSize(displayRect.right() + 1, displayRect.bottom() + 1);
    if (size.isEmpty() && mpv) {
        const auto width = mpv->intProperty("current-tracks/video/demux-w");
        const auto height = mpv->intProperty("current-tracks/video/demux-h");
        if (width && height) size = QSize(static_cast<int>(*width), static_cast<int>(*height));
    }
    if (size.isEmpty()) size = QSize(320, 240);
    ownWindow->resize(size);
    ownWindow->setPictureRect(displayRect);
}

void MpvMediaPlayer::detachVideo() {
    if (renderer) renderer->setTarget(nullptr);
    // Whatever lies under the panel (a picture, the page) shows again.
    for (VideoPanel* panel : {displayPanel.data(), ownWindow.get()}) {
        if (!panel) continue;
        panel->hide();
        panel->clearFrame();
    }
}

void MpvMediaPlayer::SetDisplayRect(const QRect& rect) {
    displayRect = rect.normalized();
    if (displayPanel) displayPanel->setPictureRect(displayRect);
    if (ownWindow && phase == Phase::Loaded && hasVideo) fitOwnWindow();
}

void MpvMediaPlayer::requireOpen() const {
    if (phase != Phase::Loaded) throw QuillmarkError("No MCI device open");
}

void MpvMediaPlayer::Play() {
    requireOpen();
    // At the end there is nothing left to play; a Seek moves away from it.
    if (atEnd) return;
    mpv->setFlag("pause", false);
    transport = Transport::Playing;
    reportMode();
}

void MpvMediaPlayer::Pause() {
    requireOpen();
    if (transport == Transport::Playing) {
        mpv->setFlag("pause", true);
        transport = Transport::Paused;
    } else if (transport == Transport::Paused) {
        mpv->setFlag("pause", false);
        transport = Transport::Playing;
    }
    reportMode();
}

void MpvMediaPlayer::Stop() {
    requireOpen();
    mpv->setFlag("pause", true);
    transport = Transport::Stopped;
    reportMode();
}

void MpvMediaPlayer::Close() {
    if (phase == Phase::Closed) return;
    mpv->command({"stop"});
    resetToClosed();
}

void MpvMediaPlayer::resetToClosed() {
    detachVideo();
    phase = Phase::Closed;
    transport = Transport::Stopped;
    entry = -1;
    lengthMs = 0;
    hasVideo = false;
    atEnd = false;
    seekPending = false;
    lastPositionMs = 0;
    reportMode();
}

void MpvMediaPlayer::Seek(int positionMs) {
    requireOpen();
    const int target = withinFile(positionMs, lengthMs);
    // A seek leaves the device stopped at the target, as the pages expect
    // before they call Play.
    mpv->setFlag("pause", true);
    transport = Transport::Stopped;
    atEnd = false;
    const QByteArray seconds = QByteArray::number(target / 1000.0, 'f', 3);
    seekPending = mpv->command({"seek", seconds.constData(), "absolute+exact"}) >= 0;
    seekUnderway = false;
    seekTargetMs = target;
    lastPositionMs = target;
    reportMode();
}

int MpvMediaPlayer::Position() const {
    requireOpen();
    if (atEnd) return lengthMs;
    if (seekPending) return seekTargetMs;
    if (const auto seconds = mpv->doubleProperty("time-pos")) {
        lastPositionMs = withinFile(toMs(*seconds), lengthMs);
    }
    return lastPositionMs;
}

int MpvMediaPlayer::Length() const {
    requireOpen();
    return lengthMs;
}

TMediaPlayer::Mode MpvMediaPlayer::GetMode() const {
    switch (phase) {
    case Phase::Closed:
        return Mode::NotReady;
    case Phase::Loading:
        return Mode::Open;
    case Phase::Loaded:
        break;
    }
    if (seekPending && transport != Transport::Playing) return Mode::Seeking;
    switch (transport) {
    case Transport::Playing:
        return Mode::Playing;
    case Transport::Paused:
        return Mode::Paused;
    case Transport::Stopped:
        break;
    }
    return Mode::Stopped;
}

VideoPanel* MpvMediaPlayer::videoPanel() const {
    if (phase != Phase::Loaded || !hasVideo || !renderer) return nullptr;
    return renderer->target();
}

void MpvMediaPlayer::reportMode() {
    const Mode mode = GetMode();
    if (mode == reportedMode) return;
    reportedMode = mode;
    emit ModeChanged(mode);
}

void MpvMediaPlayer::onFileStarted(qint64 entryId) {
    if (entryId == entry) entryStarted = true;
}

void MpvMediaPlayer::onFileLoaded() {
    // A load event that comes before our file started belongs to an earlier one.
    if (phase == Phase::Loading && entryStarted) loadOutcome = LoadOutcome::Loaded;
}

void MpvMediaPlayer::onFileEnded(qint64 entryId, bool failed, int error) {
    if (entryId != entry) return;
    if (phase == Phase::Loading) {
        loadOutcome = LoadOutcome::Failed;
        loadError = failed ? error : 0;
        return;
    }
    // mpv dropped the open file (a read error mid-way): it is closed now, and
    // saying otherwise would let callers read a file that is gone.
    if (phase == Phase::Loaded) resetToClosed();
}

void MpvMediaPlayer::onSeekStarted() {
    if (seekPending) seekUnderway = true;
}

void MpvMediaPlayer::onPlaybackRestarted() {
    // A restart without a seek begun since ours is an older one (such as the
    // first frame after Open) and says nothing about our target.
    if (phase != Phase::Loaded || !seekPending || !seekUnderway) return;
    seekPending = false;
    // mpv rests on the last frame when asked for the end; the device is at the end.
    if (lengthMs > 0 && seekTargetMs >= lengthMs) {
        stopAtEnd();
        return;
    }
    reportMode();
}

void MpvMediaPlayer::onEofReachedChanged(bool reached) {
    // Leaving the end is our own doing (Seek), so only arrivals matter. An
    // arrival reported before our latest seek began is old news, and so is
    // one that mpv's present state no longer confirms.
    if (!reached || phase != Phase::Loaded) return;
    if (seekPending && !seekUnderway) return;
    if (!mpv->flagProperty("eof-reached").value_or(false)) return;
    stopAtEnd();
}

void MpvMediaPlayer::stopAtEnd() {
    atEnd = true;
    seekPending = false;
    transport = Transport::Stopped;
    reportMode();
}

std::unique_ptr<TMediaPlayer> CreateMediaPlayer(QObject* parent) {
    return std::make_unique<MpvMediaPlayer>(parent);
}
