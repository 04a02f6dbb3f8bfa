#include "app/main_form.h"
#include "common/folders.h"
#include "engine/duration_probe.h"
#include "engine/media_player.h"
#include "engine/video_edit.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString programFolder = ProgramFolder();
    TMainForm::Services services;
    services.makeEngine = [] { return CreateVideoEdit(); };
    services.makePlayer = [] { return CreateMediaPlayer(); };
    services.measureDuration = MeasureDuration;
    TMainForm mainForm({programFolder, SettingsFilePath(programFolder)}, services);
    mainForm.show();
    return app.exec();
}
