#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The song list (.vsl): the songs of a book in their order, as plain UTF-8 text with one path per
// line, relative to the list's own folder or absolute. Empty lines and lines beginning with "#"
// are ignored; a first line "#Titel: NAME" gives the book's title. A line "#Option: KEY=VALUE" keeps
// one of the book's options; older readers take it for a comment and skip it.
//
// A list is also the running order of an evening (a set list). Its entries may carry options on
// lines of their own directly below them, so that a list read by an older Versino still names the
// same songs:
//   #Transponieren: +2        the song is played two semitones up (-11 ... +11)
//   #Notiz: leise anfangen    a short note for the stage
// A path that a plain line cannot hold (blanks at its ends, a line break or another control
// character) is written as "#Pfad: " followed by the path with those characters and "%" written
// as "%XX" (the hex value of each UTF-8 byte).
namespace versino::songlist {

inline const char* const kExtension = "vsl";
inline const char* const kFilter = "Liederb\u00FCcher (*.vsl)|*.vsl";
inline const char* const kTitlePrefix = "#Titel:";
inline const char* const kPathPrefix = "#Pfad:";
inline const char* const kTransposePrefix = "#Transponieren:";
inline const char* const kNotePrefix = "#Notiz:";
inline constexpr int kMaxTranspose = 11;
inline const char* const kOptionPrefix = "#Option:";

struct Entry {
    Entry() = default;
    Entry(QString path, int line, int transpose = 0, QString note = {})
        : path(std::move(path)), line(line), transpose(transpose), note(std::move(note)) {}

    QString path; // absolute
    int line = 0; // 1-based line of the list that names it; 0 when it was named elsewhere
    int transpose = 0; // semitones, -kMaxTranspose ... kMaxTranspose
    QString note;      // one line, without blanks at its ends

    bool hasOptions() const { return transpose != 0 || !note.isEmpty(); }
};

// A note as a list holds it: control characters become blanks, blanks at the ends go.
QString cleanNote(const QString& note);
// A transposition as the list writes it: "+2", "-3", "0".
QString transposeText(int semitones);

struct SongList {
    QString title;
    std::vector<Entry> entries;
    // The book's options in the order the list gives them; written after the title line.
    std::vector<std::pair<QString, QString>> options;
};

// Reads list bytes; relative paths are taken within `folder`.
SongList parse(std::string_view bytes, const QString& folder);
// The list as file bytes: paths inside `folder` (or near it) relative to it, others absolute.
std::string format(const SongList& list, const QString& folder);

// Throws FileError.
SongList ReadSongListFile(const QString& path);
// Writes atomically. Throws FileError.
void WriteSongListFile(const SongList& list, const QString& path);

bool isSongListFile(const QString& path);

// One song read for a book. A ChordPro file with several songs gives several of these.
struct LoadedSong {
    QString file;
    int line = 0; // the list's line, or 0
    std::unique_ptr<SongDocument> doc;
    QString leftOut; // what a ChordPro import could not keep, for the user; empty when nothing
};

// Reads the song files of `entries` in order: layout files, and ChordPro files by their extension.
// A file that cannot be read is left out; `problems` gets one line for it ("LIST:LINE: FILE: why"
// when it came from a list named `listFile`, else "FILE: why").
std::vector<LoadedSong> loadSongs(const std::vector<Entry>& entries, const QString& listFile,
                                  std::vector<QString>& problems);

} // namespace versino::songlist
