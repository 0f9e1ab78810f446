#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <string>
#include <string_view>

// The layout file (.vsn): the nine fields and the face names, sizes and colours of the four
// font settings, as Windows-1252 text with CR LF line ends.
namespace versino {

// Up to three empty lines at the end of each multi-line field are removed, in three passes over
// Refrain, Bridge and Text. Works on the whole text of each field once.
void TrimTrailingEmptyLines(SongDocument& doc);

// The bytes of the layout file for the document as it stands (no trimming).
std::string formatLayout(const SongDocument& doc);

// Reads layout bytes into `doc`: first ResetTexts, then every section found; font settings take
// face, size and colour from "[Fonts]" and keep their style sets. Throws FileError (InvalidNumber)
// on a bad size or colour. Never stalls: unknown lines are read past and the end of the data ends a
// multi-line section, which otherwise ends only at a line that is exactly one of the ten tags.
// Does not trim.
void parseLayout(std::string_view bytes, SongDocument& doc);

// Reads the whole file; throws FileError. Only regular files are read (a folder or a device
// counts as access denied).
std::string readFileBytes(const QString& path);

// Saves the document as `path`: creates the file (atomically, beside the target), then trims the
// multi-line fields, then writes. Throws FileError; on any failure the previous file is intact.
// A name without a folder is taken relative to the process's current folder.
void WriteLayoutFile(SongDocument& doc, const QString& path);

// Reads the file into a fresh in-memory document and, only when the whole file was read, hands it
// to `doc` (texts, and face, size and colour of the fonts) and trims the multi-line fields. On a
// FileError `doc` is left exactly as it was. Does not touch DocumentName or Modified.
void ReadLayoutFile(SongDocument& doc, const QString& path);

} // namespace versino
