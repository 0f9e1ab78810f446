#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Transposing the chords of a song. A chord is the text between "<" and ">" of a lyric line, or
// up to "°" when a superscript part follows; the superscript part and everything outside the
// chords stay byte for byte.
namespace versino::transpose {

// German notation writes the note below C as "H" and its flat neighbour as "B"; international
// notation writes them "B" and "Bb".
enum class Notation { German, International };
// How black keys are written: by the key reached, or always with sharps or flats.
enum class Spelling { Automatic, Sharp, Flat };

struct Options {
    int semitones = 0;
    Notation notation = Notation::German;
    Spelling spelling = Spelling::Automatic;
};

// The recognised parts of a chord text: root, accidental form, suffix and slash bass.
struct Chord {
    int root = 0;            // pitch class 0 (C) .. 11
    bool lowerCase = false;  // "am", "fis": minor written in lower case, kept so
    bool germanForms = true; // accidentals written "is"/"es" (else "#"/"b")
    std::string suffix;      // everything after the root up to the bass ("m7", "sus4", "")
    std::optional<int> bass; // pitch class of the note after "/"
    bool bassLowerCase = false;
    bool bassGermanForms = true;
};

// Parses a chord text in the given notation; nothing when it is no chord ("N.C.", "%", a word).
std::optional<Chord> parseChord(std::string_view text, Notation notation);

// Writes a pitch class as a note name. `sharp` picks between the two names of a black key;
// `germanForms` between "Fis"/"Es" and "F#"/"Eb" (German notation writes 10 as "B" either way).
std::string noteName(int pitchClass, Notation notation, bool sharp, bool germanForms, bool lowerCase);

// Transposes one chord text; nothing when it is not recognised. Automatic spelling takes the key
// from the chord itself.
std::optional<std::string> transposeChord(std::string_view text, const Options& options);

// How many chords a transposition changed and how many it left as they were because they are
// not recognised. Empty chords ("<>") count as neither.
struct Count {
    int transposed = 0;
    int unrecognised = 0;
};

// Transposes every chord of a text with chord markup: one line, or a whole field whose lines are
// separated by CR LF. A chord left open at the end of a line ends there. Automatic spelling must
// be resolved by the caller (resolveSpelling); here it takes each chord's own key.
std::string transposeText(std::string_view text, const Options& options, Count& count);

// The spelling for a whole song: Automatic becomes Sharp or Flat after the key the song reaches,
// taken from its first recognised chord (a minor chord stands for its relative major). Without
// any chord the result is Sharp.
Spelling resolveSpelling(const std::vector<std::string_view>& texts, const Options& options);

// German when any recognised chord of the texts has the root "H" (or "h").
Notation guessNotation(const std::vector<std::string_view>& texts);

} // namespace versino::transpose
