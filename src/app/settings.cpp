#include "app/settings.h"

#include "common/ini_file.h"

LoadedSettings LoadSettings(const QString& iniPath, const QString& defaultFolder) {
    const IniFile ini(iniPath);
    LoadedSettings s;
    s.main.OutputPath = ini.readString("general", "outputpath", defaultFolder);
    s.main.SelectedFormat = ini.readInteger("general", "outputformat", 8);
    s.main.JoinOutputPath = ini.readString("join", "joinoutputpath", defaultFolder);
    s.formats = LoadFormatSettings(ini);
    s.pictures = LoadPictureOptions(ini);
    return s;
}

void SaveMainSettings(const QString& iniPath, const MainSettings& settings) {
    IniFile ini(iniPath);
    ini.setString("general", "outputpath", settings.OutputPath);
    ini.setInteger("general", "outputformat", settings.SelectedFormat);
    ini.setString("join", "joinoutputpath", settings.JoinOutputPath);
    ini.save();
}
