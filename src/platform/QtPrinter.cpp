#include "platform/QtPrinter.h"

#include "platform/PainterSurface.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace versino {

QtPrinter::QtPrinter() = default;
QtPrinter::~QtPrinter() {
    if (painter_ && painter_->isActive())
        painter_->end();
}

std::unique_ptr<QPrinter> openDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw PrinterError(PrinterError::Kind::NoDefaultPrinter);
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        throw PrinterError(PrinterError::Kind::NoDefaultPrinter);
    printer->setResolution(kPrintResolution);
    if (!printer->setPageOrientation(QPageLayout::Portrait) ||
        printer->pageLayout().orientation() != QPageLayout::Portrait)
        throw PrinterError(PrinterError::Kind::NotSupported);
    // The page's origin is the corner of what the printer can print, not of a margin of Qt's own
    // choosing; a printer whose whole sheet is printable gives the PDF book's page exactly.
    const QPageLayout layout = printer->pageLayout();
    printer->setPageMargins(layout.minimumMargins(), layout.units());
    return printer;
}

void QtPrinter::setPortrait() {
    printer_ = openDefaultPrinter();
}

PrintSurface& QtPrinter::beginDocument() {
    if (!printer_)
        setPortrait();
    printer_->setDocName(QString());
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get()))
        throw PrinterError(PrinterError::Kind::JobFailed);
    surface_ = std::make_unique<PainterSurface>(*painter_);
    return *surface_;
}

PrintSurface& QtPrinter::nextPage() {
    if (!printer_ || !surface_ || !printer_->newPage())
        throw PrinterError(PrinterError::Kind::JobFailed);
    return *surface_;
}

void QtPrinter::endDocument() {
    surface_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    // One printer per job: the next print asks the system again for its default printer.
    printer_.reset();
}

} // namespace versino
