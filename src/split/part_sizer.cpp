#include "split/part_sizer.h"

#include "formats/output_format.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

int64_t ParseByteSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*([kmg]?)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return 0;
    const QString unit = m.captured(2).toLower();
    const double scale = unit == "k" ? 1024.0 : unit == "m" ? 1048576.0 : unit == "g" ? 1073741824.0 : 1.0;
    const double bytes = std::floor(m.captured(1).toDouble() * scale);
    // A size beyond any file system's files is no size either.
    if (!(bytes >= 1) || bytes > 1e18) return 0;
    return static_cast<int64_t>(bytes);
}

QString ByteSizeText(int64_t bytes) {
    static const char* units[] = {"KB", "MB", "GB"};
    if (bytes < 1024) return QString("%1 bytes").arg(bytes);
    double v = bytes / 1024.0;
    int u = 0;
    while (v >= 1024 && u < 2) v /= 1024, ++u;
    QString number = QString::number(v, 'f', v >= 100 ? 0 : 1);
    if (number.endsWith(".0")) number.chop(2);
    return number + " " + units[u];
}

namespace {

// Bits per second a frame size costs at so many bits per pixel, clamped as the engine clamps.
double PixelRate(int width, int height, double fps, double bitsPerPixel, double lowest, double highest) {
    return std::clamp(double(width) * height * fps * bitsPerPixel, lowest, highest);
}

// The container's share on top of the streams' bit rates: pack and packet headers,
// AVI's index. Measured on test renders; the first written part corrects it.
constexpr double kMuxOverhead = 1.04;

}  // namespace

FormatRate EstimateFormatRate(int format, const FormatSettings& s) {
    FormatRate r;
    double video = 0, audio = 0;
    switch (format) {
        case OutputFormat::VcdPal:
        case OutputFormat::VcdNtsc:
            // The muxer pads every second to the standard's mux rate.
            r.constant = true;
            r.bytesPerSecond = 1411200 / 8.0;
            return r;
        case OutputFormat::SvcdPal:
        case OutputFormat::SvcdNtsc: video = 2040000, audio = 224000; break;
        case OutputFormat::DvdPal:
        case OutputFormat::DvdNtsc: video = 6000000, audio = 448000; break;
        case OutputFormat::StandardMpeg1:
        case OutputFormat::StandardMpeg2: {
            const bool mpeg2 = format == OutputFormat::StandardMpeg2;
            const int w = s.MpegWidth > 0 ? s.MpegWidth : 720, h = s.MpegHeight > 0 ? s.MpegHeight : 576;
            video = PixelRate(w, h, OutputFrameRate(format, s), mpeg2 ? 0.2 : 0.25, 500000, mpeg2 ? 15e6 : 8e6);
            audio = std::max(32, s.MpegAudioBitrate) * 1000.0;
            break;
        }
        case OutputFormat::Avi: {
            // The engine's compressor list in order; the lossless and raw ones are guesses.
            static const double bitsPerPixel[] = {1.0, 0.25, 0.25, 0.1, 8, 0.25, 6, 12};
            static const bool rateControl[] = {true, true, true, true, false, true, false, false};
            static const double audioRates[] = {1411200, 361600, 361600, 192000, 128000, 192000, 705600};
            const int vc = std::clamp(s.AviVideoCompressor, 0, 7);
            const int ac = std::clamp(s.AviAudioCompressor, 0, 6);
            const int w = s.AviOriginalSize || s.AviWidth <= 0 ? 720 : s.AviWidth;
            const int h = s.AviOriginalSize || s.AviHeight <= 0 ? 576 : s.AviHeight;
            video = PixelRate(w, h, OutputFrameRate(format, s), bitsPerPixel[vc], 200000, 1e10);
            audio = audioRates[ac];
            if (!rateControl[vc]) {
                r.bytesPerSecond = (video + (s.VideoOnly ? 0 : audio)) / 8 * kMuxOverhead;
                return r;
            }
            break;
        }
        case OutputFormat::Mp4: {
            // H.264 at a mid rate factor spends about 0.1 bit a pixel on lively
            // pictures; the cap holds it there, and measurement corrects the rest.
            const int w = s.Mp4OriginalSize || s.Mp4Width <= 0 ? 1280 : s.Mp4Width;
            const int h = s.Mp4OriginalSize || s.Mp4Height <= 0 ? 720 : s.Mp4Height;
            video = PixelRate(w, h, OutputFrameRate(format, s), 0.1, 200000, 1e9);
            audio = std::clamp(s.Mp4AudioBitrate, 128, 320) * 1000.0;
            break;
        }
        default: {
            // The engine's WMV profiles in order: video and sound bit rates.
            static const double videos[] = {1000000, 64000, 350000, 450000, 1500000, 4000000};
            static const double audios[] = {128000, 32000, 64000, 64000, 128000, 192000};
            const int p = std::clamp(s.WmvProfile, 0, 5);
            video = videos[p], audio = audios[p];
        }
    }
    r.videoCap = static_cast<int64_t>(video);
    r.bytesPerSecond = (video + (s.VideoOnly ? 0 : audio)) / 8 * kMuxOverhead;
    return r;
}

QString TooSmallForOneSecond(int64_t maxBytes, int format, const FormatSettings& settings) {
    const double second = EstimateFormatRate(format, settings).bytesPerSecond;
    if (second <= maxBytes) return {};
    QString name = "the output format";
    FormatShortName(format, name);
    return QString("A part of at most %1 cannot hold one second of %2, which needs about %3")
        .arg(ByteSizeText(maxBytes), name, ByteSizeText(static_cast<int64_t>(second)));
}

int64_t FramesIn(double seconds, double frameRate) {
    return std::max<int64_t>(0, static_cast<int64_t>(std::ceil(seconds * frameRate - 1e-6)));
}

PartSizer::PartSizer(int64_t bound, double frameRate, const FormatRate& rate)
    : maxBytes(bound),
      // A padded stream grows by whole packs only; an encoder's rate wanders more.
      target(bound * (rate.constant ? 0.985 : 0.95)),
      perFrame(rate.bytesPerSecond / frameRate) {}

int64_t PartSizer::framesFor(double bytes) const {
    return std::max<int64_t>(1, static_cast<int64_t>(std::floor(bytes / perFrame)));
}

int64_t PartSizer::NextFrames(int64_t remainingFrames) const {
    return std::min(remainingFrames, framesFor(target));
}

int64_t PartSizer::PartsFor(int64_t remainingFrames) const {
    if (remainingFrames <= 0) return 0;
    const int64_t each = framesFor(target);
    return (remainingFrames + each - 1) / each;
}

PartSizer::Verdict PartSizer::Measure(int64_t frames, int64_t bytes, bool last) {
    if (frames > 0 && bytes > 0) perFrame = double(bytes) / frames;
    if (bytes > maxBytes) return Verdict::Shorter;
    if (!last && bytes < floorBytes()) return Verdict::Longer;
    return Verdict::Keep;
}

int64_t PartSizer::RedoFrames(Verdict verdict, int64_t frames, int64_t bytes, int64_t remainingFrames) const {
    const int64_t scaled = static_cast<int64_t>(std::floor(frames * target / std::max<int64_t>(bytes, 1)));
    if (verdict == Verdict::Shorter) return std::clamp<int64_t>(scaled, 1, std::max<int64_t>(frames - 1, 1));
    return std::clamp<int64_t>(scaled, std::min(frames + 1, remainingFrames), remainingFrames);
}
