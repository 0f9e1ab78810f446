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

} // namespace

std::optional<QString> writeSheetsPdf(const std::vector<BookSong>& songs, const BookOptions& options,
                                      const QString& path, SheetLayout layout, BookResult& result,
                                      const BookProgress& progress, QPageSize::PageSizeId paper) {
    PdfBookPrinter pdf(path, paper, true, true);
    pdf.setTitle(options.title);
    PageMetrics metrics(paper);
    PageRecorder recorder(metrics.surface());
    RecordingPrinter pages(recorder);
    try {
        result = printBook(songs, options, pages, progress);
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    }
    if (result.cancelled) {
        pdf.cancel();
        return std::nullopt;
    }
    const std::vector<ComposedPage>& book = recorder.pages();
    const int count = int(book.size());
    const std::vector<SheetSide> sides = layout == SheetLayout::Booklet ? bookletSides(count) : twoUpSides(count);
    const std::vector<int> sideOf = sideOfPages(sides, count);
    try {
        std::unique_ptr<PainterSurface> canvas;
        for (const SheetSide& side : sides) {
            pdf.beginDocument();
            QPainter& painter = *pdf.painter();
            const QSize sheet(painter.device()->width(), painter.device()->height());
            if (!canvas)
                canvas = std::make_unique<PainterSurface>(painter, QSize(book.front().width, book.front().height),
                                                          kPrintResolution);
            paintSheetSide(painter, *canvas, sheet, side, book);
        }
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    }
    std::vector<PdfOutlineEntry> outline = result.outline;
    for (PdfOutlineEntry& entry : outline)
        if (entry.page >= 0 && entry.page < count)
            entry.page = sideOf[std::size_t(entry.page)];
    return finishBookPdf(pdf, std::move(outline));
}

} // namespace versino
