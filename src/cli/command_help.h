#pragma once

#include <QList>
#include <QString>

// What each command takes, in one place: the parsers accept exactly these
// options, and --help and the usage lines are printed from them.
struct OptionHelp {
    QString name;   // "--parts"
    QString value;  // "N"; empty for a switch, which takes none
    QString text;
};

struct CommandHelp {
    QString name;      // "split"
    QString synopsis;  // the words after the program's name
    QString summary;   // one line for the overview
    QString details;   // what the positional words mean, defaults, examples
    QList<OptionHelp> options;

    bool hasOption(const QString& word) const;
};

// Options the program itself reads, before or after the command.
const QList<OptionHelp>& GlobalOptions();
const QList<CommandHelp>& AllCommandHelp();
// The command of that name; nullptr when there is none.
const CommandHelp* FindCommand(const QString& name);

// "usage: quillmark-cli <synopsis>", for usage faults.
QString UsageText(const CommandHelp& command);
// The answer to "quillmark-cli COMMAND --help".
QString HelpText(const CommandHelp& command);
// The answer to "quillmark-cli --help": every command and the global options.
QString ProgramHelpText();

// True for a word that asks for help.
bool IsHelpWord(const QString& word);
