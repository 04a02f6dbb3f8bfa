#pragma once

#include "formats/format_settings.h"
#include "join/picture_options.h"

#include <QString>

// The main window's own stored values.
struct MainSettings {
    QString OutputPath;      // split output folder
    int SelectedFormat = 8;  // output format index, shared by split and join
    QString JoinOutputPath;  // join output folder
};

// Everything read from setup.ini at start.
struct LoadedSettings {
    MainSettings main;
    FormatSettings formats;
    PictureOptions pictures;
};

// Reads every key once; a missing file, section, key or unreadable value gives the
// default. `defaultFolder` stands for both output folders when none is stored.
LoadedSettings LoadSettings(const QString& iniPath, const QString& defaultFolder);

// Writes the main window's three keys, in order, in one save. Raises "Unable to write to ..." on failure.
void SaveMainSettings(const QString& iniPath, const MainSettings& settings);
