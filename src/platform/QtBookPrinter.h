#pragma once

#include "platform/PrintSurface.h"

#include <QString>
#include <memory>

class QPainter;
class QPrinter;

namespace versino {

class PainterSurface;

// The system's default printer for a book: every beginDocument() after the first opens the next
// page of one job, which finish() hands to the printer. Portrait, 600 dots per inch, as QtPrinter.
class QtBookPrinter final : public Printer {
public:
    explicit QtBookPrinter(const QString& jobName);
    ~QtBookPrinter() override;

    void setPortrait() override;
    PrintSurface& beginDocument() override;
    PrintSurface& nextPage() override { return beginDocument(); }
    void endDocument() override {}
    // Ends the job. Throws PrinterError when the printer refused it.
    void finish();
    // Ends the job without printing what was not yet sent.
    void cancel();

private:
    QString jobName_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
};

} // namespace versino
