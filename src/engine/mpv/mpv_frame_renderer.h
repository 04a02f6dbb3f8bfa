#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>

struct mpv_handle;
struct mpv_render_context;
class VideoPanel;

// Owns mpv's software render context and draws each new frame, at the size of
// the target's picture rectangle, into the target panel. Must be destroyed
// before the mpv core it was made for.
class MpvFrameRenderer : public QObject {
    Q_OBJECT
public:
    // Raises QuillmarkError when mpv offers no software rendering.
    explicit MpvFrameRenderer(mpv_handle* mpv, QObject* parent = nullptr);
    ~MpvFrameRenderer() override;
    MpvFrameRenderer(const MpvFrameRenderer&) = delete;
    MpvFrameRenderer& operator=(const MpvFrameRenderer&) = delete;

    // Clockwise degrees, a multiple of 90, that frames are turned by as drawn.
    void setRotation(int degrees);
    // nullptr: frames are taken from mpv and dropped.
    void setTarget(VideoPanel* panel);
    VideoPanel* target() const { return panel; }
    // Draws the current frame again, for instance at a new size.
    void redraw();
    // Draws a frame mpv has ready now, for callers that wait on mpv without the
    // event loop.
    void renderNow() { render(); }
    // Frames taken from mpv so far, drawn or not.
    int framesTaken() const { return taken; }

signals:
    void frameTaken();

private:
    void postRender();
    void render();
    void tookFrame();

    mpv_render_context* context = nullptr;
    QPointer<VideoPanel> panel;
    QMetaObject::Connection sizeConnection;
    std::atomic<bool> renderPosted{false};
    bool redrawWanted = false;
    int taken = 0;
    int rotation = 0;
};
