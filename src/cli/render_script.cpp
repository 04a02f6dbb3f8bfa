#include "cli/render_script.h"

#include "engine/video_edit.h"

#include <QStringList>
#include <functional>
#include <limits>
#include <map>

namespace {

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
             e.AddVideoClip(a[0], Number(a[1]), Number(a[2]), a.size() > 3 ? Integer<int16_t>(a[3]) : 0);
         }}},
        {"addaudioclip", {"AddAudioClip FILE START STOP", 3, 3, [](TVideoEdit& e, const Args& a) { e.AddAudioClip(a[0], Number(a[1]), Number(a[2])); }}},
        {"addtransition", {"AddTransition INDEX START STOP", 3, 3, [](TVideoEdit& e, const Args& a) {
             e.AddTransition(Integer<int16_t>(a[0]), Number(a[1]), Number(a[2]));
         }}},
        {"outputtype", {"OutputType 0-10", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputType(Integer<int>(a[0])); }}},
        {"framerate", {"FrameRate FPS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetFrameRate(float(Number(a[0]))); }}},
        {"outputfilewidth", {"OutputFileWidth PIXELS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputFileWidth(Integer<int16_t>(a[0])); }}},
        {"outputfileheight", {"OutputFileHeight PIXELS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetOutputFileHeight(Integer<int16_t>(a[0])); }}},
        {"mpegaudiobitrate", {"MPEGAudioBitrate KBITS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMPEGAudioBitrate(Integer<int>(a[0])); }}},
        {"mpegaudiosamplerate", {"MPEGAudioSampleRate HZ", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMPEGAudioSampleRate(Integer<int>(a[0])); }}},
        {"useaudiocompressor", {"UseAudioCompressor 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetUseAudioCompressor(Flag(a[0])); }}},
        {"usevideocompressor", {"UseVideoCompressor 0|1", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetUseVideoCompressor(Flag(a[0])); }}},
        {"audiocompressor", {"AudioCompressor INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetAudioCompressor(Integer<int16_t>(a[0])); }}},
        {"videocompressor", {"VideoCompressor INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetVideoCompressor(Integer<int16_t>(a[0])); }}},
        {"wmvprofile", {"WMVProfile INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetWMVProfile(Integer<int16_t>(a[0])); }}},
        {"mp4quality", {"MP4Quality 18-28", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4Quality(Integer<int>(a[0])); }}},
        {"mp4preset", {"MP4Preset INDEX", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4Preset(Integer<int16_t>(a[0])); }}},
        {"mp4audiobitrate", {"MP4AudioBitrate KBITS", 1, 1, [](TVideoEdit& e, const Args& a) { e.SetMP4AudioBitrate(Integer<int>(a[0])); }}},
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
