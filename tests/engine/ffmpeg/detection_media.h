#pragma once

#include "test_media.h"

// Clips whose split points are known, for the detection tests of the engine,
// the command line and the editor.
namespace detectionmedia {

// 25 fps H.264: test pattern, bars, a still red frame, a zooming fractal; cuts
// at 2.00, 4.40 and 7.12 s.
inline QString Cuts() {
    return testmedia::Make("detect cuts.mp4",
                           {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=2", "-f", "lavfi", "-i",
                            "smptebars=s=320x240:r=25:d=2.4", "-f", "lavfi", "-i", "color=c=red:s=320x240:r=25:d=2.72",
                            "-f", "lavfi", "-i", "mandelbrot=s=320x240:r=25", "-filter_complex",
                            "[3]trim=duration=2,setpts=PTS-STARTPTS[m];[0][1][2][m]concat=n=4:v=1:a=0,format=yuv420p",
                            "-c:v", "libx264", "-g", "50"});
}

// 25 fps grey under heavy moving noise, 5 s, no cut anywhere.
inline QString Noise() {
    return testmedia::Make("detect noise.mp4", {"-f", "lavfi", "-i", "color=gray:s=320x240:r=25:d=5,noise=alls=40:allf=t",
                                                "-c:v", "libx264", "-g", "50"});
}

// 6 s of MPEG-4 in AVI, black 0-0.5 s (the lead-in) and 3.0-4.0 s: one point, 3.5.
inline QString Black() {
    return testmedia::Make("detect black.avi",
                           {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=6", "-vf",
                            "drawbox=t=fill:c=black:enable='between(t,0,0.49)+between(t,3,3.99)'", "-c:v", "mpeg4",
                            "-q:v", "3"});
}

// A 440 Hz tone in AAC, silent from 5.0 to 6.0 s of 9: one point, 5.5.
inline QString Silence() {
    return testmedia::Make("detect silence ü.m4a",
                           {"-f", "lavfi", "-i", "sine=f=440:d=9,volume=enable='between(t,5,6)':volume=0", "-c:a",
                            "aac", "-b:a", "96k"});
}

// MPEG-TS whose times start at 10 s: bars cut to a test pattern at 2.0 s, and a
// tone in MP2 silent from 1.0 to 2.0 s (point 1.5), both from the file's start.
inline QString LateStart() {
    return testmedia::Make("detect late start.ts",
                           {"-f", "lavfi", "-i", "smptebars=s=320x240:r=25:d=2", "-f", "lavfi", "-i",
                            "testsrc2=s=320x240:r=25:d=2", "-f", "lavfi", "-i",
                            "sine=f=440:d=4,volume=enable='between(t,1,2)':volume=0", "-filter_complex",
                            "[0][1]concat=n=2:v=1:a=0[v]", "-map", "[v]", "-map", "2", "-c:v", "mpeg2video", "-c:a",
                            "mp2", "-output_ts_offset", "10", "-f", "mpegts"});
}

// 25 fps H.264 from a camera: a moving pattern with a two-frame white flash at
// 2.00 s, then a cut to bars at 4.00 s: one point, 4.0.
inline QString Flash() {
    return testmedia::Make("detect flash.mp4",
                           {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=4", "-f", "lavfi", "-i",
                            "smptebars=s=320x240:r=25:d=2", "-filter_complex",
                            "[0]drawbox=t=fill:c=white:enable='between(n,50,51)'[f];[f][1]concat=n=2:v=1:a=0,format=yuv420p",
                            "-c:v", "libx264", "-g", "50"});
}

// PCM WAV as cameras and recorders write it, saying nothing of its channels'
// layout: a tone silent from 2.0 to 3.0 s of 5, in `channels` channels.
inline QString PcmWithoutLayout(int channels) {
    return testmedia::Make(QStringLiteral("detect silence %1ch.wav").arg(channels),
                           {"-f", "lavfi", "-i", "sine=f=440:d=5,volume=enable='between(t,2,3)':volume=0", "-ac",
                            QString::number(channels), "-c:a", "pcm_s16le"});
}

} // namespace detectionmedia
