#include "engine/ffmpeg/encoder_settings/pixel_shape.h"

#include <cmath>

AVRational Reduced(int64_t num, int64_t den) {
    AVRational r;
    av_reduce(&r.num, &r.den, num, den, 1 << 16);
    return r;
}

double Aspect(AVRational r) {
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 1.0;
}

double DisplayAspect(const SourceShape& s) {
    if (s.width <= 0 || s.height <= 0)
        return 4.0 / 3.0;
    return s.width * Aspect(s.sampleAspect) / s.height;
}

AVRational SampleAspectFor(double displayAspect, int width, int height) {
    return av_d2q(displayAspect * height / width, 1 << 16);
}

// Asking for exactly a stored shape keeps the shape the picture is fitted to the
// one players show.
AVRational Mpeg1SampleAspect(AVRational wanted) {
    static const double heights[] = {1.0,    0.6735, 0.7031, 0.7615, 0.8055, 0.8437, 0.8935,
                                     0.9157, 0.9815, 1.0255, 1.0695, 1.0950, 1.1575, 1.2015};
    const double want = Aspect(wanted);
    double best = 1.0;
    for (double h : heights)
        if (std::abs(1 / h - want) < std::abs(1 / best - want))
            best = h;
    return av_d2q(1 / best, 255);
}

AVRational Mpeg2SampleAspect(double displayAspect, int width, int height) {
    const double square = double(width) / height;
    const double stored[] = {square, 4.0 / 3.0, 16.0 / 9.0, 2.21};
    double best = square;
    for (double d : stored)
        if (std::abs(std::log(d / displayAspect)) < std::abs(std::log(best / displayAspect)))
            best = d;
    if (best == square)
        return AVRational{1, 1};
    if (best == 2.21)
        return Reduced(221LL * height, 100LL * width);
    return best > 1.5 ? Reduced(16LL * height, 9LL * width) : Reduced(4LL * height, 3LL * width);
}
