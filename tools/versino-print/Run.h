#pragma once

// Running versino-print over its songs once the command line is read: checking, converting,
// printing and making books.

#include "Options.h"

#include "platform/PageMetrics.h"
#include "print/ComposedPage.h"

#include <functional>
#include <memory>
#include <vector>

#include "commands/BookSources.h"

namespace versino {
struct BookSong;
struct BookSource;
class PdfBookPrinter;
class Printer;
class PrintSurface;
class SongDocument;
} // namespace versino

namespace versino::cli {

// Everything that runs over the songs one by one.
class Run {
public:
    explicit Run(const Options& options) : o_(options) {}

    int check();
    int convert();
    int convertAll();
    int print();
    int book();
    int setlist();

private:
    // A job for the default printer; a printer's refusal, or print support that could not be
    // loaded, is named on standard error, and the answer is false.
    bool onPrinter(const std::function<void()>& job);
    // Every song of each file through the one opener; false when a file could not be read. Both
    // name on standard error what could not be read and what an import left out or changed.
    bool read(const QStringList& files, BookSource& source);
    static bool named(const BookSource& source);
    // The song readied as the options ask: words only, transposed, fitted to its page. With --fit,
    // the song's pages as fitting left them composed, for the check and the print to use; none
    // without it.
    std::vector<ComposedPage> prepare(BookSong& song);
    void transposed(SongDocument& doc) const;
    bool printOne(const BookSong& song, Printer& printer, const QString& output, std::vector<ComposedPage> pages = {});
    // The songs of a running order, transposed as their entries and --transpose ask.
    BookSource loadBook();
    // A song of a book transposed as --transpose asks, beyond its entry's transposition.
    void transposedForBook(BookSong& song) const;
    // The song's pages as --pages asks; left as the file says without it.
    void setPages(SongDocument& doc) const;
    // One line on a terminal that is rewritten for each step; nothing into logs or pipes.
    static bool showProgress();
    void progress(int i) const;
    // The page the songs are laid out on, made when first needed.
    PrintSurface& page();

    const Options& o_;
    std::unique_ptr<PageMetrics> metrics_;
    PdfBookPrinter* singlePdf_ = nullptr; // a PDF of one song carries the song's title
};

} // namespace versino::cli
