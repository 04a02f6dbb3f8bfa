#include "disc_check.h"

#include "test_media.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace testmedia {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString output; // stdout and stderr together, as a user sees them
};

ToolRun RunTool(const QString& program, const QStringList& args, const QString& folder,
                const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(program, args);
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForStarted()) {
        run.output = program + " could not be started";
        return run;
    }
    if (!process.waitForFinished(120000))
        process.kill();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

struct VideoFacts {
    QString codec;
    int width = 0, height = 0;
};

VideoFacts VideoOf(const QString& file) {
    const QJsonObject video = Stream(ProbeHeaders(file), "video");
    return {video["codec_name"].toString(), video["width"].toInt(), video["height"].toInt()};
}

QString Complaint(const QString& what, const QString& file, const QString& output) {
    return QStringLiteral("%1 on %2:\n%3").arg(what, file, output);
}

} // namespace

QString DvdauthorComplaint(const QString& mpegFile) {
    QTemporaryDir folder;
    if (!folder.isValid())
        return "no temporary folder for dvdauthor";
    const QString out = folder.filePath("dvd");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Let dvdauthor infer PAL or NTSC from the stream rather than a user's default.
    environment.remove("VIDEO_FORMAT");

    const ToolRun title = RunTool("dvdauthor", {"-o", out, "-t", mpegFile}, folder.path(), environment);
    // On a plain `ffmpeg -target pal-dvd` or ntsc-dvd file dvdauthor 0.7.2 prints
    // no WARN: line at all; each warning seen on other files ("Skipping sector
    // ... waiting for first VOBU", SCR going backwards) means the file is not a
    // DVD stream, so no warning is tolerated.
    if (title.exitCode != 0 || title.output.contains("ERR:") || title.output.contains("WARN:"))
        return Complaint("dvdauthor refused the title", mpegFile, title.output);

    // dvdauthor never checks the frame size: it files any picture under the
    // nearest DVD size, which players then show wrongly. The size it recorded
    // must be the picture's own.
    const auto size = QRegularExpression("Resolution: (\\d+)x(\\d+)").match(title.output);
    const VideoFacts picture = VideoOf(mpegFile);
    if (!size.hasMatch() || size.captured(1).toInt() != picture.width || size.captured(2).toInt() != picture.height)
        return Complaint(QStringLiteral("dvdauthor filed a %1x%2 picture as %3")
                             .arg(picture.width)
                             .arg(picture.height)
                             .arg(size.hasMatch() ? size.captured(1) + 'x' + size.captured(2) : "no size"),
                         mpegFile, title.output);

    const auto standard = QRegularExpression("TV standard: (\\w+)").match(title.output);
    environment.insert("VIDEO_FORMAT", standard.hasMatch() ? standard.captured(1).toUpper() : "PAL");
    const ToolRun contents = RunTool("dvdauthor", {"-o", out, "-T"}, folder.path(), environment);
    if (contents.exitCode != 0 || contents.output.contains("ERR:"))
        return Complaint("dvdauthor could not write the table of contents", mpegFile, contents.output);
    if (QFileInfo(out + "/VIDEO_TS/VTS_01_1.VOB").size() == 0)
        return Complaint("dvdauthor wrote no title set", mpegFile, title.output + contents.output);
    return {};
}

QString VcdimagerComplaint(const QString& mpegFile, bool svcd) {
    QTemporaryDir folder;
    if (!folder.isValid())
        return "no temporary folder for vcdimager";
    const ToolRun image =
        RunTool("vcdimager", {"-t", svcd ? "svcd" : "vcd2", "-c", folder.filePath("disc.cue"), "-b",
                              folder.filePath("disc.bin"), mpegFile},
                folder.path(), QProcessEnvironment::systemEnvironment());
    // vcdimager 2.0 prints no WARN: on `ffmpeg -target pal-vcd/ntsc-vcd` (for
    // vcd2) or -target pal-svcd/ntsc-svcd (for svcd) files. Its warnings on
    // other files name real faults (MPEG-2 on a VCD, no scan information on an
    // SVCD, unaligned packets that it pads), so none is tolerated.
    if (image.exitCode != 0 || image.output.contains("ERROR") || image.output.contains("WARN:"))
        return Complaint(QStringLiteral("vcdimager refused the %1 track").arg(svcd ? "SVCD" : "VCD"), mpegFile,
                         image.output);

    // vcdimager does not look at the frame size either.
    const VideoFacts picture = VideoOf(mpegFile);
    const bool standardSize = svcd ? picture.width == 480 && (picture.height == 576 || picture.height == 480)
                                   : picture.width == 352 && (picture.height == 288 || picture.height == 240);
    if (!standardSize)
        return Complaint(QStringLiteral("vcdimager took a %1x%2 picture, which is not a %3 size")
                             .arg(picture.width)
                             .arg(picture.height)
                             .arg(svcd ? "SVCD" : "VCD"),
                         mpegFile, image.output);
    if (QFileInfo(folder.filePath("disc.bin")).size() == 0)
        return Complaint("vcdimager wrote no image", mpegFile, image.output);
    return {};
}

} // namespace testmedia
