#pragma once

#include "document/SongDocument.h"
#include "music/Transpose.h"
#include "platform/Dialogs.h"

namespace versino {

// The notation the dialog starts with (German unless the chords are spelled the English way) and
// automatic spelling.
transpose::Options transposePreset(const SongDocument& doc);

// The chords of the chorus, bridge and lyrics that a transposition would leave as they are: how
// many, and the first ten names.
transpose::Count unrecognisedChords(const SongDocument& doc);

// Transposes every chord of the chorus, bridge and lyrics. Each field gets its new text as one edit
// (one change notification, which sets Modified; a field's own undo takes it back in one step);
// the capo and all other fields stay. Automatic spelling is decided once for the whole song, after
// the key its first chord reaches, and so are the forms of new accidentals.
transpose::Count transposeSong(SongDocument& doc, const transpose::Options& options);

// The menu command: asks for steps, notation and spelling, transposes, and says how many chords
// it could not read. Cancel changes nothing.
void TransponierenClick(SongDocument& doc, Dialogs& dialogs);

} // namespace versino
