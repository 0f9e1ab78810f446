#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

namespace versino {

// One bookmark of a PDF: its text and the page it leads to (0-based).
struct PdfOutlineEntry {
    QString title;
    int page = 0;
};

// Pages of a PDF to be moved when it is written again: `count` pages from `from` on (0-based) go
// before the page that stands at `to` (to < from), in their order. Nothing moves when count is 0.
struct PdfPageMove {
    int from = 0;
    int count = 0;
    int to = 0;
};

// What to append to the PDF file `source`, as Qt wrote it, to give it a flat outline of `entries`
// (in their order, naming pages of the new order; entries naming a page the file lacks are left
// out) and its pages moved as `move` says: an incremental update that leaves every byte of the
// file as it is. Empty when nothing changes. Throws FileError when the file cannot be read back as
// a PDF.
std::string pdfUpdate(const QString& source, const std::vector<PdfOutlineEntry>& entries, const PdfPageMove& move);

} // namespace versino
