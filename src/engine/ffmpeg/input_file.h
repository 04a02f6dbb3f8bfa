#pragma once

#include "engine/ffmpeg/av_handles.h"

#include <QString>

// One stream of a media file opened for decoding: the demuxer, the chosen stream
// and its decoder. Times are seconds from the start of the file.
class InputFile {
public:
    // Raises QuillmarkError naming the file when it cannot be opened or has no
    // stream of the type. With optional, a missing stream leaves stream() null.
    InputFile(const QString& file, AVMediaType type, bool optional = false);

    const QString& file() const { return path; }
    AVStream* stream() const { return st; }
    AVCodecContext* decoder() const { return dec.get(); }
    AVFormatContext* format() const { return fmt.get(); }

    // Playing time of the whole file in seconds (0 when unknown).
    double duration() const;
    // Seconds from the file's start of a frame's best timestamp.
    double frameTime(const AVFrame* frame) const;

    // Moves so that the next decoded frames include the one at `seconds`, going
    // further back each time when `backoff` grows (demuxers that land late).
    void seekBefore(double seconds, double backoff);

    // Next decoded frame, or false at the end of the stream. Undecodable packets
    // are skipped, as a player would.
    bool decode(AVFrame* frame);

private:
    QString path;
    av::InputPtr fmt;
    AVStream* st = nullptr;
    av::CodecPtr dec;
    av::PacketPtr packet = av::NewPacket();
    bool draining = false;
    int64_t startTs = 0;
};
