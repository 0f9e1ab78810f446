#pragma once

#include "formats/ChordProNames.h"

#include <string>
#include <string_view>

namespace versino::chordpro {

// What converting text from ChordPro changed, for the import report.
struct TextChanges {
    int lessThan = 0; // literal "<" written as "‹"
    int degree = 0;   // "°" in a chord written "o"
    int closing = 0;  // ">" in a chord written "›"
    int markup = 0;   // tags removed
};

// Converts one line of ChordPro text into the song notation in a single pass: "[Am]" becomes a
// chord, "[*Bis]" text on the chord row (a chord with only a raised part), markup tags go, a
// backslash before one of []{}#\ stands for that character, and whatever "<" is left stays text.
// `chords` false reads the line as plain text (a title, a comment) where "[" is no chord.
std::string convertLine(std::string_view line, TextChanges& changes, GermanNames& names, bool chords);

} // namespace versino::chordpro
