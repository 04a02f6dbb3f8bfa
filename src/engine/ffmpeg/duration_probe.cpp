#include "engine/duration_probe.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"

#include <cmath>
#include <cstring>

namespace {

// Demuxers of single pictures (a JPEG, PNG or BMP file): such a file has no
// playing time to split, however its header reads.
bool IsPicture(const AVFormatContext* format) {
    const char* name = format->iformat ? format->iformat->name : "";
    return std::strstr(name, "_pipe") || std::strcmp(name, "image2") == 0;
}

} // namespace

double MeasureDuration(const QString& file) {
    const QString what = QStringLiteral("Cannot measure");
    // The picture's extent, when there is one: the sound of a clip may run on
    // after its last frame, and that sound cannot be split or joined on its own.
    MediaReader video(file, AVMEDIA_TYPE_VIDEO, true);
    if (IsPicture(video.format()))
        av::Fail(what, file, QStringLiteral("it is a still picture, not a video"));
    MediaReader::Extent extent;
    if (video.stream()) {
        extent = video.measureExtent();
    } else {
        MediaReader sound(file, AVMEDIA_TYPE_AUDIO, true);
        if (!sound.stream())
            av::Fail(what, file, QStringLiteral("it holds no video or sound"));
        extent = sound.measureExtent();
    }
    if (!(extent.end > 0))
        av::Fail(what, file, QStringLiteral("its playing time is unknown"));
    // Microseconds are plenty, and a frame grid's end then reads as the whole number it is.
    return std::round(extent.end * 1e6) / 1e6;
}
