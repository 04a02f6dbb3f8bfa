#include "mpv_media_player.h"

#include "engine/quillmark_error.h"
#include "mpv_frame_renderer.h"
#include "mpv_handle.h"
#include "video_panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
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
    readPicture();
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
    const auto width = mpv->intProperty("current-tracks/video/demux-w");
    const auto height = mpv->intProperty("current-tracks/video/demux-h");
    if (!hasVideo || !width || !height || *width <= 0 || *height <= 0) return;
    const double pixelAspect = mpv->doubleProperty("current-tracks/video/demux-par").value_or(1.0);
    pictureAspect = static_cast<double>(*width) * (pixelAspect > 0 ? pixelAspect : 1.0) / static_cast<double>(*height);
    const qint64 rotation = mpv->intProperty("current-tracks/video/demux-rotation").value_or(0);
    if (rotation % 180 == 90) pictureAspect = 1.0 / pictureAspect;
}

void MpvMediaPlayer::attachVideo() {
    VideoPanel* panel = displayPanel;
    if (!display) {
        if (!ownWindow) ownWindow = std::make_unique<VideoPanel>();
        ownWindow->setWindowTitle(QFileInfo(FileName()).fileName());
        fitOwnWindow();
        placeOwnWindow();
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
    // Wide enough that the desktop shows the whole file name in the title bar
    // (beside its buttons), at the shape the rectangle asked for.
    const int titled = std::min(ownWindow->fontMetrics().horizontalAdvance(ownWindow->windowTitle()) + 120, 640);
    if (size.width() < titled) size = QSize(titled, size.height() * titled / size.width());
    ownWindow->resize(size);
    // The rectangle gives the window its first size; the user may resize it,
    // and the picture then fills it at its own shape.
    ownWindow->setPictureRect(QRect());
    ownWindow->setPictureAspect(pictureAspect);
}

void MpvMediaPlayer::placeOwnWindow() {
    // Opened beside the window the user is working in, not wherever the desktop
    // puts new windows; once the user has moved it, it stays where they put it.
    if (ownWindowPlaced) return;
    const QWidget* beside = QApplication::activeWindow();
    if (!beside || beside == ownWindow.get()) return;
    ownWindowPlaced = true;
    const QRect main = beside->frameGeometry();
    const QScreen* screen = beside->screen();
    const QRect desk = screen ? screen->availableGeometry() : QRect();
    const int gap = 8;
    const QSize size = ownWindow->frameGeometry().size().expandedTo(ownWindow->size());
    QPoint at(main.right() + 1 + gap, main.top());
    if (!desk.isEmpty() && at.x() + size.width() > desk.right() + 1) {
        at.setX(main.left() - gap - size.width());
        if (at.x() < desk.left()) at.setX(main.right() + 1 - size.width());  // no room: over its right edge
    }
    ownWindow->move(at);
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

bool MpvMediaPlayer::waitFor(const std::function<bool()>& done, qint64 timeoutMs) {
    // mpv reports a seek done only once the frame it landed on has been taken
    // for drawing, so frames are drawn while waiting.
    const qint64 limit = timeoutMs >= 0 ? timeoutMs : options.openTimeout.count();
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limit) {
        mpv->handleEventsUntil(done, std::chrono::milliseconds(5));
        if (renderer) renderer->renderNow();
    }
    return done();
}

bool MpvMediaPlayer::seekAndWait(std::initializer_list<const char*> command) {
    const int before = seeksBegun;
    if (mpv->command(command) < 0) return false;
    // Done when a restart follows a seek that began after the command: earlier
    // restarts belong to earlier seeks.
    return waitFor([&] { return restartedAfterSeek > before || phase != Phase::Loaded; });
}

void MpvMediaPlayer::ShowFrameAt(double seconds) {
    requireOpen();
    const bool toEnd = lengthMs > 0 && seconds >= lengthMs / 1000.0;
    const double target = toEnd ? lengthMs / 1000.0 : std::max(0.0, seconds);
    mpv->setFlag("pause", true);
    // This waits for its own seek; an earlier one still pending no longer counts.
    seekPending = false;
    const QByteArray at = QByteArray::number(target, 'f', 6);
    seekAndWait({"seek", at.constData(), "absolute+exact"});
    if (toEnd && hasVideo && phase == Phase::Loaded) showLastPicture();
    if (phase != Phase::Loaded) return;
    atEnd = false;
    transport = Transport::Paused;
    reportMode();
}

void MpvMediaPlayer::showLastPicture() {
    // Past the end mpv rests on the last picture, at the sound's end when the
    // sound runs longer, or, in some files, a few pictures short of the end.
    // One frame back and then forward until the picture stops moving lands on
    // the last one in every case. Steps are not announced: the time moves once
    // the frame stepped to is drawn, and a short wait tells that none came.
    const auto time = [this] { return mpv->doubleProperty("time-pos").value_or(-1.0); };
    const auto stepped = [&](const char* command, qint64 limitMs) {
        const double from = time();
        if (phase != Phase::Loaded || mpv->command({command}) < 0) return false;
        waitFor([&] { return time() != from || phase != Phase::Loaded; }, limitMs);
        return phase == Phase::Loaded && time() != from;
    };
    stepped("frame-back-step", 1000);
    constexpr int kMostSteps = 250;
    for (int i = 0; i < kMostSteps && stepped("frame-step", 250); ++i) {
    }
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
    ++seeksBegun;
    if (seekPending) seekUnderway = true;
}

void MpvMediaPlayer::onPlaybackRestarted() {
    restartedAfterSeek = seeksBegun;
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
