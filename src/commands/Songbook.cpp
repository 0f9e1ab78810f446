#include "commands/Songbook.h"

#include "document/ShownText.h"

#include "commands/BookPages.h"
#include "commands/BookPlan.h"
#include "commands/PrintCommand.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"
#include "print/SongPages.h"

namespace versino {

using namespace book;

BookResult printBook(const std::vector<BookSong>& songs, const BookOptions& options, Printer& target,
                     const BookProgress& progress) {
    BookResult result;
    std::vector<const BookSong*> printed;
    for (const BookSong& s : songs)
        if (s.printable())
            printed.push_back(&s);
    if (printed.empty())
        throw PrinterError(kNoSongsForBook);

    target.setPortrait();
    PrintSurface* surface = &target.beginDocument();
    bool pageOpen = true;
    const auto nextPage = [&]() -> PrintSurface& {
        if (!pageOpen)
            surface = &target.beginDocument();
        pageOpen = false;
        ++result.pages;
        return *surface;
    };

    // Where everything goes, before the first page is drawn: the contents need the songs' pages.
    const int titlePages = options.title.isEmpty() ? 0 : 1;
    const ListLayout contentsLayout = layoutList(*surface, options.contents ? printed.size() : 0);
    const int firstSongPage = titlePages + contentsLayout.pages + 1;
    // Songs that may take two pages are composed now, to know their pages; the rest take one.
    std::vector<std::vector<ComposedPage>> ahead(printed.size());
    std::vector<int> pageCounts(printed.size(), 1);
    for (std::size_t i = 0; i < printed.size(); ++i)
        if (printed[i]->doc->options().pages > 1) {
            ahead[i] = composeSong(*printed[i]->doc, *surface);
            pageCounts[i] = int(ahead[i].size());
        }
    const BookPlan plan = planSongPages(pageCounts, firstSongPage, options.keepOrder);
    std::vector<ListEntry> contents, register_;
    for (std::size_t i = 0; i < printed.size(); ++i) {
        const int page = plan.firstPage[i];
        result.songPages.push_back(page);
        if (options.contents && options.runningOrder)
            contents.push_back({std::to_string(i + 1) + ". " + cp1252::fromUnicode(printed[i]->listTitle()),
                                cp1252::fromUnicode(printed[i]->key), false, page, int(i)});
        else if (options.contents)
            contents.push_back({cp1252::fromUnicode(printed[i]->listTitle()), printed[i]->doc->InterpretEdit().text(),
                                false, page, int(i)});
        if (options.firstLines) {
            const std::vector<std::string> starts = firstLines(*printed[i]->doc);
            for (std::size_t k = 0; k < starts.size(); ++k)
                register_.push_back({starts[k], {}, k > 0, page, int(i)});
        }
    }
    if (!options.runningOrder)
        sortGerman(contents);
    sortGerman(register_);
    const ListLayout registerLayout = layoutList(*surface, register_.size());
    const int total = firstSongPage - 1 + plan.pages + registerLayout.pages;
    const auto step = [&]() {
        if (progress && !progress(result.pages, total)) {
            result.cancelled = true;
            return false;
        }
        return true;
    };

    if (titlePages && step())
        drawTitlePage(nextPage(), shownTitle(options.title));
    for (int p = 0; p < contentsLayout.pages && !result.cancelled && step(); ++p) {
        if (p == 0)
            result.outline.push_back({QString::fromUtf8(kContentsHeading), result.pages});
        drawListPage(nextPage(), kContentsHeading, contents, contentsLayout, p);
    }
    for (std::size_t k = 0; k < plan.sequence.size() && !result.cancelled && step(); ++k) {
        if (plan.sequence[k] < 0) { // the blank page before a song of two facing pages
            nextPage();
            continue;
        }
        const std::size_t i = std::size_t(plan.sequence[k]);
        result.outline.push_back({printed[i]->listTitle(), result.pages});
        PrintSurface* s = &nextPage();
        const std::vector<ComposedPage> pages =
            ahead[i].empty() ? std::vector<ComposedPage>{composePage(*printed[i]->doc, *s)} : std::move(ahead[i]);
        for (std::size_t p = 0; p < pages.size(); ++p) {
            if (p > 0)
                s = &nextPage();
            drawPage(pages[p], *s);
            drawPageNumber(*s, pages[p], result.pages);
        }
        if (const std::optional<QString> error = pictureErrorText(*printed[i]->doc, pages.back().report))
            result.pictureErrors.push_back(printed[i]->file + QStringLiteral(": ") + *error);
        else if (pages.back().report.picture == PageReport::Picture::NotABitmap)
            result.pictureErrors.push_back(
                printed[i]->file + QStringLiteral(": \"%1\" is no valid BMP picture; the page is printed without it")
                                       .arg(cp1252::toUnicode(printed[i]->doc->GraphikEdit().text())));
    }
    for (int p = 0; p < registerLayout.pages && !result.cancelled && step(); ++p) {
        if (p == 0)
            result.outline.push_back({QString::fromUtf8(kFirstLinesHeading), result.pages});
        drawListPage(nextPage(), kFirstLinesHeading, register_, registerLayout, p);
    }
    target.endDocument();
    return result;
}

std::optional<QString> writeBookPdf(const std::vector<BookSong>& songs, const BookOptions& options,
                                    const QString& path, BookResult& result, const BookProgress& progress,
                                    QPageSize::PageSizeId paper) {
    PdfBookPrinter pdf(path, paper, true);
    pdf.setTitle(options.title);
    try {
        result = printBook(songs, options, pdf, progress);
    } catch (const PrinterError& e) {
        pdf.cancel();
        return QString::fromStdString(e.what());
    }
    if (result.cancelled) {
        pdf.cancel();
        return std::nullopt;
    }
    return finishBookPdf(pdf, result.outline);
}

std::optional<QString> finishBookPdf(PdfBookPrinter& pdf, std::vector<PdfOutlineEntry> outline) {
    pdf.setOutline(std::move(outline));
    try {
        pdf.finish();
    } catch (const FileError& e) {
        return QString::fromStdString(e.what());
    } catch (const PrinterError& e) {
        return QString::fromStdString(e.what());
    }
    return std::nullopt;
}

} // namespace versino
