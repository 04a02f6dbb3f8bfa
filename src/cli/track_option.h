#pragma once

#include "engine/source_tracks.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

// --tracks all|LIST of split and join: the sound and subtitle streams, numbered as
// "quillmark-cli probe" prints them, that go in from every source.

// Reads the option's value: nothing for "all", else the streams in rising order.
// False for a value that is neither "all" nor a list of stream numbers.
bool ParseTrackList(const QString& text, std::optional<QList<int>>& streams);

// Why `streams` cannot be chosen from `file`, whose tracks are `tracks`: names the
// file and the first number that is not one of its sound or subtitle streams.
// Empty when every one is.
QString TrackListProblem(const QString& file, const std::vector<SourceTrack>& tracks, const QList<int>& streams);
