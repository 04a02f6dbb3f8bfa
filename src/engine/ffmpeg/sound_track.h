#pragma once

// The output's sound as the render writes it alongside the pictures, encoded
// or copied.
class SoundTrack {
public:
    virtual ~SoundTrack() = default;
    // Writes the sound up to `seconds` of the output.
    virtual void upTo(double seconds) = 0;
    // Writes the rest of the sound, ending with the video at `seconds`.
    virtual void finishAt(double seconds) = 0;
};
