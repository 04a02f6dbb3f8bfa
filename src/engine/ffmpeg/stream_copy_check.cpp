#include "engine/ffmpeg/stream_copy_check.h"

#include "engine/ffmpeg/h264_parameter_sets.h"
#include "engine/formats/format_registry.h"

#include <cmath>

namespace {

bool Interlaced(AVFieldOrder order) {
    return order == AV_FIELD_TT || order == AV_FIELD_BB || order == AV_FIELD_TB || order == AV_FIELD_BT;
}

QString Rate(AVRational r) {
    return QString::number(av_q2d(r), 'f', 3);
}

QString CodecName(AVCodecID id) {
    return QString::fromUtf8(avcodec_get_name(id));
}

// Codecs whose cuts can be made exact: the frames around a cut are encoded
// with an encoder of the same codec. Pictures coded alone copy whole.
bool CopiableCodec(AVCodecID id, bool ownFormat) {
    switch (id) {
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG4:
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_MJPEG:
        return true;
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_VP9:
    case AV_CODEC_ID_VP8:
        return ownFormat;
    default:
        break;
    }
    const AVCodecDescriptor* d = avcodec_descriptor_get(id);
    return ownFormat && d && (d->props & AV_CODEC_PROP_INTRA_ONLY);
}

} // namespace

QString CopyMismatch(AVFormatContext* format, AVStream* stream, const SourceShape& shape, const VideoGeometry& geometry,
                     const OutputSettings& settings, const TVideoEdit::Properties& props) {
    const AVCodecParameters* par = stream->codecpar;
    const VideoSettings& v = settings.video;
    const AVCodec* encoder = avcodec_find_encoder_by_name(v.encoder.c_str());
    if (!encoder)
        return QStringLiteral("the encoder %1 is not installed").arg(QString::fromStdString(v.encoder));
    if (par->codec_id != encoder->id)
        return QStringLiteral("its video is %1, the output's is %2").arg(CodecName(par->codec_id), CodecName(encoder->id));
    const AVCodecID id = par->codec_id;
    const FormatDescription* output = FindFormat(props.outputType);
    // In its own kind of file a stream keeps its framing, its turn and its side data.
    const bool ownFormat = output && output->family == FormatFamily::Source;
    const bool mp4 = settings.muxer == "mp4";
    if (id == AV_CODEC_ID_H264 && !mp4 && !ownFormat)
        return QStringLiteral("H.264 is copied into MP4 files only");
    if (!CopiableCodec(id, ownFormat))
        return QStringLiteral("%1 video is always re-encoded").arg(CodecName(id));
    if (!geometry.turn.none() && !ownFormat)
        return QStringLiteral("its pictures are shown turned");
    if (par->width != v.width || par->height != v.height)
        return QStringLiteral("its frame size %1x%2 is not the output's %3x%4")
            .arg(par->width).arg(par->height).arg(v.width).arg(v.height);
    if (par->format != v.pixelFormat) {
        const char* name = av_get_pix_fmt_name(AVPixelFormat(par->format));
        return QStringLiteral("its pixel format %1 is not the output's %2")
            .arg(QString::fromUtf8(name ? name : "unknown"), QString::fromUtf8(av_get_pix_fmt_name(v.pixelFormat)));
    }
    if (av_cmp_q(geometry.frameRate, v.frameRate) != 0)
        return QStringLiteral("its frame rate %1 is not the output's %2").arg(Rate(geometry.frameRate), Rate(v.frameRate));
    AVRational sar = av_guess_sample_aspect_ratio(format, stream, nullptr);
    if (sar.num <= 0 || sar.den <= 0)
        sar = AVRational{1, 1};
    const double wanted = v.sampleAspect.num > 0 ? av_q2d(v.sampleAspect) : 1.0;
    if (std::abs(av_q2d(sar) / wanted - 1) > 0.005)
        return QStringLiteral("its pixel shape %1:%2 is not the output's %3:%4")
            .arg(sar.num).arg(sar.den).arg(v.sampleAspect.num).arg(v.sampleAspect.den);
    const bool outputInterlaced = Interlaced(v.fieldOrder);
    if (Interlaced(shape.fieldOrder) != outputInterlaced || (outputInterlaced && shape.fieldOrder != v.fieldOrder))
        return Interlaced(shape.fieldOrder) ? QStringLiteral("its interlaced fields do not fit the output")
                                            : QStringLiteral("the output is interlaced and its pictures are not");
    // The standard's highest rate; the render's own encodes stay below the lower
    // rates of its settings.
    const CopyRules rules = output ? output->copy : CopyRules{};
    const int64_t limit = rules.videoRateLimit;
    const int64_t cap = props.maxVideoBitrate;
    if (limit > 0 || cap > 0) {
        const int64_t most = limit > 0 && cap > 0 ? std::min(limit, cap) : std::max(limit, cap);
        // A variable rate stream states its peak in the decoder buffer's figures.
        size_t size = 0;
        const auto* cpb = reinterpret_cast<const AVCPBProperties*>(
            av_stream_get_side_data(stream, AV_PKT_DATA_CPB_PROPERTIES, &size));
        const int64_t rate = cpb && cpb->max_bitrate > 0 ? cpb->max_bitrate : par->bit_rate;
        // A disc's players and a size bound need the rate known; plain MPEG files do not.
        const bool mustKnow = rules.videoRateMustBeKnown || cap > 0;
        if (rate <= 0 && mustKnow)
            return QStringLiteral("its video bit rate is not known");
        if (rate > most)
            return QStringLiteral("its video bit rate %1 kbit/s is above the output's %2 kbit/s")
                .arg(rate / 1000).arg(most / 1000);
        if (cpb && v.bufferSize > 0 && cpb->buffer_size > v.bufferSize)
            return QStringLiteral("its decoder buffer of %1 KB is larger than the output's %2 KB")
                .arg(cpb->buffer_size / 8192).arg(v.bufferSize / 8192);
    }
    if (id == AV_CODEC_ID_H264) {
        // Annex B streams (a transport stream's, a camera's) carry their parameter
        // sets in the stream as well; the global header lists them.
        auto record = h264::ParseAvcRecord(par->extradata, par->extradata_size);
        if (!record)
            record = h264::RecordFromAnnexB(par->extradata, par->extradata_size);
        if (record->sps.empty() || (record->lengthSize() != 0 && record->lengthSize() != 4))
            return QStringLiteral("its H.264 parameter sets cannot be read");
        if (h264::HighestParameterSetId(*record) >= 31)
            return QStringLiteral("its H.264 uses every parameter set id");
    }
    if (id == AV_CODEC_ID_MPEG4 && par->video_delay > 0 && settings.muxer == "avi")
        return QStringLiteral("its MPEG-4 video has B-frames, which AVI cannot time");
    return {};
}
