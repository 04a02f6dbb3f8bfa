#pragma once

#include <QString>

// Small media files for the player tests, made with the ffmpeg command line the
// first time a test asks and shared by every test of the build.
namespace player_media {

// 5 s of 160x120 video at 25 fps, left half red and right half blue, with a
// tone (AVI: MPEG-4 video, MP2 sound).
QString clip();
// 3 s tones.
QString wav();
QString mp3();
// Text under a video file's name.
QString notMedia();

// The file's duration as ffprobe reads it, in seconds; negative on failure.
double probeDuration(const QString& file);

}  // namespace player_media
