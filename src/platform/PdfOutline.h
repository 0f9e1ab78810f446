#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace versino {

// One bookmark of a PDF: its text and the page it leads to (0-based).
struct PdfOutlineEntry {
    QString title;
    int page = 0;
};

// Writes the PDF `bytes` again, piece by piece through `write`, with the document title `title`
// (none when empty) and a flat outline of `entries` (in their order; entries naming a page the
// file lacks are left out). The pages' streams are copied as they are. Throws PrinterError when
// the bytes are no PDF that can be read back.
void addPdfOutline(std::string_view bytes, const QString& title, const std::vector<PdfOutlineEntry>& entries,
                   const std::function<void(const char*, std::size_t)>& write);

} // namespace versino
