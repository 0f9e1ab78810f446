#pragma once

#include "commands/Songbook.h"

#include <QPageSize>
#include <QString>
#include <optional>
#include <vector>

// A songbook on sheets of two pages a side: an A5 booklet to fold, or two pages a side in reading
// order. The pages are the book's own, composed once at the book's paper and replayed scaled.
namespace versino {

enum class SheetLayout {
    Booklet, // folding order; the page count rounded up to a multiple of four with blank pages
    TwoUp,   // reading order
};

// The book as a PDF of landscape sheets of `paper`, written atomically, with its title and
// bookmarks that lead to the side showing each page. `result` holds the book's own pages and
// numbers, as printBook gives them. Returns the error's text (a file that cannot be written, in
// the file layer's words), or nothing on success, on cancel and without songs.
std::optional<QString> writeSheetsPdf(const BookSongs& songs, const BookOptions& options, const QString& path,
                                      SheetLayout layout, BookResult& result, const BookProgress& progress = {},
                                      QPageSize::PageSizeId paper = QPageSize::A4, const BookSongChecked& checked = {});
std::optional<QString> writeSheetsPdf(std::vector<BookSong>& songs, const BookOptions& options, const QString& path,
                                      SheetLayout layout, BookResult& result, const BookProgress& progress = {},
                                      QPageSize::PageSizeId paper = QPageSize::A4);

class SheetPrinter;

// The book on sheets of `layout` as one job on `printer`: the pages composed once at `paper` and
// held, then replayed scaled, each side of a sheet after the other (for a booklet in folding
// order). Returns the book's own pages and numbers, as printBook gives them; without songs or when
// cancelled, no sheet is begun. Throws PrinterError.
BookResult printSheets(const BookSongs& songs, const BookOptions& options, SheetPrinter& printer, SheetLayout layout,
                       const BookProgress& progress = {}, QPageSize::PageSizeId paper = QPageSize::A4,
                       const BookSongChecked& checked = {});
BookResult printSheets(std::vector<BookSong>& songs, const BookOptions& options, SheetPrinter& printer,
                       SheetLayout layout, const BookProgress& progress = {},
                       QPageSize::PageSizeId paper = QPageSize::A4);

} // namespace versino
