#pragma once

// Running versino-print over its songs once the command line is read: checking, converting,
// printing and making books.

#include "Options.h"

#include "platform/PageMetrics.h"

#include <memory>
#include <vector>

#include "commands/BookSources.h"

namespace versino {
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
    bool load(const QString& path, SongDocument& doc);
    // The songs of a book or running order, transposed as their entries and --transpose ask.
    BookSource loadBook();
    // Every song of a file (a ChordPro file may hold several), read, transposed and fitted as
    // asked; empty after a reported file error.
    std::vector<std::unique_ptr<SongDocument>> loadEvery(const QString& path);
    // Reads the songs of a file by its kind: all of a ChordPro file when `every`, else its first.
    void read(const QString& path, bool every, std::vector<std::unique_ptr<SongDocument>>& songs);
    void prepare(const QString& path, SongDocument& doc);
    // The song's pages as --pages asks; left as the file says without it.
    void setPages(SongDocument& doc) const;
    bool printOne(const QString& path, Printer& printer, const QString& output);
    // One line on a terminal that is rewritten for each step; nothing into logs or pipes.
    static bool showProgress();
    void progress(int i) const;
    // Names a song that the paper cannot hold, as --check lists it; the song is still printed.
    void warnFindings(const QString& path, const SongDocument& doc);
    // The page the songs are laid out on, made when first needed.
    PrintSurface& page();

    const Options& o_;
    std::unique_ptr<PageMetrics> metrics_;
    PdfBookPrinter* singlePdf_ = nullptr; // a PDF of one song carries the song's title
};

} // namespace versino::cli
