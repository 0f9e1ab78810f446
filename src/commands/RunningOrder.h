#pragma once

#include "commands/BookSources.h"
#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"

#include <QPageSize>
#include <QString>
#include <optional>
#include <vector>

// The running order of an evening on one page in large type, to tape to the floor: each song's
// number, title, key and note, under the list's title.
namespace versino {

inline const char* const kRunningOrderHeading = "Ablauf";
// The page's heading and the document's title: `title`, or "Ablauf" when it is empty.
QString runningOrderTitle(const QString& title);

// The one page of `songs` under `title` ("Ablauf" when it is empty), composed as the print layer's
// composeRunningOrder lays it out.
ComposedPage runningOrderPage(PageMeasures& m, const std::vector<BookSong>& songs, const QString& title);

// The page as a one-page job on `printer`. Throws PrinterError.
void printRunningOrder(const std::vector<BookSong>& songs, const QString& title, Printer& printer);
// The page as a PDF file, written atomically. Returns the error's text, or nothing on success.
std::optional<QString> writeRunningOrderPdf(const std::vector<BookSong>& songs, const QString& title,
                                            const QString& path, QPageSize::PageSizeId paper = QPageSize::A4);

} // namespace versino
