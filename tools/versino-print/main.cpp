// versino-print: prints songs exactly as the editor's print command does: on the default printer,
// into a PDF book with one page per song, or as PNG images of the pages; converts a song between
// the layout file and ChordPro; and checks whether songs fit their page.

#include "commands/FitToPage.h"
#include "commands/PrintCommand.h"
#include "commands/Songbook.h"
#include "commands/TransposeCommand.h"
#include "document/Cp1252.h"
#include "formats/ChordPro.h"
#include "formats/ChordSheet.h"
#include "io/AtomicFile.h"
#include "formats/SongList.h"
#include "io/FileError.h"
#include "formats/LayoutFile.h"
#include "document/Cp1252.h"
#include "document/SongDocument.h"
#include "platform/Bitmap.h"
#include "platform/ImagePrinter.h"
#include "platform/PageMetrics.h"
#include "platform/QtBookPrinter.h"
#include "platform/QtPrinter.h"
#include "print/PageCheck.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kProgressAbove = 3; // more songs than this show progress (on a terminal)
constexpr int kDefaultDpi = 150;

const char* const kSynopsis =
    "Usage: versino-print [-o BOOK.pdf|PAGE.png] [--paper a4|letter] [--dpi N|--size N] [--fit]\n"
    "                     [--transpose N [--notation de|en]] SONG...\n"
    "       versino-print -o SONG.cho|SONG.vsn [--transpose N [--notation de|en]] SONG\n"
    "       versino-print -o BOOK.pdf --book [--title TEXT] [--index] [--lyrics-only] [--fit]\n"
    "                     SONG...|LIST.vsl...\n"
    "       versino-print --check [--paper a4|letter] [--fit] SONG...\n"
    "\n";

const char* const kDescription =
    "Prints Versino songs (.vsn layout files, ChordPro files: .cho .crd .chopro .chordpro .pro, or\n"
    "chord sheets with chords above the lyrics: .txt)\n"
    "exactly as the editor's print command does: one portrait page per song, chords above their\n"
    "syllables. Without -o each song goes to the default printer as a job of its own.\n"
    "\n"
    "A song that cannot be read or printed is reported on standard error with its file name; the\n"
    "other songs are still produced. A song that does not fit on its page is named on standard\n"
    "error with what the page cannot hold (as --check lists it); it is still printed. Exit status: 0\n"
    "when everything was made (with --check: every song fits), 1 when --check found something, 2 on\n"
    "trouble (a wrong option, a song or output that cannot be read or written). Progress is shown on\n"
    "standard error when it is a terminal and more than three songs are given.\n"
    "\n"
    "A songbook (--book, or any .vsl song list among the songs) has a title page when it has a\n"
    "title, the contents, the songs with page numbers, with --index a register of first lines,\n"
    "and PDF bookmarks. Songs that cannot be read are reported and left out (status 2).";

// The exit statuses, in the manner of diff and grep: trouble outweighs findings.
enum Status { kAllDone = 0, kFindings = 1, kTrouble = 2 };

enum class Output { Printer, Pdf, Png, ChordPro, Layout };

struct Options {
    Output output = Output::Printer;
    QString outputFile;
    QPageSize::PageSizeId paper = QPageSize::A4;
    std::optional<int> dpi;
    std::optional<int> size;
    QStringList songs;
    bool check = false;
    bool fit = false;
    bool book = false;
    bool index = false;
    bool lyricsOnly = false;
    std::optional<QString> title;
    int transpose = 0;
    std::optional<versino::transpose::Notation> notation;
};

void fail(const QString& text) {
    std::fprintf(stderr, "versino-print: %s\n", qPrintable(text));
}

QString fileErrorText(const QString& path, const versino::FileError& e) {
    return path + QStringLiteral(": ") + QString::fromStdString(e.what());
}

// A whole number within [low, high], or nothing after a message naming the option.
std::optional<int> number(const QString& option, const QString& value, int low, int high) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (ok && n >= low && n <= high)
        return n;
    fail(QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"").arg(option).arg(low).arg(high).arg(value));
    return std::nullopt;
}

// The kind of output by the file's extension, in any letter case.
std::optional<Output> outputByExtension(const QString& file) {
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return Output::Pdf;
    if (suffix == QLatin1String("png"))
        return Output::Png;
    if (suffix == QLatin1String("cho"))
        return Output::ChordPro;
    if (suffix == QLatin1String("vsn"))
        return Output::Layout;
    fail(QStringLiteral("%1: unknown output format (known: .pdf, .png, .cho, .vsn)").arg(file));
    return std::nullopt;
}

// What the command line asks for besides work on songs.
enum class Info { None, Help, Version };

// Reads the options. Nothing (after a message) when they are wrong: exit status 2.
std::optional<Options> parseArguments(QCommandLineParser& parser, const QStringList& arguments, Info& info) {
    const QCommandLineOption outputOption({"o", "output"},
                                          "Write a PDF book (one page per song), PNG images (one per song: "
                                          "FILE-1.png, FILE-2.png ... for several), or convert one song to "
                                          "ChordPro (.cho) or a layout file (.vsn).",
                                          "file");
    const QCommandLineOption paperOption("paper", "Paper of the PDF, the images and the checked page: a4 "
                                                  "(default) or letter.", "a4|letter");
    const QCommandLineOption dpiOption("dpi", "Resolution of PNG images (default 150).", "N");
    const QCommandLineOption sizeOption("size", "Longer side of PNG images in pixels, instead of --dpi.", "N");
    const QCommandLineOption checkOption(
        "check", "Print nothing: list each place where a page cannot hold its song, one line each as "
                 "FILE:LINE: text. Exit status 0 when every song fits, 1 when anything was listed, 2 "
                 "when a song cannot be read.");
    const QCommandLineOption fitOption("fit", "Lower the text and chord font sizes of each song until it fits "
                                              "on one page (as Bearbeiten > Auf eine Seite einpassen); the "
                                              "files stay unchanged.");
    const QCommandLineOption transposeOption(
        "transpose", "Move every chord N semitones (-11 to 11) first; the files stay unchanged.", "N");
    const QCommandLineOption notationOption(
        "notation", "The chords' notation: de with H and B, en with B and Bb (default: de when any chord "
                    "root is H).", "de|en");
    const QCommandLineOption bookOption("book", "Make a songbook: contents, page numbers, bookmarks.");
    const QCommandLineOption titleOption("title", "The songbook's title (a title page and the PDF's title).", "text");
    const QCommandLineOption indexOption("index", "Add a register of the songs' first lines to the songbook.");
    const QCommandLineOption lyricsOnlyOption("lyrics-only", "Leave out every chord: words only.");
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOptions({outputOption, paperOption, dpiOption, sizeOption, checkOption, fitOption, transposeOption,
                       notationOption, bookOption, titleOption, indexOption, lyricsOnlyOption});
    parser.addPositionalArgument("SONG",
                                 "Songs to print: layout files, ChordPro files, chord sheets (.txt) or song lists (.vsl).",
                                 "SONG...");
    if (!parser.parse(arguments)) {
        fail(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all")))
        info = Info::Help;
    else if (parser.isSet(versionOption))
        info = Info::Version;
    if (info != Info::None)
        return Options{};

    Options o;
    o.songs = parser.positionalArguments();
    o.check = parser.isSet(checkOption);
    o.fit = parser.isSet(fitOption);
    o.index = parser.isSet(indexOption);
    o.lyricsOnly = parser.isSet(lyricsOnlyOption);
    // A song list makes a book, except for --check, which checks the list's songs.
    o.book = parser.isSet(bookOption) || parser.isSet(titleOption) || o.index ||
             (!o.check && std::any_of(o.songs.begin(), o.songs.end(),
                                      [](const QString& f) { return versino::songlist::isSongListFile(f); }));
    if (parser.isSet(titleOption))
        o.title = parser.value(titleOption);
    if (parser.isSet(paperOption)) {
        const QString paper = parser.value(paperOption).toLower();
        if (paper != QLatin1String("a4") && paper != QLatin1String("letter")) {
            fail(QStringLiteral("unknown paper \"%1\" (a4 or letter)").arg(parser.value(paperOption)));
            return std::nullopt;
        }
        o.paper = paper == QLatin1String("a4") ? QPageSize::A4 : QPageSize::Letter;
    }
    if (parser.isSet(dpiOption) && !(o.dpi = number("dpi", parser.value(dpiOption), 10, 600)))
        return std::nullopt;
    if (parser.isSet(sizeOption) && !(o.size = number("size", parser.value(sizeOption), 16, 8000)))
        return std::nullopt;
    if (parser.isSet(transposeOption)) {
        const std::optional<int> steps = number("transpose", parser.value(transposeOption), -11, 11);
        if (!steps)
            return std::nullopt;
        o.transpose = *steps;
    }
    if (parser.isSet(notationOption)) {
        const QString notation = parser.value(notationOption);
        if (notation != QLatin1String("de") && notation != QLatin1String("en")) {
            fail(QStringLiteral("unknown notation \"%1\" (de or en)").arg(notation));
            return std::nullopt;
        }
        o.notation = notation == QLatin1String("de") ? versino::transpose::Notation::German
                                                     : versino::transpose::Notation::International;
    }
    if (parser.isSet(outputOption)) {
        if (o.check) {
            fail(QStringLiteral("--check writes nothing: it takes no -o"));
            return std::nullopt;
        }
        o.outputFile = parser.value(outputOption);
        // A folder is refused in the file layer's words, whatever its name ends with, before the
        // extension is looked at.
        if (QFileInfo(o.outputFile).isDir()) {
            fail(fileErrorText(o.outputFile, versino::FileError(versino::FileError::Kind::AccessDenied)));
            return std::nullopt;
        }
        const std::optional<Output> output = outputByExtension(o.outputFile);
        if (!output)
            return std::nullopt;
        o.output = *output;
    }
    if (o.book && (o.check || (o.output != Output::Pdf && o.output != Output::Printer))) {
        fail(QStringLiteral("a songbook is a PDF file (-o BOOK.pdf) or goes to the printer"));
        return std::nullopt;
    }
    if ((o.dpi || o.size) && o.output != Output::Png) {
        fail(QStringLiteral("--dpi and --size apply to .png images only"));
        return std::nullopt;
    }
    return o;
}

// The print command's messages and error reports, written to standard error under the song's name.
class StderrReports final : public versino::Reports {
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

// Everything that runs over the songs one by one.
class Run {
public:
    explicit Run(const Options& options) : o_(options) {}

    int check();
    int convert();
    int print();
    int book();

private:
    bool load(const QString& path, versino::SongDocument& doc);
    bool printOne(const QString& path, versino::Printer& printer, const QString& output);
    // One line on a terminal that is rewritten for each step; nothing into logs or pipes.
    static bool showProgress() {
        static const bool terminal = ::isatty(STDERR_FILENO) == 1;
        return terminal;
    }
    void progress(int i) const {
        if (o_.songs.size() > kProgressAbove && showProgress()) {
            std::fprintf(stderr, "\r\033[K[%d/%d] %s", i + 1, int(o_.songs.size()), qPrintable(o_.songs[i]));
            if (i + 1 == int(o_.songs.size()))
                std::fputc('\n', stderr);
        }
    }
    // Names a song that the paper cannot hold, as --check lists it; the song is still printed.
    void warnFindings(const QString& path, const versino::SongDocument& doc) {
        for (const QString& line : versino::findingLines(path, versino::CheckPage(doc, page())))
            std::fprintf(stderr, "%s\n", qPrintable(line));
    }
    // The page the songs are laid out on, made when first needed.
    versino::PrintSurface& page() {
        if (!metrics_)
            metrics_ = std::make_unique<versino::PageMetrics>(o_.paper);
        return metrics_->surface();
    }

    const Options& o_;
    std::unique_ptr<versino::PageMetrics> metrics_;
    versino::PdfBookPrinter* singlePdf_ = nullptr; // a PDF of one song carries the song's title
};

// Reads a layout file, a ChordPro file or a chord sheet (by its extension), transposes and fits it as asked; false after
// a file error, which is reported.
bool Run::load(const QString& path, versino::SongDocument& doc) {
    doc.InstallDefaultFonts();
    try {
        if (versino::chordpro::isChordProFile(path)) {
            const versino::chordpro::Dropped dropped = versino::chordpro::ReadChordProFile(doc, path);
            QString note;
            for (const auto& [kind, count] : dropped) {
                // A count of 0 is a sentence about what was changed, with its own numbers.
                const QString item = count > 0 ? QStringLiteral("%1 \u00D7 %2").arg(count).arg(kind) : kind;
                note += (note.isEmpty() ? QString() : QStringLiteral(", ")) + item;
            }
            if (!note.isEmpty())
                std::fprintf(stderr, "versino-print: %s: left out or changed: %s\n", qPrintable(path), qPrintable(note));
        } else if (versino::chordsheet::isChordSheetFile(path)) {
            // Always a chord sheet: a lyric line "[Refrain]" must not make it a layout file.
            const QString note = versino::chordsheet::ReadChordSheetFile(doc, path).message();
            if (!note.isEmpty())
                std::fprintf(stderr, "versino-print: %s: %s\n", qPrintable(path),
                             qPrintable(note.section(QLatin1Char('\n'), 1).replace(QLatin1Char('\n'), QLatin1String("; "))));
        } else {
            versino::ReadLayoutFile(doc, path);
            // The song may be torn by a save in place that did not finish; its whole version waits
            // in the editor's cache, and the editor offers it at the next Open.
            if (const auto copy = versino::AtomicFile::backupCopyOf(path))
                std::fprintf(stderr, "versino-print: %s: a save of this song did not finish; the song as it was "
                                     "before is kept as %s\n",
                             qPrintable(path), qPrintable(copy->path));
        }
    } catch (const versino::FileError& e) {
        fail(fileErrorText(path, e));
        return false;
    }
    if (o_.lyricsOnly)
        versino::removeChords(doc);
    if (o_.transpose != 0) {
        versino::transpose::Options how = versino::transposePreset(doc);
        how.semitones = o_.transpose;
        how.notation = o_.notation.value_or(how.notation);
        versino::transposeSong(doc, how);
    }
    if (o_.fit) {
        const versino::FitOutcome fit = versino::fitToOnePage(doc, page());
        if (fit.result == versino::FitResult::CannotFit)
            fail(path + QStringLiteral(": ") + fit.message);
    }
    return true;
}

// One song on `printer`, which writes `output` when it is a file; false after a reported failure.
bool Run::printOne(const QString& path, versino::Printer& printer, const QString& output) {
    versino::SongDocument doc;
    if (!load(path, doc))
        return false;
    // Relative picture paths are found beside the song file.
    versino::anchorPicture(doc, path);
    if (!doc.TextEdit().text().empty())
        warnFindings(path, doc);
    if (singlePdf_)
        singlePdf_->setTitle(versino::cp1252::toUnicode(doc.TitelEdit().text()));
    StderrReports reports(path);
    // The page leaves out a picture that is no valid BMP without a word; here it is named, as a
    // picture that cannot be opened is.
    const std::string picture = doc.GraphikEdit().text();
    if (!picture.empty() && !doc.TextEdit().text().empty() &&
        versino::loadBitmap(picture).status == versino::BitmapLoad::Status::NotABitmap)
        fail(path + QStringLiteral(": \"%1\" is no valid BMP picture; the page is printed without it")
                        .arg(versino::cp1252::toUnicode(picture)));
    try {
        versino::DruckenClick(doc, reports, printer);
    } catch (const versino::FileError& e) {
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
        if (!versino::songlist::isSongListFile(path)) {
            songs << path;
            continue;
        }
        try {
            for (const versino::songlist::Entry& e : versino::songlist::ReadSongListFile(path).entries)
                songs << e.path;
        } catch (const versino::FileError& e) {
            fail(fileErrorText(path, e));
            unreadable = true;
        }
    }
    for (const QString& path : songs) {
        versino::SongDocument doc;
        if (!load(path, doc)) {
            unreadable = true;
            continue;
        }
        versino::anchorPicture(doc, path);
        // Printing refuses such a song, so it cannot fit either.
        if (doc.TextEdit().text().empty()) {
            std::printf("%s:1: %s\n", qPrintable(path), versino::kNoLyricsMessage);
            findings = true;
            continue;
        }
        for (const versino::PageFinding& f : versino::CheckPage(doc, page())) {
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
    versino::SongDocument doc;
    if (!load(o_.songs.front(), doc))
        return kTrouble;
    try {
        if (o_.output == Output::ChordPro)
            versino::chordpro::WriteChordProFile(doc, o_.outputFile);
        else
            versino::WriteLayoutFile(doc, o_.outputFile);
    } catch (const versino::FileError& e) {
        fail(fileErrorText(o_.outputFile, e));
        return kTrouble;
    }
    return kAllDone;
}

// One job per song on the default printer, one PDF book, or one PNG image per song.
int Run::print() {
    std::unique_ptr<versino::PdfBookPrinter> book;
    if (o_.output == Output::Pdf) {
        // The book's temporary file is made before any song is read, so that an output that
        // cannot be written is reported at once, in the file layer's words.
        try {
            book = std::make_unique<versino::PdfBookPrinter>(o_.outputFile, o_.paper);
        } catch (const versino::FileError& e) {
            fail(fileErrorText(o_.outputFile, e));
            return kTrouble;
        }
    }
    if (book && o_.songs.size() == 1)
        singlePdf_ = book.get();
    const double dpi = o_.size ? versino::ImagePrinter::dotsPerInchForLongerSide(o_.paper, *o_.size)
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
            versino::ImagePrinter printer(file, o_.paper, dpi);
            allOk = printOne(song, printer, file) && allOk;
        } else {
            versino::QtPrinter printer;
            allOk = printOne(song, printer, QString()) && allOk;
        }
    }
    // A book without a single page is not written: an empty PDF is a file that no reader opens.
    try {
        if (book)
            book->finish();
    } catch (const versino::FileError& e) {
        fail(fileErrorText(o_.outputFile, e));
        return kTrouble;
    }
    return allOk ? kAllDone : kTrouble;
}

// The songbook: every song read first (the contents need them all), then the pages.
int Run::book() {
    versino::BookSource source = versino::loadBookSources(o_.songs);
    bool allRead = source.problems.empty();
    for (const QString& problem : source.problems)
        fail(problem);
    versino::BookOptions options;
    options.title = o_.title.value_or(source.title);
    options.firstLines = o_.index;
    options.lyricsOnly = o_.lyricsOnly;
    options.fit = o_.fit;
    for (versino::BookSong& song : source.songs) {
        if (o_.transpose != 0) {
            versino::transpose::Options how = versino::transposePreset(*song.doc);
            how.semitones = o_.transpose;
            how.notation = o_.notation.value_or(how.notation);
            versino::transposeSong(*song.doc, how);
        }
        for (const QString& line : versino::prepareBookSong(song, options, page()))
            std::fprintf(stderr, "%s\n", qPrintable(line));
    }
    const versino::BookProgress progress = [](int done, int total) {
        if (showProgress()) {
            std::fprintf(stderr, "\r\033[K[%d/%d]", done + 1, total);
            if (done + 1 == total)
                std::fputc('\n', stderr);
        }
        return true;
    };
    versino::BookResult result;
    if (o_.output == Output::Pdf) {
        std::optional<QString> error;
        try {
            error = versino::writeBookPdf(source.songs, options, o_.outputFile, result, progress, o_.paper);
        } catch (const versino::FileError& e) {
            error = QString::fromStdString(e.what());
        }
        if (error) {
            fail(o_.outputFile + QStringLiteral(": ") + *error);
            return kTrouble;
        }
    } else {
        versino::QtBookPrinter printer(options.title.isEmpty() ? QStringLiteral("Liederbuch") : options.title);
        try {
            result = versino::printBook(source.songs, options, printer, progress);
            printer.finish();
        } catch (const versino::PrinterError& e) {
            fail(QString::fromStdString(e.what()));
            return kTrouble;
        }
    }
    for (const QString& error : result.pictureErrors)
        fail(error);
    return allRead && result.pictureErrors.empty() ? kAllDone : kTrouble;
}

// Qt's notice about a missing XDG_RUNTIME_DIR is noise for a command-line tool; all else passes.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void ensureDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace

int main(int argc, char** argv) {
    // Past a file size limit a write then fails with EFBIG and is reported like any other write
    // error, instead of the kernel ending the program with a partial file.
    std::signal(SIGXFSZ, SIG_IGN);
    ensureDisplay();
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    Info info = Info::None;
    const std::optional<Options> options = parseArguments(parser, QCoreApplication::arguments(), info);
    if (!options)
        return kTrouble;
    if (info == Info::Version) {
        std::printf("versino-print %s\n", VERSINO_VERSION);
        return kAllDone;
    }
    if (info == Info::Help) {
        // Our own synopsis stands in for the parser's one-line usage.
        const QString text = parser.helpText();
        std::fputs(kSynopsis, stdout);
        std::fputs(qPrintable(text.mid(text.indexOf(QLatin1Char('\n')) + 1)), stdout);
        return kAllDone;
    }
    if (options->songs.isEmpty()) {
        std::fputs(kSynopsis, stderr);
        std::fputs("See versino-print --help.\n", stderr);
        return kTrouble;
    }

    Run run(*options);
    if (options->check)
        return run.check();
    if (options->book)
        return run.book();
    if (options->output == Output::ChordPro || options->output == Output::Layout)
        return run.convert();
    return run.print();
}
