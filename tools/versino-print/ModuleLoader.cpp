// The program's side: finds and loads versino-print-extras.so once, beside the program (as in the
// build tree) or where it is installed, found from the program's own folder.
#include "PrintModule.h"

#include "io/FileError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <dlfcn.h>

namespace versino {
namespace {

const VersinoPrintModule& module() {
    static const VersinoPrintModule* loaded = nullptr;
    if (loaded)
        return *loaded;
    const QDir program(QCoreApplication::applicationDirPath());
    const QStringList places = {program.path(), QDir::cleanPath(program.filePath(QStringLiteral(VERSINO_MODULE_DIR)))};
    QString why;
    for (const QString& place : places) {
        const QString file = QDir(place).filePath(QString::fromLatin1(kPrintModuleFile));
        if (!QFile::exists(file))
            continue;
        void* handle = ::dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            why = QString::fromLocal8Bit(::dlerror());
            continue;
        }
        using Entry = const VersinoPrintModule* (*)();
        const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kPrintModuleEntry));
        const VersinoPrintModule* table = entry ? entry() : nullptr;
        if (table && table->version == kPrintModuleVersion) {
            loaded = table;
            return *loaded;
        }
        why = file + QStringLiteral(": not this version's module");
    }
    if (why.isEmpty())
        why = QStringLiteral("%1 is neither in %2 nor in %3").arg(QString::fromLatin1(kPrintModuleFile), places[0], places[1]);
    throw FileError(FileError(FileError::Kind::NotFound),
                    QStringLiteral(" (the print support could not be loaded: %1)").arg(why).toStdString());
}

} // namespace

// The program's own definition, so that the library's (which needs libqpdf) is not linked in.
std::string pdfUpdate(const QString& source, const std::vector<PdfOutlineEntry>& entries, const PdfPageMove& move) {
    return module().pdfUpdate(source, entries, move);
}

namespace cli {

std::unique_ptr<Printer> defaultPrinter() {
    return std::unique_ptr<Printer>(module().defaultPrinter());
}

std::unique_ptr<BookJob> bookJob(const QString& jobName, QPageSize::PageSizeId sheetPaper) {
    return std::unique_ptr<BookJob>(module().bookJob(jobName, sheetPaper));
}

} // namespace cli
} // namespace versino
