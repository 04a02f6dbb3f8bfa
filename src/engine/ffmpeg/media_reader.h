#pragma once

#include "engine/ffmpeg/av_handles.h"
#include "engine/ffmpeg/io/kept_inputs.h"

#include <QString>
#include <atomic>

// One stream of a media file, decoded: the demuxer, the chosen stream and its
// decoder, for video and sound alike. Times are seconds from the start of the
// file (its earliest stream), so sound that starts after its picture keeps that
// distance.
class MediaReader {
public:
    // Raises QuillmarkError naming the file when it cannot be opened or has no
    // stream of the type. With optional, a missing stream leaves stream() null.
    // Once `*stop` is raised the reader gives up: a blocked read returns, seeks
    // end, and it reads as if at the end of the file (its owner is stopping).
    // `wanted` names the stream by its index in the file; -1 takes the one a
    // player would pick.
    MediaReader(const QString& file, AVMediaType type, bool optional = false,
                const std::atomic<bool>* stop = nullptr, int wanted = -1);
    ~MediaReader();
    MediaReader(const MediaReader&) = delete;
    MediaReader& operator=(const MediaReader&) = delete;

    const QString& file() const { return path; }
    AVStream* stream() const { return st; }
    AVCodecContext* decoder() const { return dec.get(); }
    AVFormatContext* format() const { return fmt.get(); }

    // What the container says the file lasts (0 when unknown); only a hint.
    double headerDuration() const;
    // Seconds from the file's start of a decoded frame, -1 when it has no time.
    double frameTime(const AVFrame* frame) const;
    // Seconds from the file's start of a timestamp of the stream, and back.
    double timeOf(int64_t ts) const;
    int64_t timestampAt(double seconds) const;
    // Seconds from the file's start to the stream's own first timestamp.
    double streamStart() const;
    // How long a decoded frame lasts, in seconds.
    double frameLength(const AVFrame* frame) const;

    // Positions the reader so the frames that next() gives include the one that
    // plays at `seconds`, with enough of what comes before it for the decoder to
    // have settled (sound codecs overlap their frames). Frames before `seconds`
    // still come out: the caller drops them by their time.
    void seekTo(double seconds);

    // Next decoded frame, or false at the end of the stream. A packet the decoder
    // cannot use is passed over, as a player would; a stream none of whose packets
    // decode fails with a message naming the file and the stream.
    bool next(AVFrame* frame);

    // Where the pictures really lie: the time of the first decodable frame and the
    // end of the last one. Leaves the reader at the file's end.
    struct Extent {
        double first = 0;
        double end = 0;
    };
    Extent measureExtent();

private:
    bool decode(AVFrame* frame);
    bool readPacket();
    void seekRaw(double seconds);
    QString streamName() const;
    bool stopped() const { return stop && *stop; }
    static int Interrupted(void* reader);

    QString path;
    const std::atomic<bool>* stop;
    kept_inputs::Input fmt;
    AVStream* st = nullptr;
    av::CodecPtr dec;
    AVBSFContext* bsf = nullptr; // undoes packed B-frames in old MPEG-4 files
    av::PacketPtr packet = av::NewPacket();
    av::FramePtr pending;       // a frame decoded while seeking, handed out first
    bool draining = false;
    bool awaitingKey = false;  // just moved into the file: no picture before a keyframe
    bool touched = false; // read or moved since it was opened
    bool decodedAny = false;
    int rejected = 0;           // packets the decoder refused
    int64_t startTs = 0;
};
