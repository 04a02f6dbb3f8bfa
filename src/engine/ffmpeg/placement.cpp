#include "engine/ffmpeg/placement.h"

#include <algorithm>
#include <cmath>

namespace {

double Aspect(AVRational sar) {
    return sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
}

int Even(double v) {
    return std::max(2, int(std::lround(v / 2)) * 2);
}

int EvenDown(int v) {
    return v & ~1;
}

} // namespace

Placement PlacePicture(const PictureShape& src, const PictureShape& dst, int resizeMode) {
    Placement p;
    p.srcWidth = src.width;
    p.srcHeight = src.height;
    p.dstWidth = dst.width;
    p.dstHeight = dst.height;

    if (resizeMode == 1) {
        // Pixels stay pixels: the overlap of the two sizes, centred in both.
        p.srcWidth = p.dstWidth = EvenDown(std::min(src.width, dst.width));
        p.srcHeight = p.dstHeight = EvenDown(std::min(src.height, dst.height));
    } else if (resizeMode == 2 || resizeMode == 3) {
        // Widths in display units, so that a pixel's shape is part of the picture's.
        const double srcW = src.width * Aspect(src.sampleAspect);
        const double dstW = dst.width * Aspect(dst.sampleAspect);
        const double widthScale = dstW / srcW;
        const double heightScale = double(dst.height) / src.height;
        if (resizeMode == 2) {
            const double k = std::min(widthScale, heightScale);
            p.dstWidth = std::min(dst.width, Even(srcW * k / Aspect(dst.sampleAspect)));
            p.dstHeight = std::min(dst.height, Even(src.height * k));
        } else {
            const double k = std::max(widthScale, heightScale);
            p.srcWidth = std::min(src.width, Even(dstW / k / Aspect(src.sampleAspect)));
            p.srcHeight = std::min(src.height, Even(dst.height / k));
        }
    }
    p.srcX = EvenDown((src.width - p.srcWidth) / 2);
    p.srcY = EvenDown((src.height - p.srcHeight) / 2);
    p.dstX = EvenDown((dst.width - p.dstWidth) / 2);
    p.dstY = EvenDown((dst.height - p.dstHeight) / 2);
    return p;
}
