// The tracks ticked per source, and how a run hands them to the engine.
#include "common/track_choice.h"
#include "fakes/recording_video_edit.h"

#include <gtest/gtest.h>

namespace {

const std::vector<SourceTrack> kFilm{{0, "video", "h264", "", "", 0, false},
                                     {1, "audio", "aac", "eng", "Main", 2, false},
                                     {2, "audio", "ac3", "fra", "Commentaire", 6, false},
                                     {3, "subtitle", "subrip", "eng", "", 0, false},
                                     {4, "attachment", "ttf", "", "", 0, false}};

TEST(TrackChoices, EveryTrackGoesInUntilUntickedAndTicksOutliveAReRead) {
    TrackChoices choices;
    EXPECT_EQ(choices.emptyNote("/v/film.mkv"), "Reading the tracks...");
    EXPECT_FALSE(choices.keptStreams("/v/film.mkv").has_value());

    choices.setTracks("/v/film.mkv", kFilm);
    ASSERT_EQ(choices.tracks("/v/film.mkv").size(), 3u);  // the picture and the font are not chosen
    EXPECT_EQ(choices.emptyNote("/v/film.mkv"), "");
    EXPECT_FALSE(choices.keptStreams("/v/film.mkv").has_value());

    choices.setKept("/v/film.mkv", 2, false);
    EXPECT_EQ(choices.keptStreams("/v/film.mkv"), (QList<int>{1, 3}));
    // Chosen again, the same file keeps its ticks; another file is not touched.
    choices.setTracks("/v/film.mkv", kFilm);
    choices.setTracks("/v/phone.mp4", {kFilm[0], kFilm[1]});
    EXPECT_EQ(choices.keptFor({"/v/phone.mp4", "/v/film.mkv"}), (KeptTracks{{"/v/film.mkv", {1, 3}}}));

    choices.setKept("/v/phone.mp4", 1, false);
    EXPECT_EQ(choices.keptStreams("/v/phone.mp4"), QList<int>{});  // no sound at all is a choice too
    choices.setKept("/v/film.mkv", 2, true);
    EXPECT_FALSE(choices.keptStreams("/v/film.mkv").has_value());

    choices.setTracks("/v/silent.avi", {kFilm[0]});
    EXPECT_EQ(choices.emptyNote("/v/silent.avi"), "No sound or subtitle tracks");
}

TEST(TrackChoices, RowsShowKindCodecLanguageAndTitle) {
    EXPECT_EQ(TrackRowTexts(kFilm[2]), (QStringList{"Sound #2", "ac3, 6 channels", "fra", "Commentaire"}));
    EXPECT_EQ(TrackRowTexts({5, "subtitle", "hdmv_pgs_subtitle", "deu", "", 0, true}),
              (QStringList{"Subtitles #5", "hdmv_pgs_subtitle, pictures", "deu", ""}));
}

TEST(TrackChoices, ARunReplacesWhatAnEarlierRunLeftInTheEngine) {
    RecordingVideoEdit engine;
    ApplyKeptTracks(engine, {});
    EXPECT_TRUE(engine.calls.isEmpty());  // nothing chosen, nothing said
    ApplyKeptTracks(engine, {{"/v/film.mkv", {1, 3}}});
    ApplyKeptTracks(engine, {{"/v/other.mkv", {2}}});
    EXPECT_EQ(engine.calls, (QStringList{"KeptTracks=/v/film.mkv, 2", "KeptTracks=", "KeptTracks=/v/other.mkv, 1"}));
    EXPECT_EQ(engine.properties().keptTracks, (QMap<QString, QList<int>>{{"/v/other.mkv", {2}}}));
    ApplyKeptTracks(engine, {});
    EXPECT_TRUE(engine.properties().keptTracks.isEmpty());
}

}  // namespace
