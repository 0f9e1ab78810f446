#pragma once

#include "document/ImportedText.h"
#include "document/SongDocument.h"
#include "formats/LayoutFile.h"
#include "music/Transpose.h"

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Chord sheets: plain text with a line of chords above each lyric line, aligned by column, as
// songs come from the web, from e-mails and from old documents:
//
//      Am         C/G        F          C
//   Let it be, let it be, let it be, let it be
//
// They are read into the song notation with the chords inline ("Let i<Am>t be, ..."): from a file
// (Open, versino-print) as a whole song, and from the clipboard as lines for one field.
namespace versino::chordsheet {

inline const char* const kOpenFilter = "Akkordtext (*.txt)|*.txt";


// What a conversion left out or changed; the user is told all of it.
struct Report {
    int tablatureLines = 0;    // "e|---3---|": left out
    int diagramLines = 0;      // "Am: x02210": left out
    int controlCharacters = 0; // bytes 0-31 but tab, and 127: dropped
    int lessThanSigns = 0;     // a "<" of the text, kept as "‹" (the notation has no "<" as text)
    int degreeSigns = 0;       // a "°" in a chord name, kept as "o" ("°" starts a raised part)
    std::vector<cp1252::Replacement> replaced; // characters outside Windows-1252
    // The notation the chords were read in, when it was a guess that decides a chord on B or H.
    std::optional<transpose::Notation> assumedNotation;
    bool empty() const;
    // The German report shown after an import or paste; empty when there is nothing to say.
    QString message() const;
};

struct Import {
    LayoutContent content; // title, performer, chorus and lyrics; the fonts as given
    Report report;
};

// Reads a whole chord sheet: UTF-8 with or without a byte-order mark, UTF-16 with one, or else
// Windows-1252. `fileName` gives the title when the sheet names none. Never fails: a text that
// holds no chord at all becomes a song of plain lyric lines. Linear in the size of the bytes.
Import parse(std::string_view bytes, const QString& fileName, const std::array<FontSetting, 4>& fontsBefore);

struct Pasted {
    std::string text; // Windows-1252, lines separated by "\n"; a final line break is kept
    Report report;
};

// Text from the clipboard converted, when at least one chord line stands directly above a text
// line; nothing otherwise (the text is then pasted as it is). Each chord line is merged into the
// text line below it, or made a line of chords alone; tablature and chord diagrams are left out;
// every other line is kept. No title and no chorus are taken out.
std::optional<Pasted> convertPaste(const QString& text);

// Reads the file into `doc`, all or nothing: on a FileError `doc` is unchanged. Does not touch
// DocumentName or Modified. Returns what the conversion left out or changed.
Report ReadChordSheetFile(SongDocument& doc, const QString& path);

} // namespace versino::chordsheet
