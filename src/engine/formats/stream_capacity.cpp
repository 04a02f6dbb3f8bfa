#include "engine/formats/stream_capacity.h"

StreamCapacity CapacityOf(int outputType) {
    switch (outputType) {
        case 0: case 1: return {1, SubtitleKind::None, 0, false, false};      // VCD: one MPEG-1 audio stream
        case 2: case 3: return {2, SubtitleKind::None, 0, false, false};      // SVCD: two audio streams
        case 4: case 5: return {8, SubtitleKind::Bitmap, 32, false, false};   // DVD: 8 audio, 32 subpicture streams
        case 6: return {32, SubtitleKind::None, 0, false, false};             // MPEG-1 system stream
        case 7: return {8, SubtitleKind::Bitmap, 32, false, false};           // MPEG-2 program stream
        case 8: return {99, SubtitleKind::None, 0, false, true};              // AVI
        case 9: return {1, SubtitleKind::None, 0, false, true};               // ASF/WMV
        case 10: return {99, SubtitleKind::Text, 99, true, true};             // MP4
        default: return {};
    }
}
