// quillmark-cli on files shaped like users' own.
#include "cli_run.h"
#include "user_media.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testmedia::Shape;

TEST(UsersFilesCli, SplittingByTimeWhereTheSoundOutlastsThePictureWritesEveryPart) {
    // Before: 2.0 s of picture with 2.5 s of sound measured 2.5 s, and the third
    // one-second part failed with "Nothing to render" after two were written.
    QTemporaryDir dir;
    const CliRun run = Cli({"split", testmedia::UserClip(Shape::SoundLonger), "--every", "1", "--format", "8",
                            "--out", dir.path() + "/"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList parts = QDir(dir.path()).entryList({"*.avi"});
    EXPECT_EQ(parts.size(), 2) << parts.join(' ').toStdString();
}

} // namespace
