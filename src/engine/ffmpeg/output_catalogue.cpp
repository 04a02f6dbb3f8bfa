#include "engine/ffmpeg/output_catalogue.h"

const std::vector<VideoCompressor>& AviVideoCompressors() {
    static const std::vector<VideoCompressor> list = {
        {"Motion JPEG", "mjpeg", AV_PIX_FMT_YUVJ420P, 1.0, 0},
        {"Microsoft MPEG-4 v2", "msmpeg4v2", AV_PIX_FMT_YUV420P, 0.25, 0},
        {"Microsoft MPEG-4 v3 (DivX 3)", "msmpeg4", AV_PIX_FMT_YUV420P, 0.25, 0},
        {"H.264 (x264)", "libx264", AV_PIX_FMT_YUV420P, 0, 0},
        {"Huffyuv lossless", "huffyuv", AV_PIX_FMT_YUV422P, 0, 0},
        {"MPEG-4 Part 2 (DivX/Xvid compatible)", "mpeg4", AV_PIX_FMT_YUV420P, 0.25, MKTAG('X', 'V', 'I', 'D')},
        {"FFV1 lossless", "ffv1", AV_PIX_FMT_YUV420P, 0, 0},
        {"Uncompressed YUV 4:2:0", "rawvideo", AV_PIX_FMT_YUV420P, 0, 0},
    };
    return list;
}

const std::vector<AudioCompressor>& AviAudioCompressors() {
    static const std::vector<AudioCompressor> list = {
        {"PCM 16-bit (uncompressed)", "pcm_s16le", 44100, 0},
        {"Microsoft ADPCM", "adpcm_ms", 44100, 0},
        {"IMA ADPCM", "adpcm_ima_wav", 44100, 0},
        {"MPEG Layer 2 (MP2)", "mp2", 44100, 192000},
        {"MPEG Layer 3 (MP3)", "libmp3lame", 44100, 128000},
        {"Dolby Digital (AC-3)", "ac3", 48000, 192000},
        {"G.711 A-law", "pcm_alaw", 44100, 0},
    };
    return list;
}

const std::vector<WmvProfile>& WmvProfiles() {
    // A general-purpose profile first (the default), then from low to high.
    static const std::vector<WmvProfile> list = {
        {"General purpose: 640x480, 25 fps, video 1000 kbit/s, audio 128 kbit/s", 640, 480, {25, 1}, 1000000, 128000, 44100, 2},
        {"Dial-up: 176x144, 15 fps, video 64 kbit/s, audio 32 kbit/s", 176, 144, {15, 1}, 64000, 32000, 22050, 1},
        {"Broadband: 320x240, 25 fps, video 350 kbit/s, audio 64 kbit/s", 320, 240, {25, 1}, 350000, 64000, 44100, 2},
        {"Broadband NTSC: 320x240, 29.97 fps, video 450 kbit/s, audio 64 kbit/s", 320, 240, {30000, 1001}, 450000, 64000, 44100, 2},
        {"Standard: 640x480, 29.97 fps, video 1500 kbit/s, audio 128 kbit/s", 640, 480, {30000, 1001}, 1500000, 128000, 44100, 2},
        {"High: 1280x720, 25 fps, video 4000 kbit/s, audio 192 kbit/s", 1280, 720, {25, 1}, 4000000, 192000, 48000, 2},
    };
    return list;
}

QStringList VideoCompressorNames() {
    QStringList names;
    for (const auto& c : AviVideoCompressors())
        names << QString::fromUtf8(c.name);
    return names;
}

QStringList AudioCompressorNames() {
    QStringList names;
    for (const auto& c : AviAudioCompressors())
        names << QString::fromUtf8(c.name);
    return names;
}

QStringList WmvProfileNames() {
    QStringList names;
    for (const auto& p : WmvProfiles())
        names << QString::fromUtf8(p.name);
    return names;
}
