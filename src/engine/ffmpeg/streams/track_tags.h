#pragma once

#include <string>

// What a player shows of a track when it lets the user pick one.
struct TrackTags {
    std::string language; // ISO 639-2, empty when unknown
    std::string title;
};
