#pragma once

#include "formats/format_settings.h"

#include <QString>
#include <optional>

class IniFile;

// The output format and encoding settings a command renders with: the window's
// (the settings file's), with what the command line says over them.
struct CommandSettings {
    int selectedFormat = 0;
    FormatSettings formats;
};

CommandSettings ReadCommandSettings(const IniFile& ini, std::optional<int> format, bool noSmartRender);

// The settings file the commands read: the one --settings named, else the
// window's setup.ini.
QString CommandSettingsFile();
void SetCommandSettingsFile(const QString& file);
