#include "mpv_handle.h"

#include "engine/quillmark_error.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <clocale>
#include <mpv/client.h>
#include <vector>

namespace {

enum ObservedProperty : uint64_t { EofReached = 1, TimePos = 2, Pause = 3 };

void setOption(mpv_handle* handle, const char* name, const char* value) {
    const int error = mpv_set_option_string(handle, name, value);
    if (error < 0) {
        throw QuillmarkError(QString("Cannot set the media player option %1=%2: %3")
                                 .arg(name, value, MpvHandle::errorText(error)));
    }
}

}  // namespace

MpvHandle::MpvHandle(const QString& audioOutput, QObject* parent) : QObject(parent) {
    // mpv parses numbers with the C library and refuses to start under a locale
    // that writes decimals with a comma; Qt applications inherit the user's.
    std::setlocale(LC_NUMERIC, "C");
    handle = mpv_create();
    if (!handle) throw QuillmarkError("Cannot start the media player");
    try {
        // Frames go to our own panel through the render API, never to a window of mpv's.
        setOption(handle, "vo", "libmpv");
        if (audioOutput.isEmpty()) {
            setOption(handle, "audio-fallback-to-null", "yes");
        } else {
            setOption(handle, "ao", audioOutput.toUtf8().constData());
        }
        // A finished file stays loaded and paused on its last frame, like a stopped device.
        setOption(handle, "keep-open", "yes");
        setOption(handle, "idle", "yes");
        // The display rectangle is filled exactly, whatever the video's shape.
        setOption(handle, "keepaspect", "no");
        // mpv's software renderer fails an assertion on pictures it turns itself
        // (phone videos): frames come as stored and are turned as they are drawn.
        setOption(handle, "video-rotate", "no");
        // Music files show no cover art: they are played without any window.
        setOption(handle, "audio-display", "no");
        setOption(handle, "osd-level", "0");
        setOption(handle, "input-default-bindings", "no");
        setOption(handle, "sub-auto", "no");
        setOption(handle, "load-scripts", "no");
        setOption(handle, "ytdl", "no");
        setOption(handle, "hwdec", "no");
        // Frames are announced when they are due, so drawing never waits on the UI thread.
        setOption(handle, "video-timing-offset", "0");
        const int error = mpv_initialize(handle);
        if (error < 0) throw QuillmarkError("Cannot start the media player: " + errorText(error));
    } catch (...) {
        mpv_terminate_destroy(handle);
        throw;
    }
    mpv_observe_property(handle, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, TimePos, "time-pos", MPV_FORMAT_NONE);
    mpv_observe_property(handle, Pause, "pause", MPV_FORMAT_NONE);
    mpv_set_wakeup_callback(
        handle, [](void* self) { static_cast<MpvHandle*>(self)->postHandling(); }, this);
}

MpvHandle::~MpvHandle() {
    // After this returns mpv calls no callback of ours, so none can post to a
    // half-destroyed object.
    mpv_set_wakeup_callback(handle, nullptr, nullptr);
    mpv_terminate_destroy(handle);
}

QString MpvHandle::errorText(int error) {
    return error < 0 ? QString::fromUtf8(mpv_error_string(error)) : QString("Unknown error code");
}

void MpvHandle::postHandling() {
    // Called on mpv's threads. One queued call at a time is enough: it reads
    // every event waiting when it runs.
    if (!handlingPosted.exchange(true)) {
        QMetaObject::invokeMethod(this, &MpvHandle::handlePendingEvents, Qt::QueuedConnection);
    }
}

void MpvHandle::handlePendingEvents() {
    handlingPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(handle, 0);
        if (event->event_id == MPV_EVENT_NONE) break;
        dispatch(*event);
    }
}

bool MpvHandle::handleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = timeout.count() - clock.elapsed();
        if (left <= 0) break;
        const mpv_event* event = mpv_wait_event(handle, left / 1000.0);
        if (event->event_id != MPV_EVENT_NONE) dispatch(*event);
    }
    // Events left in the queue were announced by a wake-up that may already
    // have been spent on this loop.
    postHandling();
    return done();
}

void MpvHandle::dispatch(const mpv_event& event) {
    // Copy what is needed before emitting: a slot may call back into mpv and
    // invalidate the event.
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        const qint64 id = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        emit fileStarted(id);
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        emit fileLoaded();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        const qint64 id = end->playlist_entry_id;
        const bool failed = end->reason == MPV_END_FILE_REASON_ERROR;
        const int error = failed ? end->error : 0;
        emit fileEnded(id, failed, error);
        break;
    }
    case MPV_EVENT_SEEK:
        emit seekStarted();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        emit playbackRestarted();
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (event.reply_userdata == EofReached && property->format == MPV_FORMAT_FLAG) {
            const bool reached = *static_cast<const int*>(property->data) != 0;
            emit eofReachedChanged(reached);
        } else if (event.reply_userdata == TimePos) {
            emit timePosChanged();
        } else if (event.reply_userdata == Pause) {
            emit pauseChanged();
        }
        break;
    }
    default:
        break;
    }
}

qint64 MpvHandle::loadFile(const QString& path) {
    // Always as a path from the root: mpv would read "-" as standard input and a
    // name with a colon ("10:30.mp4") as an address.
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const char* args[] = {"loadfile", file.constData(), "replace", nullptr};
    mpv_node result;
    const int error = mpv_command_ret(handle, args, &result);
    if (error < 0) return error;
    qint64 id = -1;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list* map = result.u.list;
        for (int i = 0; i < map->num; ++i) {
            if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 && map->values[i].format == MPV_FORMAT_INT64) {
                id = map->values[i].u.int64;
            }
        }
    }
    mpv_free_node_contents(&result);
    return id < 0 ? qint64{MPV_ERROR_GENERIC} : id;
}

int MpvHandle::command(std::initializer_list<const char*> args) {
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    return mpv_command(handle, list.data());
}

int MpvHandle::setFlag(const char* property, bool value) {
    int flag = value ? 1 : 0;
    return mpv_set_property(handle, property, MPV_FORMAT_FLAG, &flag);
}

int MpvHandle::setString(const char* property, const char* value) {
    return mpv_set_property_string(handle, property, value);
}

std::optional<QString> MpvHandle::stringProperty(const char* property) const {
    char* value = mpv_get_property_string(handle, property);
    if (!value) return std::nullopt;
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

std::optional<double> MpvHandle::doubleProperty(const char* property) const {
    double value = 0;
    if (mpv_get_property(handle, property, MPV_FORMAT_DOUBLE, &value) < 0) return std::nullopt;
    return value;
}

std::optional<qint64> MpvHandle::intProperty(const char* property) const {
    int64_t value = 0;
    if (mpv_get_property(handle, property, MPV_FORMAT_INT64, &value) < 0) return std::nullopt;
    return value;
}

std::optional<bool> MpvHandle::flagProperty(const char* property) const {
    int value = 0;
    if (mpv_get_property(handle, property, MPV_FORMAT_FLAG, &value) < 0) return std::nullopt;
    return value != 0;
}
