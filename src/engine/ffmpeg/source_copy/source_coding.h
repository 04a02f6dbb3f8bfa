#pragma once

#include "engine/ffmpeg/libav.h"

#include <QString>
#include <string>

// How the first video clip's file is coded, for an output in its own format:
// its container, its picture stream's codec and shape, its first sound stream's.
struct SourceCoding {
    QString file;                 // empty: no video clip (only pictures)
    std::string demuxer;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int profile = FF_PROFILE_UNKNOWN;
    int level = FF_LEVEL_UNKNOWN;
    uint32_t tag = 0;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    int width = 0;
    int height = 0;
    AVRational sampleAspect{1, 1};
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    AVChromaLocation chroma = AVCHROMA_LOC_UNSPECIFIED;
    int64_t maxRate = 0;          // the decoder buffer's figures, when the stream states them
    int bufferSize = 0;
    bool sideways = false;        // shown turned a quarter: the upright picture is coded tall
    AVCodecID soundCodec = AV_CODEC_ID_NONE;
    int sampleRate = 0;
    int channels = 0;
    int64_t soundBitRate = 0;

    bool known() const { return codec != AV_CODEC_ID_NONE; }
};

// Reads the coding of `stream`, a video stream of the open `format`.
SourceCoding ReadSourceCoding(const QString& file, AVFormatContext* format, AVStream* stream, bool sideways);

// The muxer that writes files like `coding`'s, or empty when none does.
std::string SourceMuxer(const SourceCoding& coding);

// The encoder that writes the codec's pictures as the copied ones are written,
// or empty when the libraries have none.
std::string MatchedVideoEncoder(AVCodecID codec);
std::string MatchedSoundEncoder(AVCodecID codec);
