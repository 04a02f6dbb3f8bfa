#include "mpv_media_player.h"

#include "engine/quillmark_error.h"
#include "mpv_frame_marker.h"
#include "mpv_frame_renderer.h"
#include "mpv_handle.h"
#include "video_panel.h"

#include <QElapsedTimer>
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
    marker.reset();
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
    marker = std::make_unique<MpvFrameMarker>(*mpv, *renderer);
    connect(marker.get(), &MpvFrameMarker::landed, this, &MpvMediaPlayer::onLanded);
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
    readPicture();
    setSeekOffset();
    marker->setFile(frameRate, lengthMs / 1000.0);
    if (hasVideo) {
        // Frame numbers count from the first picture, which need not lie at 0
        // (sound may start before it); it is known once mpv has shown it.
        firstFrameSeconds = -1;
        attachVideo();
        waitFor([this] { return firstFrameSeconds >= 0 || phase != Phase::Loaded; });
        if (firstFrameSeconds < 0) firstFrameSeconds = 0;
    }
    reportMode();
}

void MpvMediaPlayer::readPicture() {
    frameRate = hasVideo ? mpv->doubleProperty("container-fps").value_or(0.0) : 0.0;
    pictureAspect = 0;
    shownWidth = 0;
    renderer->setRotation(0);
    const auto width = mpv->intProperty("current-tracks/video/demux-w");
    const auto height = mpv->intProperty("current-tracks/video/demux-h");
    if (!hasVideo || !width || !height || *width <= 0 || *height <= 0) return;
    const double pixelAspect = mpv->doubleProperty("current-tracks/video/demux-par").value_or(1.0);
    pictureAspect = static_cast<double>(*width) * (pixelAspect > 0 ? pixelAspect : 1.0) / static_cast<double>(*height);
    const qint64 rotation = mpv->intProperty("current-tracks/video/demux-rotation").value_or(0);
    renderer->setRotation(static_cast<int>(rotation));
    const bool upright = rotation % 180 == 90;
    if (upright) pictureAspect = 1.0 / pictureAspect;
    shownWidth = static_cast<int>(std::lround((upright ? *width : *height) * pictureAspect));
}

void MpvMediaPlayer::setSeekOffset() {
    // Exact seeks in MPEG program and transport streams start reading a little
    // before the target: they otherwise come back after it and show a later
    // frame than asked for. Files with an index seek straight to the keyframe
    // before the target; an offset there would decode a whole extra group of
    // pictures whenever the target lies just after a keyframe.
    const QString format = mpv->stringProperty("file-format").value_or(QString());
    const bool mpegStream = format.split(',').contains("mpeg") || format.split(',').contains("mpegts");
    mpv->setString("hr-seek-demuxer-offset", mpegStream ? "1" : "0");
}

void MpvMediaPlayer::attachVideo() {
    VideoPanel* panel = displayPanel;
    if (!display) {
        if (!ownWindow) {
            ownWindow = std::make_unique<VideoPanel>();
            // It shows the picture only: the keys stay with the window in use.
            ownWindow->setAttribute(Qt::WA_ShowWithoutActivating);
            ownWindow->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
            ownWindow->setFocusPolicy(Qt::NoFocus);
        }
        ownWindow->setWindowTitle(QFileInfo(FileName()).fileName());
        fitOwnWindow();
        panel = ownWindow.get();
    }
    if (!panel) return;  // the display widget was destroyed
    // Inside the display rectangle the picture keeps its shape, with black bars.
    panel->setPictureAspect(pictureAspect);
    panel->show();
    if (!panel->isWindow()) panel->raise();  // above whatever else the display holds
    renderer->setTarget(panel);
}

void MpvMediaPlayer::fitOwnWindow() {
    if (!ownWindow) return;
    // Large enough to judge a frame by, at the picture's shape: 480 pixels wide,
    // or the video's own width as shown when that is smaller.
    constexpr int kWidth = 480;
    const double aspect = pictureAspect > 0 ? pictureAspect : 4.0 / 3.0;
    const int width = shownWidth > 0 ? std::min(kWidth, shownWidth) : kWidth;
    ownWindow->resize(width, std::max(1, static_cast<int>(std::lround(width / aspect))));
    // The picture fills the window at its own shape, whatever size the user gives it.
    ownWindow->setPictureRect(QRect());
    ownWindow->setPictureAspect(pictureAspect);
}

QWidget* MpvMediaPlayer::OwnWindow() const {
    return phase == Phase::Loaded && hasVideo && !display ? ownWindow.get() : nullptr;
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
}

void MpvMediaPlayer::requireOpen() const {
    if (phase != Phase::Loaded) throw QuillmarkError("No MCI device open");
}

void MpvMediaPlayer::Play() {
    requireOpen();
    marker->cancel();
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
    marker->cancel();
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
    if (marker) marker->cancel();
    detachVideo();
    phase = Phase::Closed;
    transport = Transport::Stopped;
    entry = -1;
    lengthMs = 0;
    hasVideo = false;
    frameRate = 0;
    pictureAspect = 0;
    firstFrameSeconds = -1;
    atEnd = false;
    seekPending = false;
    lastPositionMs = 0;
    reportMode();
}

void MpvMediaPlayer::Seek(int positionMs) {
    requireOpen();
    marker->cancel();
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

bool MpvMediaPlayer::waitFor(const std::function<bool()>& done) {
    // mpv reports a frame ready only once it has been taken for drawing, so
    // frames are drawn while waiting.
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < options.openTimeout.count()) {
        mpv->handleEventsUntil(done, std::chrono::milliseconds(5));
        if (renderer) renderer->renderNow();
    }
    return done();
}

void MpvMediaPlayer::prepareToMark() {
    requireOpen();
    // A frame step under way runs unpaused until its frame is out; pausing now
    // would keep it from ever getting there.
    if (!marker->busy()) mpv->setFlag("pause", true);
    // The frame asked for replaces a seek still under way.
    seekPending = false;
    atEnd = false;
    transport = Transport::Paused;
    reportMode();
}

void MpvMediaPlayer::ShowFrameAt(double seconds) {
    prepareToMark();
    marker->showAt(std::max(0.0, seconds));
}

void MpvMediaPlayer::StepFrames(int count) {
    prepareToMark();
    if (hasVideo) marker->step(count);
}

void MpvMediaPlayer::onLanded() {
    if (phase != Phase::Loaded) return;
    // Stepping onto the last frame may have reported the end; the frame is on show, paused.
    atEnd = false;
    transport = Transport::Paused;
    reportMode();
    emit FrameShown();
}

double MpvMediaPlayer::FramePosition() const {
    requireOpen();
    if (const auto seconds = mpv->doubleProperty("time-pos")) return std::max(0.0, *seconds);
    return lastPositionMs / 1000.0;
}

int MpvMediaPlayer::FrameNumber() const {
    if (frameRate <= 0) return 0;
    const double first = std::max(0.0, firstFrameSeconds);
    return static_cast<int>(std::lround(std::max(0.0, FramePosition() - first) * frameRate));
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
    if (phase == Phase::Loaded && hasVideo && firstFrameSeconds < 0 && !seekPending) {
        firstFrameSeconds = mpv->doubleProperty("time-pos").value_or(0.0);
    }
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
