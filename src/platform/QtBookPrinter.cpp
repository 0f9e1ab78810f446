#include "platform/QtBookPrinter.h"

#include "document/ShownText.h"

#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace versino {

QtBookPrinter::QtBookPrinter(const QString& jobName, QPageSize::PageSizeId sheetPaper)
    : jobName_(shownTitle(jobName)), sheetPaper_(sheetPaper) {}

QtBookPrinter::~QtBookPrinter() {
    cancel();
}

void QtBookPrinter::setPortrait() {
    if (printer_)
        return;
    printer_ = openDefaultPrinter();
    printer_->setDocName(jobName_);
}

void QtBookPrinter::openPage() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get()))
            throw PrinterError(PrinterError::Kind::JobFailed);
        surface_ = std::make_unique<PainterSurface>(*painter_);
    } else if (!printer_->newPage()) {
        throw PrinterError(PrinterError::Kind::JobFailed);
    }
}

PrintSurface& QtBookPrinter::beginDocument() {
    setPortrait();
    openPage();
    return *surface_;
}

QPainter& QtBookPrinter::nextSheet() {
    if (!printer_) {
        printer_ = openDefaultPrinter();
        printer_->setDocName(jobName_);
        if (!printer_->setPageSize(QPageSize(sheetPaper_)) ||
            !printer_->setPageOrientation(QPageLayout::Landscape) ||
            printer_->pageLayout().orientation() != QPageLayout::Landscape)
            throw PrinterError(PrinterError::Kind::NotSupported);
        // The halves of the sheet are the halves of the paper, not of what the printer can reach:
        // the fold lies in the middle.
        printer_->setFullPage(true);
        // Turned over the short edge, the back of a landscape sheet stands the same way up.
        if (QPrinterInfo(*printer_).supportedDuplexModes().contains(QPrinter::DuplexShortSide))
            printer_->setDuplex(QPrinter::DuplexShortSide);
    }
    openPage();
    return *painter_;
}


void QtBookPrinter::finish() {
    surface_.reset();
    const bool ok = !painter_ || !painter_->isActive() || painter_->end();
    painter_.reset();
    printer_.reset();
    if (!ok)
        throw PrinterError(PrinterError::Kind::JobFailed);
}

void QtBookPrinter::cancel() {
    surface_.reset();
    if (painter_ && painter_->isActive() && printer_) {
        printer_->abort();
        painter_->end();
    }
    painter_.reset();
    printer_.reset();
}

} // namespace versino
