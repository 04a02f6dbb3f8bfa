#pragma once

#include <QStringList>
#include <vector>

// The transition effects by list position: libavfilter's xfade effects with
// readable names. The last entry is the one a random choice may skip.
struct TransitionEffect {
    const char* name;  // shown to the user
    const char* xfade; // the xfade filter's name for it
};

const std::vector<TransitionEffect>& TransitionEffects();
QStringList TransitionNames();
