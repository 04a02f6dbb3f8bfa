#include "engine/ffmpeg/transition_catalogue.h"

const std::vector<TransitionEffect>& TransitionEffects() {
    static const std::vector<TransitionEffect> list = {
        {"Fade", "fade"},
        {"Fade through black", "fadeblack"},
        {"Fade through white", "fadewhite"},
        {"Fade through grey", "fadegrays"},
        {"Fast fade", "fadefast"},
        {"Slow fade", "fadeslow"},
        {"Dissolve", "dissolve"},
        {"Pixelize", "pixelize"},
        {"Wipe left", "wipeleft"},
        {"Wipe right", "wiperight"},
        {"Wipe up", "wipeup"},
        {"Wipe down", "wipedown"},
        {"Wipe to top left", "wipetl"},
        {"Wipe to top right", "wipetr"},
        {"Wipe to bottom left", "wipebl"},
        {"Wipe to bottom right", "wipebr"},
        {"Slide left", "slideleft"},
        {"Slide right", "slideright"},
        {"Slide up", "slideup"},
        {"Slide down", "slidedown"},
        {"Smooth left", "smoothleft"},
        {"Smooth right", "smoothright"},
        {"Smooth up", "smoothup"},
        {"Smooth down", "smoothdown"},
        {"Circle crop", "circlecrop"},
        {"Rectangle crop", "rectcrop"},
        {"Circle open", "circleopen"},
        {"Circle close", "circleclose"},
        {"Vertical open", "vertopen"},
        {"Vertical close", "vertclose"},
        {"Horizontal open", "horzopen"},
        {"Horizontal close", "horzclose"},
        {"Radial", "radial"},
        {"Diagonal from top left", "diagtl"},
        {"Diagonal from top right", "diagtr"},
        {"Diagonal from bottom left", "diagbl"},
        {"Diagonal from bottom right", "diagbr"},
        {"Slices from the left", "hlslice"},
        {"Slices from the right", "hrslice"},
        {"Slices upwards", "vuslice"},
        {"Slices downwards", "vdslice"},
        {"Horizontal blur", "hblur"},
        {"Squeeze horizontally", "squeezeh"},
        {"Squeeze vertically", "squeezev"},
        {"Zoom in", "zoomin"},
        // Last: the one effect that looks odd on most pictures, left out of random picks.
        {"Distance", "distance"},
    };
    return list;
}

QStringList TransitionNames() {
    QStringList names;
    for (const auto& t : TransitionEffects())
        names << QString::fromUtf8(t.name);
    return names;
}
