#include "engine/ffmpeg/render_pipeline.h"

#include "engine/ffmpeg/render/note_schedule.h"
#include "engine/ffmpeg/media_reader.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/streams/render_streams.h"
#include "engine/ffmpeg/render/plan_writer.h"
#include "engine/ffmpeg/timeline_layout.h"
#include "engine/ffmpeg/video_track.h"
#include "engine/formats/format_registry.h"
#include "engine/quillmark_error.h"

#include <algorithm>
#include <map>
#include <cmath>

namespace {

struct TimelineFacts {
    SourceShape first;
    std::vector<ClipSpan> spans; // what each video clip really covers
};

// A clip's span within its file's pictures, so no clip reaches past the last
// frame, whatever the container says the file lasts.
ClipSpan CutSpan(const VideoClip& clip, const MediaReader::Extent& extent) {
    const double start = std::clamp(clip.start, 0.0, extent.end);
    const double stop = std::clamp(clip.stop, start, extent.end);
    return ClipSpan{start, stop - start, true, extent.first};
}

// Opens every source once before anything is written, so a bad file fails the
// render at once with its name, and learns where each clip's pictures lie. With
// hundreds of clips this takes seconds: `stop` is heeded between clips and
// inside every read, and what a stopped inspection found is never used.
TimelineFacts Inspect(const Timeline& timeline, bool withAudio, const std::atomic<bool>& stop) {
    if (timeline.video.empty())
        throw QuillmarkError(QStringLiteral("Nothing to render: the timeline has no video clip"));
    TimelineFacts facts;
    SourceCoding coding;
    bool shapedByVideo = false;
    std::map<QString, MediaReader::Extent> extents;
    for (size_t i = 0; i < timeline.video.size() && !stop; ++i) {
        const VideoClip& clip = timeline.video[i];
        ClipSpan span{0, std::max(0.0, clip.stop - clip.start), false};
        if (!PictureSource::IsPicture(clip.file)) {
            auto known = extents.find(clip.file);
            if (known == extents.end())
                known = extents.emplace(clip.file, MediaReader(clip.file, AVMEDIA_TYPE_VIDEO, false, &stop).measureExtent())
                            .first;
            span = CutSpan(clip, known->second);
            if (!coding.known()) {
                MediaReader reader(clip.file, AVMEDIA_TYPE_VIDEO, false, &stop);
                const VideoGeometry geometry = ReadVideoGeometry(reader.format(), reader.stream());
                coding = ReadSourceCoding(clip.file, reader.format(), reader.stream(), geometry.turn.transpose);
            }
        }
        facts.spans.push_back(span);
        // The output takes its shape from the first video, not from a photo
        // before it: the videos can then be copied, and the photos are fitted.
        if (i == 0 || (span.cut && !shapedByVideo)) {
            double time = 0, shown = 0;
            std::unique_ptr<FrameSource> source = VideoTrack::OpenSource(clip, span);
            av::FramePtr frame = source->next(time, shown);
            if (frame)
                facts.first = ShapeOf(source->geometry(), *frame);
            shapedByVideo = span.cut;
        }
    }
    facts.first.coding = coding;
    if (withAudio)
        for (size_t i = 0; i < timeline.audio.size() && !stop; ++i)
            MediaReader(timeline.audio[i].file, AVMEDIA_TYPE_AUDIO, true, &stop);
    return facts;
}

// In the source's own format the copied pictures keep their turn and their
// light levels as side data of the stream; frames encoded whole are turned
// upright instead, into a frame of the upright shape.
void KeepSourceLook(OutputSettings& settings, RenderStreams& streams, bool copies, const SourceCoding& coding,
                    int outputType) {
    const FormatDescription* format = FindFormat(outputType);
    if (!format || format->family != FormatFamily::Source)
        return;
    if (!copies) {
        if (coding.sideways) {
            std::swap(settings.video.width, settings.video.height);
            settings.video.sampleAspect = av_inv_q(settings.video.sampleAspect);
        }
        return;
    }
    MediaReader reader(coding.file, AVMEDIA_TYPE_VIDEO, false, nullptr);
    const AVStream* st = reader.stream();
    for (int i = 0; i < st->nb_side_data; ++i) {
        const AVPacketSideData& sd = st->side_data[i];
        if (sd.type == AV_PKT_DATA_DISPLAYMATRIX || sd.type == AV_PKT_DATA_MASTERING_DISPLAY_METADATA
            || sd.type == AV_PKT_DATA_CONTENT_LIGHT_LEVEL || sd.type == AV_PKT_DATA_DOVI_CONF)
            streams.setVideoSideData(sd.type, std::vector<uint8_t>(sd.data, sd.data + sd.size));
    }
}

} // namespace

bool RunRender(const RenderRequest& request, const std::atomic<bool>& stop, const std::function<void()>& writing,
               const ProgressReport& progress, const NoteReport& note) {
    Timeline timeline = request.timeline;
    const TVideoEdit::Properties& props = request.properties;
    TimelineFacts facts = Inspect(timeline, props.outputAudio, stop);
    if (stop)
        return false;

    OutputSettings settings = ChooseOutputSettings(props, facts.first, timeline.video.front().resizeMode);
    const VideoSettings& v = settings.video;
    const int sampleRate = settings.audio ? settings.audio->sampleRate : 48000;
    const TimelineLayout layout = LayOutTimeline(facts.spans, timeline.audio, v.frameRate, sampleRate);
    if (layout.frames == 0)
        throw QuillmarkError(QStringLiteral("Nothing to render into \"%1\": every clip lies past the end of its file")
                                 .arg(request.shownPath));
    // Transitions are placed on the caller's clock; the layout may have left
    // time out before some clips' first pictures.
    for (Transition& t : timeline.transitions) {
        t.start = layout.outputTime(t.start);
        t.stop = layout.outputTime(t.stop);
    }
    RenderStreams streams(timeline, facts.spans, layout, v.frameRate, props, stop);
    if (stop)
        return false;
    timeline.audio = streams.soundClips(0);
    if (streams.soundTracks() == 0)
        settings.audio.reset();
    LeaveRoomForSound(settings, streams.soundTracks(), props.outputType);
    RenderPlan plan = PlanRender(timeline, facts.spans, layout, settings, props, stop);
    std::vector<std::vector<AudioClip>> soundTracks;
    for (size_t t = 0; t < streams.soundTracks(); ++t)
        soundTracks.push_back(streams.soundClips(t));
    PlanSoundCopies(plan, timeline, soundTracks, settings, props.outputType, stop);
    if (stop)
        return false;
    KeepSourceLook(settings, streams, plan.copies, facts.first.coding, props.outputType);
    for (const QString& text : streams.notes())
        note(text);
    const double fps = av_q2d(v.frameRate);
    std::vector<double> clipStarts;
    for (const VideoPlacement& place : layout.video)
        clipStarts.push_back(place.firstFrame / fps);
    NoteSchedule notes(PlanNotes(plan), clipStarts, note);
    notes.reached(0);
    const ProgressReport progressAndNotes = [&](double position, double duration) {
        notes.reached(position);
        progress(position, duration);
    };
    writing();
    return WritePlan(request, timeline, facts.spans, plan, settings, layout, streams, stop, progressAndNotes);
}
