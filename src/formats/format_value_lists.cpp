#include "formats/format_value_lists.h"

#include <array>

namespace {

constexpr std::array<double, 7> frameRates{23.976, 24, 25, 29.97, 30, 50, 59.94};
// Phones and screen recorders film at 50, 59.94 and 60 as often as at the others.
constexpr std::array<double, 9> mp4FrameRates{0, 23.976, 24, 25, 29.97, 30, 50, 59.94, 60};
constexpr std::array<int, 15> bitrates{8, 16, 24, 32, 48, 56, 64, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 3> sampleRates{32000, 44100, 48000};

constexpr int defaultFrameRateIndex = 0;  // 23.976
constexpr int defaultBitrateIndex = 9;    // 128
constexpr int defaultSampleRateIndex = 1;  // 44100

template <typename T, std::size_t N>
T valueAt(const std::array<T, N>& values, int index, int defaultIndex) {
    const bool inList = index >= 0 && static_cast<std::size_t>(index) < N;
    return values[inList ? index : defaultIndex];
}

template <typename T, std::size_t N>
int indexOf(const std::array<T, N>& values, T value, int defaultIndex) {
    for (std::size_t i = 0; i < N; ++i) {
        if (values[i] == value) return static_cast<int>(i);
    }
    return defaultIndex;
}

}  // namespace

const QStringList& FrameRateItems() {
    static const QStringList items{"23.976", "24", "25", "29.97", "30", "50", "59.94"};
    return items;
}

const QStringList& Mp4FrameRateItems() {
    static const QStringList items = QStringList{"Same as source"} + FrameRateItems() + QStringList{"60"};
    return items;
}

const QStringList& BitrateItems() {
    static const QStringList items{"8",   "16",  "24",  "32",  "48",  "56",  "64", "96",
                                   "112", "128", "160", "192", "224", "256", "320"};
    return items;
}

const QStringList& SampleRateItems() {
    static const QStringList items{"32000", "44100", "48000"};
    return items;
}

double FrameRateFromIndex(int index) { return valueAt(frameRates, index, defaultFrameRateIndex); }
double Mp4FrameRateFromIndex(int index) { return valueAt(mp4FrameRates, index, 0); }
int IndexOfMp4FrameRate(double frameRate) { return indexOf(mp4FrameRates, frameRate, 0); }
int BitrateFromIndex(int index) { return valueAt(bitrates, index, defaultBitrateIndex); }
int SampleRateFromIndex(int index) { return valueAt(sampleRates, index, defaultSampleRateIndex); }

int IndexOfFrameRate(double frameRate) { return indexOf(frameRates, frameRate, defaultFrameRateIndex); }
int IndexOfBitrate(int bitrate) { return indexOf(bitrates, bitrate, defaultBitrateIndex); }
int IndexOfSampleRate(int sampleRate) { return indexOf(sampleRates, sampleRate, defaultSampleRateIndex); }

std::optional<int> ModePresetHeight(DiscFamily family, int mode) {
    if (mode != 0 && mode != 1) return std::nullopt;
    const bool pal = mode == 0;
    switch (family) {
        case DiscFamily::Vcd:
            return pal ? 288 : 240;
        case DiscFamily::Svcd:
        case DiscFamily::Dvd:
            return pal ? 576 : 480;
    }
    return std::nullopt;
}
