#include "platform/QtBookPrinter.h"

#include "document/ShownText.h"

#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QPainter>
#include <QPrinter>

namespace versino {

QtBookPrinter::QtBookPrinter(const QString& jobName) : jobName_(shownTitle(jobName)) {}

QtBookPrinter::~QtBookPrinter() {
    cancel();
}

void QtBookPrinter::setPortrait() {
    if (printer_)
        return;
    printer_ = openDefaultPrinter();
    printer_->setDocName(jobName_);
}

PrintSurface& QtBookPrinter::beginDocument() {
    setPortrait();
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get()))
            throw PrinterError(kPrintJobFailed);
        surface_ = std::make_unique<PainterSurface>(*painter_);
    } else if (!printer_->newPage()) {
        throw PrinterError(kPrintJobFailed);
    }
    return *surface_;
}

void QtBookPrinter::finish() {
    surface_.reset();
    const bool ok = !painter_ || !painter_->isActive() || painter_->end();
    painter_.reset();
    printer_.reset();
    if (!ok)
        throw PrinterError(kPrintJobFailed);
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
