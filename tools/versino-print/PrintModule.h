#pragma once

// What versino-print takes from Qt's print support: the default printer, a printer job of many
// pages, and the bookmarks of a PDF book (through libqpdf). They live in a module of their own
// (versino-print-extras.so), loaded the first time a run needs one, so that a run that only writes
// PDF or PNG files or converts songs does not load the print support, the widgets it needs,
// libqpdf and its TLS library: about a dozen shared libraries fewer to map and relocate at start.

#include "platform/PdfOutline.h"
#include "platform/PrintSurface.h"
#include "platform/QtPrinter.h" // SheetPrinter

#include <QPageSize>
#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace versino {
// A job of many pages or sheets on the default printer.
class BookJob {
public:
    virtual ~BookJob() = default;
    virtual Printer& pages() = 0;
    virtual SheetPrinter& sheets() = 0;
    // Ends the job. Throws PrinterError when the printer refused it.
    virtual void finish() = 0;
};
} // namespace versino

// The module's one entry point returns this table. The module is built from the same sources and
// headers as the program, in the same build, so C++ types may cross.
struct VersinoPrintModule {
    int version;
    versino::Printer* (*defaultPrinter)();
    versino::BookJob* (*bookJob)(const QString& jobName, QPageSize::PageSizeId sheetPaper);
    std::string (*pdfUpdate)(const QString& source, const std::vector<versino::PdfOutlineEntry>& entries,
                             const versino::PdfPageMove& move); // throws FileError
};

inline constexpr int kPrintModuleVersion = 1;
inline constexpr const char* kPrintModuleEntry = "versinoPrintModule";
inline constexpr const char* kPrintModuleFile = "versino-print-extras.so";

namespace versino::cli {

// Each loads the module when first called; FileError when it cannot be loaded.
std::unique_ptr<Printer> defaultPrinter();
std::unique_ptr<BookJob> bookJob(const QString& jobName, QPageSize::PageSizeId sheetPaper = QPageSize::A4);

} // namespace versino::cli
