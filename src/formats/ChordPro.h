#pragma once

#include "formats/LayoutFile.h"
#include "document/SongDocument.h"

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// ChordPro text: chords as "[Am]" inside the lyrics, directives such as "{title: ...}" on lines of
// their own. Songs are read from it and written to it; what has no place on a Versino page is
// counted so the user can be told.
namespace versino::chordpro {

inline const char* const kOpenFilter =
    "ChordPro (*.cho *.crd *.chopro *.chordpro *.pro)|*.cho;*.crd;*.chopro;*.chordpro;*.pro";
inline const char* const kExportFilter = "ChordPro (*.cho)|*.cho";
inline const char* const kExtension = "cho";

// What an import left out: a description of each kind, with how often it occurred, in the order
// of first occurrence. An entry with the count 0 is a finished sentence about what the import
// changed instead ("3 Zeichen ersetzt: Ż→Z, ł→l, ą→a").
using Dropped = std::vector<std::pair<QString, int>>;

struct Import {
    LayoutContent content; // the nine texts (trimmed like after Open) and the four fonts
    Dropped dropped;
};


// The name a song imported from `path` is saved under: the file name with ".vsn" in place of its
// extension.
QString layoutNameFor(const QString& path);

// Reads a ChordPro song: UTF-8 with or without a byte-order mark, UTF-16 with one, or else
// Windows-1252; line ends LF, CR LF or CR. The fields start empty and the fonts as given; the
// title and performer fonts are never changed. A "<" of the text stays text ("‹"), markup goes,
// "{chorus}" repeats the chorus defined last, "[*Bis]" is text on the chord row (a raised part
// without a chord: "<°Bis>"), and a "°" in a chord means diminished ("o"). Linear in the input.
Import parse(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore);

// Reads every song of a ChordPro file that holds several, each started by "{new_song}" (or
// "{ns}"); a file of one song gives one. Parts without a title and without lyrics are no songs.
std::vector<Import> parseSongs(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore);

// The song as ChordPro text in UTF-8. German chord names are written the international way, with
// "{x_versino_notation: de ...}" so that parse gives them back.
std::string format(const SongDocument& doc);

// The message that tells the user what an import left out or changed; empty when nothing was.
QString droppedMessage(const Dropped& dropped);

// Reads the file into `doc`, all or nothing: on a FileError `doc` is unchanged. The song starts
// from the default fonts. Does not touch DocumentName or Modified. Returns what was left out.
Dropped ReadChordProFile(SongDocument& doc, const QString& path);

// Writes the song as a ChordPro file, atomically. The document is not changed.
void WriteChordProFile(const SongDocument& doc, const QString& path);

} // namespace versino::chordpro
