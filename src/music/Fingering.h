#pragma once

#include "music/ChordTones.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a chord is played: a fingering on a fretted instrument, or the keys of a piano chord. The
// common chords come from the project's own table (a data file read once); every other chord the
// names can spell is found by a search of the fretboard, which also checks the table's entries.
namespace versino::music {

enum class Instrument { Guitar, Ukulele, Piano };

// The instrument of a song's option: "gitarre", "ukulele", "klavier"; nothing for any other text.
std::optional<Instrument> instrumentOf(std::string_view option);

// The open strings' pitches (MIDI numbers), lowest string first: guitar E A D G H E, ukulele
// G C E A with its high G (re-entrant). Empty for the piano.
const std::vector<int>& tuning(Instrument instrument);

// Frets per string, lowest string first: -1 muted, 0 open, else the fret pressed (from the nut).
struct Fingering {
    std::vector<int> frets;
    bool operator==(const Fingering& o) const { return frets == o.frets; }
};

// The highest fret the search and a song's own definition reach.
inline constexpr int kHighestFret = 15;
// Frets a hand covers: the fretted notes of a fingering lie within this many.
inline constexpr int kSpanFrets = 4;

// One finger laid across several strings at the lowest fretted fret, from `first` to `last`
// (string indices, lowest string first).
struct Barre {
    int fret = 0;
    int first = 0;
    int last = 0;
};
// The barre a fingering needs to be played with four fingers; nothing when it needs none.
std::optional<Barre> barreOf(const Fingering& fingering);

// Whether the fingering plays the chord: every sounding note a tone of the chord, each required
// tone sounding, the lowest sounding note the bass (on the ukulele, whose lowest string is not its
// lowest note, only for a slash chord), the fretted notes within four frets and four fingers.
bool playsChord(const Fingering& fingering, Instrument instrument, const ChordTones& chord);

// The best fingering the search finds: open and low positions first, then full sound.
std::optional<Fingering> searchFingering(Instrument instrument, const ChordTones& chord);

// The fingering to draw for a chord name: the table's, else the search's. Results are kept for the
// process, so a book that repeats a chord finds it once. Nothing for a chord that cannot be read
// or has no playable fingering.
std::optional<Fingering> fingeringFor(Instrument instrument, std::string_view name, transpose::Notation notation);

// How many table entries were read for the instrument, and the lines refused because they do not
// play their chord or cannot be read (the table is checked when it is read).
struct TableSummary {
    int entries = 0;
    std::vector<std::string> refused;
};
TableSummary tableSummary(Instrument instrument);

// The table's text read from `text` instead of the shipped file: for tests and fuzzing. Lines that
// cannot be read are refused, never trusted.
TableSummary readTable(std::string_view text, Instrument instrument);

// Keys of a piano chord on two octaves (0 = the lower C .. 23 = the upper B): the chord in close
// position from its root, and the bass key left of it where a slash bass differs from the root.
struct PianoChord {
    std::vector<int> keys;
    std::optional<int> bassKey;
};
PianoChord pianoChord(const ChordTones& chord);

// A fingering as a ChordPro definition: "Am base-fret 1 frets x 0 2 2 1 0", frets counted from the
// base fret (1 its first fret), and back. A definition that reads no fingering gives nothing.
struct Definition {
    std::string name;
    Fingering fingering;
};
std::optional<Definition> parseDefinition(std::string_view text);
std::string formatDefinition(std::string_view name, const Fingering& fingering);
// The fret at which a diagram of `frets` rows starts: 1 (the nut) when every fretted note lies
// within those rows, else the lowest fretted fret.
int baseFret(const Fingering& fingering, int rows);

} // namespace versino::music
