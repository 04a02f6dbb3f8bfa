#include "cli/command_help.h"

#include "cli/render_script.h"
#include "formats/output_format.h"

#include <QStringList>

namespace {

QString FormatList() {
    QString list;
    for (int i = 0; i < OutputFormat::Count; ++i) {
        const QString ext = FormatExtension(i);
        list += QStringLiteral("  %1  %2 (%3)\n")
                    .arg(i)
                    .arg(JoinFormatNames()[i].simplified(), ext.isEmpty() ? "the first video's extension" : "." + ext);
    }
    return list;
}

const OptionHelp kFormat{"--format", QStringLiteral("0-%1").arg(FormatCount() - 1),
                         "the output format; without it, the one chosen last in the window (setup.ini)"};
const OptionHelp kNoSmartRender{"--no-smart-render", "",
                                "re-encode every frame, even of video already in the output's format; without it, "
                                "such video is copied and only the frames around the cuts are encoded, unless the "
                                "settings (setup.ini) say otherwise"};
const OptionHelp kTracks{"--tracks", "all|LIST",
                         "the sound and subtitle streams that go in, numbered as \"quillmark-cli probe\" prints them "
                         "(1,3), the same for every source; all of them without it"};

QList<CommandHelp> MakeCommands() {
    QString calls;
    for (const QString& usage : ScriptCallUsages()) calls += "  " + usage + '\n';
    return {
        {"split", "split SOURCE (--parts N | --every SECONDS | --points T1,T2,... | --segments FILE.csv | --max-size SIZE) [OPTION...]",
         "cut one video into parts",
         "Cuts SOURCE into parts named after it (\"clip-1.avi\", ...) with the format settings of the window.\n"
         "Give exactly one of --parts, --every, --points, --segments and --max-size.\n\nOutput formats:\n" + FormatList(),
         {{"--parts", "N", "N parts of equal length"},
          {"--every", "SECONDS", "parts of SECONDS each; the last one is shorter when the video does not divide evenly"},
          {"--points", "T1,T2,...", "cut at these times, in seconds from the start"},
          {"--max-size", "SIZE", "parts of at most SIZE bytes each, every one but the last at least 85 % of it; "
                                 "K, M and G count 1024s (700M, 1.5G)"},
          {"--segments", "FILE.csv", "write the parts a segment list names: a \"start,end,name,save\" header, then "
                                     "one part a line, times in seconds; parts with save 0 are not written"},
          kFormat,
          kNoSmartRender,
          kTracks,
          {"--out", "DIR", "the folder for the parts, made when missing; the source's folder without it"},
          {"--names", "N1,N2,...", "file names for the parts in order; an empty name keeps the usual one, and the "
                                   "format's extension is put on"},
          {"--skip", "K1,K2,...", "numbers of parts (from 1) not to write"}}},
        {"join", "join FILE... --out OUTPUT [OPTION...]", "join videos and pictures into one video",
         "Joins the videos (.avi .mpg .mpeg .wmv .asf) and pictures (.bmp .jpg .jpeg .png) in the order given.\n"
         "Each picture shows for the picture duration with a transition in front of it. Durations, the\n"
         "transition and the music default to the window's picture options (setup.ini).\n\n"
         "Output formats:\n" + FormatList(),
         {{"--out", "OUTPUT", "the file to write; its extension becomes the format's (holiday.avi, holiday.mpg ...)"},
          kFormat,
          kNoSmartRender,
          kTracks,
          {"--picture-seconds", "P", "how long each picture shows"},
          {"--transition-seconds", "T", "how long the transition in front of each picture lasts"},
          {"--transition", "INDEX|random", "the transition, numbered as \"quillmark-cli list transitions\" shows, or a "
                                           "random one for each picture"},
          {"--music", "FILE", "an MP3 or WAV file played under the pictures"}}},
        {"render", "render SCRIPT OUTPUT", "run a script of engine calls into OUTPUT",
         "Reads SCRIPT (\"-\" for standard input), one engine call a line, and renders into OUTPUT.\n"
         "Words with blanks go in double quotes; # starts a comment. Times are in seconds.\n\nCalls:\n" + calls +
             "\nExample:\n  OutputType 4\n  AddVideoClip \"/videos/my clip.avi\" 0 30.5 0\n",
         {}},
        {"detect", "detect scenes|black|silence FILE [--threshold X] [--min-duration SECONDS]",
         "print split points found from a video's content",
         "Prints one time a line, in seconds from the start of FILE with three decimals: the first frame\n"
         "of each new scene, the middle of each black stretch, or the middle of each silence.\n",
         {{"--threshold", "X", "scenes: the change score a cut must reach, 2 to 40 (10; lower finds more); black: "
                               "the level below which a pixel is black, 0.02 to 0.3 (0.1; higher finds more); "
                               "silence: the level in dB below which sound is silent, -80 to -20 (-50; higher "
                               "finds more)"},
          {"--min-duration", "SECONDS", "black and silence: the shortest stretch that counts (0.5)"}}},
        {"probe", "probe FILE", "print a file's length in seconds and its tracks",
         "Prints the length Quillmark measures for FILE, in seconds with three decimals, then one line for\n"
         "each of its streams: its number (as --tracks takes it), kind, codec, channels, language and title.\n",
         {}},
        {"list", "list transitions|videocompressors|audiocompressors|wmvprofiles|mp4presets", "print one of the engine's lists",
         "Prints the numbered transitions, AVI video or audio compressors, WMV profiles or MP4 presets, as\n"
         "the render script's AddTransition, VideoCompressor, AudioCompressor, WMVProfile and MP4Preset and\n"
         "join's --transition\n"
         "number them.\n",
         {}},
    };
}

QString OptionLines(const QList<OptionHelp>& options) {
    QString lines;
    for (const OptionHelp& o : options) {
        const QString head = o.value.isEmpty() ? o.name : o.name + ' ' + o.value;
        lines += QStringLiteral("  %1  %2\n").arg(head, -26).arg(o.text);
    }
    return lines;
}

} // namespace

bool CommandHelp::hasOption(const QString& word) const {
    for (const OptionHelp& o : options)
        if (o.name == word) return true;
    return false;
}

const QList<OptionHelp>& GlobalOptions() {
    static const QList<OptionHelp> options{
        {"--verbose", "", "print the libraries' own log lines too; anywhere on the line"},
        {"--settings", "FILE", "read the settings from FILE instead of setup.ini; anywhere on the line"},
        {"--help", "", "this text; after a command, that command's options (-h too)"}};
    return options;
}

const QList<CommandHelp>& AllCommandHelp() {
    static const QList<CommandHelp> commands = MakeCommands();
    return commands;
}

const CommandHelp* FindCommand(const QString& name) {
    for (const CommandHelp& c : AllCommandHelp())
        if (c.name == name) return &c;
    return nullptr;
}

QString UsageText(const CommandHelp& command) { return "usage: quillmark-cli " + command.synopsis; }

QString HelpText(const CommandHelp& command) {
    QString text = UsageText(command) + "\n\n" + command.details;
    if (!command.options.isEmpty()) text += "\nOptions:\n" + OptionLines(command.options);
    return text;
}

QString ProgramHelpText() {
    QString text = QStringLiteral("usage: quillmark-cli [--verbose] [--settings FILE] COMMAND ...\n\n"
                                  "Splits and joins videos with Quillmark's engine and settings, without the window.\n\n"
                                  "Commands:\n");
    for (const CommandHelp& c : AllCommandHelp()) text += QStringLiteral("  %1  %2\n").arg(c.name, -8).arg(c.summary);
    text += "\nOptions:\n" + OptionLines(GlobalOptions());
    text += "\n\"quillmark-cli COMMAND --help\" describes a command. Exit status: 0 done, 1 failed, 2 usage mistake.\n";
    return text;
}

bool IsHelpWord(const QString& word) { return word == QLatin1String("--help") || word == QLatin1String("-h"); }
