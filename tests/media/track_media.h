#pragma once

#include <QString>

// Sources with several sound tracks, languages, titles and subtitles, as films
// and phone clips bring them. Made with the ffmpeg command line once per build tree.
namespace testmedia {

// 1 s, 160x120 H.264 in MKV: stream 1 AAC stereo "eng" titled "Main", stream 2
// AC-3 stereo "fra" titled "Commentaire", stream 3 SubRip subtitles "eng".
QString TwoLanguagesMkv();
// 1 s, 160x120 H.264 in MP4: stream 1 AAC stereo (no language, the muxer's own
// "SoundHandler"), stream 2 mov_text subtitles "eng".
QString MovTextMp4();
// 1 s, 160x120 MPEG-4 in MKV with stream 1 AC-3 5.1 (six channels).
QString SurroundMkv();

} // namespace testmedia
