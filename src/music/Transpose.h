#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Transposing the chords of a song. A chord is the chord name of the song notation (the part of
// "<...>" before its raised part, document/Notation.h); the raised part and everything outside the
// chords stay byte for byte. A chord with no name but a raised part ("<°Bis>") is text on the
// chord row, never a chord.
namespace versino::transpose {

// German notation writes the note below C as "H" and its flat neighbour as "B" ("Bb" is read as the
// same B-flat); international notation writes them "B" and "Bb".
enum class Notation { German, International };
// How black keys are written: by the key reached, or always with sharps or flats.
enum class Spelling { Automatic, Sharp, Flat };

struct Options {
    Options(int semitones = 0, Notation notation = Notation::German, Spelling spelling = Spelling::Automatic)
        : semitones(semitones), notation(notation), spelling(spelling) {}
    int semitones;
    Notation notation;
    Spelling spelling;
    // Whether an accidental that a chord did not have before is written "is"/"es" (else "#"/"b");
    // unset, transposeText takes it from the text (resolveForms).
    std::optional<bool> germanForms;
    // Whether a slash bass that is a tone of its chord is spelled from the chord ("D/F#", not
    // "D/Gb") rather than by `spelling`: always so for Automatic, and for a song whose automatic
    // spelling was resolved to Sharp or Flat (resolveSpelling) when this is set.
    bool bassFromChord = false;
};

// The recognised parts of a chord text: root, accidental form, suffix and slash bass.
struct Chord {
    int root = 0;            // pitch class 0 (C) .. 11
    int rootAccidental = 0;  // -1 flat, 0 none, +1 sharp, as written
    bool lowerCase = false;  // "am", "fis": minor written in lower case, kept so
    bool germanForms = true; // accidentals written "is"/"es" (else "#"/"b"); without one, the default
    std::string suffix;      // everything after the root up to the bass ("m7", "sus4", "")
    std::optional<int> bass; // pitch class of the note after "/"
    int bassAccidental = 0;
    bool bassLowerCase = false;
    bool bassGermanForms = true;
};

// Parses a chord text in the given notation; nothing when it is no chord ("N.C.", "%", a word).
std::optional<Chord> parseChord(std::string_view text, Notation notation);

// "N.C." (no chord) and its other spellings ("NC", "N/C", "n.c.").
bool isNoChord(std::string_view text);
// Bar lines and repeat signs of a chord row ("|", "||", "|:", ":|", "%", "/"): no chords either.
bool isBarSymbol(std::string_view text);

// True when a chord name can only be German: a root "H", a root written with "is" or "es"
// ("Fis", "Es", "As"), or the Czech and Slovak minor "mi" ("Ami").
bool showsGerman(std::string_view name);

// Writes a pitch class as a note name. `sharp` picks between the two names of a black key;
// `germanForms` between "Fis"/"Es" and "F#"/"Eb". German notation writes 11 as "H" and 10 (flat)
// as "B", or "Bb" with "#"/"b" forms.
std::string noteName(int pitchClass, Notation notation, bool sharp, bool germanForms, bool lowerCase);

// Transposes one chord text; nothing when it is not recognised. Automatic spelling takes the key
// from the chord itself.
std::optional<std::string> transposeChord(std::string_view text, const Options& options);

// The same chord in the names every ChordPro program reads: "H7" → "B7", German "B" → "Bb",
// "fis" → "F#m", "Es" → "Eb", "es" → "Ebm". Nothing when the text is no chord in that notation.
std::optional<std::string> internationalName(std::string_view text, Notation notation);
// The way back for a song written in German: "B7" → "H7", "Bb" → "B", "F#" → "Fis", "Eb" → "Es",
// "Abm" → "Asm". Nothing when the text is no chord.
std::optional<std::string> germanName(std::string_view text);

// How many chords a transposition changed and how many it left as they were because they are
// not recognised, with the first ten of those (each once). Empty chords ("<>") and chords without
// a name (text on the chord row) count as neither.
struct Count {
    int transposed = 0;
    int unrecognised = 0;
    std::vector<std::string> unrecognisedNames;
};

// Transposes every chord of a text in the song notation: one line, or a whole field whose lines
// are separated by CR LF. A chord left open at the end of a line stays open. With automatic
// spelling each chord takes its own key; resolve it for a song first (resolveSpelling). Accidentals
// of chords that had none are written in the forms of the first accidental of the text, else in
// the notation's own ("Fis" in German, "F#" in international).
std::string transposeText(std::string_view text, const Options& options, Count& count);

// The spelling for a whole song: Automatic becomes Sharp or Flat after the key the song reaches,
// taken from its first recognised chord (a minor chord stands for its relative major; of the two
// names of the key with six accidentals, a major chord takes F sharp, a minor one E flat minor).
// Without any chord the result is Sharp.
Spelling resolveSpelling(const std::vector<std::string_view>& texts, const Options& options);

// The forms of accidentals for a whole song: those of its first chord written with an accidental,
// else the notation's own ("is"/"es" in German, "#"/"b" in international).
bool resolveForms(const std::vector<std::string_view>& texts, Notation notation);

// German (the program speaks German) unless the chords are spelled the English way and none is
// on "H": a root followed by a flat written "b" ("Bb", "Eb", "Ab"), or a "B" among chords with
// sharps written "#" ("B F# G#m", a song in B major).
Notation guessNotation(const std::vector<std::string_view>& texts);

// The notation of songs from elsewhere (ChordPro, chord sheets): international unless a chord
// shows German (showsGerman).
Notation importedNotation(const std::vector<std::string_view>& texts);

// True when a chord is on a B or an H, whose meaning the notation decides.
bool notationMatters(const std::vector<std::string_view>& texts);

} // namespace versino::transpose
