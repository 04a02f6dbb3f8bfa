#include "app/main_form.h"
#include "app/waiting_form.h"
#include "common/folders.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString programFolder = ProgramFolder();
    TMainForm mainForm({programFolder, SettingsFilePath(programFolder)});
    mainForm.show();
    TWaitingForm waitingForm;
    return app.exec();
}
