// Copying compatible video from the command line: the switch and the settings
// file that decide it, and the engine's notes beside the progress bar.
#include "cli/command_settings.h"
#include "cli/progress_bar.h"
#include "cli_run.h"
#include "common/ini_file.h"
#include "fakes/recording_video_edit.h"
#include "formats/output_format.h"
#include "support/temp_folder.h"
#include "test_media.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// What the split and join runs hand the engine for these settings.
QStringList Applied(const CommandSettings& s) {
    RecordingVideoEdit engine;
    ApplyFormatSettings(engine, s.selectedFormat, s.formats);
    return engine.calls;
}

TEST(SmartRenderCli, TheSettingsFileIsTheDefaultAndTheSwitchOnlyTurnsCopyingOff) {
    TempFolder dir;
    const QString fresh = dir.path("none.ini");
    const QString off = dir.write("off.ini", "[general]\noutputformat=10\nsmartrender=0\n");
    const QString on = dir.write("on.ini", "[general]\nsmartrender=1\n");

    const CommandSettings untouched = ReadCommandSettings(IniFile(fresh), std::nullopt, false);
    EXPECT_EQ(untouched.selectedFormat, OutputFormat::Avi);
    EXPECT_TRUE(Applied(untouched).contains("SmartRender=true"));
    EXPECT_TRUE(Applied(ReadCommandSettings(IniFile(fresh), 4, true)).contains("SmartRender=false"));

    const CommandSettings fromFile = ReadCommandSettings(IniFile(off), std::nullopt, false);
    EXPECT_EQ(fromFile.selectedFormat, OutputFormat::Mp4);
    EXPECT_TRUE(Applied(fromFile).contains("SmartRender=false"));
    EXPECT_TRUE(Applied(ReadCommandSettings(IniFile(on), 4, true)).contains("SmartRender=false"));
    EXPECT_TRUE(Applied(ReadCommandSettings(IniFile(on), 4, false)).contains("SmartRender=true"));
}

TEST(SmartRenderCli, TheSwitchTakesNoValueAndTheSettingsOptionNamesTheFile) {
    QTemporaryDir dir;
    // A switch that swallowed the next word would take the source for its value.
    const CliRun split = Cli({"split", "--no-smart-render", testmedia::H264Clip(), "--parts", "2", "--format", "4",
                              "--out", dir.filePath("split")});
    ASSERT_EQ(split.code, 0) << split.err.toStdString();
    EXPECT_EQ(QDir(dir.filePath("split")).entryList({"*.mpg"}, QDir::Files).size(), 2);

    // No --format: the settings file given chooses MP4, as the window would have.
    TempFolder settings;
    const QString file = settings.write("my settings.ini", "[general]\noutputformat=10\n");
    const CliRun join = Cli({"join", testmedia::H264Clip(), "--no-smart-render", "--out", dir.filePath("joined"),
                             "--settings", file});
    ASSERT_EQ(join.code, 0) << join.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("joined.mp4"))) << join.err.toStdString();

    const CliRun dangling = Cli({"probe", testmedia::H264Clip(), "--settings"});
    EXPECT_EQ(dangling.code, 2);
    EXPECT_TRUE(dangling.err.contains("--settings needs a file")) << dangling.err.toStdString();
}

TEST(SmartRenderCli, ANoteGetsALineOfItsOwnAndTheBarComesBackUnderIt) {
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        ProgressBar bar(out);
        bar.note("Copying \"a.mpg\" from 0.000 to 2.000 s");  // before the bar is drawn
        bar.update(1, 4);
        bar.note("Re-encoding \"b.mp4\": its frame rate 30 is not the output's 25");
        bar.finish();
    }
    std::rewind(out);
    QByteArray text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += char(c);
    std::fclose(out);

    const QByteArray drawn = ProgressBar::Render(0.25, 0).toLocal8Bit();
    EXPECT_TRUE(text.startsWith("Copying \"a.mpg\" from 0.000 to 2.000 s\n\r" + drawn)) << text.toStdString();
    // The bar is wiped to its end before the note, so none of it shows after the note's text.
    const QByteArray wiped = "\r" + drawn + "\r" + QByteArray(drawn.size(), ' ') + "\r";
    EXPECT_TRUE(text.contains(wiped + "Re-encoding \"b.mp4\": its frame rate 30 is not the output's 25\n" + drawn + "\n"))
        << text.toStdString();
}

} // namespace
