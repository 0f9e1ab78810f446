// The work of versino-print on its songs.

#include "Run.h"

#include "commands/Booklet.h"
#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "commands/RunningOrder.h"
#include "commands/SetList.h"
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
#include "io/RegularFile.h"
#include "platform/Bitmap.h"
#include "platform/ImagePrinter.h"
#include "platform/QtBookPrinter.h"
#include "platform/QtPrinter.h"
#include "print/PageCheck.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace versino::cli {

namespace {

constexpr int kProgressAbove = 3; // more songs than this show progress (on a terminal)
constexpr int kDefaultDpi = 150;

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

void Run::warnFindings(const QString& path, const SongDocument& doc) {
    for (const QString& line : findingLines(path, CheckPage(doc, page())))
        std::fprintf(stderr, "%s\n", qPrintable(line));
}

PrintSurface& Run::page() {
    if (!metrics_)
        metrics_ = std::make_unique<PageMetrics>(o_.paper);
    return metrics_->surface();
}

namespace {

void reportDropped(const QString& path, const chordpro::Dropped& dropped) {
    QString note;
    for (const auto& [kind, count] : dropped) {
        // A count of 0 is a sentence about what was changed, with its own numbers.
        const QString item = count > 0 ? QStringLiteral("%1 \u00D7 %2").arg(count).arg(kind) : kind;
        note += (note.isEmpty() ? QString() : QStringLiteral(", ")) + item;
    }
    if (!note.isEmpty())
        std::fprintf(stderr, "versino-print: %s: left out or changed: %s\n", qPrintable(path), qPrintable(note));
}

} // namespace

// The one place that picks the reader of a song file: ChordPro and chord sheets by their
// extension, everything else as a layout file. Throws FileError.
void Run::read(const QString& path, bool every, std::vector<std::unique_ptr<SongDocument>>& songs) {
    const auto fresh = [&songs]() -> SongDocument& {
        songs.push_back(std::make_unique<SongDocument>());
        songs.back()->InstallDefaultFonts();
        return *songs.back();
    };
    if (chordpro::isChordProFile(path)) {
        if (!every) {
            reportDropped(path, chordpro::ReadChordProFile(fresh(), path));
        } else {
            std::vector<chordpro::Import> imports =
                chordpro::parseSongs(readRegularFile(path), {defaultTitelFont(), defaultInterpretFont(),
                                                             defaultTextFont(), defaultAkkordFont()});
            for (chordpro::Import& in : imports) {
                reportDropped(path, in.dropped);
                applyLayoutContent(fresh(), std::move(in.content));
            }
        }
    } else if (chordsheet::isChordSheetFile(path)) {
        // Always a chord sheet: a lyric line "[Refrain]" must not make it a layout file.
        const QString note = chordsheet::ReadChordSheetFile(fresh(), path).message();
        if (!note.isEmpty())
            std::fprintf(stderr, "versino-print: %s: %s\n", qPrintable(path),
                         qPrintable(note.section(QLatin1Char('\n'), 1).replace(QLatin1Char('\n'), QLatin1String("; "))));
    } else {
        ReadLayoutFile(fresh(), path);
    }
    // The song may be torn by a save in place that did not finish; its whole version waits
    // in the editor's cache, and the editor offers it at the next Open.
    if (const auto copy = AtomicFile::backupCopyOf(path))
        std::fprintf(stderr, "versino-print: %s: a save of this song did not finish; the song as it was "
                             "before is kept as %s (%s)\n",
                     qPrintable(path), qPrintable(copy->path),
                     !copy->fileIsWhole   ? "the file itself may be torn"
                     : *copy->fileIsWhole ? "the file itself is whole and newer"
                                          : "the file itself is torn");
}

// Leaves out the chords, transposes and fits the song as asked.
void Run::prepare(const QString& path, SongDocument& doc) {
    if (o_.lyricsOnly)
        removeChords(doc);
    if (o_.diagrams)
        overrideDiagrams(doc, *o_.diagrams);
    setPages(doc);
    if (o_.transpose != 0) {
        transpose::Options how = transposePreset(doc);
        how.semitones = o_.transpose;
        how.notation = o_.notation.value_or(how.notation);
        transposeSong(doc, how);
    }
    if (o_.fit) {
        const FitOutcome fit = fitToOnePage(doc, page());
        if (fit.result == FitResult::CannotFit)
            fail(path + QStringLiteral(": ") + fit.message);
    }
}

// Reads one song into `doc`; false after a file error, which is reported.
bool Run::load(const QString& path, SongDocument& doc) {
    std::vector<std::unique_ptr<SongDocument>> songs;
    try {
        read(path, false, songs);
    } catch (const FileError& e) {
        fail(fileErrorText(path, e));
        return false;
    }
    doc.InstallDefaultFonts();
    doc.copySongFrom(*songs.front());
    prepare(path, doc);
    return true;
}

std::vector<std::unique_ptr<SongDocument>> Run::loadEvery(const QString& path) {
    std::vector<std::unique_ptr<SongDocument>> songs;
    try {
        read(path, true, songs);
    } catch (const FileError& e) {
        fail(fileErrorText(path, e));
        return {};
    }
    for (auto& song : songs)
        prepare(path, *song);
    return songs;
}

// One song on `printer`, which writes `output` when it is a file; false after a reported failure.
bool Run::printOne(const QString& path, Printer& printer, const QString& output) {
    SongDocument doc;
    if (!load(path, doc))
        return false;
    // Relative picture paths are found beside the song file.
    anchorPicture(doc, path);
    if (!doc.TextEdit().text().empty())
        warnFindings(path, doc);
    if (singlePdf_)
        singlePdf_->setTitle(cp1252::toUnicode(doc.TitelEdit().text()));
    StderrReports reports(path);
    // The page leaves out a picture that is no valid BMP without a word; here it is named, as a
    // picture that cannot be opened is.
    const std::string picture = doc.GraphikEdit().text();
    if (!picture.empty() && !doc.TextEdit().text().empty() &&
        loadBitmap(picture).status == BitmapLoad::Status::NotABitmap)
        fail(path + QStringLiteral(": \"%1\" is no valid BMP picture; the page is printed without it")
                        .arg(cp1252::toUnicode(picture)));
    try {
        DruckenClick(doc, reports, printer);
    } catch (const FileError& e) {
        reports.error(fileErrorText(output, e));
    }
    return !reports.reported();
}

// Lays out each song's page without printing it and lists what the page cannot hold.
int Run::check() {
    bool findings = false;
    bool unreadable = false;
    QStringList songs;
    for (const QString& path : o_.songs) {
        if (!songlist::isSongListFile(path)) {
            songs << path;
            continue;
        }
        try {
            for (const songlist::Entry& e : songlist::ReadSongListFile(path).entries)
                songs << e.path;
        } catch (const FileError& e) {
            fail(fileErrorText(path, e));
            unreadable = true;
        }
    }
    for (const QString& path : songs) {
        SongDocument doc;
        if (!load(path, doc)) {
            unreadable = true;
            continue;
        }
        anchorPicture(doc, path);
        // Printing refuses such a song, so it cannot fit either.
        if (doc.TextEdit().text().empty()) {
            std::printf("%s:1: %s\n", qPrintable(path), kNoLyricsMessage);
            findings = true;
            continue;
        }
        for (const PageFinding& f : CheckPage(doc, page())) {
            std::printf("%s:%d: %s\n", qPrintable(path), f.line, qPrintable(f.text));
            findings = true;
        }
    }
    std::fflush(stdout);
    return unreadable ? kTrouble : findings ? kFindings : kAllDone;
}

// "-o SONG.cho" and "-o SONG.vsn" convert one song.
int Run::convert() {
    if (o_.songs.size() != 1) {
        fail(QStringLiteral("%1: a song file holds one song, but %2 songs were given; convert them one at a time")
                 .arg(o_.outputFile)
                 .arg(o_.songs.size()));
        return kTrouble;
    }
    SongDocument doc;
    if (!load(o_.songs.front(), doc))
        return kTrouble;
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
    for (int i = 0; i < int(o_.songs.size()); ++i) {
        progress(i);
        const QString& path = o_.songs[i];
        const std::vector<std::unique_ptr<SongDocument>> songs = loadEvery(path);
        if (songs.empty()) {
            // A file error is reported; a file without a song is named.
            if (QFileInfo(path).isReadable())
                fail(path + QStringLiteral(": holds no song"));
            allOk = false;
            continue;
        }
        const QString base = QFileInfo(path).completeBaseName();
        for (std::size_t k = 0; k < songs.size(); ++k) {
            const QString name = songs.size() == 1 ? QStringLiteral("%1.%2").arg(base, extension)
                                                   : QStringLiteral("%1-%2.%3").arg(base).arg(k + 1).arg(extension);
            const QString out = folder.filePath(name);
            try {
                if (o_.output == Output::ChordPro)
                    chordpro::WriteChordProFile(*songs[k], out);
                else
                    WriteLayoutFile(*songs[k], out);
            } catch (const FileError& e) {
                fail(fileErrorText(out, e));
                allOk = false;
            }
        }
    }
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
    if (book && o_.songs.size() == 1)
        singlePdf_ = book.get();
    const double dpi = o_.size ? ImagePrinter::dotsPerInchForLongerSide(o_.paper, *o_.size)
                               : double(o_.dpi.value_or(kDefaultDpi));
    const int total = int(o_.songs.size());
    bool allOk = true;
    for (int i = 0; i < total; ++i) {
        progress(i);
        const QString& song = o_.songs[i];
        if (book) {
            allOk = printOne(song, *book, o_.outputFile) && allOk;
        } else if (o_.output == Output::Png) {
            // OUT.png for one song; OUT-1.png, OUT-2.png ... for several.
            const QFileInfo out(o_.outputFile);
            const QString file = total == 1 ? o_.outputFile
                                            : out.dir().filePath(QStringLiteral("%1-%2.%3")
                                                                     .arg(out.completeBaseName())
                                                                     .arg(i + 1)
                                                                     .arg(out.suffix()));
            ImagePrinter printer(file, o_.paper, dpi);
            allOk = printOne(song, printer, file) && allOk;
        } else {
            QtPrinter printer;
            allOk = printOne(song, printer, QString()) && allOk;
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

// The songbook: every song read first (the contents need them all), then the pages.
BookSource Run::loadBook() {
    BookSource source = loadBookSources(o_.songs);
    for (const QString& problem : source.problems)
        fail(problem);
    for (const QString& note : source.notes)
        std::fprintf(stderr, "versino-print: %s\n", qPrintable(note));
    if (o_.transpose != 0)
        for (BookSong& song : source.songs) {
            transpose::Options how = transposePreset(*song.doc);
            how.semitones = o_.transpose;
            how.notation = o_.notation.value_or(how.notation);
            transposeSong(*song.doc, how);
            song.key = keyText(*song.doc, song.transpose + o_.transpose);
        }
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
    } else {
        QtBookPrinter printer(title.isEmpty() ? QString::fromUtf8(kRunningOrderHeading) : title);
        try {
            printRunningOrder(source.songs, title, printer);
            printer.finish();
        } catch (const PrinterError& e) {
            fail(QString::fromStdString(e.what()));
            return kTrouble;
        }
    }
    return allRead ? kAllDone : kTrouble;
}

int Run::book() {
    BookSource source = loadBook();
    bool allRead = source.problems.empty();
    BookOptions options;
    options.title = o_.title.value_or(source.title);
    options.firstLines = o_.index;
    options.lyricsOnly = o_.lyricsOnly;
    options.fit = o_.fit;
    options.runningOrder = o_.runningOrder;
    options.diagrams = o_.diagrams;
    for (BookSong& song : source.songs) {
        setPages(*song.doc);
        for (const QString& line : prepareBookSong(song, options, page()))
            std::fprintf(stderr, "%s\n", qPrintable(line));
    }
    const BookProgress progress = [](int done, int total) {
        if (showProgress()) {
            std::fprintf(stderr, "\r\033[K[%d/%d]", done + 1, total);
            if (done + 1 == total)
                std::fputc('\n', stderr);
        }
        return true;
    };
    BookResult result;
    if (o_.output == Output::Pdf) {
        std::optional<QString> error;
        try {
            if (o_.sheets == Options::Sheets::Pages)
                error = writeBookPdf(source.songs, options, o_.outputFile, result, progress, o_.paper);
            else
                error = writeSheetsPdf(source.songs, options, o_.outputFile,
                                       o_.sheets == Options::Sheets::Booklet ? SheetLayout::Booklet : SheetLayout::TwoUp,
                                       result, progress, o_.paper);
        } catch (const FileError& e) {
            error = QString::fromStdString(e.what());
        }
        if (error) {
            fail(o_.outputFile + QStringLiteral(": ") + *error);
            return kTrouble;
        }
    } else {
        QtBookPrinter printer(options.title.isEmpty() ? QStringLiteral("Liederbuch") : options.title);
        try {
            result = printBook(source.songs, options, printer, progress);
            printer.finish();
        } catch (const PrinterError& e) {
            fail(QString::fromStdString(e.what()));
            return kTrouble;
        }
    }
    for (const QString& error : result.pictureErrors)
        fail(error);
    return allRead && result.pictureErrors.empty() ? kAllDone : kTrouble;
}

} // namespace versino::cli
