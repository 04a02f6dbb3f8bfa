#include "mpv_frame_renderer.h"

#include "engine/quillmark_error.h"
#include "video_panel.h"

#include <QImage>
#include <QTransform>
#include <QMetaObject>
#include <cstdlib>
#include <mpv/render.h>

namespace {

// mpv converts fastest into rows and buffers that start on 64-byte boundaries.
constexpr size_t kAlignment = 64;

size_t alignedStride(int width) {
    const size_t bytes = static_cast<size_t>(width) * 4;
    return (bytes + kAlignment - 1) / kAlignment * kAlignment;
}

// An image whose pixel buffer and rows are aligned for mpv; the image frees the
// buffer when its last copy goes.
QImage alignedImage(const QSize& size) {
    const size_t stride = alignedStride(size.width());
    void* data = std::aligned_alloc(kAlignment, stride * static_cast<size_t>(size.height()));
    if (!data) return {};
    return QImage(static_cast<uchar*>(data), size.width(), size.height(), static_cast<qsizetype>(stride),
                  QImage::Format_RGBX8888, [](void* buffer) { std::free(buffer); }, data);
}

}  // namespace

MpvFrameRenderer::MpvFrameRenderer(mpv_handle* mpv, QObject* parent) : QObject(parent) {
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    const int error = mpv_render_context_create(&context, mpv, params);
    if (error < 0) {
        throw QuillmarkError(QString("Cannot draw video: %1").arg(mpv_error_string(error)));
    }
    mpv_render_context_set_update_callback(
        context, [](void* self) { static_cast<MpvFrameRenderer*>(self)->postRender(); }, this);
}

MpvFrameRenderer::~MpvFrameRenderer() {
    mpv_render_context_set_update_callback(context, nullptr, nullptr);
    mpv_render_context_free(context);
}

void MpvFrameRenderer::setTarget(VideoPanel* target) {
    if (panel == target) return;
    disconnect(sizeConnection);
    panel = target;
    if (panel) sizeConnection = connect(panel, &VideoPanel::pictureSizeChanged, this, &MpvFrameRenderer::redraw);
    redraw();
}

void MpvFrameRenderer::setRotation(int degrees) {
    rotation = ((degrees % 360) + 360) % 360;
    redraw();
}

void MpvFrameRenderer::redraw() {
    redrawWanted = true;
    postRender();
}

void MpvFrameRenderer::postRender() {
    // Called on mpv's threads as well as ours; rendering itself happens on ours.
    if (!renderPosted.exchange(true)) {
        QMetaObject::invokeMethod(this, &MpvFrameRenderer::render, Qt::QueuedConnection);
    }
}

void MpvFrameRenderer::render() {
    renderPosted = false;
    const bool newFrame = mpv_render_context_update(context) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !redrawWanted) return;
    redrawWanted = false;

    int block = 0;  // never wait for a frame's display time on the UI thread
    const QSize shown = panel ? panel->pictureRect().size() : QSize();
    const QSize size = rotation % 180 == 90 ? shown.transposed() : shown;
    QImage image = size.isEmpty() ? QImage() : alignedImage(size);
    if (image.isNull()) {
        // mpv waits for each frame it announced to be taken; take it unseen.
        int skip = 1;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(context, params);
        if (newFrame) tookFrame();
        return;
    }

    int surfaceSize[2] = {image.width(), image.height()};
    char format[] = "rgb0";
    size_t stride = static_cast<size_t>(image.bytesPerLine());
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(context, params) < 0) return;

    // mpv leaves the fourth byte undefined; the image format promises it opaque.
    for (int y = 0; y < image.height(); ++y) {
        uchar* pixel = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, pixel += 4) pixel[3] = 0xff;
    }
    panel->showFrame(rotation == 0 ? image : image.transformed(QTransform().rotate(rotation)));
    if (newFrame) tookFrame();
}

void MpvFrameRenderer::tookFrame() {
    ++taken;
    emit frameTaken();
}
