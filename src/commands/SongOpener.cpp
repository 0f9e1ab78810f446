#include "commands/SongOpener.h"

#include "formats/ChordPro.h"
#include "formats/ChordSheet.h"
#include "formats/LayoutFile.h"
#include "io/RegularFile.h"

#include <QFileInfo>
#include <QStringList>

namespace versino {

namespace {

std::unique_ptr<SongDocument> songFrom(LayoutContent&& content, const QString& path) {
    auto doc = std::make_unique<SongDocument>();
    applyLayoutContent(*doc, std::move(content));
    doc->DocumentName = path;
    doc->path = QFileInfo(path).absoluteFilePath();
    doc->Modified = false;
    return doc;
}

ImportReport chordProReport(const chordpro::Dropped& dropped) {
    ImportReport report;
    report.message = chordpro::droppedMessage(dropped);
    for (const auto& [kind, count] : dropped)
        // A count of 0 marks a finished sentence about what was changed, with its own numbers.
        report.notes.push_back(count > 0 ? QStringLiteral("%1 \u00D7 %2 ausgelassen").arg(count).arg(kind) : kind);
    return report;
}

ImportReport chordSheetReport(const chordsheet::Report& sheet) {
    ImportReport report;
    report.message = sheet.message();
    // The message is its heading and then one item a line.
    const QStringList lines = report.message.split(QLatin1Char('\n'));
    for (qsizetype i = 1; i < lines.size(); ++i)
        report.notes.push_back(lines[i]);
    return report;
}

} // namespace

SongFormat songFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* chordPro : {"cho", "crd", "chopro", "chordpro", "pro"})
        if (suffix == QLatin1String(chordPro))
            return SongFormat::ChordPro;
    // Always a chord sheet: a lyric line "[Refrain]" must not make it a layout file.
    if (suffix == QLatin1String("txt"))
        return SongFormat::ChordSheet;
    return SongFormat::Layout;
}

QString songFileFilter() {
    return QStringLiteral("Songs (*.vsn *.cho *.crd *.chopro *.chordpro *.pro *.txt)|"
                          "*.vsn;*.cho;*.crd;*.chopro;*.chordpro;*.pro;*.txt|") +
           QString::fromLatin1(kLayoutFilter) + QLatin1Char('|') + QString::fromUtf8(chordpro::kOpenFilter) +
           QLatin1Char('|') + QString::fromUtf8(chordsheet::kOpenFilter);
}

QString ImportReport::line() const {
    QStringList parts;
    for (const QString& note : notes)
        parts << note;
    return parts.join(QStringLiteral("; "));
}

OpenedFile openSongFile(const QString& path, const std::array<FontSetting, 4>& fontsBefore) {
    return openSongFile(path, songFormatOf(path), fontsBefore);
}

OpenedFile openSongFile(const QString& path, SongFormat format, const std::array<FontSetting, 4>& fontsBefore) {
    OpenedFile file;
    file.path = path;
    file.format = format;
    switch (format) {
    case SongFormat::ChordPro: {
        // An imported song starts from the default fonts, never from those of the song open before.
        const std::string bytes = readRegularFile(path);
        std::vector<chordpro::Import> imports = chordpro::parseSongs(bytes, defaultFonts());
        // A file that holds no song still opens, as one song without lyrics, with its report.
        if (imports.empty())
            imports.push_back(chordpro::parse(bytes, defaultFonts()));
        for (chordpro::Import& import : imports) {
            ImportReport report = chordProReport(import.dropped);
            file.songs.push_back({songFrom(std::move(import.content), path), std::move(report)});
        }
        break;
    }
    case SongFormat::ChordSheet: {
        chordsheet::Import import = chordsheet::parse(readRegularFile(path), path, fontsBefore);
        ImportReport report = chordSheetReport(import.report);
        file.songs.push_back({songFrom(std::move(import.content), path), std::move(report)});
        break;
    }
    case SongFormat::Layout: {
        // A size or colour of "[Fonts]" that is no number costs only that value: the song opens
        // with the default font's value there, and the report names the line and the field.
        ImportReport report;
        LayoutContent content = parseLayout(readRegularFile(path), fontsBefore, &report.notes);
        report.message = QStringList(report.notes.begin(), report.notes.end()).join(QLatin1Char('\n'));
        file.songs.push_back({songFrom(std::move(content), path), std::move(report)});
        TrimTrailingEmptyLines(*file.songs.front().doc);
        file.songs.front().doc->Modified = false;
        break;
    }
    }
    return file;
}

} // namespace versino
