#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

struct mpv_handle;
struct mpv_event;

// Owns one mpv core and turns its events into Qt signals on the thread that
// created it. mpv's wake-up callback only posts a queued call here; every event
// is read and handled on the owner's thread.
class MpvHandle : public QObject {
    Q_OBJECT
public:
    // audioOutput: an mpv "ao" value; empty uses the desktop's output and falls
    // back to silence when no device can be opened. Raises QuillmarkError when
    // mpv cannot start.
    explicit MpvHandle(const QString& audioOutput, QObject* parent = nullptr);
    ~MpvHandle() override;
    MpvHandle(const MpvHandle&) = delete;
    MpvHandle& operator=(const MpvHandle&) = delete;

    mpv_handle* get() const { return handle; }

    // Starts loading a file, replacing the current one. Returns mpv's playlist
    // entry id for it, or a negative mpv error code.
    qint64 loadFile(const QString& path);
    // Returns 0 or a negative mpv error code.
    int command(std::initializer_list<const char*> args);
    int setFlag(const char* property, bool value);
    int setString(const char* property, const char* value);
    std::optional<QString> stringProperty(const char* property) const;
    std::optional<double> doubleProperty(const char* property) const;
    std::optional<qint64> intProperty(const char* property) const;
    std::optional<bool> flagProperty(const char* property) const;

    // Handles events on this thread until done() holds or the timeout passes,
    // without running the Qt event loop. Returns done().
    bool handleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    static QString errorText(int error);

signals:
    void fileStarted(qint64 entryId);
    void fileLoaded();
    // error is 0 unless the file ended because of a failure.
    void fileEnded(qint64 entryId, bool failed, int error);
    // A seek began; playbackRestarted follows once its frame is ready.
    void seekStarted();
    void playbackRestarted();
    void eofReachedChanged(bool reached);
    // The time of the frame on show moved: played, stepped or sought.
    void timePosChanged();
    // Paused or unpaused, by us or by mpv itself (a frame step ends paused).
    void pauseChanged();

private:
    void handlePendingEvents();
    void postHandling();
    void dispatch(const mpv_event& event);

    mpv_handle* handle = nullptr;
    std::atomic<bool> handlingPosted{false};
};
