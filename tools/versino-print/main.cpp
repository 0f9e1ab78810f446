// versino-print: prints songs exactly as the editor's print command does, on the default printer
// or into a PDF book with one page per song.

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
    "Usage: versino-print [-o BOOK.pdf] [--paper a4|letter] SONG.vsn...\n"
    "       versino-print --check [--paper a4|letter] SONG.vsn...\n"
    "\n"
    "Prints Versino songs (.vsn layout files) exactly as the editor's print command does:\n"
    "one portrait page per song, chords above their syllables.\n"
    "\n"
    "  SONG.vsn...          each song is sent to the default printer as a job of its own\n"
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

private:
    void report(const QString& text) {
        fail(song_ + ": " + text);
        reported_ = true;
    }
    QString song_;
    bool reported_ = false;
};

// Reads and prints one song; false when anything about it failed.
bool printOne(const QString& path, versino::Printer& printer) {
    versino::SongDocument doc;
    doc.InstallDefaultFonts();
    try {
        versino::ReadLayoutFile(doc, path);
    } catch (const versino::FileError& e) {
        fail(path + ": " + QString::fromStdString(e.what()));
        return false;
    }
    StderrDialogs dialogs(path);
    versino::DruckenClick(doc, dialogs, printer);
    return !dialogs.reported();
}

enum class CheckResult { Fits, Findings, Unreadable };

// Lays out one song's page without printing it and lists what the page cannot hold.
CheckResult checkOne(const QString& path, versino::PrintSurface& metrics) {
    versino::SongDocument doc;
    doc.InstallDefaultFonts();
    try {
        versino::ReadLayoutFile(doc, path);
    } catch (const versino::FileError& e) {
        fail(path + ": " + QString::fromStdString(e.what()));
        return CheckResult::Unreadable;
    }
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
        const CheckResult r = checkOne(song, metrics.surface());
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
            allOk = printOne(song, *book) && allOk;
        } else {
            versino::QtPrinter printer;
            allOk = printOne(song, printer) && allOk;
        }
    }
    // A book without a single page is not written: an empty PDF is a file that no reader opens.
    if (book && !book->finish()) {
        fail(*options->output + ": " + book->errorText());
        return 1;
    }
    return allOk ? 0 : 1;
}
