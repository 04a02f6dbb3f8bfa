#include "engine/ffmpeg/output_file.h"

#include "engine/ffmpeg/av_error.h"
#include "engine/ffmpeg/codec_threads.h"
#include "engine/ffmpeg/render_workers.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

struct Dict {
    AVDictionary* d = nullptr;
    explicit Dict(const Options& options) {
        for (const auto& [k, v] : options)
            av_dict_set(&d, k.c_str(), v.c_str(), 0);
    }
    ~Dict() { av_dict_free(&d); }
};

// The encoder's buffer and rate figures travel to the muxer as stream side data;
// the disc muxers need them to keep the files within the standards.
void CopyCodedSideData(const AVCodecContext* encoder, AVStream* stream) {
    for (int i = 0; i < encoder->nb_coded_side_data; ++i) {
        const AVPacketSideData& sd = encoder->coded_side_data[i];
        uint8_t* copy = av_stream_new_side_data(stream, sd.type, sd.size);
        if (!copy)
            throw std::bad_alloc();
        memcpy(copy, sd.data, sd.size);
    }
}

void Tag(AVDictionary** metadata, const char* key, const std::string& value) {
    if (!value.empty())
        av_dict_set(metadata, key, value.c_str(), 0);
}

void TagTrack(AVStream* stream, const TrackTags& tags) {
    Tag(&stream->metadata, "language", tags.language);
    Tag(&stream->metadata, "title", tags.title);
    // MP4 players name a track by its handler.
    Tag(&stream->metadata, "handler_name", tags.title);
}

} // namespace

void OutputFile::fail(const QString& reason) const {
    av::Fail(QStringLiteral("Cannot write"), name, reason);
}

void OutputFile::check(int code) const {
    av::Check(code, QStringLiteral("Cannot write"), name);
}

OutputFile::OutputFile(const QString& path, const QString& shownName, const OutputSettings& settings,
                       const StreamAdjustment& adjustVideo, const std::vector<const AVCodecParameters*>& copiedSound,
                       const OutputStreams* streams)
    : name(shownName) {
    AVFormatContext* raw = nullptr;
    const QByteArray file = QFile::encodeName(path);
    // The file name is kept for muxers that read their own output back to move
    // the index in front of the media (MP4's faststart).
    check(avformat_alloc_output_context2(&raw, nullptr, settings.muxer.c_str(), file.constData()));
    muxer.reset(raw);
    if (settings.packetSize > 0)
        muxer->packet_size = settings.packetSize;

    openVideo(settings.video, adjustVideo);
    const size_t soundCount = settings.audio ? std::max<size_t>(1, streams ? streams->sound.size() : 1) : 0;
    for (size_t slot = 0; slot < soundCount; ++slot) {
        const AVCodecParameters* copied = slot < copiedSound.size() ? copiedSound[slot] : nullptr;
        if (!copied) {
            openAudio(*settings.audio);
            continue;
        }
        AVStream* stream = avformat_new_stream(muxer.get(), nullptr);
        if (!stream)
            throw std::bad_alloc();
        check(avcodec_parameters_copy(stream->codecpar, copied));
        stream->codecpar->codec_tag = 0;
        stream->time_base = AVRational{1, copied->sample_rate};
        sound.push_back(SoundSlot{nullptr, stream});
    }
    if (streams)
        addStreams(*streams);

    int opened = 0;
    if (!OpenUnlessExiting([&] { opened = avio_open(&muxer->pb, file.constData(), AVIO_FLAG_WRITE); }))
        fail(QStringLiteral("the program is ending"));
    if (opened < 0)
        fail(av::ErrorText(opened));
    Dict options(settings.muxerOptions);
    check(avformat_write_header(muxer.get(), &options.d));
}

av::CodecPtr OpenVideoEncoder(const VideoSettings& v, bool globalHeader, const QString& shownName) {
    auto fail = [&shownName](const QString& reason) { av::Fail(QStringLiteral("Cannot write"), shownName, reason); };
    const AVCodec* codec = avcodec_find_encoder_by_name(v.encoder.c_str());
    if (!codec)
        fail(QStringLiteral("the video encoder %1 is not installed").arg(QString::fromStdString(v.encoder)));
    av::CodecPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        throw std::bad_alloc();
    AVCodecContext* e = encoder.get();
    e->width = v.width;
    e->height = v.height;
    e->pix_fmt = v.pixelFormat;
    e->sample_aspect_ratio = v.sampleAspect;
    e->framerate = v.frameRate;
    e->time_base = av_inv_q(v.frameRate);
    e->gop_size = v.gop;
    e->bit_rate = v.bitRate;
    e->rc_max_rate = v.maxRate;
    e->rc_min_rate = v.minRate;
    e->rc_buffer_size = v.bufferSize;
    e->thread_count = CodecThreads();
    e->thread_type = FF_THREAD_SLICE | FF_THREAD_FRAME;
    e->color_primaries = v.primaries;
    e->color_trc = v.transfer;
    e->colorspace = v.space;
    e->color_range = v.range;
    e->chroma_sample_location = v.chroma;
    if (v.pixelFormat == AV_PIX_FMT_YUVJ420P)
        e->color_range = AVCOL_RANGE_JPEG;
    if (v.tag)
        e->codec_tag = v.tag;
    if (v.fieldOrder == AV_FIELD_TT || v.fieldOrder == AV_FIELD_BB) {
        e->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        e->field_order = v.fieldOrder;
    }
    if (globalHeader)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Dict options(v.options);
    const int opened = avcodec_open2(e, codec, &options.d);
    if (opened < 0)
        fail(QStringLiteral("the video encoder %1 refused %2x%3 at %4 fps: %5")
                 .arg(QString::fromStdString(v.encoder)).arg(v.width).arg(v.height)
                 .arg(av_q2d(v.frameRate), 0, 'f', 3).arg(av::ErrorText(opened)));
    return encoder;
}

void MarkFields(AVFrame* frame, AVFieldOrder order) {
    // Every frame of an interlaced output in one field order, stills and blends
    // included, as disc players expect.
    if (order != AV_FIELD_TT && order != AV_FIELD_BB)
        return;
    frame->interlaced_frame = 1;
    frame->top_field_first = order == AV_FIELD_TT;
}

void OutputFile::openVideo(const VideoSettings& v, const StreamAdjustment& adjust) {
    videoStream = avformat_new_stream(muxer.get(), nullptr);
    if (!videoStream)
        throw std::bad_alloc();
    videoEncoder = OpenVideoEncoder(v, muxer->oformat->flags & AVFMT_GLOBALHEADER, name);
    fieldOrder = v.fieldOrder;
    AVCodecContext* e = videoEncoder.get();
    check(avcodec_parameters_from_context(videoStream->codecpar, e));
    CopyCodedSideData(e, videoStream);
    if (v.tag)
        videoStream->codecpar->codec_tag = v.tag;
    videoStream->time_base = e->time_base;
    videoStream->avg_frame_rate = v.frameRate;
    videoStream->sample_aspect_ratio = v.sampleAspect;
    if (adjust)
        adjust(videoStream->codecpar);
}

void OutputFile::addStreams(const OutputStreams& streams) {
    TagTrack(videoStream, streams.video);
    for (size_t i = 0; i < sound.size() && i < streams.sound.size(); ++i)
        TagTrack(sound[i].stream, streams.sound[i]);
    for (const PacketStream& s : streams.subtitles) {
        AVStream* stream = avformat_new_stream(muxer.get(), nullptr);
        if (!stream)
            throw std::bad_alloc();
        check(avcodec_parameters_copy(stream->codecpar, s.parameters));
        stream->codecpar->codec_tag = 0;
        stream->time_base = s.timeBase;
        TagTrack(stream, s.tags);
        subtitles.push_back(stream);
    }
    for (size_t i = 0; i < streams.chapters.size(); ++i) {
        const OutputChapter& c = streams.chapters[i];
        // The library keeps the chapters with the muxer and frees them with it.
        auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!chapter || av_dynarray_add_nofree(&muxer->chapters, reinterpret_cast<int*>(&muxer->nb_chapters), chapter) < 0) {
            av_free(chapter);
            throw std::bad_alloc();
        }
        chapter->id = int64_t(i) + 1;
        chapter->time_base = AVRational{1, 1000};
        chapter->start = c.start;
        chapter->end = c.end;
        Tag(&chapter->metadata, "title", c.title);
    }
    for (const auto& [type, bytes] : streams.videoSideData) {
        uint8_t* copy = av_stream_new_side_data(videoStream, type, bytes.size());
        if (!copy)
            throw std::bad_alloc();
        memcpy(copy, bytes.data(), bytes.size());
    }
    for (const auto& [key, value] : streams.fileTags)
        Tag(&muxer->metadata, key.c_str(), value);
    // Cameras name their tags in reverse-domain form ("com.apple.quicktime.model");
    // MP4 keeps such keys only in its table of named keys.
    const bool named = std::any_of(streams.fileTags.begin(), streams.fileTags.end(),
                                   [](const auto& tag) { return tag.first.find('.') != std::string::npos; });
    if (named && muxer->priv_data && av_opt_find(muxer->priv_data, "movflags", nullptr, 0, 0))
        check(av_opt_set(muxer->priv_data, "movflags", "+use_metadata_tags", 0));
}

void OutputFile::openAudio(const AudioSettings& a) {
    const AVCodec* codec = avcodec_find_encoder_by_name(a.encoder.c_str());
    if (!codec)
        fail(QStringLiteral("the audio encoder %1 is not installed").arg(QString::fromStdString(a.encoder)));
    AVStream* audioStream = avformat_new_stream(muxer.get(), nullptr);
    av::CodecPtr audioEncoder(avcodec_alloc_context3(codec));
    if (!audioStream || !audioEncoder)
        throw std::bad_alloc();
    AVCodecContext* e = audioEncoder.get();
    e->sample_rate = a.sampleRate;
    av_channel_layout_default(&e->ch_layout, a.channels);
    e->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    e->bit_rate = a.bitRate;
    e->time_base = AVRational{1, a.sampleRate};
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(e, codec, nullptr);
    if (opened < 0)
        fail(QStringLiteral("the audio encoder %1 refused %2 Hz at %3 kbit/s: %4")
                 .arg(QString::fromStdString(a.encoder)).arg(a.sampleRate).arg(a.bitRate / 1000)
                 .arg(av::ErrorText(opened)));
    check(avcodec_parameters_from_context(audioStream->codecpar, e));
    audioStream->time_base = e->time_base;
    sound.push_back(SoundSlot{std::move(audioEncoder), audioStream});
}

AudioFormat OutputFile::audioFormat(int slot) const {
    const AVCodecContext* e = sound.at(slot).encoder.get();
    AudioFormat f;
    f.sampleRate = e->sample_rate;
    av_channel_layout_copy(&f.layout, &e->ch_layout);
    f.sampleFormat = e->sample_fmt;
    return f;
}

int OutputFile::audioFrameSize(int slot) const {
    const int size = sound.at(slot).encoder->frame_size;
    return size > 0 ? size : 1024;
}

int OutputFile::audioLead(int slot) const {
    // ASF keeps the priming on its own clock (its decoders drop it), so there the
    // timeline's sound starts at the first sample.
    if (std::strcmp(muxer->oformat->name, "asf") == 0)
        return 0;
    return std::max(0, sound.at(slot).encoder->initial_padding);
}

void OutputFile::writeVideo(AVFrame* frame) {
    MarkFields(frame, fieldOrder);
    encode(videoEncoder.get(), videoStream, frame);
}

void OutputFile::writeVideoPacket(AVPacket* coded, AVRational timeBase) {
    av_packet_rescale_ts(coded, timeBase, videoStream->time_base);
    coded->stream_index = videoStream->index;
    check(av_interleaved_write_frame(muxer.get(), coded));
}

void OutputFile::writeAudioPacket(AVPacket* coded, AVRational timeBase, int slot) {
    writePacket(sound.at(slot).stream, coded, timeBase);
}

void OutputFile::writeSubtitlePacket(int slot, AVPacket* coded, AVRational timeBase) {
    writePacket(subtitles.at(slot), coded, timeBase);
}

void OutputFile::writePacket(AVStream* stream, AVPacket* coded, AVRational timeBase) {
    av_packet_rescale_ts(coded, timeBase, stream->time_base);
    coded->stream_index = stream->index;
    check(av_interleaved_write_frame(muxer.get(), coded));
}

bool OutputFile::globalHeader() const {
    return muxer->oformat->flags & AVFMT_GLOBALHEADER;
}

bool OutputFile::timesEachPacket() const {
    return std::strcmp(muxer->oformat->name, "avi") != 0;
}

AVRational OutputFile::videoTimeBase() const {
    return videoStream->time_base;
}

void OutputFile::writeAudio(AVFrame* frame, int slot) {
    encode(sound.at(slot).encoder.get(), sound.at(slot).stream, frame);
}

void OutputFile::encode(AVCodecContext* encoder, AVStream* stream, const AVFrame* frame) {
    check(avcodec_send_frame(encoder, frame));
    for (;;) {
        const int got = avcodec_receive_packet(encoder, packet.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return;
        check(got);
        av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        check(av_interleaved_write_frame(muxer.get(), packet.get()));
    }
}

void OutputFile::finish() {
    encode(videoEncoder.get(), videoStream, nullptr);
    for (SoundSlot& slot : sound)
        if (slot.encoder)
            encode(slot.encoder.get(), slot.stream, nullptr);
    check(av_write_trailer(muxer.get()));
    if (muxer->pb->error < 0)
        check(muxer->pb->error);
    check(avio_closep(&muxer->pb));
}
