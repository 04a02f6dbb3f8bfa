#include "app/main_form.h"
#include "common/folders.h"
#include "engine/duration_probe.h"
#include "engine/ffmpeg/first_frame.h"
#include "engine/ffmpeg/render_workers.h"
#include "engine/media_player.h"
#include "engine/source_tracks.h"
#include "engine/video_edit.h"

#include <QApplication>
#include <QImage>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString programFolder = ProgramFolder();
    TMainForm::Services services;
    services.makeEngine = [] { return CreateVideoEdit(); };
    services.makePlayer = [] { return CreateMediaPlayer(); };
    services.measureDuration = MeasureDuration;
    services.readTracks = ReadSourceTracks;
    services.firstFrame = [](const QString& file, QSize box) {
        const FramePixels p = FirstFrame(file, box);
        return QImage(reinterpret_cast<const uchar*>(p.argb.constData()), p.width, p.height, p.width * 4,
                      QImage::Format_ARGB32).copy();
    };
    int code = 0;
    {
        // Tips, about texts and the manual come from the data folder, which is the
        // program folder only in a build or a portable copy.
        TMainForm mainForm({DataFolder(programFolder), SettingsFilePath(programFolder)}, services);
        mainForm.show();
        code = app.exec();
    }
    // Closing the window stopped any render; its worker removes the temporary
    // as it winds down, and is given a few seconds for that, not forever.
    WaitForRenderWorkers(std::chrono::seconds(5));
    // One still busy then has its temporary removed for it, and cannot make it again.
    RemoveClaimedTemporaries();
    return code;
}
