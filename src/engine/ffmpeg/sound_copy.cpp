#include "engine/ffmpeg/sound_copy.h"

#include "engine/formats/format_registry.h"

#include <algorithm>
#include <cmath>

namespace {

// How far before a clip's sound the reader is put, so its first packet is not missed.
constexpr double kSeekLead = 0.5;

QString CodecName(AVCodecID id) {
    return QString::fromUtf8(avcodec_get_name(id));
}

} // namespace

QString SoundCopyMismatch(const Timeline& timeline, const OutputSettings& settings, int outputType,
                          const std::atomic<bool>& stop) {
    if (!settings.audio)
        return QStringLiteral("the output has no sound");
    // WMV's sound is timed by its own clock; AVI times MP3 by its frames, other
    // codecs by byte counts that a cut stream no longer matches.
    if (settings.muxer == "asf")
        return QStringLiteral("WMV sound is always re-encoded");
    if (settings.muxer == "avi" && settings.audio && settings.audio->encoder != "libmp3lame")
        return QStringLiteral("AVI sound other than MP3 is always re-encoded");
    if (timeline.audio.size() != timeline.video.size())
        return QStringLiteral("the sound is not the clips' own");
    const AudioSettings& a = *settings.audio;
    const AVCodec* encoder = avcodec_find_encoder_by_name(a.encoder.c_str());
    if (!encoder)
        return QStringLiteral("the encoder %1 is not installed").arg(QString::fromStdString(a.encoder));
    const FormatDescription* format = FindFormat(outputType);
    const bool fixedRate = format && format->copy.soundRateFixed;
    const int last = int(timeline.video.size()) - 1;
    std::vector<uint8_t> firstConfig;
    for (size_t k = 0; k < timeline.audio.size() && !stop; ++k) {
        const AudioClip& sound = timeline.audio[k];
        const VideoClip& picture = timeline.video[k];
        if (std::clamp(sound.afterVideo, 0, last) != int(k) || sound.file != picture.file
            || std::abs(sound.start - picture.start) > 1e-6 || std::abs(sound.stop - picture.stop) > 1e-6)
            return QStringLiteral("the sound is not the clips' own");
        if (sound.stream == AudioClip::kNoSound)
            return QStringLiteral("it has no sound");
        MediaReader reader(sound.file, AVMEDIA_TYPE_AUDIO, true, &stop, sound.stream);
        if (!reader.stream())
            return QStringLiteral("it has no sound");
        const AVCodecParameters* par = reader.stream()->codecpar;
        if (par->codec_id != encoder->id)
            return QStringLiteral("its sound is %1, the output's is %2").arg(CodecName(par->codec_id), CodecName(encoder->id));
        if (par->sample_rate != a.sampleRate)
            return QStringLiteral("its sound has %1 Hz, the output's %2 Hz").arg(par->sample_rate).arg(a.sampleRate);
        if (par->ch_layout.nb_channels != a.channels)
            return QStringLiteral("its sound has %1 channels, the output's %2").arg(par->ch_layout.nb_channels).arg(a.channels);
        // A VCD player takes its standard's one rate of sound only.
        if (fixedRate && par->bit_rate != a.bitRate)
            return QStringLiteral("its sound is %1 kbit/s, a VCD's is %2 kbit/s").arg(par->bit_rate / 1000).arg(a.bitRate / 1000);
        const std::vector<uint8_t> config(par->extradata, par->extradata + par->extradata_size);
        if (k == 0)
            firstConfig = config;
        else if (config != firstConfig)
            return QStringLiteral("its sound is coded unlike the first clip's");
    }
    // Copied back to back, clips meet where their packets happen to end: every
    // file opens with its encoder's priming and most end padded to a whole
    // packet, which leaves a stretch of silence or of doubled sound at each
    // join. Decoded, priming and padding are left out and the pieces join to
    // the sample.
    if (timeline.audio.size() > 1)
        return QStringLiteral("the sound is re-encoded where clips meet, so it joins without a gap");
    return {};
}

SoundCopy::SoundCopy(OutputFile& out, const std::vector<AudioClip>& clips, const std::vector<AudioPlacement>& placements,
                     int sampleRate, const std::atomic<bool>& stop, int slot)
    : out(out), rate(sampleRate), stop(stop), slot(slot), exactTimes(out.timesEachPacket()) {
    for (size_t k = 0; k < clips.size() && k < placements.size(); ++k)
        pieces.push_back(Piece{clips[k].file, clips[k].stream, placements[k]});
}

void SoundCopy::upTo(double seconds) {
    fill(std::llround(seconds * rate));
}

void SoundCopy::finishAt(double) {
    fill(INT64_MAX);
}

void SoundCopy::fill(int64_t limit) {
    while (!stop && (hasPending || readNext())) {
        if (pendingAt >= limit)
            return;
        const int64_t length = pending->duration;
        pending->pts = pending->dts = pendingAt;
        pending->pos = -1;
        out.writeAudioPacket(pending.get(), AVRational{1, rate}, slot);
        hasPending = false;
        written = pendingAt + length;
    }
}

bool SoundCopy::readNext() {
    while (!stop) {
        if (!reader) {
            if (next >= pieces.size())
                return false;
            reader = std::make_unique<MediaReader>(pieces[next].file, AVMEDIA_TYPE_AUDIO, false, &stop, pieces[next].stream);
            const int64_t target = reader->timestampAt(std::max(0.0, pieces[next].place.sourceStart - kSeekLead));
            avformat_seek_file(reader->format(), reader->stream()->index, INT64_MIN, target, target, 0);
        }
        const Piece& piece = pieces[next];
        AVStream* st = reader->stream();
        if (av_read_frame(reader->format(), pending.get()) < 0) {
            reader.reset(); // the file's sound ends before the clip does: silence, as a player has it
            ++next;
            continue;
        }
        if (pending->stream_index != st->index || pending->pts == AV_NOPTS_VALUE
            || (pending->flags & AV_PKT_FLAG_DISCARD)) {
            av_packet_unref(pending.get());
            continue;
        }
        const double at = reader->timeOf(pending->pts);
        const int64_t length = pending->duration > 0 ? av_rescale_q(pending->duration, st->time_base, AVRational{1, rate})
                                                     : std::max(1, st->codecpar->frame_size);
        const double middle = at + length / 2.0 / rate;
        const double from = piece.place.sourceStart;
        // Where each packet can have its own time, one that begins before the
        // cut is left out: the sound starts up to a packet late, after silence,
        // and every sample keeps its place against the pictures.
        const bool before = exactTimes ? at < from - 0.5 / rate : middle < from;
        if (before) {
            av_packet_unref(pending.get());
            continue;
        }
        if (middle >= from + double(piece.place.samples) / rate) {
            av_packet_unref(pending.get());
            reader.reset();
            ++next;
            continue;
        }
        // Each packet where its time puts it. A program stream's demuxer may hand
        // the same packet over twice: one that lies mostly under the last one
        // written is already heard.
        int64_t place = piece.place.firstSample + std::llround((at - from) * rate);
        if (exactTimes && place <= lastPlace) {
            av_packet_unref(pending.get());
            continue;
        }
        if (!exactTimes && place < written) {
            if (written - place > length / 2) {
                av_packet_unref(pending.get());
                continue;
            }
            place = written;
        }
        lastPlace = place;
        pending->duration = length;
        pendingAt = place;
        hasPending = true;
        return true;
    }
    return false;
}
