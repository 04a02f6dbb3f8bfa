#pragma once

#include "common/file_filters.h"

// The file types the open dialogs offer: first the classic entries, in their
// order and words, then today's kinds. "All supported files" holds every
// extension the engine reads, so a folder of phone and camera files never looks
// empty; drops are judged by that first entry too.

// Videos to split.
QList<FileFilter> VideoFilters();
// Videos and pictures to join.
QList<FileFilter> VideoAndPictureFilters();
// Music under the pictures.
QList<FileFilter> MusicFilters();
