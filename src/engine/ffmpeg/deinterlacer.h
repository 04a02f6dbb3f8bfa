#pragma once

#include "engine/ffmpeg/av_handles.h"

#include <QString>
#include <deque>

// Makes the interlaced frames of one clip progressive with libavfilter's bwdif:
// one frame out for each frame in, in order, a frame or so behind, each keeping
// its timestamps and colour properties.
class Deinterlacer {
public:
    // `topFirst`: which field is shown first; `file` is named in messages.
    Deinterlacer(bool topFirst, const QString& file);

    void push(av::FramePtr frame);
    // No more frames come: the ones held back are released to pull.
    void finish();
    // The next progressive frame, or null when none is ready yet.
    av::FramePtr pull();

private:
    void open(const AVFrame& like);
    void drain();
    [[noreturn]] void fail(int code) const;

    bool topFirst;
    QString file;
    av::GraphPtr graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int width = 0, height = 0, format = -1;
    int64_t count = 0;
    std::deque<av::FramePtr> ready;
};
