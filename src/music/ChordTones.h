#pragma once

#include "music/Transpose.h"

#include <optional>
#include <string_view>
#include <vector>

// The notes a chord name stands for, read from the same chord names the transposer reads: German
// and international roots, lowercase German minor ("fis"), "m", "mi", "min" and "-" minors, the
// usual qualities, extensions, additions, altered fifths and ninths, and a slash bass.
namespace versino::music {

// A set of pitch classes, bit n for pitch class n (0 = C).
using PitchSet = unsigned;

inline constexpr PitchSet pitchBit(int pitchClass) { return PitchSet(1) << (((pitchClass % 12) + 12) % 12); }

struct ChordTones {
    int root = 0;       // pitch class
    int bass = 0;       // pitch class of the lowest note: the slash bass, else the root
    bool slash = false; // the name gives a bass of its own
    // Semitones above the root, ascending and each once, the root (0) first; extensions above the
    // octave (a ninth is 14).
    std::vector<int> intervals;
    PitchSet allowed = 0;  // every pitch class that may sound (the bass included)
    PitchSet required = 0; // those that must sound: root, bass, third, named seventh and extensions
};

// The chord's tones; nothing when the text is no chord or its quality is not one Versino reads.
std::optional<ChordTones> chordTones(std::string_view name, transpose::Notation notation);

} // namespace versino::music
