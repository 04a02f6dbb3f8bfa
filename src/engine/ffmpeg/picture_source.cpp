#include "engine/ffmpeg/picture_source.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/picture_orientation.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

PictureSource::PictureSource(const QString& file, double seconds) : seconds(std::max(0.0, seconds)) {
    // Decoded once; every output frame of the clip shares this one picture.
    MediaReader input(file, AVMEDIA_TYPE_VIDEO);
    picture = av::NewFrame();
    if (!input.next(picture.get()))
        av::Fail(QStringLiteral("Cannot read"), file, QStringLiteral("the picture could not be decoded"));
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
