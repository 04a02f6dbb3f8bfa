#include "engine/ffmpeg/streams/render_streams.h"

#include "engine/ffmpeg/audio_feed.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/formats/format_registry.h"

namespace {

const FileStreams* FactsOf(std::map<QString, FileStreams>& files, const QString& file, const std::atomic<bool>& stop) {
    if (PictureSource::IsPicture(file))
        return nullptr;
    auto known = files.find(file);
    if (known == files.end())
        known = files.emplace(file, ReadFileStreams(file, &stop)).first;
    return &known->second;
}

} // namespace

RenderStreams::RenderStreams(const Timeline& timeline, const std::vector<ClipSpan>& spans, const TimelineLayout& layout,
                             AVRational frameRate, const TVideoEdit::Properties& props, const std::atomic<bool>& stop)
    : timeline(timeline) {
    const StreamCapacity capacity = CapacityOf(props.outputType);
    std::vector<const FileStreams*> videoFiles, soundFiles;
    std::vector<ClipWindow> windows;
    const double fps = av_q2d(frameRate);
    for (size_t i = 0; i < timeline.video.size() && !stop; ++i) {
        const FileStreams* facts = FactsOf(files, timeline.video[i].file, stop);
        videoFiles.push_back(facts);
        const VideoPlacement& place = layout.video[i];
        windows.push_back(ClipWindow{facts, timeline.video[i].file, spans[i].start + place.shift,
                                     place.firstFrame / fps, (place.firstFrame + place.frames) / fps});
    }
    for (size_t i = 0; i < timeline.audio.size() && !stop; ++i)
        soundFiles.push_back(FactsOf(files, timeline.audio[i].file, stop));
    if (stop)
        return;
    map = MapStreams(videoFiles, soundFiles, props.keptTracks, capacity, props.outputAudio);

    streams.sound = map.soundTags;
    if (!capacity.tags)
        streams.sound.assign(streams.sound.size(), TrackTags{});
    for (const SubtitleSlot& slot : map.subtitles) {
        subtitles.push_back(std::make_unique<SubtitleFeed>(slot, windows, stop));
        streams.subtitles.push_back(PacketStream{subtitles.back()->parameters(), AVRational{1, 1000}, slot.tags});
    }
    if (capacity.chapters)
        streams.chapters = OutputChapters(windows, windows.size() > 1);
    if (capacity.tags && !windows.empty())
        streams.fileTags = OutputTags(windows.front());
}

void LeaveRoomForSound(OutputSettings& settings, size_t soundTracks, int outputType) {
    VideoSettings& v = settings.video;
    const FormatDescription* format = FindFormat(outputType);
    if (soundTracks < 2 || !settings.audio || !format || format->family != FormatFamily::Disc || v.maxRate <= 0)
        return;
    const int64_t more = int64_t(soundTracks - 1) * settings.audio->bitRate;
    v.maxRate = std::max<int64_t>(v.maxRate - more, v.maxRate / 2);
    v.bitRate = std::min(v.bitRate, v.maxRate);
    v.minRate = std::min(v.minRate, v.maxRate);
}

std::vector<AudioClip> RenderStreams::soundClips(size_t track) const {
    std::vector<AudioClip> clips = timeline.audio;
    for (size_t i = 0; i < clips.size(); ++i)
        clips[i].stream = track < map.sound.size() ? map.sound[track][i] : AudioClip::kNoSound;
    return clips;
}

std::vector<std::unique_ptr<SoundTrack>> RenderStreams::feeds(OutputFile& out, const std::vector<AudioPlacement>& placements) {
    std::vector<std::unique_ptr<SoundTrack>> list;
    for (size_t t = 1; t < map.sound.size() && int(t) < out.soundStreams(); ++t)
        if (out.encodesSound(t))
            list.push_back(std::make_unique<AudioFeed>(out, soundClips(t), placements, int(t)));
    for (size_t s = 0; s < subtitles.size() && subtitles[s]; ++s) {
        subtitles[s]->attach(&out, int(s));
        list.push_back(std::move(subtitles[s]));
    }
    return list;
}
