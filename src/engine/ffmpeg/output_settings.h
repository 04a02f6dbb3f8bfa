#pragma once

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/video_geometry.h"
#include "engine/video_edit.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

using Options = std::vector<std::pair<std::string, std::string>>;

struct VideoSettings {
    std::string encoder;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    int width = 0;
    int height = 0;
    AVRational frameRate{25, 1};
    AVRational sampleAspect{1, 1};
    // AV_FIELD_TT or AV_FIELD_BB: interlaced frames, that field shown first.
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
    int64_t bitRate = 0; // 0: the encoder's own quality rule
    int64_t maxRate = 0;
    int64_t minRate = 0;
    int bufferSize = 0;
    int gop = 12;
    uint32_t tag = 0;
    // The colour the pictures are coded in, said in the stream as the source says it.
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    AVChromaLocation chroma = AVCHROMA_LOC_UNSPECIFIED;
    Options options; // private encoder options
};

struct AudioSettings {
    std::string encoder;
    int sampleRate = 44100;
    int channels = 2;
    int64_t bitRate = 0;
};

struct OutputSettings {
    std::string muxer;
    int packetSize = 0;
    Options muxerOptions;
    VideoSettings video;
    std::optional<AudioSettings> audio;
};

// Every encoding parameter of a render, derived from the engine's properties.
// Raises QuillmarkError for an output type or list index that does not exist.
OutputSettings ChooseOutputSettings(const TVideoEdit::Properties& props, const SourceShape& first, int firstResizeMode);

// Values an encoder accepts, nearest to the asked ones.
// A rate that is no rate renders at 25; rates are held within 1..120 and the
// common NTSC rates snap to their exact fractions.
AVRational NearestFrameRate(const std::string& encoder, double fps);
AVRational NearestFrameRate(const std::string& encoder, AVRational rate);
int NearestSampleRate(const std::string& encoder, int rate);
int EvenSize(int value, int lowest, int highest);
