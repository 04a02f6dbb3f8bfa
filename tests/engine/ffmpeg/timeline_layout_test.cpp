// The output timeline worked out from the clips' real spans: frame grids, where
// sound starts and how long it lasts.
#include "engine/ffmpeg/render/note_schedule.h"
#include "engine/ffmpeg/timeline_layout.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

const AVRational kPal{25, 1};
const AVRational kFilm{24000, 1001};

ClipSpan Cut(double start, double length) { return ClipSpan{start, length, true}; }
ClipSpan Still(double length) { return ClipSpan{0, length, false}; }
AudioClip Sound(double start, double stop, int afterVideo) { return AudioClip{"s", start, stop, afterVideo}; }

// The parts of a split, each its own render, as the split run hands them over.
std::vector<TimelineLayout> Parts(double whole, int count, AVRational rate, int sampleRate = 48000) {
    std::vector<TimelineLayout> parts;
    const double length = whole / count;
    for (int n = 1; n <= count; ++n) {
        const double start = (n - 1) * length;
        const double stop = std::min(n * length, whole);
        parts.push_back(LayOutTimeline({Cut(start, stop - start)}, {Sound(start, stop, -1)}, rate, sampleRate));
    }
    return parts;
}

TEST(TimelineLayout, PartsOnAnotherFrameRateHoldTheWholeGridOnce) {
    // 12.04 s at 23.976 fps holds 289 output frames from the file's start.
    int64_t frames = 0;
    std::vector<int64_t> each;
    for (const TimelineLayout& part : Parts(12.04, 4, kFilm)) {
        each.push_back(part.frames);
        frames += part.frames;
    }
    EXPECT_EQ(frames, 289) << each[0] << " " << each[1] << " " << each[2] << " " << each[3];
    for (int64_t n : each)
        EXPECT_TRUE(n == 72 || n == 73) << n;
}

TEST(TimelineLayout, SoundOfAPartStartsAtItsFirstFrameAndPartsShareNoSample) {
    // Cuts at 6.04 / 3 s fall between frames; each part's sound starts at the
    // time its first frame shows, and its samples end where the next part's begin.
    const auto parts = Parts(6.04, 3, kPal, 44100);
    double expectedStart = 0;
    for (const TimelineLayout& part : parts) {
        ASSERT_EQ(part.audio.size(), 1u);
        const double firstFrameTime = part.video[0].shift + (&part - &parts[0]) * (6.04 / 3);
        EXPECT_NEAR(part.audio[0].sourceStart, firstFrameTime, 1e-9);
        EXPECT_NEAR(part.audio[0].sourceStart, expectedStart, 1e-9);
        EXPECT_EQ(part.audio[0].firstSample, 0);
        EXPECT_EQ(part.audio[0].samples, part.frames * 44100 / 25);
        expectedStart += part.frames / 25.0;
        // The first frame lies on the grid from the file's start.
        EXPECT_NEAR(std::fmod(part.audio[0].sourceStart * 25, 1.0), 0, 1e-6);
    }
    EXPECT_NEAR(expectedStart, 151 / 25.0, 1e-9);
}

TEST(TimelineLayout, SoundThatOutlastsItsPictureNeverMovesTheNextClip) {
    // A 2.0 s picture whose sound clip asks for 2.5 s, then a 3 s picture with music.
    const TimelineLayout layout = LayOutTimeline({Cut(0, 2.0), Still(3.0)},
                                                 {Sound(0, 2.5, 0), Sound(0, 3.0, 1)}, kPal, 48000);
    ASSERT_EQ(layout.video.size(), 2u);
    EXPECT_EQ(layout.video[1].firstFrame, 50);
    EXPECT_EQ(layout.audio[0].samples, 2 * 48000);
    EXPECT_EQ(layout.audio[1].firstSample, 2 * 48000);
    EXPECT_EQ(layout.frames, 125);
}

TEST(TimelineLayout, SoundShorterThanItsPictureKeepsItsOwnLengthUnlessItEndsWithIt) {
    const TimelineLayout layout = LayOutTimeline({Cut(0, 4.0), Cut(0, 2.0)},
                                                 {Sound(0, 1.0, 0), Sound(0, 1.97, 1)}, kPal, 48000);
    EXPECT_EQ(layout.audio[0].samples, 48000);     // asked for 1 s under 4 s of picture
    EXPECT_EQ(layout.audio[1].samples, 2 * 48000); // within a frame and a half: the picture's own sound
}

TEST(TimelineLayout, LaterClipsFollowTheSumOfLengthsSoTransitionsLandOnPictureStarts) {
    // Picture 3 s, video 10.5 s, picture 3 s: the join places the second picture's
    // transition at 13.5 s, which must be its first frame.
    const TimelineLayout layout = LayOutTimeline({Still(3), Cut(0, 10.5), Still(3)}, {}, kPal, 48000);
    EXPECT_EQ(layout.video[2].firstFrame, FirstFrameAt(13.5, 25));
    EXPECT_EQ(layout.frames, FirstFrameAt(16.5, 25));
    // Rounding never accumulates: 100 clips of 0.021 s at 25 fps make 2.1 s.
    std::vector<ClipSpan> many(100, Still(0.021));
    EXPECT_EQ(LayOutTimeline(many, {}, kPal, 48000).frames, FirstFrameAt(2.1, 25));
}

TEST(TimelineLayout, FilesWhoseSoundStartsBeforeTheirPictureJoinWithoutAHeldFrame) {
    // Camera files of 100 frames whose first picture comes 5.3 ms into the file
    // (a program stream's sound leads it): the join measures 4.0053 s each.
    ClipSpan camera = Cut(0, 4.0053);
    camera.origin = 0.0053;
    const TimelineLayout layout = LayOutTimeline({camera, Still(2), camera}, {Sound(0, 4.0053, 0), Sound(0, 4.0053, 2)},
                                                 kPal, 48000);
    EXPECT_EQ(layout.video[0].frames, 100);
    EXPECT_EQ(layout.video[1].frames, 50);
    EXPECT_EQ(layout.video[2].frames, 100);
    // The sound of each file runs exactly under its pictures, from its first one.
    EXPECT_NEAR(layout.audio[1].sourceStart, 0.0053, 1e-9);
    EXPECT_EQ(layout.audio[1].firstSample, 150 * 48000 / 25);
    EXPECT_EQ(layout.audio[0].samples, 100 * 48000 / 25);
    // The picture's transition, placed by the join at 4.0053 s, starts on its first frame.
    EXPECT_EQ(FirstFrameAt(layout.outputTime(4.0053), 25), 100);
    EXPECT_EQ(FirstFrameAt(layout.outputTime(5.0053), 25), 125);
    EXPECT_NEAR(layout.outputTime(6.0053 + 1.0), 6.0 + 1.0 - 0.0053, 1e-9) << "the second file's time 1 s";
}

TEST(TimelineLayout, SoundAddedBeforeAnyPictureBelongsToTheFirst) {
    const TimelineLayout layout = LayOutTimeline({Cut(1.01, 1.0)}, {Sound(1.01, 2.01, -1)}, kPal, 48000);
    EXPECT_NEAR(layout.audio[0].sourceStart, 1.04, 1e-9);
    EXPECT_EQ(layout.audio[0].samples, layout.frames * 48000 / 25);
}

TEST(TimelineLayout, ClipsPastTheirFileTakeNoFrames) {
    const TimelineLayout layout = LayOutTimeline({Cut(2.0, 0.0), Cut(0, 1.0)}, {Sound(2.0, 3.0, 0)}, kPal, 48000);
    EXPECT_EQ(layout.video[0].frames, 0);
    EXPECT_EQ(layout.audio[0].samples, 0);
    EXPECT_EQ(layout.frames, 25);
}

} // namespace

TEST(NoteSchedule, EachClipsNoteComesWhenTheRenderReachesTheClip) {
    QStringList said;
    NoteSchedule notes({"clip 1", "picture 2", "clip 3"}, {0, 10, 14}, [&](const QString& n) { said << n; });
    notes.reached(0);
    EXPECT_EQ(said, QStringList{"clip 1"});
    notes.reached(9.9);
    EXPECT_EQ(said, QStringList{"clip 1"});
    notes.reached(15); // past two starts in one step: both, in order, the last one showing
    EXPECT_EQ(said, (QStringList{"clip 1", "picture 2", "clip 3"}));
    notes.reached(20);
    EXPECT_EQ(said.size(), 3);

    QStringList atOnce; // starts unknown: nothing is held back
    NoteSchedule unplaced({"a", "b"}, {}, [&](const QString& n) { atOnce << n; });
    unplaced.reached(0);
    EXPECT_EQ(atOnce, (QStringList{"a", "b"}));
}
