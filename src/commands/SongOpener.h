#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

// The one way a song file is read, for every caller: the editor's Open, versino-print, song lists
// and the songbook. It picks the reader from the file's name, reads every song the file holds and
// says in one kind of report what an import left out or changed.
namespace versino {

enum class SongFormat {
    Layout,     // .vsn, and every name that is none of the others
    ChordPro,   // .cho .crd .chopro .chordpro .pro
    ChordSheet, // .txt: chords above the lyrics
};

inline const char* const kLayoutFilter = "Text Layouts (*.vsn)|*.vsn";

// The reader a file goes to, by its extension in any letter case.
SongFormat songFormatOf(const QString& path);

// The filters of an open dialog that offers every song file: all of them first, then each format.
QString songFileFilter();

// What an import left out or changed. These are notes for the user, never trouble: a song with
// notes is read, printed and checked like any other, and a run that only has notes succeeds.
struct ImportReport {
    // The editor's message after the import, with its heading; empty when there is nothing to say.
    QString message;
    // The same items, one finished German phrase each ("2 × Angabe {key} ausgelassen").
    std::vector<QString> notes;

    bool empty() const { return notes.empty(); }
    // The notes on one line, as a command-line tool names them after the file.
    QString line() const;
};

struct OpenedSong {
    // In memory; DocumentName is the file's path as given, `path` the same made absolute.
    std::unique_ptr<SongDocument> doc;
    ImportReport report;
};

struct OpenedFile {
    QString path;
    SongFormat format = SongFormat::Layout;
    // In the file's order; never empty. A ChordPro file gives one song for each part started by
    // "{new_song}", and one song without lyrics when no part holds a song.
    std::vector<OpenedSong> songs;
};

// Reads every song of the file with the reader its name picks, or with `format`, starting from the
// font settings `fontsBefore` (fontsOf, defaultFonts): a layout file keeps their style sets, a chord
// sheet keeps them whole, a ChordPro song always starts from the defaults. A layout file's
// multi-line fields are trimmed as after Open; the importers leave their texts trimmed already.
// Throws FileError in the file layer's words; nothing else makes a read fail.
OpenedFile openSongFile(const QString& path, const std::array<FontSetting, 4>& fontsBefore = defaultFonts());
OpenedFile openSongFile(const QString& path, SongFormat format,
                        const std::array<FontSetting, 4>& fontsBefore = defaultFonts());

} // namespace versino
