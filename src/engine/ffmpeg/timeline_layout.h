#pragma once

#include "engine/ffmpeg/libav.h"
#include "engine/ffmpeg/timeline.h"

#include <cstdint>
#include <vector>

// What one video clip really offers, once its file has been looked at: the span
// of the file it covers (clamped to the file's pictures) or a picture's time.
struct ClipSpan {
    double start = 0;   // seconds in the file
    double length = 0;  // seconds
    bool cut = false;   // a span of a video file, not a still picture
    double origin = 0;  // where the file's first picture lies: its frames' grid starts there
};

// Where one video clip lands: output frames [firstFrame, firstFrame + frames),
// frame n showing the file at start + shift + (n - firstFrame) / fps.
struct VideoPlacement {
    int64_t firstFrame = 0;
    int64_t frames = 0;
    double shift = 0; // how far after the clip's start its first output frame lies
};

// Where one audio clip lands: `samples` samples from output sample firstSample,
// taken from its file from sourceStart on (silence where the file has none).
struct AudioPlacement {
    int64_t firstSample = 0;
    int64_t samples = 0;
    double sourceStart = 0;
};

// The output timeline of one render, worked out once from the clips' real spans
// so that the video track, the sound and the progress all agree on it.
struct TimelineLayout {
    std::vector<VideoPlacement> video;
    std::vector<AudioPlacement> audio; // in the order of the timeline's audio clips
    int64_t frames = 0;

    // Where each video clip starts on the caller's timeline (the running sum of
    // the clip lengths, where callers put transitions) and on the output.
    struct ClipStart {
        double timeline = 0;
        double output = 0;
        double pictureless = 0; // seconds at the clip's start left out
    };
    std::vector<ClipStart> starts;
    // A time of the caller's timeline on the output's clock.
    double outputTime(double timelineSeconds) const;

    double seconds(AVRational frameRate) const { return frames * av_q2d(av_inv_q(frameRate)); }
};

// The first output frame at or after a time on an output of `fps`.
int64_t FirstFrameAt(double seconds, double fps);

// Lays the clips on the output's frame grid:
// - Each cut opens on the first frame of its file's grid (laid from the file's
//   first picture at the output rate) at or after the cut, so parts cut between
//   frames neither repeat nor drop one, and a render's last frame is the last of
//   that grid before its end. Clips after the first start where the running sum
//   of the clip lengths falls, less the time before their files' first pictures
//   (see outputTime), so transitions placed by those sums land on picture starts.
// - Each audio clip belongs to the video clip added before it (the first one when
//   none was) and starts with that clip's first frame, at the file time that frame
//   shows; a clip's sound never reaches past its picture, so it never moves the
//   sound of a later clip. A sound clip that ends with its picture (within a
//   frame and a half) is cut or padded to the picture exactly, so consecutive
//   parts hold every sample once.
TimelineLayout LayOutTimeline(const std::vector<ClipSpan>& video, const std::vector<AudioClip>& audio,
                              AVRational frameRate, int sampleRate);
