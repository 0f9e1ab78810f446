#pragma once

#include "platform/PrintSurface.h"
#include "platform/QtPrinter.h"

#include <QPageSize>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;

namespace versino {

class PainterSurface;

// The system's default printer for a book: every beginDocument() after the first opens the next
// page of one job, which finish() hands to the printer. Portrait, 600 dots per inch, as QtPrinter.
// A job begun with nextSheet() instead is a job of sheets: `sheetPaper` in landscape, the whole
// sheet the page (so that the fold lies in its middle), printed on both sides along the short edge
// where the printer can.
class QtBookPrinter final : public Printer, public SheetPrinter {
public:
    explicit QtBookPrinter(const QString& jobName, QPageSize::PageSizeId sheetPaper = QPageSize::A4);
    ~QtBookPrinter() override;

    void setPortrait() override;
    PrintSurface& beginDocument() override;
    PrintSurface& nextPage() override { return beginDocument(); }
    void endDocument() override {}
    QPainter& nextSheet() override;
    // Ends the job. Throws PrinterError when the printer refused it.
    void finish();
    // Ends the job without printing what was not yet sent.
    void cancel();

private:
    void openPage();

    QString jobName_;
    QPageSize::PageSizeId sheetPaper_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
};

} // namespace versino
