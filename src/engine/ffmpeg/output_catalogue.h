#pragma once

#include "engine/ffmpeg/libav.h"

#include <QStringList>
#include <vector>

// The encoders and profiles the engine offers by list position. The order is
// part of the interface: stored settings refer to entries by index, and the
// defaults are MP3 at audio index 4 and DivX/Xvid-readable MPEG-4 at video index 5.

struct VideoCompressor {
    const char* name;
    const char* encoder;
    AVPixelFormat pixelFormat;
    double bitsPerPixel; // 0: the encoder's own quality rule, no bit rate
    uint32_t tag;        // 0: the muxer's default tag
};

struct AudioCompressor {
    const char* name;
    const char* encoder;
    int sampleRate;
    int bitRate; // bit/s, 0 for PCM
};

struct WmvProfile {
    const char* name;
    int width;
    int height;
    AVRational frameRate;
    int videoBitRate;
    int audioBitRate;
    int sampleRate;
    int channels;
};

const std::vector<VideoCompressor>& AviVideoCompressors();
const std::vector<AudioCompressor>& AviAudioCompressors();
const std::vector<WmvProfile>& WmvProfiles();

QStringList VideoCompressorNames();
QStringList AudioCompressorNames();
QStringList WmvProfileNames();
