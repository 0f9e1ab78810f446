#pragma once

#include "document/SongDocument.h"
#include "music/Transpose.h"

namespace versino::transpose {

// The notation a song's chords are in: international when the song says so (a song from
// elsewhere), else as its chords are spelled (guessNotation over lyrics, chorus and bridge).
Notation songNotation(const SongDocument& doc);

// The options a song from elsewhere carries for its chords: international, when the German rule
// of the song file would read them otherwise.
void markImportedNotation(SongOptions& options, Notation imported, const std::vector<std::string_view>& texts);

} // namespace versino::transpose
