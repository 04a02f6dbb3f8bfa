#pragma once

#include "engine/ffmpeg/deinterlacer.h"
#include "engine/ffmpeg/frame_source.h"
#include "engine/ffmpeg/video_geometry.h"

#include <deque>
#include <memory>

// One clip's pictures made ready for fitting into the output frame: turned
// upright as the stream's display matrix says, and deinterlaced unless the output
// keeps the clip's fields as they are. Progressive clips are never filtered.
class UprightSource : public FrameSource {
public:
    // `file` is named in messages; `resizeMode` is the clip's.
    UprightSource(std::unique_ptr<FrameSource> source, const QString& file, int resizeMode,
                  const OutputPictures& output);

    double length() const override { return source->length(); }
    av::FramePtr next(double& time, double& shown) override;

private:
    struct Timing {
        double time, shown;
    };
    void decide(const AVFrame& first);

    std::unique_ptr<FrameSource> source;
    QString file;
    int resizeMode;
    OutputPictures output;
    VideoGeometry geometry;
    bool decided = false;
    bool ended = false;
    std::unique_ptr<Deinterlacer> deinterlacer;
    std::deque<Timing> waiting; // of the frames inside the deinterlacer, in order
};
