#include "engine/ffmpeg/first_frame.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/picture_orientation.h"
#include "engine/ffmpeg/video_geometry.h"

#include <algorithm>

FramePixels FirstFrame(const QString& file, QSize box) {
    MediaReader reader(file, AVMEDIA_TYPE_VIDEO);
    av::FramePtr frame = av::NewFrame();
    if (!reader.next(frame.get()))
        av::Fail(QStringLiteral("Cannot read the first picture of"), file, QStringLiteral("no picture decodes"));
    const VideoGeometry geometry = ReadVideoGeometry(reader.format(), reader.stream());
    if (!geometry.turn.none()) frame = TurnPicture(std::move(frame), geometry.turn);

    // Anamorphic frames are shown at the width their pixel shape gives them.
    const AVRational aspect = frame->sample_aspect_ratio;
    double shownWidth = frame->width;
    if (aspect.num > 0 && aspect.den > 0) shownWidth = frame->width * av_q2d(aspect);
    QSize shown(std::max(1, static_cast<int>(shownWidth + 0.5)), frame->height);
    if (shown.width() > box.width() || shown.height() > box.height())
        shown = shown.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));

    av::SwsPtr scaler(sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                     shown.width(), shown.height(), AV_PIX_FMT_RGB32, SWS_AREA, nullptr, nullptr,
                                     nullptr));
    if (!scaler) av::Fail(QStringLiteral("Cannot scale the first picture of"), file, AVERROR(EINVAL));
    FramePixels pixels{shown.width(), shown.height(), QByteArray(shown.width() * shown.height() * 4, '\0')};
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels.argb.data()), nullptr, nullptr, nullptr};
    const int strides[4] = {shown.width() * 4, 0, 0, 0};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return pixels;
}
