#include "join/picture_options.h"

#include "common/ini_file.h"
#include "formats/format_settings.h"

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
    ini.setInteger("join", "joinpicduration", wholeSeconds(o.PictureDuration));
    ini.setInteger("join", "jointransduration", wholeSeconds(o.TransitionDuration));
    ini.setInteger("join", "jointransition", o.TransitionIndex);
    ini.setBool("join", "randomtrans", o.RandomTransition);
    ini.save();
}

namespace {
// A day: more than any slideshow shows one picture for, and less than what a
// mistyped 1e9 or a stored 2147483647 would have rendered for days on end.
constexpr double kLongestShowingSeconds = 24 * 60 * 60;

QString durationProblem(const QString& what, double seconds, double frameRate, bool zeroAllowed) {
    if (!std::isfinite(seconds))
        return QStringLiteral("The %1 %2 is not a number of seconds").arg(what, QString::number(seconds));
    if (zeroAllowed && seconds == 0) return {};
    if (seconds < 0) return QStringLiteral("The %1 %2 seconds is below zero").arg(what, QString::number(seconds));
    if (seconds > kLongestShowingSeconds)
        return QStringLiteral("The %1 %2 seconds is longer than a day, %3 seconds")
            .arg(what, QString::number(seconds), QString::number(kLongestShowingSeconds));
    if (ShorterThanOneFrame(seconds, frameRate)) {
        return QStringLiteral("The %1 %2 seconds is shorter than one frame of the output, %3 seconds")
            .arg(what, QString::number(seconds), QString::number(1 / frameRate, 'g', 4));
    }
    return {};
}
}  // namespace

QString PictureDurationProblem(double seconds, double frameRate) {
    return durationProblem(QStringLiteral("picture duration"), seconds, frameRate, false);
}

QString TransitionDurationProblem(double seconds, double frameRate) {
    return durationProblem(QStringLiteral("transition duration"), seconds, frameRate, true);
}

QString PictureTimingProblem(const PictureOptions& options, double frameRate) {
    const QString picture = PictureDurationProblem(options.PictureDuration, frameRate);
    return picture.isEmpty() ? TransitionDurationProblem(options.TransitionDuration, frameRate) : picture;
}
