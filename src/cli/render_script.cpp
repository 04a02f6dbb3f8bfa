#include "cli/render_script.h"

#include "engine/video_edit.h"
#include "formats/output_format.h"

#include <QStringList>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

namespace {

// What the encoders can be asked for: any size the formats' codecs take, any
// rate from a slide show to a high-speed screen recording.
constexpr long long kMinSide = 16;
constexpr long long kMaxSide = 8192;
constexpr double kMaxFrameRate = 240;

struct BadLine {
    QString message;
};

double Number(const QString& word) {
    bool ok = false;
    const double v = word.toDouble(&ok);
    if (!ok)
        throw BadLine{QStringLiteral("\"%1\" is not a number").arg(word)};
    return v;
}

template <typename Int>
Int Integer(const QString& word) {
    bool ok = false;
    const long long v = word.toLongLong(&ok);
    if (!ok || v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max())
        throw BadLine{QStringLiteral("\"%1\" is not a whole number in range").arg(word)};
    return Int(v);
}

// A number the engine can use for a setting: within [low, high].
double Within(const QString& word, double low, double high, const char* unit) {
    const double v = Number(word);
    if (!(v >= low && v <= high))
        throw BadLine{QStringLiteral("%1 is not between %2 and %3 %4").arg(word).arg(low).arg(high).arg(unit)};
    return v;
}

template <typename Int>
Int WholeWithin(const QString& word, long long low, long long high, const char* unit) {
    const Int v = Integer<Int>(word);
    if (v < low || v > high)
        throw BadLine{QStringLiteral("%1 is not between %2 and %3 %4").arg(word).arg(low).arg(high).arg(unit)};
    return v;
}

// A frame width or height; 0 keeps the source's own.
int16_t Side(const QString& word) {
    const int16_t v = Integer<int16_t>(word);
    if (v != 0 && (v < kMinSide || v > kMaxSide))
        throw BadLine{QStringLiteral("%1 is not 0 (the source's size) or between %2 and %3 pixels").arg(word).arg(kMinSide).arg(kMaxSide)};
    return v;
}

// A position in one of the engine's lists.
int16_t IndexIn(const QString& word, const QStringList& list, const char* what) {
    const int16_t v = Integer<int16_t>(word);
    if (v < 0 || v >= list.size())
        throw BadLine{QStringLiteral("%1 is not a %2: the list has %3, numbered from 0").arg(word, what).arg(list.size())};
    return v;
}

// A time in a source: a number of seconds, not negative.
double Seconds(const QString& word) {
    const double v = Number(word);
    if (!std::isfinite(v) || v < 0)
        throw BadLine{QStringLiteral("%1 is not a time in seconds").arg(word)};
    return v;
}

bool Flag(const QString& word) {
    const QString w = word.toLower();
    if (w == "1" || w == "true" || w == "yes")
        return true;
    if (w == "0" || w == "false" || w == "no")
        return false;
    throw BadLine{QStringLiteral("\"%1\" is not 0 or 1").arg(word)};
}

using Args = QStringList;

struct Call {
    QString usage;  // as the render command's help shows it
    int minArgs;
    int maxArgs;
    std::function<void(TVideoEdit&, const Args&)> apply;
};

const std::map<QString, Call>& Calls() {
    static const std::map<QString, Call> calls = {
        {"clearclips", {"ClearClips", 0, 0, [](TVideoEdit& e, const Args&) { e.ClearClips(); }}},
        {"addvideoclip", {"AddVideoClip FILE START STOP [RESIZEMODE]", 3, 4, [](TVideoEdit& e, const Args& a) {
             e.AddVideoClip(a[0], Seconds(a[1]), Seconds(a[2]), a.size() > 3 ? WholeWithin<int16_t>(a[3], 0, 3, "(a resize mode)") : 0);
         }}},
        {"addaudioclip", {"AddAudioClip FILE START STOP", 3, 3, [](TVideoEdit& e, const Args& a) { e.AddAudioClip(a[0], Seconds(a[1]), Seconds(a[2])); }}},
        {"addtransition", {"AddTransition INDEX START STOP", 3, 3, [](TVideoEdit& e, const Args& a) {
             // An index outside the list is a plain cut, and a join passes on a stored
             // one as it is: a script that replays it must be taken.
             e.AddTransition(Integer<int16_t>(a[0]), Seconds(a[1]), Seconds(a[2]));
         }}},
        {"outputtype", {QStringLiteral("OutputType 0-%1").arg(FormatCount() - 1), 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputType(WholeWithin<int>(a[0], 0, OutputFormat::Count - 1, "(an output format)")); }}},
        {"framerate", {"FrameRate FPS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetFrameRate(float(Within(a[0], 1, kMaxFrameRate, "frames a second"))); }}},
        {"outputfilewidth", {"OutputFileWidth PIXELS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputFileWidth(Side(a[0])); }}},
        {"outputfileheight", {"OutputFileHeight PIXELS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputFileHeight(Side(a[0])); }}},
        {"mpegaudiobitrate", {"MPEGAudioBitrate KBITS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMPEGAudioBitrate(WholeWithin<int>(a[0], 8, 448, "kbit/s")); }}},
        {"mpegaudiosamplerate", {"MPEGAudioSampleRate HZ", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMPEGAudioSampleRate(WholeWithin<int>(a[0], 8000, 96000, "Hz")); }}},
        {"useaudiocompressor", {"UseAudioCompressor 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetUseAudioCompressor(Flag(a[0])); }}},
        {"usevideocompressor", {"UseVideoCompressor 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetUseVideoCompressor(Flag(a[0])); }}},
        {"audiocompressor", {"AudioCompressor INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetAudioCompressor(IndexIn(a[0], e.AudioCompressors(), "audio compressor")); }}},
        {"videocompressor", {"VideoCompressor INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetVideoCompressor(IndexIn(a[0], e.VideoCompressors(), "video compressor")); }}},
        {"wmvprofile", {"WMVProfile INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetWMVProfile(IndexIn(a[0], e.WMVProfiles(), "WMV profile")); }}},
        {"mp4quality", {"MP4Quality 18-28", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4Quality(WholeWithin<int>(a[0], 18, 28, "(a quality)")); }}},
        {"mp4preset", {"MP4Preset INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4Preset(IndexIn(a[0], TVideoEdit::MP4Presets(), "MP4 preset")); }}},
        {"mp4audiobitrate", {"MP4AudioBitrate KBITS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4AudioBitrate(WholeWithin<int>(a[0], 128, 320, "kbit/s")); }}},
        {"sourcequality", {"SourceQuality 0-51", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetSourceQuality(WholeWithin<int>(a[0], 0, 51, "(a quality; 0 matches the source)")); }}},
        {"outputaudio", {"OutputAudio 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputAudio(Flag(a[0])); }}},
        {"smartrender", {"SmartRender 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetSmartRender(Flag(a[0])); }}},
    };
    return calls;
}

} // namespace

QStringList ScriptCallUsages() {
    QStringList usages;
    for (const auto& [name, call] : Calls()) usages << call.usage;
    return usages;
}

std::optional<QStringList> SplitScriptLine(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (QChar c : line) {
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == '#') {
            break;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

std::optional<ScriptError> ApplyScript(const QString& script, TVideoEdit& engine) {
    const QStringList lines = script.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        const auto words = SplitScriptLine(lines[i]);
        if (!words)
            return ScriptError{number, QStringLiteral("a quote is not closed")};
        if (words->isEmpty())
            continue;
        const QString name = words->first();
        const auto found = Calls().find(name.toLower());
        if (found == Calls().end())
            return ScriptError{number, QStringLiteral("\"%1\" is not an engine call").arg(name)};
        const Args args = words->mid(1);
        const Call& call = found->second;
        if (args.size() < call.minArgs || args.size() > call.maxArgs) {
            const QString count = call.minArgs == call.maxArgs
                                      ? QString::number(call.minArgs)
                                      : QStringLiteral("%1 or %2").arg(call.minArgs).arg(call.maxArgs);
            return ScriptError{number, QStringLiteral("%1 takes %2 arguments, not %3").arg(name, count).arg(args.size())};
        }
        try {
            call.apply(engine, args);
        } catch (const BadLine& bad) {
            return ScriptError{number, QStringLiteral("%1: %2").arg(name, bad.message)};
        }
    }
    return std::nullopt;
}
