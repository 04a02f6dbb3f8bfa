#include "engine/ffmpeg/render_job.h"

#include "engine/ffmpeg/audio_track.h"
#include "engine/ffmpeg/output_file.h"
#include "engine/ffmpeg/picture_source.h"
#include "engine/ffmpeg/video_clip_source.h"
#include "engine/ffmpeg/video_track.h"
#include "engine/quillmark_error.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace {

// Enough frames in flight to keep the encoder fed, few enough to keep memory low.
constexpr size_t kQueuedFrames = 8;
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

struct TimelineFacts {
    SourceShape first;
    std::vector<double> lengths; // seconds of each video clip, clamped to its source
    double firstCut = -1;        // where the first clip starts in its file, when it is a cut
    double length = 0;           // seconds of video
    std::vector<double> starts;  // where each video clip begins, in seconds

    // Lays the clips out on an output of `fps`, as the video track will.
    void layOut(double fps) {
        length = 0;
        starts.clear();
        for (size_t i = 0; i < lengths.size(); ++i) {
            starts.push_back(length);
            length += lengths[i];
        }
        if (firstCut >= 0 && !lengths.empty()) {
            const double lead = VideoClipSource::OffsetAt(firstCut, fps);
            length -= lead;
            for (size_t i = 1; i < starts.size(); ++i) starts[i] -= lead;
        }
    }
};

// Opens every source once before anything is written, so a bad file fails the
// render at once with its name, and learns what the output settings depend on.
TimelineFacts Inspect(const Timeline& timeline, bool withAudio) {
    if (timeline.video.empty())
        throw QuillmarkError(QStringLiteral("Nothing to render: the timeline has no video clip"));
    TimelineFacts facts;
    for (size_t i = 0; i < timeline.video.size(); ++i) {
        std::unique_ptr<FrameSource> source = VideoTrack::OpenSource(timeline.video[i]);
        facts.lengths.push_back(source->length());
        if (i == 0)
            if (auto* cut = dynamic_cast<VideoClipSource*>(source.get()))
                facts.firstCut = cut->cutStart();
        if (i == 0) {
            double time = 0, shown = 0;
            av::FramePtr frame = source->next(time, shown);
            if (frame)
                facts.first = ShapeOf(source->geometry(), *frame);
        }
    }
    if (withAudio)
        for (const AudioClip& clip : timeline.audio)
            InputFile(clip.file, AVMEDIA_TYPE_AUDIO, true);
    return facts;
}

av::FramePtr AudioFrame(const AudioFormat& format, int samples) {
    av::FramePtr frame = av::NewFrame();
    frame->nb_samples = samples;
    frame->format = format.sampleFormat;
    frame->sample_rate = format.sampleRate;
    av_channel_layout_copy(&frame->ch_layout, &format.layout);
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        throw std::bad_alloc();
    return frame;
}

// Feeds the audio encoder up to a point on the output timeline.
class AudioFeed {
public:
    AudioFeed(OutputFile& out, const std::vector<AudioClip>& clips)
        : out(out), format(out.audioFormat()), track(clips, format), fifo(format.newFifo()),
          frameSize(out.audioFrameSize()), pts(out.audioLead()) {
        // The encoder's priming stands in for the timeline's first samples.
        track.read(fifo.get(), pts);
        av_audio_fifo_drain(fifo.get(), int(pts));
    }

    // Encodes whole frames until `seconds` of sound are in the encoder.
    void upTo(double seconds) {
        const int64_t target = std::llround(seconds * format.sampleRate);
        while (pts + frameSize <= target)
            encode(frameSize);
    }

    // The sound's last frame, cut to end exactly with the video.
    void finishAt(double seconds) {
        const int64_t target = std::llround(seconds * format.sampleRate);
        while (pts < target)
            encode(int(std::min<int64_t>(frameSize, target - pts)));
    }

private:
    void encode(int samples) {
        const int missing = samples - av_audio_fifo_size(fifo.get());
        if (missing > 0)
            track.read(fifo.get(), missing);
        av::FramePtr frame = AudioFrame(format, samples);
        av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(frame->extended_data), samples);
        frame->pts = pts;
        pts += samples;
        out.writeAudio(frame.get());
    }

    OutputFile& out;
    AudioFormat format;
    AudioTrack track;
    av::FifoPtr fifo;
    int frameSize;
    int64_t pts;
};

// Each audio clip waits for the first output frame of the video clip it follows,
// on the same frame boundaries the video track uses.
std::vector<AudioClip> AnchoredAudio(std::vector<AudioClip> clips, const TimelineFacts& facts, double fps) {
    for (AudioClip& clip : clips)
        if (clip.afterVideo >= 0 && clip.afterVideo < int(facts.starts.size()))
            clip.anchor = VideoTrack::FirstFrameAt(facts.starts[clip.afterVideo], fps) / fps;
    return clips;
}

// Runs the video track on its own thread for as long as the render lasts.
class Producer {
public:
    Producer(VideoTrack& track, FrameQueue& queue) : queue(queue), thread([&track, &queue] { track.run(queue); }) {}
    ~Producer() {
        queue.cancel();
        thread.join();
    }

private:
    FrameQueue& queue;
    std::thread thread;
};

} // namespace

bool RunRender(const RenderRequest& request, const std::atomic<bool>& stop, const ProgressReport& progress) {
    const Timeline& timeline = request.timeline;
    const TVideoEdit::Properties& props = request.properties;
    TimelineFacts facts = Inspect(timeline, props.outputAudio);
    if (stop)
        return false;

    const OutputSettings settings = ChooseOutputSettings(props, facts.first, timeline.video.front().resizeMode);
    OutputFile out(request.writePath, request.shownPath, settings);
    const VideoSettings& v = settings.video;
    const double fps = av_q2d(v.frameRate);
    facts.layOut(fps);

    std::unique_ptr<AudioFeed> audio;
    if (out.hasAudio())
        audio = std::make_unique<AudioFeed>(out, AnchoredAudio(timeline.audio, facts, fps));

    FrameQueue queue(kQueuedFrames);
    VideoTrack track(timeline, OutputPictures{{v.width, v.height, v.sampleAspect}, v.frameRate, v.fieldOrder},
                     v.pixelFormat);
    Producer producer(track, queue);

    auto lastReport = std::chrono::steady_clock::now() - kProgressInterval;
    int64_t frames = 0;
    while (av::FramePtr frame = queue.pop()) {
        if (stop)
            return false;
        if (audio)
            audio->upTo((frame->pts + 1) / fps);
        out.writeVideo(frame.get());
        frames = frame->pts + 1;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= kProgressInterval) {
            lastReport = now;
            progress(std::min(frames / fps, facts.length), facts.length);
        }
    }
    if (stop)
        return false;
    queue.rethrow();
    if (frames == 0)
        throw QuillmarkError(QStringLiteral("Nothing to render into \"%1\": every clip lies past the end of its file")
                                 .arg(request.shownPath));
    if (audio)
        audio->finishAt(frames / fps);
    out.finish();
    progress(frames / fps, frames / fps);
    return true;
}
