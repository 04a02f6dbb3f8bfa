#pragma once

#include <QString>
#include <vector>

// Sources shaped like the files users bring (phones, camcorders, DVDs, old
// programs), made with the ffmpeg command line once per build tree.
namespace testmedia {

// Every source below carries the same "flash and beep": once a second from about
// 0.5 s on, one white video frame and, starting at the same instant, 40 ms of a
// 1 kHz sine; black picture and silence otherwise. The flash is the frame on
// screen at 0.5 + k s of the file's own clock (counted from its first video
// frame): at 30 fps and in VariableRate that frame starts at 0.5 + k s exactly; at
// 25 fps no frame starts there, so the flash and the beep begin together at
// 0.48 + k s. Pictures that are not plain black/white are noted at their shape.
// Every source plays in sync as FFmpeg reads it (see MeasureSync).
enum class Shape {
    AacMp4,         // 4 s, 320x240, 25 fps H.264 (B-frames, keyframe every 12) + AAC 44.1 kHz stereo, MP4
    Mp3Avi,         // 4 s, 320x240, 25 fps MPEG-4 Part 2 (no B-frames) + MP3 44.1 kHz stereo, AVI
    Ac3Mpeg,        // 4 s, 720x576, 25 fps MPEG-2 + AC-3 48 kHz stereo, MPEG program stream (DVD VOB mux)
    Mp2Mpeg,        // 4 s, 352x288, 25 fps MPEG-1 + MP2 44.1 kHz, MPEG program stream
    WmaAsf,         // 4 s, 320x240, 25 fps WMV2 + WMA2, ASF
    SoundLonger,    // picture 2.0 s, sound 2.5 s (AAC), MP4; flashes at 0.48 and 1.48 s, beeps also at
                    // 2.48 s (that last beep is cut to 20 ms by the end of the sound)
    SoundShorter,   // picture 2.5 s (63 frames), sound 2.0 s (AAC), MP4; beeps at 0.48 and 1.48 s, flashes
                    // also at 2.48 s on the last frame
    LateSound,      // 4 s picture; the audio stream starts 1.0 s after the video (ffprobe start_time
                    // 0.977: 1.0 less the AAC priming), AAC, MP4; its beeps sit at 1.48, 2.48, 3.48 s
                    // of the file clock (no beep with the first flash)
    RotatedPhone,   // 4 s, 320x240 coded, H.264 + AAC in MP4 with a display matrix of 90 degrees
                    // (ffprobe side_data_list rotation 90, shown 240x320); the coded picture has a
                    // white 48x48 square in its top-left corner besides the flashes
    Interlaced576i, // 4 s, 720x576, 25 fps interlaced MPEG-2, top field first (field_order "tt"),
                    // MP2 48 kHz, MPEG program stream; a grey bar moves 24 px a field, so fields differ
    Anamorphic,     // 4 s, 720x576 MPEG-2 with display aspect 16:9 (sample aspect 64:45), MP2, MPEG-PS
    OffsetTs,       // 4 s, H.264 + AAC in MPEG-TS whose timestamps start at 10 s (video start_time 10.0)
    VariableRate,   // 3.93 s, H.264 + AAC in MP4, frames 20 to 50 ms apart (avg_frame_rate 28.5,
                    // r_frame_rate 100), flash frames at exactly 0.5 + k s
    CameraMjpeg,    // 4 s, 320x240, 30 fps Motion JPEG + PCM s16 mono 11025 Hz in AVI, the sound written
                    // in chunks of 1 s (11025 samples); flashes at 0.5 + k s
    PackedXvid,     // 3.92 s, Xvid MPEG-4 Part 2 with B-frames stored as "packed B-frames" (DivX style),
                    // MP3 sound, AVI; a grey square moves across the picture
};

QString UserClip(Shape shape);  // absolute path; made once, cached like testmedia::Make
QString ShapeName(Shape shape); // "AacMp4" ..., for test messages
std::vector<Shape> AllShapes();

// A copy of UserClip(Shape::AacMp4) named `Tom's "Urlaub" Ürümqi 1.mp4`.
QString AwkwardlyNamedClip();
// The AacMp4 clip with its AAC packets from 1.5 s to 2.5 s overwritten with
// garbage: the container and the picture stay readable, the sound there does not.
QString DamagedSoundMp4();
// The same with every AAC packet overwritten: no sound can be decoded at all.
QString UndecodableSoundMp4();
// The AacMp4 clip cut to its first 100 bytes.
QString TruncatedMp4();

} // namespace testmedia
