#include "formats/output_format.h"

const QStringList& SplitFormatNames() {
    static const QStringList names{
        "MPEG1 ( VCD PAL )",  "MPEG1 ( VCD NTSC )", "MPEG2 ( SVCD PAL )", "MPEG2 ( SVCD NTSC )",
        "MPEG2 ( DVD PAL)",   "MPEG2 ( DVD NTSC )", "Standard MPEG1",     "Standard MPEG2",
        "AVI/Divx/Xvid",      "WMV/ASF",            "MP4 (H.264 + AAC)"};
    return names;
}

const QStringList& JoinFormatNames() {
    static const QStringList names{
        "MPEG1 ( VCD PAL )",  "MPEG1 ( VCD NTSC )", "MPEG2 ( SVCD PAL )", "MPEG2 ( SVCD NTSC )",
        "MPEG2 ( DVD PAL )",  "MPEG2 ( DVD NTSC )", "Standard MPEG1",     "Standard MPEG2",
        "AVI/DivX",           "WMV/ASF",            "MP4 (H.264 + AAC)"};
    return names;
}

QString FormatExtension(int index) {
    if (index == OutputFormat::Avi) return QStringLiteral("avi");
    if (index == OutputFormat::Wmv) return QStringLiteral("wmv");
    if (index == OutputFormat::Mp4) return QStringLiteral("mp4");
    return QStringLiteral("mpg");
}

void FormatShortName(int index, QString& name) {
    static const QStringList shortNames{"VCD PAL",  "VCD NTSC",       "SVCD PAL",       "SVCD NTSC", "DVD PAL",
                                        "DVD NTSC", "Standard MPEG1", "Standard MPEG2", "AVI",       "WMV",
                                        "MP4"};
    if (index >= 0 && index < shortNames.size()) name = shortNames[index];
}
