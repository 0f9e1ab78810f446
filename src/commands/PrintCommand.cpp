#include "commands/PrintCommand.h"

#include "commands/DocumentCommands.h"
#include "commands/FileQuestions.h"
#include "document/Cp1252.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"
#include "print/SongPages.h"

#include <QDir>
#include <QFileInfo>

namespace versino {

PageReport PrintSong(const SongDocument& doc, Printer& printer, const PageComposed& composed,
                     std::vector<ComposedPage> ready) {
    printer.setPortrait();
    PrintSurface* surface = &printer.beginDocument();
    std::vector<ComposedPage> pages = ready.empty() ? composeSong(doc, *surface) : std::move(ready);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            surface = &printer.nextPage();
        if (composed)
            composed(pages[p]);
        drawPage(pages[p], *surface);
    }
    printer.endDocument();
    // The picture stands on the song's last page, and with it what became of it.
    return std::move(pages.back().report);
}

std::optional<QString> pictureErrorText(const SongDocument& doc, const PageReport& report) {
    if (report.picture != PageReport::Picture::CannotOpen)
        return std::nullopt;
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(cp1252::toUnicode(picturePath(doc)), report.pictureError);
}

bool DruckenClick(const SongDocument& doc, Reports& dialogs, Printer& printer, const QString& noPrinterText,
                  const PageComposed& composed, std::vector<ComposedPage> ready) {
    if (doc.TextEdit().text().empty()) {
        dialogs.message(QString::fromUtf8(kNoLyricsMessage));
        return false;
    }
    PageReport report;
    try {
        report = PrintSong(doc, printer, composed, std::move(ready));
    } catch (const PrinterError& e) {
        const bool noPrinter = e.kind() == PrinterError::Kind::NoDefaultPrinter;
        dialogs.error(noPrinter && !noPrinterText.isEmpty() ? noPrinterText : QString::fromStdString(e.what()));
        return false;
    }
    // Reported only now, so that the page has been handed to the printer without the picture.
    if (const std::optional<QString> pictureError = pictureErrorText(doc, report))
        dialogs.error(*pictureError);
    return true;
}

QString exportFileName(const SongDocument& doc, const QString& extension, const QString& folder) {
    QString base = suggestedFileName(cp1252::toUnicode(doc.TitelEdit().text()));
    if (base.isEmpty())
        base = QFileInfo(doc.DocumentName).completeBaseName();
    const QString name = base + QLatin1Char('.') + extension;
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

void ExportPdfClick(const SongDocument& doc, Dialogs& dialogs, const QString& folder) {
    if (doc.TextEdit().text().empty()) {
        dialogs.message(QString::fromUtf8(kNoLyricsMessage));
        return;
    }
    const QString extension = QString::fromLatin1(kPdfExtension);
    const std::optional<QString> path =
        askFileToWrite(dialogs, {extension, QString::fromLatin1(kPdfFilter), exportFileName(doc, extension, folder)});
    if (!path)
        return;
    // A file that cannot be written at all throws here, before anything is composed; one that
    // fails on the way throws from finish().
    PdfBookPrinter pdf(*path);
    pdf.setTitle(cp1252::toUnicode(doc.TitelEdit().text()));
    DruckenClick(doc, dialogs, pdf);
    pdf.finish();
}

} // namespace versino
