#include "commands/Booklet.h"
#include "commands/Songbook.h"

#include "io/FileError.h"
#include "platform/PageMetrics.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"
#include "print/Imposition.h"

#include <QPainter>
#include <QPaintDevice>

namespace versino {

namespace {

// A printer whose pages are kept as composed pages instead of being drawn.
class RecordingPrinter final : public Printer {
public:
    explicit RecordingPrinter(PageRecorder& recorder) : recorder_(recorder) {}
    void setPortrait() override {}
    PrintSurface& beginDocument() override {
        recorder_.startPage();
        return recorder_;
    }
    PrintSurface& nextPage() override { return beginDocument(); }
    void endDocument() override {}

private:
    PageRecorder& recorder_;
};

// The book's pages as printBook makes them at `paper`, kept instead of drawn, and the sides of
// the sheets that show them.
struct RecordedBook {
    BookResult result;
    std::vector<ComposedPage> pages;
    std::vector<SheetSide> sides;
};

RecordedBook recordBook(const std::vector<BookSong>& songs, const BookOptions& options, SheetLayout layout,
                        const BookProgress& progress, QPageSize::PageSizeId paper) {
    RecordedBook book;
    PageMetrics metrics(paper);
    PageRecorder recorder(metrics.surface());
    RecordingPrinter pages(recorder);
    book.result = printBook(songs, options, pages, progress);
    book.pages = std::move(recorder.pages());
    const int count = int(book.pages.size());
    book.sides = layout == SheetLayout::Booklet ? bookletSides(count) : twoUpSides(count);
    return book;
}

// Each side on the next sheet of `printer`. One canvas serves every side, so fonts are resolved once.
void drawSides(const RecordedBook& book, SheetPrinter& printer) {
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

BookResult printSheets(const std::vector<BookSong>& songs, const BookOptions& options, SheetPrinter& printer,
                       SheetLayout layout, const BookProgress& progress, QPageSize::PageSizeId paper) {
    const RecordedBook book = recordBook(songs, options, layout, progress, paper);
    if (!book.result.cancelled)
        drawSides(book, printer);
    return book.result;
}

std::optional<QString> writeSheetsPdf(const std::vector<BookSong>& songs, const BookOptions& options,
                                      const QString& path, SheetLayout layout, BookResult& result,
                                      const BookProgress& progress, QPageSize::PageSizeId paper) {
    PdfBookPrinter pdf(path, paper, true, true);
    pdf.setTitle(options.title);
    RecordedBook book;
    try {
        book = recordBook(songs, options, layout, progress, paper);
        result = book.result;
        if (!result.cancelled)
            drawSides(book, pdf);
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    }
    if (result.cancelled) {
        pdf.cancel();
        return std::nullopt;
    }
    const std::vector<int> sideOf = sideOfPages(book.sides, int(book.pages.size()));
    std::vector<PdfOutlineEntry> outline = result.outline;
    for (PdfOutlineEntry& entry : outline)
        if (entry.page >= 0 && entry.page < int(book.pages.size()))
            entry.page = sideOf[std::size_t(entry.page)];
    return finishBookPdf(pdf, std::move(outline));
}

} // namespace versino
