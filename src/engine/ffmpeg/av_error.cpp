#include "engine/ffmpeg/av_error.h"

#include "engine/ffmpeg/av_handles.h"
#include "engine/quillmark_error.h"

namespace av {

QString ErrorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, buffer, sizeof buffer) < 0)
        return QStringLiteral("error %1").arg(code);
    return QString::fromUtf8(buffer);
}

void Fail(const QString& what, const QString& file, const QString& reason) {
    throw QuillmarkError(QStringLiteral("%1 \"%2\": %3").arg(what, file, reason));
}

void Fail(const QString& what, const QString& file, int code) {
    Fail(what, file, ErrorText(code));
}

int Check(int code, const QString& what, const QString& file) {
    if (code < 0)
        Fail(what, file, code);
    return code;
}

FramePtr NewFrame() {
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw std::bad_alloc();
    return frame;
}

PacketPtr NewPacket() {
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    return packet;
}

FramePtr RefFrame(const AVFrame* frame) {
    FramePtr copy(av_frame_clone(frame));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}

} // namespace av
