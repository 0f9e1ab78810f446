#pragma once

#include "document/SongDocument.h"
#include "platform/Dialogs.h"
#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"
#include "print/PageReport.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace versino {

inline const char* const kNoLyricsMessage = "Ihr Song hat noch keinen Text!";
// Shown instead of the printing system's own words when no default printer is set up.
inline const char* const kNoPrinterMessage =
    "Es ist kein Standarddrucker eingerichtet. Über \u201EDatei \u2013 Exportieren \u2013 PDF-Dokument\u201C "
    "k\u00F6nnen Sie die Seite als PDF speichern.";
inline const char* const kPdfExtension = "pdf";
inline const char* const kPdfFilter = "PDF-Dokumente (*.pdf)|*.pdf";

// Called with each of a song's pages once it is composed, before it is drawn.
using PageComposed = std::function<void(const ComposedPage&)>;

// One job on `printer`: portrait, begin, compose, end; its one page, or the song's two pages when
// it continues on a second one. `ready` are the song's pages when the caller composed them
// already (at the printer's measures), so that they are drawn rather than composed again. Throws
// PrinterError before the job starts. Returns the picture file's open error, which the caller
// reports after the page is finished.
PageReport PrintSong(const SongDocument& doc, Printer& printer, const PageComposed& composed = {},
                     std::vector<ComposedPage> ready = {});

// The error report for a picture file the page could not open, in the file layer's words
// ("Cannot open file \"NAME\". File not found"); nothing when the picture was no such trouble.
std::optional<QString> pictureErrorText(const SongDocument& doc, const PageReport& report);

// The print command on the target its caller chooses (the default printer, a PDF file):
// "Ihr Song hat noch keinen Text!" when the lyrics are empty, otherwise one page. Printer errors
// and a picture file that cannot be opened are reported through `dialogs`; the window passes
// `noPrinterText` to say in its own words that no default printer is set up. Returns whether a
// page was produced. A printer that writes a file throws FileError when it cannot. `composed` sees
// the page that is printed (to check it without composing it again).
bool DruckenClick(const SongDocument& doc, Reports& dialogs, Printer& printer,
                  const QString& noPrinterText = QString(), const PageComposed& composed = {},
                  std::vector<ComposedPage> ready = {});

// The name an exported file is offered under: the title made a safe file name, or the document's
// own name without its folder and extension, followed by "." and `extension`; in `folder` when
// one is given (the song's own folder).
QString exportFileName(const SongDocument& doc, const QString& extension, const QString& folder = QString());

// Asks for a PDF file (offered in `folder` when given; Nein to replacing asks again) and writes the
// printed page into it, atomically: a failure leaves an existing file as it was and escapes as
// FileError. Changes neither the document's name nor its modified flag.
void ExportPdfClick(const SongDocument& doc, Dialogs& dialogs, const QString& folder = QString());

} // namespace versino
