#include "engine/ffmpeg/picture_source.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/input_file.h"
#include "engine/ffmpeg/picture_orientation.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

PictureSource::PictureSource(const VideoClip& clip) : seconds(std::max(0.0, clip.stop - clip.start)) {
    // Decoded once; every output frame of the clip shares this one picture.
    InputFile input(clip.file, AVMEDIA_TYPE_VIDEO);
    picture = av::NewFrame();
    if (!input.decode(picture.get()))
        av::Fail(QStringLiteral("Cannot read"), clip.file, QStringLiteral("the picture could not be decoded"));
    picture = UprightPicture(std::move(picture));
}

av::FramePtr PictureSource::next(double& time, double& shown) {
    if (!picture)
        return nullptr;
    time = 0;
    shown = std::numeric_limits<double>::infinity(); // for as long as the clip lasts
    return std::move(picture);
}

bool PictureSource::IsPicture(const QString& file) {
    static const QStringList kinds = {"bmp", "jpg", "jpeg", "png"};
    return kinds.contains(QFileInfo(file).suffix().toLower());
}
