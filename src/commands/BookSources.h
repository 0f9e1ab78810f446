#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"
#include "print/PageCheck.h"

#include <QString>
#include <QStringList>
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

// A relative picture path of a song names a file beside the song file: it is made absolute
// against the song file's folder, so the page finds the picture whatever folder is current.
void anchorPicture(SongDocument& doc, const QString& songFile);

// One song of the book.
struct BookSong {
    QString file;   // as named: for messages
    QString folder; // the song file's folder, absolute: relative picture paths start there
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

// What the files named for a book hold: song files (layout or ChordPro) and song lists (.vsl),
// expanded in order. `title` is the first title a list gives.
struct BookSource {
    QString title;
    std::vector<BookSong> songs;
    std::vector<QString> problems; // files that could not be read, one line each
    // Songs that a save in place did not finish writing: where the copy of their last whole
    // version lies, and whether the file itself is whole. Read all the same; one line each.
    std::vector<QString> notes;
};
BookSource loadBookSources(const QStringList& files);

// A copy of the song with each lyric, chorus and bridge line without its chords; a line that held
// only chords is left out, and so is the capo line, so that the page shows no trace of chords. A
// chorus's and a bridge's first line keeps an empty chord row, so that the block's heading stands
// level with its words as on the song page.
void removeChords(SongDocument& doc);

// Readies a song for its page: words only and fitting as `options` ask, then the page check on
// `metrics`. Returns the user's lines about it: "FILE:LINE: text" for each finding, and a line when
// fitting cannot make it fit or the song has no lyrics (it is then left out of the book).
std::vector<QString> prepareBookSong(BookSong& song, const BookOptions& options, PrintSurface& metrics);

// The page check's findings as `versino-print --check` lists them: "FILE:LINE: text", for a print
// that follows. A picture that cannot be shown is left to the print, which reports it once.
std::vector<QString> findingLines(const QString& file, const std::vector<PageFinding>& findings);

// The first line of the song's lyrics and of its chorus, without chords and directives.
std::vector<std::string> firstLines(const SongDocument& doc);

} // namespace versino
