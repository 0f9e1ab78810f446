// versino-print: prints songs exactly as the editor's print command does: on the default printer,
// into a PDF book with one page per song, or as PNG images of the pages; converts a song between
// the layout file and ChordPro; and checks whether songs fit their page.

#include "Options.h"
#include "Run.h"
#include "platform/FreedMemory.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string_view>

using namespace versino::cli;

namespace {

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

// Prints what --version or --help asks for.
int answer(Info info) {
    if (info == Info::Version)
        std::printf("versino-print %s\n", VERSINO_VERSION);
    else
        std::fputs(qPrintable(helpText()), stdout);
    return kAllDone;
}

// --version or --help as the only argument is answered before Qt starts its platform and reads the
// font configuration, which neither needs. With other arguments the parser decides, after Qt has
// taken its own options (-platform and the like) from the command line.
std::optional<Info> onlyInfo(int argc, char** argv) {
    if (argc != 2)
        return std::nullopt;
    const std::string_view only = argv[1];
    if (only == "--version" || only == "-v")
        return Info::Version;
    if (only == "--help" || only == "-h")
        return Info::Help;
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<Info> info = onlyInfo(argc, argv))
        return answer(*info);
    // Past a file size limit a write then fails with EFBIG and is reported like any other write
    // error, instead of the kernel ending the program with a partial file.
    std::signal(SIGXFSZ, SIG_IGN);
    versino::keepFreedMemory();
    ensureDisplay();
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    Info info = Info::None;
    const std::optional<Options> options = parseArguments(parser, QCoreApplication::arguments(), info);
    if (!options)
        return kTrouble;
    if (info != Info::None)
        return answer(info);
    if (options->songs.isEmpty()) {
        std::fputs(kSynopsis, stderr);
        std::fputs("Siehe versino-print --help.\n", stderr);
        return kTrouble;
    }

    Run run(*options);
    if (options->check)
        return run.check();
    if (options->setlist)
        return run.setlist();
    if (options->book)
        return run.book();
    if (!options->folder.isEmpty())
        return run.convertAll();
    if (options->output == Output::ChordPro || options->output == Output::Layout)
        return run.convert();
    return run.print();
}
