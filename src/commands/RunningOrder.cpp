#include "commands/RunningOrder.h"

#include "commands/Songbook.h"
#include "document/Cp1252.h"
#include "platform/QtPrinter.h"
#include "print/RunningOrderPage.h"

namespace versino {

QString runningOrderTitle(const QString& title) {
    return title.isEmpty() ? QString::fromUtf8(kRunningOrderHeading) : title;
}

ComposedPage runningOrderPage(PageMeasures& m, const std::vector<BookSong>& songs, const QString& title) {
    std::vector<RunningOrderRow> rows;
    rows.reserve(songs.size());
    for (const BookSong& song : songs)
        rows.push_back({cp1252::fromUnicode(song.listTitle()), cp1252::fromUnicode(song.key),
                        cp1252::fromUnicode(song.note)});
    return composeRunningOrder(m, rows, cp1252::fromUnicode(runningOrderTitle(title)));
}

void printRunningOrder(const std::vector<BookSong>& songs, const QString& title, Printer& printer) {
    printer.setPortrait();
    PrintSurface& page = printer.beginDocument();
    drawPage(runningOrderPage(page, songs, title), page);
    printer.endDocument();
}

std::optional<QString> writeRunningOrderPdf(const std::vector<BookSong>& songs, const QString& title,
                                            const QString& path, QPageSize::PageSizeId paper) {
    return writeBookFile(path, paper, false, runningOrderTitle(title), [&](PdfBookPrinter& pdf) {
        printRunningOrder(songs, title, pdf);
        return std::optional<std::vector<PdfOutlineEntry>>(std::vector<PdfOutlineEntry>{});
    }, /*outline=*/false);
}

} // namespace versino
