#pragma once

#include <QStringList>

// Exit codes of every command.
enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Each subcommand gets the words after its name.
int RenderCommand(const QStringList& args);
int ProbeCommand(const QStringList& args);
int ListCommand(const QStringList& args);
int SplitCommand(const QStringList& args);
int JoinCommand(const QStringList& args);
int DetectCommand(const QStringList& args);

// Prints to standard error; usage faults and failures are reported this way.
void PrintError(const QString& text);
