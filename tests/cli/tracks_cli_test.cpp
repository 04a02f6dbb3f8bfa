// --tracks of split and join, and the tracks that probe lists.
#include "cli/track_option.h"
#include "cli_run.h"
#include "test_media.h"
#include "track_media.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CliTracks, ProbeListsEveryStreamAfterTheLength) {
    const CliRun probe = Cli({"probe", testmedia::TwoLanguagesMkv()});
    ASSERT_EQ(probe.code, 0) << probe.err.toStdString();
    const QStringList lines = probe.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 5) << probe.out.toStdString();
    EXPECT_NEAR(lines[0].toDouble(), 1.0, 0.05);
    EXPECT_EQ(lines.mid(1), (QStringList{"0: video, h264", "1: audio, aac, 2 channels, eng, \"Main\"",
                                         "2: audio, ac3, 2 channels, fra, \"Commentaire\"", "3: subtitle, subrip, eng"}));
}

TEST(CliTracks, ReadsAllOrAListOfStreamNumbers) {
    std::optional<QList<int>> streams = QList<int>{7};
    EXPECT_TRUE(ParseTrackList("all", streams));
    EXPECT_FALSE(streams.has_value());
    EXPECT_TRUE(ParseTrackList("3,1, 3", streams));
    EXPECT_EQ(streams, (QList<int>{1, 3}));
    for (const char* bad : {"", "1,", "one", "-1", "1;2", "1.5"}) EXPECT_FALSE(ParseTrackList(bad, streams)) << bad;
}

TEST(CliTracks, AStreamThatIsNotSoundOrSubtitlesIsRefusedBeforeAnythingIsWritten) {
    QTemporaryDir dir;
    const QString film = testmedia::TwoLanguagesMkv();
    const QString phone = testmedia::MovTextMp4();
    struct Case {
        QStringList args;
        QString said;
    };
    const QList<Case> cases{
        {{"split", film, "--parts", "2", "--tracks", "0", "--out", dir.path()},
         QString("--tracks 0: stream 0 of \"%1\" is video; its sound and subtitle streams are 1, 2, 3").arg(film)},
        {{"split", film, "--parts", "2", "--tracks", "1,9", "--out", dir.path()},
         QString("--tracks 9: \"%1\" has no stream 9").arg(film)},
        // Every video of a join must hold the streams: the phone clip has no stream 3.
        {{"join", film, phone, "--tracks", "1,3", "--out", dir.filePath("both.avi")},
         QString("--tracks 3: \"%1\" has no stream 3; its sound and subtitle streams are 1, 2").arg(phone)},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.code, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << c.args.join(' ').toStdString();
    }
    const CliRun bad = Cli({"split", film, "--parts", "2", "--tracks", "sound"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains("bad value for --tracks: sound")) << bad.err.toStdString();
}

// Same as source from the command line: parts named with the source's extension,
// in its container, holding its codecs and every stream, no frame lost or repeated.
TEST(CliTracks, SameAsSourceSplitKeepsTheContainerCodecsAndEveryStream) {
    for (const QString& source : {testmedia::TwoLanguagesMkv(), testmedia::MovTextMp4(), testmedia::MpegPsClip()}) {
        SCOPED_TRACE(source.toStdString());
        QTemporaryDir dir;
        const CliRun run = Cli({"split", source, "--parts", "2", "--format", "11", "--out", dir.path()});
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        const QFileInfo info(source);
        const QStringList parts = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(parts, (QStringList{info.completeBaseName() + "-1." + info.suffix(),
                                      info.completeBaseName() + "-2." + info.suffix()}));
        const QJsonObject original = testmedia::Probe(source);
        auto shape = [](const QJsonObject& probe) {
            QStringList streams;
            for (const QJsonValue& s : probe["streams"].toArray())
                if (s["codec_type"].toString() != "data") streams << s["codec_type"].toString() + " " + s["codec_name"].toString();
            return streams;
        };
        int frames = 0;
        for (const QString& part : parts) {
            const QJsonObject probe = testmedia::Probe(dir.filePath(part));
            EXPECT_EQ(probe["format"]["format_name"], original["format"]["format_name"]) << part.toStdString();
            EXPECT_EQ(shape(probe), shape(original)) << part.toStdString();
            frames += testmedia::Stream(probe, "video")["nb_read_frames"].toString().toInt();
        }
        EXPECT_EQ(frames, testmedia::Stream(original, "video")["nb_read_frames"].toString().toInt());
    }
}

}  // namespace
