#include "engine/ffmpeg/upright_source.h"

UprightSource::UprightSource(std::unique_ptr<FrameSource> source, const QString& file, int resizeMode,
                             const OutputPictures& output)
    : source(std::move(source)), file(file), resizeMode(resizeMode), output(output),
      geometry(this->source->geometry()) {}

void UprightSource::decide(const AVFrame& first) {
    decided = true;
    const AVFieldOrder fields = FieldOrderOf(geometry, first);
    if (fields == AV_FIELD_PROGRESSIVE || KeepsFields(ShapeOf(geometry, first), output, resizeMode))
        return;
    deinterlacer = std::make_unique<Deinterlacer>(fields == AV_FIELD_TT, file);
}

av::FramePtr UprightSource::next(double& time, double& shown) {
    for (;;) {
        if (deinterlacer)
            if (av::FramePtr frame = deinterlacer->pull(); frame && !waiting.empty()) {
                time = waiting.front().time;
                shown = waiting.front().shown;
                waiting.pop_front();
                return TurnPicture(std::move(frame), geometry.turn);
            }
        if (ended)
            return nullptr;
        double t = 0, s = 0;
        av::FramePtr frame = source->next(t, s);
        if (!frame) {
            ended = true;
            if (deinterlacer)
                deinterlacer->finish();
            continue;
        }
        if (!decided)
            decide(*frame);
        if (!deinterlacer) {
            time = t;
            shown = s;
            return TurnPicture(std::move(frame), geometry.turn);
        }
        waiting.push_back({t, s});
        deinterlacer->push(std::move(frame));
    }
}
