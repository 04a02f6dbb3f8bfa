#pragma once

#include <QString>
#include <optional>

class TVideoEdit;

// A render script: one engine call a line in the engine's own names, e.g.
//   OutputType 4
//   AddVideoClip "/videos/in.avi" 0 30.5 0
// Blank lines are skipped and # starts a comment (outside quotes).
struct ScriptError {
    int line = 0;
    QString message;
};

// Applies every line of the script to the engine in order. Stops at the first
// line that is not a valid call and says which.
std::optional<ScriptError> ApplyScript(const QString& script, TVideoEdit& engine);

// Splits a line into words; double quotes keep blanks and # inside one word.
// Returns nullopt for an unterminated quote.
std::optional<QStringList> SplitScriptLine(const QString& line);

// Every call a script may make, with its arguments: "AddAudioClip FILE START STOP".
QStringList ScriptCallUsages();
