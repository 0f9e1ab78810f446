// The work of versino-print on its songs.

#include "Run.h"

#include "PrintModule.h"

#include "commands/Booklet.h"
#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "commands/Songbook.h"
#include "commands/TransposeCommand.h"
#include "document/Cp1252.h"
#include "document/SongDocument.h"
#include "formats/ChordPro.h"
#include "formats/ChordSheet.h"
#include "formats/LayoutFile.h"
#include "formats/SongList.h"
#include "io/AtomicFile.h"
#include "io/FileError.h"
#include "platform/Bitmap.h"
#include "platform/ImagePrinter.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"
#include "print/PageCheck.h"
#include "print/SongPages.h"
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>
#include "commands/RunningOrder.h"
#include "commands/SetList.h"
#include "io/RegularFile.h"

namespace versino::cli {

namespace {

constexpr int kProgressAbove = 3; // more songs than this show progress (on a terminal)
constexpr int kDefaultDpi = 150;

const char* const kOneSongPerFile =
    "%1: eine Songdatei fasst einen Song, angegeben sind aber %2; bitte einzeln umwandeln";

// The print command's messages and error reports, written to standard error under the song's name.
class StderrReports final : public Reports {
public:
    explicit StderrReports(const QString& song) : song_(song) {}
    bool reported() const { return reported_; }

    void message(const QString& text) override { report(text); }
    void error(const QString& text) override { report(text); }

private:
    void report(const QString& text) {
        fail(song_ + ": " + text);
        reported_ = true;
    }
    QString song_;
    bool reported_ = false;
};

} // namespace

void Run::setPages(SongDocument& doc) const {
    if (!o_.pages)
        return;
    SongOptions options = doc.options();
    options.pages = *o_.pages;
    doc.setOptions(std::move(options));
}

bool Run::showProgress() {
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
}

void Run::progress(int i) const {
    if (o_.songs.size() > kProgressAbove && showProgress()) {
        std::fprintf(stderr, "\r\033[K[%d/%d] %s", i + 1, int(o_.songs.size()), qPrintable(o_.songs[i]));
        if (i + 1 == int(o_.songs.size()))
            std::fputc('\n', stderr);
    }
}

PrintSurface& Run::page() {
    if (!metrics_)
        metrics_ = std::make_unique<PageMetrics>(o_.paper);
    return metrics_->surface();
}

bool Run::read(const QStringList& files, BookSource& source) {
    for (const QString& file : files)
        addSongFile(source, file);
    return named(source);
}

bool Run::named(const BookSource& source) {
    for (const QString& problem : source.problems)
        fail(problem);
    for (const QString& note : source.notes)
        fail(note);
    return source.problems.empty();
}

void Run::transposed(SongDocument& doc) const {
    if (o_.transpose == 0)
        return;
    transpose::Options how = transposePreset(doc);
    how.semitones = o_.transpose;
    how.notation = o_.notation.value_or(how.notation);
    transposeSong(doc, how);
}

std::vector<ComposedPage> Run::prepare(BookSong& song) {
    if (o_.lyricsOnly)
        removeChords(*song.doc);
    if (o_.diagrams)
        overrideDiagrams(*song.doc, *o_.diagrams);
    setPages(*song.doc);
    transposed(*song.doc);
    if (!o_.fit)
        return {};
    std::vector<ComposedPage> pages = composeSong(*song.doc, page());
    const FitOutcome fit = fitComposedSong(*song.doc, page(), pages);
    if (fit.result == FitResult::CannotFit)
        fail(song.file + QStringLiteral(": ") + fit.message);
    return pages;
}

// One song on `printer`, which writes `output` when it is a file; false after a reported failure.
// The page is composed once: what it cannot hold is named from that composition, then it is drawn.
bool Run::printOne(const BookSong& song, Printer& printer, const QString& output, std::vector<ComposedPage> pages) {
    const SongDocument& doc = *song.doc;
    if (singlePdf_)
        singlePdf_->setTitle(cp1252::toUnicode(doc.TitelEdit().text()));
    StderrReports reports(song.file);
    bool notABitmap = false;
    const auto warnFindings = [&](const ComposedPage& page) {
        for (const QString& line : findingLines(song.file, CheckPage(page)))
            std::fprintf(stderr, "%s\n", qPrintable(line));
        notABitmap = page.report.picture == PageReport::Picture::NotABitmap;
    };
    try {
        DruckenClick(doc, reports, printer, QString(), warnFindings, std::move(pages));
    } catch (const FileError& e) {
        reports.error(fileErrorText(output, e));
    }
    // The page leaves out a picture that is no valid BMP without a word; here it is named once, as
    // a picture that cannot be opened is.
    if (notABitmap)
        fail(song.file + QStringLiteral(": \"%1\" is no valid BMP picture; the page is printed without it")
                             .arg(cp1252::toUnicode(picturePath(doc))));
    return !reports.reported();
}

// Lays out each song's page without printing it and lists what the page cannot hold: every song
// of each file, and of each song list.
int Run::check() {
    bool findings = false;
    BookSource source = loadBookSources(o_.songs);
    const bool unreadable = !named(source);
    for (BookSong& song : source.songs) {
        const std::vector<ComposedPage> pages = prepare(song);
        // Printing refuses such a song, so it cannot fit either.
        if (!song.printable()) {
            std::printf("%s:1: %s\n", qPrintable(song.file), kNoLyricsMessage);
            findings = true;
            continue;
        }
        for (const PageFinding& f : pages.empty() ? CheckPage(*song.doc, page()) : CheckPages(pages)) {
            std::printf("%s:%d: %s\n", qPrintable(song.file), f.line, qPrintable(f.text));
            findings = true;
        }
    }
    std::fflush(stdout);
    return unreadable ? kTrouble : findings ? kFindings : kAllDone;
}

// "-o SONG.cho" and "-o SONG.vsn" convert one song. The picture path is written as the song has it.
int Run::convert() {
    const auto several = [&](qsizetype count) {
        fail(QString::fromUtf8(kOneSongPerFile).arg(o_.outputFile).arg(count));
        return kTrouble;
    };
    if (o_.songs.size() != 1)
        return several(o_.songs.size());
    BookSource source;
    if (!read(o_.songs, source))
        return kTrouble;
    if (source.songs.size() != 1)
        return several(qsizetype(source.songs.size()));
    SongDocument& doc = *source.songs.front().doc;
    prepare(source.songs.front());
    try {
        if (o_.output == Output::ChordPro)
            chordpro::WriteChordProFile(doc, o_.outputFile);
        else
            WriteLayoutFile(doc, o_.outputFile);
    } catch (const FileError& e) {
        fail(fileErrorText(o_.outputFile, e));
        return kTrouble;
    }
    return kAllDone;
}

// "-d FOLDER": each song of each file into the folder, in one process.
int Run::convertAll() {
    const QString extension = o_.output == Output::ChordPro ? QString::fromLatin1(chordpro::kExtension)
                                                            : QStringLiteral("vsn");
    const QDir folder(o_.folder);
    bool allOk = true;
    // One look for stale temporary files and one fsync per folder for the whole library.
    WriteBatch batch;
    for (int i = 0; i < int(o_.songs.size()); ++i) {
        progress(i);
        const QString& path = o_.songs[i];
        BookSource source;
        allOk = read({path}, source) && allOk;
        if (source.songs.empty())
            continue;
        const QString base = QFileInfo(path).completeBaseName();
        const std::size_t count = source.songs.size();
        for (std::size_t k = 0; k < count; ++k) {
            BookSong& song = source.songs[k];
            prepare(song);
            const QString name = count == 1 ? QStringLiteral("%1.%2").arg(base, extension)
                                            : QStringLiteral("%1-%2.%3").arg(base).arg(k + 1).arg(extension);
            const QString out = folder.filePath(name);
            try {
                if (o_.output == Output::ChordPro)
                    chordpro::WriteChordProFile(*song.doc, out);
                else
                    WriteLayoutFile(*song.doc, out);
            } catch (const FileError& e) {
                fail(fileErrorText(out, e));
                allOk = false;
            }
        }
    }
    batch.finish();
    return allOk ? kAllDone : kTrouble;
}

// One job per song on the default printer, one PDF book, or one PNG image per song.
int Run::print() {
    std::unique_ptr<PdfBookPrinter> book;
    if (o_.output == Output::Pdf) {
        // The book's temporary file is made before any song is read, so that an output that
        // cannot be written is reported at once, in the file layer's words.
        try {
            book = std::make_unique<PdfBookPrinter>(o_.outputFile, o_.paper);
        } catch (const FileError& e) {
            fail(fileErrorText(o_.outputFile, e));
            return kTrouble;
        }
    }
    const double dpi = o_.size ? ImagePrinter::dotsPerInchForLongerSide(o_.paper, *o_.size)
                               : double(o_.dpi.value_or(kDefaultDpi));
    const int files = int(o_.songs.size());
    bool allOk = true;
    int image = 0;
    for (int i = 0; i < files; ++i) {
        progress(i);
        BookSource source;
        allOk = read({o_.songs[i]}, source) && allOk;
        const std::size_t songs = source.songs.size();
        // A file that cannot be read keeps its number, so that the images of the others keep theirs.
        if (songs == 0)
            ++image;
        // A PDF of one song carries the song's title.
        singlePdf_ = book && files == 1 && songs == 1 ? book.get() : nullptr;
        for (BookSong& song : source.songs) {
            // With --fit, what fitting composed is printed; the printer's measures are the page's.
            std::vector<ComposedPage> pages = prepare(song);
            if (book) {
                allOk = printOne(song, *book, o_.outputFile, std::move(pages)) && allOk;
            } else if (o_.output == Output::Png) {
                // OUT.png for one song; OUT-1.png, OUT-2.png ... for several.
                ++image;
                const QFileInfo out(o_.outputFile);
                const QString file = files == 1 && songs == 1
                                         ? o_.outputFile
                                         : out.dir().filePath(QStringLiteral("%1-%2.%3")
                                                                  .arg(out.completeBaseName())
                                                                  .arg(image)
                                                                  .arg(out.suffix()));
                ImagePrinter printer(file, o_.paper, dpi);
                allOk = printOne(song, printer, file, std::move(pages)) && allOk;
            } else {
                std::unique_ptr<Printer> printer;
                try {
                    printer = defaultPrinter();
                } catch (const FileError& e) {
                    fail(song.file + QStringLiteral(": ") + QString::fromStdString(e.what()));
                    allOk = false;
                    continue;
                }
                allOk = printOne(song, *printer, QString(), std::move(pages)) && allOk;
            }
        }
    }
    // A book without a single page is not written: an empty PDF is a file that no reader opens.
    try {
        if (book)
            book->finish();
    } catch (const FileError& e) {
        fail(fileErrorText(o_.outputFile, e));
        return kTrouble;
    }
    return allOk ? kAllDone : kTrouble;
}

void Run::transposedForBook(BookSong& song) const {
    if (o_.transpose == 0)
        return;
    transposed(*song.doc);
    song.key = keyText(*song.doc, song.transpose + o_.transpose);
}

bool Run::onPrinter(const std::function<void()>& job) {
    try {
        job();
        return true;
    } catch (const PrinterError& e) {
        fail(QString::fromStdString(e.what()));
    } catch (const FileError& e) { // the print support could not be loaded
        fail(QString::fromStdString(e.what()));
    }
    return false;
}

// The running order: every song read first, for its one page.
BookSource Run::loadBook() {
    BookSource source = loadBookSources(o_.songs);
    named(source);
    for (BookSong& song : source.songs)
        transposedForBook(song);
    return source;
}

int Run::setlist() {
    BookSource source = loadBook();
    const bool allRead = source.problems.empty();
    const QString title = o_.title.value_or(source.title);
    if (o_.output == Output::Pdf) {
        if (const std::optional<QString> error = writeRunningOrderPdf(source.songs, title, o_.outputFile, o_.paper)) {
            fail(o_.outputFile + QStringLiteral(": ") + *error);
            return kTrouble;
        }
    } else if (!onPrinter([&] {
                   const std::unique_ptr<BookJob> job = bookJob(runningOrderTitle(title));
                   printRunningOrder(source.songs, title, job->pages());
                   job->finish();
               })) {
        return kTrouble;
    }
    return allRead ? kAllDone : kTrouble;
}

int Run::book() {
    // The songs are read twice, one at a time: for the contents and register, then to compose,
    // check and print each. What cannot be read is named from the first read.
    BookSource report;
    int reads = 0;
    const BookSongs songs = [&](const std::function<void(BookSong&)>& take) {
        BookSource again;
        readBookSources(o_.songs, reads == 0 ? report : again, [&](BookSong& song) {
            transposedForBook(song);
            setPages(*song.doc);
            take(song);
        });
        if (reads++ == 0)
            named(report);
    };
    BookOptions options;
    options.title = o_.title ? *o_.title : songListTitle(o_.songs);
    options.firstLines = o_.index;
    options.lyricsOnly = o_.lyricsOnly;
    options.fit = o_.fit;
    options.runningOrder = o_.runningOrder;
    options.diagrams = o_.diagrams;
    // What a page cannot hold is named as the song is composed, over the progress line on a terminal.
    const BookSongChecked checked = [](const BookSong&, const std::vector<QString>& lines) {
        for (const QString& line : lines)
            std::fprintf(stderr, showProgress() ? "\r\033[K%s\n" : "%s\n", qPrintable(line));
    };
    const BookProgress progress = [](int done, int total) {
        if (showProgress()) {
            std::fprintf(stderr, "\r\033[K[%d/%d]", done + 1, total);
            if (done + 1 == total)
                std::fputc('\n', stderr);
        }
        return true;
    };
    BookResult result;
    const SheetLayout layout = o_.sheets == Options::Sheets::Booklet ? SheetLayout::Booklet : SheetLayout::TwoUp;
    if (o_.output == Output::Pdf) {
        const std::optional<QString> error =
            o_.sheets == Options::Sheets::Pages
                ? writeBookPdf(songs, options, o_.outputFile, result, progress, o_.paper, checked)
                : writeSheetsPdf(songs, options, o_.outputFile, layout, result, progress, o_.paper, checked);
        if (error) {
            fail(o_.outputFile + QStringLiteral(": ") + *error);
            return kTrouble;
        }
    } else if (!onPrinter([&] {
                   const std::unique_ptr<BookJob> job =
                       bookJob(options.title.isEmpty() ? QStringLiteral("Liederbuch") : options.title, o_.paper);
                   result = o_.sheets == Options::Sheets::Pages
                                ? printBook(songs, options, job->pages(), progress, checked)
                                : printSheets(songs, options, job->sheets(), layout, progress, o_.paper, checked);
                   if (!result.noSongs)
                       job->finish();
               })) {
        return kTrouble;
    }
    if (result.noSongs) {
        fail((o_.output == Output::Pdf ? o_.outputFile + QStringLiteral(": ") : QString()) +
             QString::fromUtf8(kNoSongsForBook));
        return kTrouble;
    }
    for (const QString& error : result.pictureErrors)
        fail(error);
    return report.problems.empty() && result.pictureErrors.empty() ? kAllDone : kTrouble;
}

} // namespace versino::cli
