// versino-print: prints songs exactly as the editor's print command does, on the default printer,
// into a PDF book with one page per song, or as PNG images of the pages.

#include "document/FileError.h"
#include "document/LayoutFile.h"
#include "document/SongDocument.h"
#include "platform/ImagePrinter.h"
#include "platform/QtPrinter.h"
#include "print/Drucken.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kProgressAbove = 3; // more songs than this show progress

const char* const kUsage =
    "Usage: versino-print [-o BOOK.pdf|PAGE.png [--paper a4|letter] [--dpi N|--size N]] SONG.vsn...\n"
    "\n"
    "Prints Versino songs (.vsn layout files) exactly as the editor's print command does:\n"
    "one portrait page per song, chords above their syllables.\n"
    "\n"
    "  SONG.vsn...          each song is sent to the default printer as a job of its own\n"
    "  -o, --output BOOK.pdf\n"
    "                       write one PDF instead, one page per song, fonts embedded; the page\n"
    "                       is the printed one (600 dots per inch, printable area = whole sheet)\n"
    "  -o, --output PAGE.png\n"
    "                       draw each song's page into a PNG image instead; several songs give\n"
    "                       PAGE-1.png, PAGE-2.png ...\n"
    "  --dpi N              resolution of the images (default 150)\n"
    "  --size N             the images' longer side in pixels instead (for thumbnails)\n"
    "  --paper a4|letter    paper size of the PDF or the images (default a4)\n"
    "  -h, --help           show this help\n"
    "\n"
    "A song that cannot be read or printed is reported on standard error with its file name;\n"
    "the other songs are still produced, and the exit status is 1. Progress is shown on\n"
    "standard error when more than three songs are given.\n";

struct Options {
    std::optional<QString> output;
    QPageSize::PageSizeId paper = QPageSize::A4;
    std::optional<int> dpi;
    std::optional<int> size;
    QStringList songs;
    bool help = false;
};

void fail(const QString& text) {
    std::fprintf(stderr, "versino-print: %s\n", qPrintable(text));
}

// --dpi N or --size N: a whole number in a range that keeps an image's memory reasonable.
bool parseImageOption(const QString& option, const QString* value, Options& o) {
    const bool isDpi = option == QLatin1String("--dpi");
    const int low = isDpi ? 10 : 16;
    const int high = isDpi ? 600 : 8000;
    bool ok = false;
    const int n = value ? value->toInt(&ok) : 0;
    if (!ok || n < low || n > high) {
        fail(QStringLiteral("%1 needs a whole number from %2 to %3").arg(option).arg(low).arg(high));
        return false;
    }
    (isDpi ? o.dpi : o.size) = n;
    return true;
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
        } else if (a == "--dpi" || a == "--size") {
            if (!parseImageOption(a, i + 1 < args.size() ? &args[++i] : nullptr, o))
                return std::nullopt;
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

enum class Format { Pdf, Png };

// The output's format by its file's extension; nothing (and a message) for any other.
std::optional<Format> outputFormat(const Options& o) {
    const QString suffix = o.output->section(QLatin1Char('/'), -1).section(QLatin1Char('.'), -1).toLower();
    const bool hasSuffix = o.output->section(QLatin1Char('/'), -1).contains(QLatin1Char('.'));
    if (hasSuffix && suffix == QLatin1String("pdf") && !o.dpi && !o.size)
        return Format::Pdf;
    if (hasSuffix && suffix == QLatin1String("png"))
        return Format::Png;
    if (hasSuffix && suffix == QLatin1String("pdf"))
        fail(QStringLiteral("--dpi and --size apply to .png images only"));
    else
        fail(QStringLiteral("%1: unknown output format (known: .pdf, .png)").arg(*o.output));
    return std::nullopt;
}

// One PNG image per song: OUT.png for one song, OUT-1.png, OUT-2.png ... for several.
bool printImages(const Options& o) {
    const double dpi = o.size ? versino::ImagePrinter::dotsPerInchForLongerSide(o.paper, *o.size)
                              : double(o.dpi.value_or(150));
    const qsizetype total = o.songs.size();
    bool allOk = true;
    for (qsizetype i = 0; i < total; ++i) {
        if (total > kProgressAbove)
            std::fprintf(stderr, "[%d/%d] %s\n", int(i + 1), int(total), qPrintable(o.songs[i]));
        const QString file = total == 1 ? *o.output
                                        : o.output->left(o.output->size() - 4) +
                                              QStringLiteral("-%1").arg(i + 1) + o.output->right(4);
        versino::ImagePrinter printer(file, o.paper, dpi);
        allOk = printOne(o.songs[i], printer) && allOk;
    }
    return allOk;
}

// Creating the file before Qt does gives its error in the file layer's words; QPdfWriter itself
// only says that it failed.
// An existing book is not truncated here: it stays as it was unless a page replaces it.
bool outputWritable(const QString& path, bool& created) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        fail(path + ": " + QString::fromStdString(versino::FileError::fromErrno(errno, path).what()));
        return false;
    }
    ::close(fd);
    return true;
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

    if (options->output) {
        // A folder is refused as the file layer refuses it, whatever its name ends with.
        if (QFileInfo(*options->output).isDir()) {
            fail(*options->output + ": " +
                 QString::fromStdString(versino::FileError(versino::FileError::Kind::AccessDenied).what()));
            return 1;
        }
        const std::optional<Format> format = outputFormat(*options);
        if (!format)
            return 2;
        if (*format == Format::Png)
            return printImages(*options) ? 0 : 1;
    } else if (options->dpi || options->size) {
        fail(QStringLiteral("--dpi and --size apply to .png images only"));
        return 2;
    }

    std::unique_ptr<versino::PdfBookPrinter> book;
    bool createdOutput = false;
    if (options->output && !outputWritable(*options->output, createdOutput))
        return 1;
    if (options->output)
        book = std::make_unique<versino::PdfBookPrinter>(*options->output, options->paper);

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
    if (book && !book->finish()) {
        fail(*options->output + ": " +
             QString::fromStdString(versino::FileError(versino::FileError::Kind::Io, EIO).what()));
        return 1;
    }
    // A book without a single page would be an empty file that no reader opens.
    if (book && book->pages() == 0 && createdOutput)
        QFile::remove(*options->output);
    return allOk ? 0 : 1;
}
