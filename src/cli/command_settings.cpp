#include "cli/command_settings.h"

#include "common/folders.h"
#include "common/ini_file.h"
#include "formats/output_format.h"

namespace {
QString& ChosenFile() {
    static QString file;
    return file;
}
} // namespace

CommandSettings ReadCommandSettings(const IniFile& ini, std::optional<int> format, bool noSmartRender) {
    CommandSettings s;
    s.formats = LoadFormatSettings(ini);
    s.selectedFormat = format.value_or(ini.readInteger("general", "outputformat", OutputFormat::Avi));
    // The switch can only turn copying off: a settings file that turned it off stays obeyed.
    if (noSmartRender) s.formats.SmartRender = false;
    return s;
}

QString CommandSettingsFile() {
    return ChosenFile().isEmpty() ? SettingsFilePath(ProgramFolder()) : ChosenFile();
}

void SetCommandSettingsFile(const QString& file) { ChosenFile() = file; }
