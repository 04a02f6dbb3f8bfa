#pragma once

#include "engine/ffmpeg/frame_source.h"
#include <QString>

// A still picture shown for the clip's stop - start seconds.
class PictureSource : public FrameSource {
public:
    PictureSource(const QString& file, double seconds);

    double length() const override { return seconds; }
    av::FramePtr next(double& time, double& shown) override;

    // Whether a file is one of the picture types the timeline accepts.
    static bool IsPicture(const QString& file);

private:
    av::FramePtr picture;
    double seconds;
};
