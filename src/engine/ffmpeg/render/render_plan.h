#pragma once

#include "engine/ffmpeg/h264_parameter_sets.h"
#include "engine/ffmpeg/output_settings.h"
#include "engine/ffmpeg/timeline.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <QString>
#include <atomic>
#include <vector>

// How one video clip goes into the output. One in the output's format copies
// the groups of pictures that lie wholly inside it as they are coded, and only
// the frames from the cut to the first of them and from the last of them to the
// end are encoded anew; any other clip is encoded whole. Frames are counted on
// the file's grid, frame i playing at origin + i / rate, the grid the layout
// cuts on.
struct ClipCopy {
    QString file;
    QString why;               // why none of it is copied; empty when some is
    bool fits = false;         // in the output's format: its encoded frames go in as decoded, around the copy
    double origin = 0;         // seconds in the file of frame 0
    AVRational frameRate{25, 1};
    int64_t first = 0;         // the clip's frames are [first, end)
    int64_t copyBegin = 0;     // the copied frames are [copyBegin, copyEnd); empty: none
    int64_t copyEnd = 0;
    int64_t end = 0;
    int64_t outputFrame = 0;   // where frame `first` lands on the output
    AVRational timeBase{1, 1}; // of the file's stream
    int beginSize = 0;         // bytes of its packet, to know it after a seek
    int64_t endPts = 0;        // of frame copyEnd when a keyframe lies there; else unused
    bool copyToEnd = false;    // the copy runs to the end of the stream
    int64_t delay = 0;         // presentation minus decoding time of copyBegin, in timeBase
    int leading = 0;           // pictures coded after copyBegin but shown before it, left out
    std::vector<int64_t> times; // the copied packets' presentation times, in decoding order (some containers
                                // leave them out), in timeBase; the first is frame copyBegin's

    int64_t encodedFrames() const { return (end - first) - (copyEnd - copyBegin); }
    int64_t packets() const { return int64_t(times.size()); }
    int64_t beginPts() const { return times.front(); }
};

// A render as turns of copied and encoded pictures. Without copies the output is
// one encode with the output's own settings; with them, everything between two
// copies is encoded with settings matched to the copied pictures.
struct RenderPlan {
    bool copies = false;          // at least one clip copies groups of pictures
    std::vector<ClipCopy> clips;  // one per video clip
    VideoSettings encoding;       // what the frames between copies are encoded with
    int encodedDelay = 0;         // frames an encoded picture is decoded before it shows
    std::vector<bool> soundCopied; // per output sound track: its clips' packets go in as they are coded
    std::vector<QString> soundWhy; // per output sound track: why it is encoded; empty when copied
    AVCodecID codec = AV_CODEC_ID_NONE; // of the copied pictures
    h264::Bytes streamRecord;     // the output stream's header when the encoder's is not it: for
                                  // H.264 the parameter sets of both kinds of pictures, for HEVC the source's
    bool prefixParameterSets = false; // each copied stretch opens with its file's parameter sets (HEVC)
    bool lengthPrefixCopied = false; // the copied pictures come with start codes and go out length-prefixed

    bool copiesSound(size_t track = 0) const { return track < soundCopied.size() && soundCopied[track]; }
};

// Which of the output's sound tracks go in as they are coded, each given as the
// clips it takes.
void PlanSoundCopies(RenderPlan& plan, const Timeline& timeline, const std::vector<std::vector<AudioClip>>& tracks,
                     const OutputSettings& settings, int outputType, const std::atomic<bool>& stop);

// Looks at every video clip of a timeline whose output is `settings`: each clip
// in the output's format copies the groups of pictures that lie inside it and
// under no transition; pictures, transitions and clips in other formats are
// encoded, with an encoder matched to the copied pictures. Each clip says why
// it is not copied when it is not.
RenderPlan PlanRender(const Timeline& timeline, const std::vector<ClipSpan>& spans, const TimelineLayout& layout,
                      const OutputSettings& settings, const TVideoEdit::Properties& props,
                      const std::atomic<bool>& stop);

// What the user is told of each video clip, in order: what of it is copied and
// how its sound goes in, or why it is encoded.
std::vector<QString> PlanNotes(const RenderPlan& plan);
