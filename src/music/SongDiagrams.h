#pragma once

#include "document/SongDocument.h"
#include "music/Fingering.h"

#include <optional>
#include <string>
#include <vector>

// The chord diagrams a song shows: each distinct chord once, in the order the printed page first
// shows it (the lyrics, with the chorus and bridge where a directive calls them), and how it is
// played on the song's instrument.
namespace versino::music {

struct SongChord {
    std::string name; // as the song writes it
    FieldId field;    // where it first stands
    int line;         // 1-based within that field
    std::optional<ChordTones> tones; // nothing when the name cannot be read
    std::optional<Fingering> fingering; // guitar and ukulele: the song's own, else the table's or the search's
};

// The chords of the lines in print order, each once.
std::vector<SongChord> chordsInPrintOrder(const std::vector<std::string>& lyrics,
                                          const std::vector<std::string>& chorus,
                                          const std::vector<std::string>& bridge);

// The song's chords with their tones and fingerings for the instrument. The song's own fingerings
// (its ChordPro definitions) win over the table and the search where they fit the instrument's
// strings; a name matches a definition by its spelling or by the same tones.
std::vector<SongChord> songDiagrams(const SongDocument& doc, Instrument instrument);
// The same from the lines a page was composed from.
std::vector<SongChord> songDiagrams(const std::vector<std::string>& lyrics, const std::vector<std::string>& chorus,
                                    const std::vector<std::string>& bridge, const SongOptions& options,
                                    Instrument instrument);

// The notation the song's chords are read in: German unless they are spelled the English way.
transpose::Notation songNotation(const std::vector<SongChord>& chords);

} // namespace versino::music
