#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"
#include "print/PageCheck.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The songs of a songbook as they are read from song files and song lists, and readied for their
// pages.
namespace versino {

inline const char* const kContentsHeading = "Inhalt";
inline const char* const kFirstLinesHeading = "Liedanf\u00E4nge";
inline const char* const kNoSongsForBook = "Das Liederbuch enth\u00E4lt keinen druckbaren Song.";

struct BookOptions {
    QString title;            // a title page when not empty
    bool contents = true;     // "Inhalt"
    bool firstLines = false;  // "Liedanfänge" after the songs
    bool lyricsOnly = false;  // chord rows left out
    bool fit = false;         // each song fitted to its page as "Auf eine Seite einpassen" does
    // The chord diagrams of every song: "gitarre", "ukulele", "klavier", or "" for none; unset,
    // each song shows its own choice.
    std::optional<std::string> diagrams;
    // The contents as a set list's running order: in the list's order, each song with its number
    // and its key ("7. Heimweg  G (+2)") instead of its performer.
    bool runningOrder = false;
    bool keepOrder = true;    // a song of two pages leaves the page before it blank rather than
                              // letting a later one-page song move forward into it
    bool booklet = false;     // the PDF as an A5 booklet: A4 landscape sheets in folding order
};

// Gives the song the diagrams of `instrument` ("" for none) for this print, whatever it chose.
void overrideDiagrams(SongDocument& doc, const std::string& instrument);

// One song of the book.
struct BookSong {
    QString file;   // as named: for messages
    int line = 0; // the song list's line that names it, or 0
    std::unique_ptr<SongDocument> doc;
    std::vector<PageFinding> findings; // what the page cannot hold, as the song will print
    bool fitted = false;               // fit lowered its sizes (or tried to)
    // What the set list's entry asks: the song is already transposed by `transpose` semitones.
    int transpose = 0;
    QString note;
    QString key; // the first chord after transposition, "G (+2)"

    // The song as the contents list it: its title, or its file name when it has none.
    QString listTitle() const;
    QString performer() const;
    bool printable() const { return !doc->TextEdit().text().empty(); }
    bool fits() const { return !runsOffPage(findings); }
};

// What the files named for a book hold: song files (every song of each) and song lists (.vsl),
// expanded in order. `title` is the first title a list gives.
struct BookSource {
    QString title;
    std::vector<BookSong> songs;
    std::vector<QString> problems; // files that could not be read, one line each: trouble
    std::vector<QString> notes;    // "FILE: what an import left out or changed": never trouble
};
BookSource loadBookSources(const QStringList& files);

// The first title the song lists among `files` give, without reading their songs; empty when none
// gives one or none can be read.
QString songListTitle(const QStringList& files);

// The same songs handed to `take` one at a time and let go when it returns; what could not be read
// and the notes go to `report`, whose `songs` stay empty.
void readBookSources(const QStringList& files, BookSource& report, const std::function<void(BookSong&)>& take);

// Adds every song of the file at `path`; a file that cannot be read is one problem, named
// "LIST:LINE: FILE: why" when the song list `listFile` names it on `line`, else "FILE: why".
void addSongFile(BookSource& source, const QString& path, int line = 0, const QString& listFile = QString(),
                 int transpose = 0, const QString& note = QString());

// A copy of the song with each lyric, chorus and bridge line without its chords; a line that held
// only chords is left out, and so is the capo line, so that the page shows no trace of chords. A
// chorus's and a bridge's first line keeps an empty chord row, so that the block's heading stands
// level with its words as on the song page.
void removeChords(SongDocument& doc);

// Readies a song for a book as `options` ask, before it is indexed or composed: words only, and
// the diagrams of the book's choice. Doing it twice changes nothing more.
void readyBookSong(BookSong& song, const BookOptions& options);

// The page check's findings as `versino-print --check` lists them: "FILE:LINE: text", for a print
// that follows. A picture that cannot be shown is left to the print, which reports it once.
std::vector<QString> findingLines(const QString& file, const std::vector<PageFinding>& findings);

// The first line of the song's lyrics and of its chorus, without chords and directives.
std::vector<std::string> firstLines(const SongDocument& doc);

} // namespace versino
