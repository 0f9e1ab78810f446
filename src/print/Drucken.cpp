#include "print/Drucken.h"

#include "platform/QtPrinter.h"

namespace versino {

std::optional<QString> PrintSong(const SongDocument& doc, Printer& printer) {
    printer.setPortrait();
    PrintSurface& surface = printer.beginDocument();
    std::optional<QString> pictureError = ComposePage(surface, doc);
    printer.endDocument();
    return pictureError;
}

void DruckenClick(const SongDocument& doc, Dialogs& dialogs, Printer& printer) {
    if (doc.TextEdit().text().empty()) {
        dialogs.message(QStringLiteral("Ihr Song hat noch keinen Text!"));
        return;
    }
    std::optional<QString> pictureError;
    try {
        pictureError = PrintSong(doc, printer);
    } catch (const PrinterError& e) {
        dialogs.error(QString::fromStdString(e.what()));
        return;
    }
    // Reported only now, so that the page has been handed to the printer without the picture.
    if (pictureError)
        dialogs.error(*pictureError);
}

void DruckenClick(const SongDocument& doc, Dialogs& dialogs) {
    QtPrinter printer;
    DruckenClick(doc, dialogs, printer);
}

} // namespace versino
