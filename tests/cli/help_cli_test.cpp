// --help of the program and of each command, checked against the options the
// parsers accept, and the manual page against the same lists.
#include "cli/command_help.h"
#include "cli/render_script.h"
#include "cli_run.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString ManualPage() {
    QFile f(buildpaths::SourceDir() + "/data/man/quillmark-cli.1");
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << "no manual page";
    // roff writes a plain minus as \- and switches fonts with \fB ... \fR.
    return QString::fromUtf8(f.readAll()).remove(QRegularExpression(R"(\\f[BIRP])")).replace("\\-", "-");
}

} // namespace

TEST(CliHelp, TheProgramsHelpNamesEveryCommandAndGlobalOptionAndExitsZero) {
    for (const QString& word : QStringList{"--help", "-h"}) {
        const CliRun help = Cli({word});
        EXPECT_EQ(help.code, 0) << word.toStdString();
        EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();
        for (const CommandHelp& c : AllCommandHelp()) EXPECT_TRUE(help.out.contains("  " + c.name + " ")) << c.name.toStdString();
        for (const OptionHelp& o : GlobalOptions()) EXPECT_TRUE(help.out.contains(o.name)) << o.name.toStdString();
    }
    // Asked for, help goes to standard output; a mistake gets it on standard error.
    const CliRun wrong = Cli({"dance"});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_TRUE(wrong.out.isEmpty());
    EXPECT_TRUE(wrong.err.contains("\"dance\" is not a command")) << wrong.err.toStdString();
}

TEST(CliHelp, EachCommandsHelpDescribesEveryOptionItParses) {
    ASSERT_EQ(AllCommandHelp().size(), 6);
    for (const CommandHelp& c : AllCommandHelp()) {
        // Help wins over whatever else is on the line, even words that are wrong.
        const CliRun help = Cli({"--verbose", c.name, "no-such-file", "--help"});
        EXPECT_EQ(help.code, 0) << c.name.toStdString() << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(UsageText(c))) << help.out.toStdString();
        for (const OptionHelp& o : c.options) {
            EXPECT_TRUE(help.out.contains("  " + o.name + ' ' + o.value + ' ')) << c.name.toStdString() << ' ' << o.name.toStdString();
            EXPECT_FALSE(o.text.isEmpty());
        }
    }
    const CliRun render = Cli({"render", "-h"});
    ASSERT_FALSE(ScriptCallUsages().isEmpty());
    for (const QString& call : ScriptCallUsages()) EXPECT_TRUE(render.out.contains("  " + call + '\n')) << call.toStdString();
    EXPECT_TRUE(Cli({"split", "--help"}).out.contains("9  WMV/ASF (.wmv)"));
}

TEST(CliHelp, EveryOptionInTheHelpIsParsedAndNoOtherIs) {
    for (const QString name : {"split", "join"}) {
        const CommandHelp& c = *FindCommand(name);
        for (const OptionHelp& o : c.options) {
            const CliRun run = Cli({name, "/no/such/source.avi", o.name, "1"});
            EXPECT_FALSE(run.err.contains("unknown option")) << o.name.toStdString() << ": " << run.err.toStdString();
        }
        const CliRun unknown = Cli({name, "/no/such/source.avi", "--colour", "red"});
        EXPECT_EQ(unknown.code, 2);
        EXPECT_TRUE(unknown.err.contains("unknown option --colour")) << unknown.err.toStdString();
        EXPECT_TRUE(unknown.err.contains(UsageText(c))) << unknown.err.toStdString();
    }
}

TEST(CliHelp, TheManualPageDescribesEveryCommandOptionAndScriptCall) {
    const QString page = ManualPage();
    for (const CommandHelp& c : AllCommandHelp()) {
        EXPECT_TRUE(page.contains(".SS " + c.name + '\n')) << c.name.toStdString();
        for (const OptionHelp& o : c.options) {
            const QString entry = o.value.isEmpty() ? ".B " + o.name + '\n' : ".BI " + o.name + " \"";
            EXPECT_TRUE(page.contains(entry)) << o.name.toStdString();
        }
    }
    for (const OptionHelp& o : GlobalOptions()) EXPECT_TRUE(page.contains(o.name)) << o.name.toStdString();
    for (const QString& call : ScriptCallUsages()) EXPECT_TRUE(page.contains(call + '\n')) << call.toStdString();
    for (int format = 0; format < 10; ++format) EXPECT_TRUE(page.contains(QString("\n%1  ").arg(format)));
}
