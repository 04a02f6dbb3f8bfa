// Reading the streams of users' files for the track lists, checked against what
// the ffmpeg command line was asked to write.
#include "engine/quillmark_error.h"
#include "engine/source_tracks.h"
#include "track_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Shape {
    const char* name;
    std::function<QString()> make;
    // kind, codec, language, title, channels: one line a stream, in order.
    std::vector<QString> streams;
    // DescribeTrack of the last stream.
    const char* lastDescribed;
};

QString Line(const SourceTrack& t) {
    return QStringLiteral("%1 %2 [%3] \"%4\" %5ch%6")
        .arg(t.kind, t.codec, t.language, t.title)
        .arg(t.channels)
        .arg(t.bitmap ? " bitmap" : "");
}

class SourceTracksTest : public testing::TestWithParam<Shape> {};

TEST_P(SourceTracksTest, ListsEveryStreamWithItsLanguageTitleAndChannels) {
    const Shape& shape = GetParam();
    const std::vector<SourceTrack> tracks = ReadSourceTracks(shape.make());
    ASSERT_EQ(tracks.size(), shape.streams.size());
    for (size_t i = 0; i < tracks.size(); ++i) {
        EXPECT_EQ(tracks[i].stream, int(i));
        EXPECT_EQ(Line(tracks[i]), shape.streams[i]) << shape.name << " stream " << i;
    }
    EXPECT_EQ(DescribeTrack(tracks.back()), shape.lastDescribed);
}

INSTANTIATE_TEST_SUITE_P(
    UsersFiles, SourceTracksTest,
    testing::Values(
        // A film: two languages with titles and text subtitles.
        Shape{"TwoLanguagesMkv", testmedia::TwoLanguagesMkv,
              {"video h264 [] \"\" 0ch", "audio aac [eng] \"Main\" 2ch", "audio ac3 [fra] \"Commentaire\" 2ch",
               "subtitle subrip [eng] \"\" 0ch"},
              "subtitle, subrip, eng"},
        // A phone-style MP4: "und" and the muxer's handler names are no language or title.
        Shape{"MovTextMp4", testmedia::MovTextMp4,
              {"video h264 [] \"\" 0ch", "audio aac [] \"\" 2ch", "subtitle mov_text [eng] \"\" 0ch"},
              "subtitle, mov_text, eng"},
        Shape{"SurroundMkv", testmedia::SurroundMkv,
              {"video mpeg4 [] \"\" 0ch", "audio ac3 [] \"\" 6ch"}, "audio, ac3, 6 channels"}),
    [](const testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

TEST(SourceTracks, DescribesWhatIsKnownAndNamesAnUnreadableFile) {
    SourceTrack commentary{2, "audio", "ac3", "fra", "Commentaire", 6, false};
    EXPECT_EQ(DescribeTrack(commentary), "audio, ac3, 6 channels, fra, \"Commentaire\"");
    SourceTrack dvd{3, "subtitle", "dvd_subtitle", "", "", 0, true};
    EXPECT_EQ(DescribeTrack(dvd), "subtitle, dvd_subtitle, pictures");

    QTemporaryDir dir;
    const QString text = dir.filePath("notes.mkv");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a film");
    f.close();
    for (const QString& bad : {text, dir.filePath("missing.mkv"), dir.path()}) {
        try {
            ReadSourceTracks(bad);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const QuillmarkError& e) {
            EXPECT_TRUE(e.message().startsWith("Cannot read")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(bad)) << e.message().toStdString();
        }
    }
}

}  // namespace
