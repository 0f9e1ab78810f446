#include "commands/Booklet.h"
#include "commands/Songbook.h"

#include "io/FileError.h"
#include "platform/PageMetrics.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"
#include "print/Imposition.h"

#include <QPainter>
#include <QPaintDevice>

namespace versino {

namespace {

// The book's pages composed at `paper` and held, in the book's order: a sheet shows pages from both
// ends of the book.
struct HeldBook {
    BookResult result;
    std::vector<ComposedPage> pages;
    std::vector<SheetSide> sides;
};

HeldBook holdBook(const BookSongs& songs, const BookOptions& options, SheetLayout layout,
                  const BookProgress& progress, QPageSize::PageSizeId paper, const BookSongChecked& checked) {
    HeldBook book;
    PageMetrics metrics(paper);
    book.result = composeBook(songs, options, metrics.surface(), book.pages, progress, checked);
    const int count = int(book.pages.size());
    book.sides = layout == SheetLayout::Booklet ? bookletSides(count) : twoUpSides(count);
    return book;
}

// Each side on the next sheet of `printer`. One canvas serves every side, so fonts are resolved once.
void drawSides(const HeldBook& book, SheetPrinter& printer) {
    std::unique_ptr<PainterSurface> canvas;
    for (const SheetSide& side : book.sides) {
        QPainter& painter = printer.nextSheet();
        const QSize sheet(painter.device()->width(), painter.device()->height());
        if (!canvas)
            canvas = std::make_unique<PainterSurface>(
                painter, QSize(book.pages.front().width, book.pages.front().height), kPrintResolution);
        paintSheetSide(painter, *canvas, sheet, side, book.pages);
    }
}

} // namespace

BookResult printSheets(const BookSongs& songs, const BookOptions& options, SheetPrinter& printer, SheetLayout layout,
                       const BookProgress& progress, QPageSize::PageSizeId paper, const BookSongChecked& checked) {
    const HeldBook book = holdBook(songs, options, layout, progress, paper, checked);
    if (!book.result.cancelled && !book.result.noSongs)
        drawSides(book, printer);
    return book.result;
}

BookResult printSheets(std::vector<BookSong>& songs, const BookOptions& options, SheetPrinter& printer,
                       SheetLayout layout, const BookProgress& progress, QPageSize::PageSizeId paper) {
    return printSheets(heldSongs(songs), options, printer, layout, progress, paper);
}

std::optional<QString> writeSheetsPdf(const BookSongs& songs, const BookOptions& options, const QString& path,
                                      SheetLayout layout, BookResult& result, const BookProgress& progress,
                                      QPageSize::PageSizeId paper, const BookSongChecked& checked) {
    return writeBookFile(path, paper, true, options.title,
                         [&](PdfBookPrinter& pdf) -> std::optional<std::vector<PdfOutlineEntry>> {
                             const HeldBook book = holdBook(songs, options, layout, progress, paper, checked);
                             result = book.result;
                             if (result.cancelled || result.noSongs)
                                 return std::nullopt;
                             drawSides(book, pdf);
                             // Each bookmark leads to the side of the sheet that shows its page.
                             const std::vector<int> sideOf = sideOfPages(book.sides, int(book.pages.size()));
                             std::vector<PdfOutlineEntry> outline = result.outline;
                             for (PdfOutlineEntry& entry : outline)
                                 if (entry.page >= 0 && entry.page < int(book.pages.size()))
                                     entry.page = sideOf[std::size_t(entry.page)];
                             return outline;
                         });
}

std::optional<QString> writeSheetsPdf(std::vector<BookSong>& songs, const BookOptions& options, const QString& path,
                                      SheetLayout layout, BookResult& result, const BookProgress& progress,
                                      QPageSize::PageSizeId paper) {
    return writeSheetsPdf(heldSongs(songs), options, path, layout, result, progress, paper);
}

} // namespace versino
