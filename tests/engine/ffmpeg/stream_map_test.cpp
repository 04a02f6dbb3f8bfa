// Which source stream fills which output stream, and the chapters and tags a
// part or a join gets: the decisions, on made-up files.
#include "engine/ffmpeg/streams/output_marks.h"
#include "engine/ffmpeg/streams/stream_map.h"
#include "engine/ffmpeg/timeline.h"

#include <gtest/gtest.h>

namespace {

StreamFacts Sound(int index, const char* language) {
    return StreamFacts{index, AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_AAC, false, TrackTags{language, ""}};
}
StreamFacts Subtitle(int index, AVCodecID codec) {
    return StreamFacts{index, AVMEDIA_TYPE_SUBTITLE, codec, codec == AV_CODEC_ID_DVD_SUBTITLE, TrackTags{"eng", ""}};
}
StreamFacts Picture(int index) {
    return StreamFacts{index, AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_H264, false, {}};
}

TEST(StreamMap, SoundTracksFollowTheSourcesOrderUpToWhatTheFormatHolds) {
    const FileStreams film{"/v/film.mkv", {Picture(0), Sound(1, "eng"), Subtitle(2, AV_CODEC_ID_SUBRIP), Sound(3, "fra"), Sound(4, "deu")}, {}, {}};
    const FileStreams phone{"/v/phone.mp4", {Picture(0), Sound(1, "")}, {}, {}};
    const FileStreams music{"/v/music.mp3", {Sound(0, "")}, {}, {}};
    const std::vector<const FileStreams*> video{&film, nullptr, &phone};
    const std::vector<const FileStreams*> sound{&film, &phone, &music};

    const StreamMap all = MapStreams(video, sound, {}, CapacityOf(10), true);
    ASSERT_EQ(all.sound.size(), 3u);
    EXPECT_EQ(all.sound[0], (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(all.sound[1], (std::vector<int>{3, AudioClip::kNoSound, AudioClip::kNoSound}));
    EXPECT_EQ(all.sound[2], (std::vector<int>{4, AudioClip::kNoSound, AudioClip::kNoSound}));
    EXPECT_EQ(all.soundTags[1].language, "fra");
    EXPECT_TRUE(all.notes.empty());

    // Two tracks on an SVCD: the third is left out, with a word saying which.
    const StreamMap svcd = MapStreams(video, sound, {}, CapacityOf(2), true);
    ASSERT_EQ(svcd.sound.size(), 2u);
    ASSERT_EQ(svcd.notes.size(), 2u); // the German track, the subtitles
    EXPECT_TRUE(svcd.notes[0].contains("4 (deu, aac)")) << svcd.notes[0].toStdString();

    // The user's choice: French only from the film; the phone keeps its track.
    const StreamMap chosen = MapStreams(video, sound, {{"/v/film.mkv", {3}}}, CapacityOf(10), true);
    ASSERT_EQ(chosen.sound.size(), 1u);
    EXPECT_EQ(chosen.sound[0], (std::vector<int>{3, 1, 0}));
    EXPECT_TRUE(chosen.subtitles.empty());

    // No sound wanted, or every sound track left out: no track at all. Sources
    // without sound still get their silent one.
    EXPECT_TRUE(MapStreams(video, sound, {}, CapacityOf(10), false).sound.empty());
    const QMap<QString, QList<int>> none{{"/v/film.mkv", {}}, {"/v/phone.mp4", {}}, {"/v/music.mp3", {}}};
    EXPECT_TRUE(MapStreams(video, sound, none, CapacityOf(10), true).sound.empty());
    const FileStreams mute{"/v/mute.avi", {Picture(0)}, {}, {}};
    EXPECT_EQ(MapStreams({&mute}, {&mute}, {}, CapacityOf(4), true).sound,
              (std::vector<std::vector<int>>{{AudioClip::kNoSound}}));
}

TEST(StreamMap, SubtitlesGoWhereTheFormatTakesTheirKind) {
    const FileStreams a{"/v/a.mkv", {Picture(0), Subtitle(1, AV_CODEC_ID_DVD_SUBTITLE), Subtitle(2, AV_CODEC_ID_ASS)}, {}, {}};
    const FileStreams b{"/v/b.mkv", {Picture(0), Subtitle(1, AV_CODEC_ID_SUBRIP)}, {}, {}};
    const std::vector<const FileStreams*> video{&a, &b};

    const StreamMap mp4 = MapStreams(video, {}, {}, CapacityOf(10), false);
    ASSERT_EQ(mp4.subtitles.size(), 1u);
    EXPECT_EQ(mp4.subtitles[0].streams, (std::vector<int>{2, 1})); // text of both files, into one timed-text stream
    EXPECT_EQ(mp4.notes.size(), 1u);                               // the pictures of a.mkv

    const StreamMap dvd = MapStreams(video, {}, {}, CapacityOf(4), false);
    ASSERT_EQ(dvd.subtitles.size(), 1u);
    EXPECT_EQ(dvd.subtitles[0].streams, (std::vector<int>{1, -1}));
    EXPECT_TRUE(dvd.subtitles[0].bitmap);

    EXPECT_TRUE(MapStreams(video, {}, {}, CapacityOf(8), false).subtitles.empty());
}

TEST(OutputMarks, ChaptersMoveWithTheCutAndAJoinNamesItsClips) {
    const FileStreams film{"/v/Holiday film.mkv", {}, {{0, 2, "Intro"}, {2, 4, "Main"}, {4, 6, "End"}},
                           {{"creation_time", "2024-05-01T10:20:30.000000Z"}, {"encoder", "x"}, {"title", "Film"}}};
    // A part from 1.5 s to 3.5 s of the film.
    const ClipWindow part{&film, film.file, 1.5, 0, 2};
    const std::vector<OutputChapter> cut = OutputChapters({part}, false);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].title, "Intro");
    EXPECT_EQ(cut[0].start, 0);
    EXPECT_EQ(cut[0].end, 500);
    EXPECT_EQ(cut[1].start, 500);
    EXPECT_EQ(cut[1].end, 2000);

    const Options tags = OutputTags(part);
    EXPECT_EQ(tags, (Options{{"creation_time", "2024-05-01T10:20:31.500000Z"}, {"title", "Film"}}));

    // Joined after a picture: a chapter per clip, and the film's own marks inside it.
    const ClipWindow still{nullptr, "/v/sunset.jpg", 0, 0, 3};
    const ClipWindow whole{&film, film.file, 0, 3, 9};
    const std::vector<OutputChapter> joined = OutputChapters({still, whole}, true);
    ASSERT_EQ(joined.size(), 4u);
    EXPECT_EQ(joined[0].title, "sunset");
    EXPECT_EQ(joined[1].title, "Holiday film");
    EXPECT_EQ(joined[1].start, 3000);
    EXPECT_EQ(joined[2].title, "Main");
    EXPECT_EQ(joined[2].start, 5000);
    EXPECT_EQ(joined[3].title, "End");
}

} // namespace
