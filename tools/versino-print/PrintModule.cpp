// The module's side: the print support's printers and the bookmark writer behind one table.
#include "PrintModule.h"

#include "platform/QtBookPrinter.h"
#include "platform/QtPrinter.h"

namespace {

versino::Printer* defaultPrinter() {
    return new versino::QtPrinter();
}

class QtBookJob final : public versino::BookJob {
public:
    QtBookJob(const QString& jobName, QPageSize::PageSizeId sheetPaper) : printer_(jobName, sheetPaper) {}
    versino::Printer& pages() override { return printer_; }
    versino::SheetPrinter& sheets() override { return printer_; }
    void finish() override { printer_.finish(); }

private:
    versino::QtBookPrinter printer_;
};

versino::BookJob* bookJob(const QString& jobName, QPageSize::PageSizeId sheetPaper) {
    return new QtBookJob(jobName, sheetPaper);
}

const VersinoPrintModule kModule{kPrintModuleVersion, defaultPrinter, bookJob, versino::pdfUpdate};

} // namespace

extern "C" __attribute__((visibility("default"))) const VersinoPrintModule* versinoPrintModule() {
    return &kModule;
}
