#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <string>

// What a set list's entry does to its song: the transposition it asks for, and the key it then
// shows ("G (+2)"), in the stage view, the songbook window, the book's contents and the running
// order alike.
namespace versino {

// The first chord the song reaches, as written: its lyrics first, then the chorus, then the
// bridge (a lyric line may call the chorus before any chord of its own). Empty without chords.
std::string firstChord(const SongDocument& doc);

// Transposes the song's chords by `semitones` in the notation the song is written in, with the
// spelling its new key asks for; 0 changes nothing.
void transposeForEntry(SongDocument& doc, int semitones);

// The key as a set list shows it: the first chord after transposition, followed by the
// transposition when there is one: "G (+2)", "Am (-3)", "G", "(+2)", "".
QString keyText(const SongDocument& transposed, int semitones);

} // namespace versino
