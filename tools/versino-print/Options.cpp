// Reading and checking the command line of versino-print.

#include "Options.h"

#include "formats/SongList.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

namespace versino::cli {

const char* const kSynopsis =
    "Usage: versino-print [-o BOOK.pdf|PAGE.png] [--paper a4|letter] [--dpi N|--size N] [--fit]\n"
    "                     [--transpose N [--notation de|en]] [--diagrams INSTRUMENT] SONG...\n"
    "       versino-print -o SONG.cho|SONG.vsn [--transpose N [--notation de|en]]\n"
    "                     [--diagrams INSTRUMENT] SONG\n"
    "       versino-print -d FOLDER [--to vsn|cho] [--transpose N [--notation de|en]]\n"
    "                     [--diagrams INSTRUMENT] SONG...\n"
    "       versino-print -o BOOK.pdf --book [--title TEXT] [--index] [--lyrics-only] [--fit]\n"
    "                     [--diagrams INSTRUMENT] [--running-order] SONG...|LIST.vsl...\n"
    "       versino-print -o ORDER.pdf --setlist [--title TEXT] LIST.vsl...\n"
    "       versino-print -o BOOK.pdf --booklet|--2-up [book options] SONG...|LIST.vsl...\n"
    "       versino-print --check [--paper a4|letter] [--fit] [--diagrams INSTRUMENT] SONG...\n"
    "       (every form takes --pages 2)\n"
    "\n";

namespace {

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
    "and PDF bookmarks. Songs that cannot be read are reported and left out (status 2). A song of\n"
    "two pages starts on a left-hand (even) page. --booklet makes it an A5 booklet on A4 landscape\n"
    "sheets (with --paper letter: half-letter on letter) to print on both sides, fold and staple;\n"
    "--2-up puts two pages on each side in reading order.";

} // namespace

void fail(const QString& text) {
    std::fprintf(stderr, "versino-print: %s\n", qPrintable(text));
}

QString fileErrorText(const QString& path, const FileError& e) {
    return path + QStringLiteral(": ") + QString::fromStdString(e.what());
}

namespace {

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

} // namespace

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
    const QCommandLineOption folderOption({"d", "folder"},
                                          "Convert every song of every file into FOLDER, in one run: NAME.vsn "
                                          "(or NAME.cho with --to cho); a file of several songs gives "
                                          "NAME-1, NAME-2 ...",
                                          "folder");
    const QCommandLineOption toOption("to", "The format -d converts to: vsn (default) or cho.", "vsn|cho");
    const QCommandLineOption bookOption("book", "Make a songbook: contents, page numbers, bookmarks.");
    const QCommandLineOption titleOption("title", "The songbook's title (a title page and the PDF's title).", "text");
    const QCommandLineOption indexOption("index", "Add a register of the songs' first lines to the songbook.");
    const QCommandLineOption lyricsOnlyOption("lyrics-only", "Leave out every chord: words only.");
    const QCommandLineOption pagesOption("pages", "2: lines that do not fit on the page continue on a second "
                                                  "page (as Bearbeiten > Auf zwei Seiten fortsetzen); 1: one page "
                                                  "(default: as each song file says).", "1|2");
    const QCommandLineOption bookletOption("booklet", "Make the songbook an A5 booklet: two pages on each side of "
                                                      "landscape sheets, in folding order, the page count rounded "
                                                      "up to a multiple of four.");
    const QCommandLineOption twoUpOption("2-up", "Make the songbook two pages on each side of landscape sheets, "
                                                 "in reading order.");
    const QCommandLineOption diagramsOption(
        "diagrams", "Chord diagrams below each song's lyrics for this instrument, or none (aus), whatever the "
                    "songs chose; a ChordPro file gets a {define} for each shown chord.",
        "gitarre|ukulele|klavier|aus");
    const QCommandLineOption setlistOption(
        "setlist", "Print the running order of the songs on one page in large type: number, title, key "
                   "and note of each (a song list's entries give transposition and note).");
    const QCommandLineOption runningOrderOption(
        "running-order", "List the songbook's contents in the songs' order, with number and key.");
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOptions({outputOption, paperOption, dpiOption, sizeOption, checkOption, fitOption, transposeOption,
                       notationOption, bookOption, titleOption, indexOption, lyricsOnlyOption, diagramsOption,
                       folderOption, toOption, setlistOption, runningOrderOption,
                       pagesOption, bookletOption, twoUpOption});
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
    if (parser.isSet(bookletOption) && parser.isSet(twoUpOption)) {
        fail(QStringLiteral("--booklet and --2-up exclude each other"));
        return std::nullopt;
    }
    o.sheets = parser.isSet(bookletOption) ? Options::Sheets::Booklet
               : parser.isSet(twoUpOption) ? Options::Sheets::TwoUp
                                           : Options::Sheets::Pages;
    if (parser.isSet(pagesOption)) {
        const std::optional<int> pages = number("pages", parser.value(pagesOption), 1, 2);
        if (!pages)
            return std::nullopt;
        o.pages = pages;
    }
    o.setlist = parser.isSet(setlistOption);
    o.runningOrder = parser.isSet(runningOrderOption);
    // A song list makes a book, except for --check, which checks the list's songs.
    o.book = parser.isSet(bookOption) || parser.isSet(titleOption) || o.index || o.runningOrder || o.sheets != Options::Sheets::Pages ||
             (!o.check && std::any_of(o.songs.begin(), o.songs.end(),
                                      [](const QString& f) { return songlist::isSongListFile(f); }));
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
        o.notation = notation == QLatin1String("de") ? transpose::Notation::German
                                                     : transpose::Notation::International;
    }
    if (parser.isSet(diagramsOption)) {
        const QString instrument = parser.value(diagramsOption);
        if (instrument != QLatin1String("gitarre") && instrument != QLatin1String("ukulele") &&
            instrument != QLatin1String("klavier") && instrument != QLatin1String("aus")) {
            fail(QStringLiteral("unknown diagrams \"%1\" (gitarre, ukulele, klavier or aus)").arg(instrument));
            return std::nullopt;
        }
        o.diagrams = instrument == QLatin1String("aus") ? std::string() : instrument.toStdString();
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
            fail(fileErrorText(o.outputFile, FileError(FileError(FileError::Kind::AccessDenied),
                                                       " (this is a folder: name a file to write)")));
            return std::nullopt;
        }
        // Nothing is created on the way: a missing folder is said to be missing, before any song is read.
        if (const QFileInfo folder(QFileInfo(o.outputFile).absolutePath()); !folder.exists()) {
            fail(fileErrorText(o.outputFile,
                               FileError(FileError(FileError::Kind::InvalidFilename),
                                         " (the folder " + folder.filePath().toStdString() + " does not exist)")));
            return std::nullopt;
        }
        const std::optional<Output> output = outputByExtension(o.outputFile);
        if (!output)
            return std::nullopt;
        o.output = *output;
    }
    if (parser.isSet(toOption) && !parser.isSet(folderOption)) {
        fail(QStringLiteral("--to goes with -d FOLDER"));
        return std::nullopt;
    }
    if (parser.isSet(folderOption)) {
        if (parser.isSet(outputOption) || o.check || o.book) {
            fail(QStringLiteral("-d FOLDER converts songs: it takes no -o, --check or --book"));
            return std::nullopt;
        }
        o.folder = parser.value(folderOption);
        if (!QFileInfo(o.folder).isDir()) {
            fail(QStringLiteral("%1: no such folder").arg(o.folder));
            return std::nullopt;
        }
        const QString to = parser.value(toOption).toLower();
        if (!to.isEmpty() && to != QLatin1String("vsn") && to != QLatin1String("cho")) {
            fail(QStringLiteral("unknown format \"%1\" for --to (vsn or cho)").arg(parser.value(toOption)));
            return std::nullopt;
        }
        o.output = to == QLatin1String("cho") ? Output::ChordPro : Output::Layout;
    }
    if (o.setlist && (o.check || (o.output != Output::Pdf && o.output != Output::Printer))) {
        fail(QStringLiteral("a running order is a PDF file (-o ORDER.pdf) or goes to the printer"));
        return std::nullopt;
    }
    if (o.book && !o.setlist && (o.check || (o.output != Output::Pdf && o.output != Output::Printer))) {
        fail(QStringLiteral("a songbook is a PDF file (-o BOOK.pdf) or goes to the printer"));
        return std::nullopt;
    }
    if (o.sheets != Options::Sheets::Pages && o.output != Output::Pdf) {
        fail(QStringLiteral("--booklet and --2-up make a PDF file (-o BOOK.pdf)"));
        return std::nullopt;
    }
    if ((o.dpi || o.size) && o.output != Output::Png) {
        fail(QStringLiteral("--dpi and --size apply to .png images only"));
        return std::nullopt;
    }
    return o;
}

} // namespace versino::cli
