#pragma once

#include "commands/BookSources.h"
#include "platform/PdfOutline.h"
#include "platform/PrintSurface.h"

#include <QPageSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// A songbook: songs in the order of a song list, with a title page, contents, page numbers, a
// register of first lines and PDF bookmarks. Every song page is the page the song prints alone;
// what the book adds to it goes only where the song draws nothing.
//
// A book reads its songs twice, one at a time: first for what its contents and register need (the
// titles, performers, first lines, which songs have lyrics), then to compose each song once, check
// and draw that composition, and let it go. The contents, known last, are made last and moved
// into place: by the PDF writer, or among the pages held for a printer or for sheets.
namespace versino {

// Called before each page is made with the pages done and the pages in all (as far as they are
// known: a song that asks for two pages may take one); false stops the book.
using BookProgress = std::function<bool(int done, int total)>;

// The book's songs in its order, each handed to `take` and let go when it returns. Each call
// reads them afresh (from their files), or hands on songs held in memory.
using BookSongs = std::function<void(const std::function<void(BookSong&)>& take)>;

// Songs held in memory as a book's songs.
BookSongs heldSongs(std::vector<BookSong>& songs);

// Called as each song is composed for the book, with the user's lines about it: "FILE:LINE: text"
// for each finding of its page (its `findings` hold them), a line when fitting cannot make it fit,
// and a line when it has no lyrics (it is then left out).
using BookSongChecked = std::function<void(const BookSong& song, const std::vector<QString>& lines)>;

struct BookResult {
    bool cancelled = false;
    bool noSongs = false; // no song has lyrics: nothing was printed or written
    int pages = 0;
    std::vector<PdfOutlineEntry> outline;
    std::vector<QString> pictureErrors; // "FILE: why" for pictures that could not be opened
};

// Prints the book onto `target`, one beginDocument() per page: the title page, the contents, the
// songs in their order with their numbers, the register. Songs without lyrics are left out; when
// none is left, nothing is printed and `noSongs` tells. The pages are composed with the target's
// measures and held until the contents are made, as a printer takes its pages in order. Throws
// PrinterError.
BookResult printBook(const BookSongs& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress = {}, const BookSongChecked& checked = {});
BookResult printBook(std::vector<BookSong>& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress = {});

// The book as a PDF file with its title and bookmarks, written atomically: nothing is written when
// it is cancelled, has no song or fails. Each page is drawn as soon as it is composed. Returns the
// error's text (a file that cannot be written, in the file layer's words), or nothing on success,
// on cancel and without songs (`result` tells). Throws nothing of its own.
std::optional<QString> writeBookPdf(const BookSongs& songs, const BookOptions& options, const QString& path,
                                    BookResult& result, const BookProgress& progress = {},
                                    QPageSize::PageSizeId paper = QPageSize::A4, const BookSongChecked& checked = {});
std::optional<QString> writeBookPdf(std::vector<BookSong>& songs, const BookOptions& options, const QString& path,
                                    BookResult& result, const BookProgress& progress = {},
                                    QPageSize::PageSizeId paper = QPageSize::A4);

struct ComposedPage;

// The book's pages composed with `measures`, all held, in the book's order. For sheets that show
// two pages a side, which need every page before the first sheet.
BookResult composeBook(const BookSongs& songs, const BookOptions& options, PageMeasures& measures,
                       std::vector<ComposedPage>& pages, const BookProgress& progress = {},
                       const BookSongChecked& checked = {});

class PdfBookPrinter;

// What draws a book's pages onto its PDF and gives their bookmarks; nothing when the book is not to
// be written (cancelled, or without songs). Throws PrinterError or FileError.
using BookFileMaker = std::function<std::optional<std::vector<PdfOutlineEntry>>(PdfBookPrinter&)>;

// The PDF at `path`, written atomically with its title and bookmarks: made first, so that an output
// that cannot be written is named at once, then drawn by `make`, then finished. Nothing is written
// when `make` gives nothing or fails. A printer or file error is returned as its text; any other
// failure goes on. Without `outline` the file gets no bookmarks and is written as Qt writes it.
std::optional<QString> writeBookFile(const QString& path, QPageSize::PageSizeId paper, bool sheets,
                                     const QString& title, const BookFileMaker& make, bool outline = true);

} // namespace versino
