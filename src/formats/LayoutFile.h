#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <vector>

// The layout file (.vsn): the nine fields and the face names, sizes and colours of the four
// font settings, as Windows-1252 text with CR LF line ends.
namespace versino {

// Up to three empty lines at the end of each multi-line field are removed, in three passes over
// Refrain, Bridge and Text. Works on the whole text of each field once.
void TrimTrailingEmptyLines(SongDocument& doc);

// The bytes of the layout file for the document as it stands (no trimming). A line of a multi-line
// field that reads as a tag, with or without blanks after it, is written with one blank more.
std::string formatLayout(const SongDocument& doc);

// What a layout file holds: the nine texts in field order and the four font settings (titel,
// interpret, text, akkord).
struct LayoutContent {
    std::array<std::string, kFieldCount> texts;
    std::array<FontSetting, 4> fonts;
    SongOptions options;
};

// The song's options follow the fonts as a section of their own, written only when one is set:
//   [Optionen]
//   Seiten: 2
//   Griffbilder: gitarre
//   Griff: Am base-fret 1 frets x 0 2 2 1 0
//   Notation: international
// A reader that does not know the section reads past its lines like any line that is no tag. The
// section ends at an empty line, a tag or the end of the data; unknown keys and values are skipped.
inline constexpr std::string_view kOptionsTag = "[Optionen]";

// Reads layout bytes. The texts start empty (the capo "0") and the fonts as given; every section
// found replaces its part, and "[Fonts]" replaces face, size and colour but not the style sets.
// Throws FileError: InvalidNumber on a bad size or colour, NotASong when the bytes hold text but
// none of the ten tags. Never stalls: unknown lines are read past and the real end of the data ends
// a multi-line section, which otherwise ends only at a line that is exactly one of the ten tags. A
// text line that is a tag followed by blanks loses one blank (the writer adds it). Does not trim.
LayoutContent parseLayout(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore);

// A size or colour of "[Fonts]" that is no number, told where `numberNotes` is given: %1 the line,
// %2 the value ("Schriftgröße des Titels"), %3 what stood there, %4 the default taken instead.
inline const char* const kBadFontNumberNote =
    "Zeile %1, %2: \u201E%3\u201C ist keine Zahl. Es gilt die Vorgabe %4.";

// The same, except that where `numberNotes` is given a size or colour that is no number does not
// fail the read: it takes the default font's value, and a note saying so is added.
LayoutContent parseLayout(std::string_view bytes, const std::array<FontSetting, 4>& fontsBefore,
                          std::vector<QString>* numberNotes);

// The same into a document, all or nothing: on an error `doc` is unchanged.
void parseLayout(std::string_view bytes, SongDocument& doc);

// Hands complete content to the document: each field gets its text once, the fonts are replaced.
void applyLayoutContent(SongDocument& doc, LayoutContent&& content);

// Saves the document as `path`: creates the file (atomically, beside the target), then trims the
// multi-line fields, then writes. Throws FileError; on any failure the previous file is intact.
// A name without a folder is taken relative to the process's current folder.
void WriteLayoutFile(SongDocument& doc, const QString& path);

// Reads the file into a fresh in-memory document and, only when the whole file was read, hands it
// to `doc` (texts, and face, size and colour of the fonts) and trims the multi-line fields. On a
// FileError `doc` is left exactly as it was. Does not touch DocumentName or Modified.
void ReadLayoutFile(SongDocument& doc, const QString& path);

} // namespace versino
