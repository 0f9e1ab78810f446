#pragma once

#include "commands/Songbook.h"
#include "formats/SongList.h"
#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace versino {

class PageMetrics;
class QtBookPrinter;

inline const char* const kSongbookSavePrompt = "Wollen Sie das Liederbuch vor dem Schlie\u00DFen speichern?";
inline const char* const kSongbookNotReadable = "Nicht alle Songs des Liederbuchs konnten gelesen werden:";
inline const char* const kSongbookUnreadableTitle = "(nicht lesbar)";
// "Das Liederbuch steht in „PATH“ (N Seiten)."
inline const char* const kSongbookExported = "Das Liederbuch steht in \u201E%1\u201C (%2 Seiten).";
inline const char* const kSongbookTooLong = "Nicht auf ihre Seite passen:";
// What reading the songs left out or changed, and backup copies of songs whose save did not finish:
// notes, not trouble.
inline const char* const kSongbookNotes = "Hinweise zu den Songs des Liederbuchs:";

// One yes/no option of a book, as the songbook window shows it and the song list stores it. The
// window makes one check box of each entry, in this order; the list keeps an option only while
// it differs from its default, so a list with the defaults is written as before.
struct BookSwitch {
    const char* key;        // the word in the list's option line
    const char* caption;    // the check box, with its accelerator letter
    const char* objectName; // the check box's object name
    bool BookOptions::*member;
};
const std::vector<BookSwitch>& bookSwitches();
// The list's option line for the diagrams of every song: "gitarre", "ukulele", "klavier" or "aus";
// without it each song shows its own choice.
inline const char* const kDiagramsKey = "Griffbilder";

// The options as the list's key/value pairs (only those that differ from the defaults), and back:
// pairs with unknown keys or values are left as they were, so a list written by a later version
// still opens.
std::vector<std::pair<QString, QString>> bookOptionValues(const BookOptions& options);
void applyBookOptionValues(BookOptions& options, const std::vector<std::pair<QString, QString>>& values);

// One row of the songbook window's list.
struct SongbookRow {
    enum class Fit { Yes, No, Unknown };
    QString path;      // absolute
    QString title;     // the songs' titles joined by " / ", or "(nicht lesbar)"
    QString performer; // likewise, the performers that are named
    Fit fits = Fit::Unknown;
    QString problem; // why the file could not be read; empty when it could
    // The entry's options as a set list: the song transposed by `transpose` semitones, a stage
    // note, and the key that makes ("G (+2)"; empty for a song without chords).
    int transpose = 0;
    QString note;
    QString key;

    // The "Passt auf die Seite" column: "ja", "nein" or a dash when the file could not be read.
    QString fitText() const;
};

// The songbook window's commands over its list, its file, its options and the dialogs: opening and
// saving the list, adding, removing and moving songs, the fit column, the export as one PDF and the
// print as one job. Knows no widget; the window shows rows(), options() and caption() whenever
// `changed` is called and hands each user action here. Errors of the list's own file are reported
// through the dialogs; other errors escape to the window's error guard.
class SongbookCommands {
public:
    struct Hooks {
        std::function<void()> changed; // rows, options, caption or modified state changed
    };

    SongbookCommands(Dialogs& dialogs, Hooks hooks);
    ~SongbookCommands();

    const std::vector<SongbookRow>& rows() const { return rows_; }
    const BookOptions& options() const { return options_; }
    void setOptions(const BookOptions& options);
    // "Liederbuch - [NAME]": the list's file name, or "unbenannt".
    QString caption() const;
    // The songs' files in the list's order, and the list's own file (empty while untitled).
    QStringList songFiles() const;
    const QString& listFile() const { return listFile_; }
    bool isModified() const { return modified_; }

    // Reads the list at `path`; false after a reported file error, when nothing has changed.
    bool openList(const QString& path);
    void OeffnenClick();
    // False when the save dialog was cancelled, replacing was refused or writing failed.
    bool SpeichernClick();
    void HinzufuegenClick();
    void addSongs(const QStringList& paths);
    void remove(std::vector<int> rows);
    // Moves row `row` by `by` places; returns where it is now (unchanged when it cannot move).
    int move(int row, int by);
    // The rows in a new order: `order[i]` is the old index of the row that is now at i. Anything
    // that is not a permutation of the rows is ignored.
    void reorder(const std::vector<int>& order);
    void sortByTitle();
    // Sets the transposition (kept within -11 ... +11) and the stage note of row `row`.
    void setEntry(int row, int transpose, const QString& note);
    // The rows from `row` on as set-list entries, for the stage.
    std::vector<songlist::Entry> entries(int fromRow = 0) const;
    // Reads the rows of `path` afresh (its song changed on disk); returns whether any row names it.
    bool refresh(const QString& path);

    // Asks for a PDF file (Nein to replacing asks again) and writes the book; then says where it
    // went and which songs do not fit their page. `progress` as writeBookPdf takes it.
    void ExportPdfClick(const BookProgress& progress = {});
    // The book as one job on `printer`, which it then hands to the printer; an A5-Heft goes as
    // landscape sheets in folding order. A printer error is reported, "no default printer" in the
    // window's words. `jobName()` names the job.
    void DruckenClick(QtBookPrinter& printer, const BookProgress& progress = {});
    QString jobName() const;
    // True when the list may close: asks to save unsaved changes.
    bool closeQuery();

private:
    // What reading songs had to say: files that could not be read, and notes about those that could.
    struct Said {
        QStringList problems;
        QStringList notes;
    };
    SongbookRow makeRow(const QString& path, Said& said, int transpose = 0, const QString& note = {});
    // Shows the problems as an error and the notes as a message, each under its heading.
    void show(const Said& said);
    bool writeList(const QString& path);
    // The rows' songs as the book reads them; what the first read could not read, and its notes,
    // go to `said`.
    BookSongs bookSongs(Said& said) const;
    PrintSurface& metrics();
    void setModified(bool modified);
    void notify() const;

    Dialogs& dialogs_;
    Hooks hooks_;
    std::unique_ptr<PageMetrics> metrics_;
    std::vector<SongbookRow> rows_;
    BookOptions options_;
    QString listFile_;
    bool modified_ = false;
};

} // namespace versino
