#include "sync_meter.h"

#include "test_media.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace testmedia {
namespace {

constexpr double kQuietBeforeBeep = 0.200; // s of near-silence before an onset
constexpr double kPairWindow = 0.250;      // s between a flash and its beep at most

struct Frame {
    double time;
    int luma;
};

// showinfo reports on stderr, with each frame's integer pts and mean luma.
QByteArray StandardError(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        process.kill();
    return process.readAllStandardError();
}

// Every decoded frame in presentation order, on the stream's own clock
// (-copyts keeps the demuxer's timestamps).
std::vector<Frame> VideoFrames(const QString& file) {
    const QString log = QString::fromUtf8(StandardError(
        "ffmpeg", {"-hide_banner", "-nostats", "-copyts", "-i", file, "-map", "0:v:0", "-vf", "showinfo", "-f", "null", "-"}));
    const QRegularExpression base("config in time_base: (\\d+)/(\\d+)");
    const QRegularExpression line("\\bn:\\s*\\d+\\s+pts:\\s*(-?\\d+)\\s.*\\bmean:\\[(\\d+)");
    const auto tb = base.match(log);
    if (!tb.hasMatch() || tb.captured(2).toLongLong() == 0)
        return {};
    const double unit = tb.captured(1).toDouble() / tb.captured(2).toDouble();
    std::vector<Frame> frames;
    for (auto it = line.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        frames.push_back({m.captured(1).toLongLong() * unit, m.captured(2).toInt()});
    }
    std::stable_sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.time < b.time; });
    return frames;
}

// Onsets of frames much brighter than the picture usually is: the first frame
// of each run above halfway between the median and the brightest frame.
std::vector<double> FlashTimes(const std::vector<Frame>& frames) {
    if (frames.empty())
        return {};
    std::vector<int> lumas;
    for (const Frame& f : frames)
        lumas.push_back(f.luma);
    std::nth_element(lumas.begin(), lumas.begin() + lumas.size() / 2, lumas.end());
    const int median = lumas[lumas.size() / 2];
    const int peak = std::max_element(frames.begin(), frames.end(), [](auto& a, auto& b) { return a.luma < b.luma; })->luma;
    if (peak - median < 40)
        return {};
    const int threshold = median + (peak - median) / 2;
    std::vector<double> times;
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].luma >= threshold && (i == 0 || frames[i - 1].luma < threshold))
            times.push_back(frames[i].time - frames.front().time);
    return times;
}

struct Sound {
    std::vector<float> samples; // mono
    std::vector<double> times;  // presentation time of each sample
    int rate = 0;
};

// The first audio stream mixed to mono, each sample placed by the timestamp of
// the decoded frame it came in, so start times and gaps count.
Sound DecodeSound(const QString& file) {
    Sound sound;
    const auto frames = SoundFrameRows(file, "best_effort_timestamp_time,nb_samples", sound.rate);
    if (sound.rate <= 0)
        return sound;
    const QByteArray raw = Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:a:0", "-ac", "1", "-c:a", "pcm_f32le",
                                          "-f", "f32le", "-"});
    sound.samples.resize(raw.size() / sizeof(float));
    memcpy(sound.samples.data(), raw.constData(), sound.samples.size() * sizeof(float));

    sound.times.reserve(sound.samples.size());
    double next = 0;
    for (const auto& frame : frames) {
        bool known = false;
        const double start = frame.value("best_effort_timestamp_time").toDouble(&known);
        const double t0 = known ? start : next;
        const int count = frame.value("nb_samples").toInt();
        for (int i = 0; i < count && sound.times.size() < sound.samples.size(); ++i)
            sound.times.push_back(t0 + double(i) / sound.rate);
        next = t0 + double(count) / sound.rate;
    }
    // Should ffprobe and ffmpeg disagree on the count, the rest follows on.
    while (sound.times.size() < sound.samples.size())
        sound.times.push_back(sound.times.empty() ? 0 : sound.times.back() + 1.0 / sound.rate);
    return sound;
}

// Onsets where the sound rises after at least 200 ms of near-silence (the start
// of the stream counts as silence). Compressed sound smears a beep's start, so
// the onset is the first sample above a tenth of that beep's own peak.
std::vector<double> BeepTimes(const Sound& sound, double clockStart) {
    const auto& s = sound.samples;
    float peak = 0;
    for (float x : s)
        peak = std::max(peak, std::fabs(x));
    if (peak < 0.01f)
        return {};
    const float loud = 0.05f * peak;
    const size_t window = size_t(sound.rate) * 50 / 1000;
    std::vector<double> onsets;
    double lastLoud = -1e9;
    size_t quietFrom = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::fabs(s[i]) < loud)
            continue;
        if (sound.times[i] - lastLoud >= kQuietBeforeBeep) {
            float beepPeak = 0;
            for (size_t j = i; j < std::min(s.size(), i + window); ++j)
                beepPeak = std::max(beepPeak, std::fabs(s[j]));
            size_t onset = i > window ? std::max(quietFrom, i - window) : quietFrom;
            while (onset < i && std::fabs(s[onset]) < 0.1f * beepPeak)
                ++onset;
            onsets.push_back(sound.times[onset] - clockStart);
        }
        lastLoud = sound.times[i];
        quietFrom = i + 1;
    }
    return onsets;
}

} // namespace

double SyncReport::worstOffsetMs() const {
    double worst = 0;
    // A paired beep lies within 250 ms of a flash at 0 s or later, so never at -1.
    for (const SyncEvent& e : events)
        if (e.beep != -1)
            worst = std::max(worst, std::fabs(e.offsetMs));
    return worst;
}

SyncReport MeasureSync(const QString& file) {
    SyncReport report;
    const std::vector<Frame> frames = VideoFrames(file);
    const Sound sound = DecodeSound(file);
    const double clockStart = !frames.empty() ? frames.front().time : !sound.times.empty() ? sound.times.front() : 0;

    report.flashes = FlashTimes(frames);
    report.beeps = BeepTimes(sound, clockStart);
    if (frames.size() > 1) {
        std::vector<double> gaps;
        for (size_t i = 1; i < frames.size(); ++i)
            gaps.push_back(frames[i].time - frames[i - 1].time);
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        report.videoSeconds = frames.back().time - frames.front().time + gaps[gaps.size() / 2];
    }
    if (sound.rate > 0)
        report.audioSeconds = double(sound.samples.size()) / sound.rate;

    std::vector<bool> used(report.beeps.size(), false);
    for (double flash : report.flashes) {
        SyncEvent event;
        event.flash = flash;
        int best = -1;
        for (size_t b = 0; b < report.beeps.size(); ++b)
            if (!used[b] && std::fabs(report.beeps[b] - flash) <= kPairWindow &&
                (best < 0 || std::fabs(report.beeps[b] - flash) < std::fabs(report.beeps[best] - flash)))
                best = int(b);
        if (best >= 0) {
            used[best] = true;
            event.beep = report.beeps[best];
            event.offsetMs = (event.beep - flash) * 1000.0;
        } else {
            ++report.unpairedFlashes;
        }
        report.events.push_back(event);
    }
    report.unpairedBeeps = int(std::count(used.begin(), used.end(), false));
    return report;
}

SyncReport MeasureTrackSync(const QString& file, int track, const QString& folder) {
    // Program streams stay program streams: their pictures carry no times another container takes.
    const bool program = file.endsWith(".mpg");
    const QString single = folder + QStringLiteral("/track%1.%2").arg(track).arg(program ? "mpg" : "mkv");
    QFile::remove(single);
    QStringList args{"-v", "error", "-i", file, "-map", "0:v:0", "-map", QStringLiteral("0:a:%1").arg(track), "-c", "copy"};
    if (program)
        args << "-f" << "vob";
    Run("ffmpeg", args << single);
    return MeasureSync(single);
}

} // namespace testmedia
