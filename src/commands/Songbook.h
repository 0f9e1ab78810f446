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
namespace versino {

// Called before each page is made with the pages done and the pages in all; false stops the book.
using BookProgress = std::function<bool(int done, int total)>;

struct BookResult {
    bool cancelled = false;
    int pages = 0;
    std::vector<int> songPages; // 1-based page of each printable song, in the book's order
    std::vector<PdfOutlineEntry> outline;
    std::vector<QString> pictureErrors; // "FILE: why" for pictures that could not be opened
};

// Prints the book onto `target`, one beginDocument() per page: the title page, the contents, the
// songs in their order with their numbers, the register. Songs without lyrics are left out.
// Throws PrinterError.
BookResult printBook(const std::vector<BookSong>& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress = {});

// The book as a PDF file with its title and bookmarks, written atomically: nothing is written when
// it is cancelled or fails. Returns the error's text, or nothing on success and on cancel
// (`result.cancelled` tells). Throws FileError when the file cannot be written at all.
std::optional<QString> writeBookPdf(const std::vector<BookSong>& songs, const BookOptions& options,
                                    const QString& path, BookResult& result, const BookProgress& progress = {},
                                    QPageSize::PageSizeId paper = QPageSize::A4);

class PdfBookPrinter;

// Gives a finished book's PDF its bookmarks and writes it; the error's text, or nothing.
std::optional<QString> finishBookPdf(PdfBookPrinter& pdf, std::vector<PdfOutlineEntry> outline);

} // namespace versino
