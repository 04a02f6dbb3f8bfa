#pragma once

// The FFmpeg libraries' own log lines ("[mp3float] Header missing") are noise to
// the user: failures reach callers as errors naming the file. They are dropped
// unless verbose output is asked for, as quillmark-cli --verbose does.

// Sends the libraries' log through this helper; idempotent, any thread.
void RouteLibraryLog();
// Routes the log and prints it to standard error from now on when `verbose`.
void SetLibraryLogVerbose(bool verbose);
