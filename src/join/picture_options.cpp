#include "join/picture_options.h"

#include "common/ini_file.h"

#include <cmath>

PictureOptions LoadPictureOptions(const IniFile& ini) {
    PictureOptions o;
    o.PictureDuration = ini.readInteger("join", "joinpicduration", 4);
    o.TransitionDuration = ini.readInteger("join", "jointransduration", 2);
    o.TransitionIndex = ini.readInteger("join", "jointransition", 0);
    o.RandomTransition = ini.readBool("join", "randomtrans", true);
    return o;
}

namespace {
int wholeSeconds(double seconds) {
    const double t = std::trunc(seconds);
    // Durations come from user input; keep absurd values inside what the file can hold.
    if (!(t > -2147483648.0)) return 0;
    return t >= 2147483647.0 ? 2147483647 : static_cast<int>(t);
}
}  // namespace

void SavePictureOptions(IniFile& ini, const PictureOptions& o) {
    ini.writeInteger("join", "joinpicduration", wholeSeconds(o.PictureDuration));
    ini.writeInteger("join", "jointransduration", wholeSeconds(o.TransitionDuration));
    ini.writeInteger("join", "jointransition", o.TransitionIndex);
    ini.writeBool("join", "randomtrans", o.RandomTransition);
}
