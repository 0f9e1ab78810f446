#pragma once

#include "platform/PdfOutline.h"
#include "platform/PrintSurface.h"

#include <QPageSize>
#include <QString>
#include <memory>

class QTemporaryFile;
class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace versino {

class AtomicFileDevice;
class PainterSurface;

// Device units of every printed page: 600 dots per inch, so that the fixed measures of the page
// (150, 200, 100 ...) have the same physical size on every printer.
inline constexpr int kPrintResolution = 600;

// The system's default printer, portrait, at 600 dots per inch, its page starting at the corner of
// what it can print. Throws PrinterError when there is none or it cannot print portrait.
std::unique_ptr<QPrinter> openDefaultPrinter();

// The system's default printer through QPrinter, portrait, at 600 dots per inch.
class QtPrinter final : public Printer {
public:
    QtPrinter();
    ~QtPrinter() override;

    void setPortrait() override;
    PrintSurface& beginDocument() override;
    PrintSurface& nextPage() override;
    void endDocument() override;

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
};

// Sheets that hold two pages a side, on which composed pages are replayed scaled (a booklet): each
// nextSheet() opens the next side of one job and gives the painter on it, whose device is the whole
// landscape sheet, its middle the fold. Throws PrinterError.
class SheetPrinter {
public:
    virtual ~SheetPrinter() = default;
    virtual QPainter& nextSheet() = 0;
};

// A PDF file in which each job is one page: the same surface as on a printer (600 dots per inch,
// portrait), on A4 or another paper size. The file is written atomically: it appears, or replaces
// an older one, complete after finish() or destruction. A book without any page, or one whose
// writing failed, leaves the target as it was.
class PdfBookPrinter final : public Printer, public SheetPrinter {
public:
    // Throws FileError when the file cannot be written at all, before any page is made. With
    // `withOutline` the pages go into a temporary file first, from which finish() writes the file
    // with its outline (setOutline) and its pages in their final order (movePages).
    // Sheets printed with two pages a side are `landscape`.
    PdfBookPrinter(const QString& fileName, QPageSize::PageSizeId paper = QPageSize::A4, bool withOutline = false,
                   bool landscape = false);
    ~PdfBookPrinter() override;

    void setPortrait() override {}
    PrintSurface& beginDocument() override;
    PrintSurface& nextPage() override { return beginDocument(); }
    void endDocument() override {}

    // The document's title, shown by PDF readers; set before finish().
    void setTitle(const QString& title);
    // The bookmarks finish() writes, when the printer was made withOutline.
    void setOutline(std::vector<PdfOutlineEntry> entries) { outline_ = std::move(entries); }
    // Pages made after the ones they precede, moved into place by finish(), when the printer was
    // made withOutline.
    void movePages(const PdfPageMove& move) { move_ = move; }
    // Ends the file. Throws FileError when it could not be written, its outline included; the
    // target then stays as it was. Ending it again does nothing.
    void finish();
    // Ends without writing anything: an older file of the name stays as it was.
    void cancel();
    int pages() const { return pages_; }
    // The painter of the open page, for drawing under a transform of one's own (a sheet of two
    // pages); null before the first page.
    QPainter* painter() const { return painter_.get(); }
    // The next page as a sheet; the printer must have been made `landscape`.
    QPainter& nextSheet() override;

private:
    QPageSize::PageSizeId paper_;
    bool landscape_ = false;
    std::unique_ptr<AtomicFileDevice> file_;
    std::unique_ptr<QTemporaryFile> pending_; // the pages while the outline is still to come
    QString title_;
    std::vector<PdfOutlineEntry> outline_;
    PdfPageMove move_;
    bool finished_ = false;
    std::unique_ptr<QPagedPaintDevice> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
    int pages_ = 0;
    bool failed_ = false;
};

} // namespace versino
