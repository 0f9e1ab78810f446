// versino-print: prints songs exactly as the editor's print command does, on the default printer
// or into a PDF book with one page per song.

#include "commands/TransposeCommand.h"
#include "document/ChordPro.h"
#include "document/FileError.h"
#include "document/LayoutFile.h"
#include "document/SongDocument.h"
#include "platform/PageMetrics.h"
#include "platform/QtPrinter.h"
#include "commands/PrintCommand.h"
#include "print/Drucken.h"
#include "print/PageCheck.h"

#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

constexpr int kProgressAbove = 3; // more songs than this show progress

const char* const kUsage =
    "Usage: versino-print [-o BOOK.pdf] [--paper a4|letter] [--transpose N [--notation de|en]] SONG...\n"
    "       versino-print -o SONG.cho|SONG.vsn [--transpose N [--notation de|en]] SONG\n"
    "       versino-print --check [--paper a4|letter] SONG...\n"
    "\n"
    "Prints Versino songs (.vsn layout files, or ChordPro files: .cho .crd .chopro .chordpro .pro)\n"
    "exactly as the editor's print command does: one portrait page per song, chords above their\n"
    "syllables.\n"
    "\n"
    "  SONG...              each song is sent to the default printer as a job of its own\n"
    "  -o, --output BOOK.pdf\n"
    "                       write one PDF instead, one page per song, fonts embedded; the page\n"
    "                       is the printed one (600 dots per inch, printable area = whole sheet)\n"
    "  --paper a4|letter    paper size of the PDF, and of the page --check lays out (default a4)\n"
    "  --check              print nothing: lay out each song's page and list, one line each as\n"
    "                       FILE:LINE: text, every place where the page cannot hold the song\n"
    "                       (lines below the page, text past the right edge, a picture left out\n"
    "                       or unreadable, an empty chorus or bridge called, a chord left open).\n"
    "                       LINE counts the lines of the lyrics, or of the field the text names.\n"
    "                       Exit status 0 when every song fits, 2 when anything was listed,\n"
    "                       1 when a song cannot be read.\n"
    "  -o SONG.cho, -o SONG.vsn\n"
    "                       convert one song to ChordPro or to a layout file instead of printing\n"
    "  --transpose N        move every chord N semitones (-11 to 11) first; files stay unchanged\n"
    "  --notation de|en     the chords' notation: de with H and B, en with B and Bb\n"
    "                       (default: de when any chord root is H)\n"
    "  -h, --help           show this help\n"
    "\n"
    "A song that cannot be read or printed is reported on standard error with its file name;\n"
    "the other songs are still produced, and the exit status is 1. Progress is shown on\n"
    "standard error when more than three songs are given.\n";

struct Options {
    std::optional<QString> output;
    QPageSize::PageSizeId paper = QPageSize::A4;
    QStringList songs;
    bool help = false;
    bool check = false;
    int transpose = 0;
    std::optional<versino::transpose::Notation> notation;
};

void fail(const QString& text) {
    std::fprintf(stderr, "versino-print: %s\n", qPrintable(text));
}

std::optional<Options> parseArguments(const QStringList& args) {
    Options o;
    bool onlySongs = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (onlySongs || !a.startsWith('-') || a == "-") {
            o.songs << a;
        } else if (a == "--") {
            onlySongs = true;
        } else if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--check") {
            o.check = true;
        } else if (a == "--transpose" || a == "--notation") {
            if (i + 1 >= args.size()) {
                fail(QStringLiteral("%1 needs a value").arg(a));
                return std::nullopt;
            }
            const QString value = args[++i];
            bool number = false;
            const int steps = value.toInt(&number);
            if (a == "--transpose" && number && steps >= -11 && steps <= 11) {
                o.transpose = steps;
            } else if (a == "--notation" && (value == "de" || value == "en")) {
                o.notation = value == "de" ? versino::transpose::Notation::German
                                           : versino::transpose::Notation::International;
            } else {
                fail(a == "--transpose"
                         ? QStringLiteral("--transpose takes a number from -11 to 11, not \"%1\"").arg(value)
                         : QStringLiteral("unknown notation \"%1\" (de or en)").arg(value));
                return std::nullopt;
            }
        } else if (a == "-o" || a == "--output" || a == "--paper") {
            if (i + 1 >= args.size()) {
                fail(QStringLiteral("%1 needs a value").arg(a));
                return std::nullopt;
            }
            const QString value = args[++i];
            if (a != "--paper") {
                o.output = value;
            } else if (value.compare("a4", Qt::CaseInsensitive) == 0) {
                o.paper = QPageSize::A4;
            } else if (value.compare("letter", Qt::CaseInsensitive) == 0) {
                o.paper = QPageSize::Letter;
            } else {
                fail(QStringLiteral("unknown paper \"%1\" (a4 or letter)").arg(value));
                return std::nullopt;
            }
        } else {
            fail(QStringLiteral("unknown option %1 (see --help)").arg(a));
            return std::nullopt;
        }
    }
    if (o.check && o.output) {
        fail(QStringLiteral("--check produces no page: it cannot be combined with -o"));
        return std::nullopt;
    }
    return o;
}

// The print command's messages and error reports, written to standard error under the song's name.
class StderrDialogs final : public versino::Dialogs {
public:
    explicit StderrDialogs(const QString& song) : song_(song) {}
    bool reported() const { return reported_; }

    versino::MsgButton confirm(const QString&, bool) override { return versino::MsgButton::No; }
    void message(const QString& text) override { report(text); }
    void error(const QString& text) override { report(text); }
    std::optional<QString> openFile(const versino::FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> saveFile(const versino::FileDialogOptions&) override { return std::nullopt; }
    std::optional<versino::FontSetting> chooseFont(const versino::FontSetting&) override {
        return std::nullopt;
    }
    std::optional<versino::transpose::Options> askTranspose(const versino::transpose::Options&,
                                                            int) override {
        return std::nullopt;
    }

private:
    void report(const QString& text) {
        fail(song_ + ": " + text);
        reported_ = true;
    }
    QString song_;
    bool reported_ = false;
};

// Reads a layout or ChordPro file (by its extension) and transposes it as asked; false after a
// file error, which is reported.
bool loadSong(const QString& path, const Options& options, versino::SongDocument& doc) {
    doc.InstallDefaultFonts();
    try {
        if (versino::chordpro::isChordProFile(path)) {
            const versino::chordpro::Dropped dropped = versino::chordpro::ReadChordProFile(doc, path);
            QString note;
            for (const auto& [kind, count] : dropped)
                note += QStringLiteral("%1%2 \u00D7 %3").arg(note.isEmpty() ? "" : ", ").arg(count).arg(kind);
            if (!note.isEmpty())
                std::fprintf(stderr, "versino-print: %s: left out: %s\n", qPrintable(path), qPrintable(note));
        } else {
            versino::ReadLayoutFile(doc, path);
        }
    } catch (const versino::FileError& e) {
        fail(path + ": " + QString::fromStdString(e.what()));
        return false;
    }
    if (options.transpose != 0) {
        versino::transpose::Options how = versino::transposePreset(doc);
        how.semitones = options.transpose;
        how.notation = options.notation.value_or(how.notation);
        versino::transposeSong(doc, how);
    }
    return true;
}

// "-o SONG.cho" and "-o SONG.vsn" convert one song; false after any error.
bool isConversion(const QString& output) {
    return output.endsWith(".cho", Qt::CaseInsensitive) || output.endsWith(".vsn", Qt::CaseInsensitive);
}

bool convert(const Options& options) {
    const QString& output = *options.output;
    if (options.songs.size() != 1) {
        fail(QStringLiteral(
                 "%1: a song file holds one song, but %2 songs were given; convert them one at a time")
                 .arg(output)
                 .arg(options.songs.size()));
        return false;
    }
    versino::SongDocument doc;
    if (!loadSong(options.songs.front(), options, doc))
        return false;
    try {
        if (output.endsWith(".cho", Qt::CaseInsensitive))
            versino::chordpro::WriteChordProFile(doc, output);
        else
            versino::WriteLayoutFile(doc, output);
    } catch (const versino::FileError& e) {
        fail(output + ": " + QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

// Reads and prints one song; false when anything about it failed.
bool printOne(const QString& path, const Options& options, versino::Printer& printer) {
    versino::SongDocument doc;
    if (!loadSong(path, options, doc))
        return false;
    StderrDialogs dialogs(path);
    versino::DruckenClick(doc, dialogs, printer);
    return !dialogs.reported();
}

enum class CheckResult { Fits, Findings, Unreadable };

// Lays out one song's page without printing it and lists what the page cannot hold.
CheckResult checkOne(const QString& path, const Options& options, versino::PrintSurface& metrics) {
    versino::SongDocument doc;
    if (!loadSong(path, options, doc))
        return CheckResult::Unreadable;
    // Printing refuses such a song, so it cannot fit either.
    if (doc.TextEdit().text().empty()) {
        std::printf("%s:1: %s\n", qPrintable(path), "Ihr Song hat noch keinen Text!");
        return CheckResult::Findings;
    }
    const std::vector<versino::PageFinding> findings = versino::CheckPage(doc, metrics);
    for (const versino::PageFinding& f : findings)
        std::printf("%s:%d: %s\n", qPrintable(path), f.line, qPrintable(f.text));
    return findings.empty() ? CheckResult::Fits : CheckResult::Findings;
}

int checkAll(const Options& options) {
    versino::PageMetrics metrics(options.paper);
    bool findings = false;
    bool unreadable = false;
    for (const QString& song : options.songs) {
        const CheckResult r = checkOne(song, options, metrics.surface());
        findings = findings || r == CheckResult::Findings;
        unreadable = unreadable || r == CheckResult::Unreadable;
    }
    std::fflush(stdout);
    return unreadable ? 1 : findings ? 2 : 0;
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
    const std::optional<Options> options = parseArguments(QCoreApplication::arguments());
    if (!options)
        return 2;
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options->songs.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    if (options->output && isConversion(*options->output))
        return convert(*options) ? 0 : 1;


    if (options->check)
        return checkAll(*options);

    // The book's temporary file is made before any song is read, so that an output that cannot
    // be written is reported at once, in the file layer's words.
    std::unique_ptr<versino::PdfBookPrinter> book;
    if (options->output) {
        try {
            book = std::make_unique<versino::PdfBookPrinter>(*options->output, options->paper);
        } catch (const versino::FileError& e) {
            fail(*options->output + ": " + QString::fromStdString(e.what()));
            return 1;
        }
    }

    const int total = int(options->songs.size());
    bool allOk = true;
    for (int i = 0; i < total; ++i) {
        const QString& song = options->songs[i];
        if (total > kProgressAbove)
            std::fprintf(stderr, "[%d/%d] %s\n", i + 1, total, qPrintable(song));
        if (book) {
            allOk = printOne(song, *options, *book) && allOk;
        } else {
            versino::QtPrinter printer;
            allOk = printOne(song, *options, printer) && allOk;
        }
    }
    // A book without a single page is not written: an empty PDF is a file that no reader opens.
    if (book && !book->finish()) {
        fail(*options->output + ": " + book->errorText());
        return 1;
    }
    return allOk ? 0 : 1;
}
