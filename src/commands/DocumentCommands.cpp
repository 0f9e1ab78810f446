#include "commands/DocumentCommands.h"
#include "commands/PrintCommand.h"

#include "commands/RecoveryCopy.h"
#include "formats/ChordPro.h"
#include "formats/ChordSheet.h"
#include "document/Cp1252.h"
#include "formats/LayoutFile.h"
#include "io/AtomicFile.h"
#include "io/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace versino {
namespace {

void run(const std::function<void()>& hook) {
    if (hook)
        hook();
}

FileDialogOptions layoutDialog(std::optional<QString> initialName = std::nullopt) {
    return {QString::fromLatin1(kLayoutExtension), QString::fromLatin1(kLayoutFilter), std::move(initialName)};
}

// Open offers layout files first, then ChordPro songs and chord sheets.
FileDialogOptions openDialog() {
    FileDialogOptions options = layoutDialog();
    options.filter += QLatin1Char('|') + QString::fromUtf8(chordpro::kOpenFilter);
    options.filter += QLatin1Char('|') + QString::fromUtf8(chordsheet::kOpenFilter);
    return options;
}

} // namespace

QString captionFor(const QString& documentName) {
    return QStringLiteral("Versino " VERSINO_VERSION " - [") + documentName + QLatin1Char(']');
}

QString suggestedFileName(const QString& title) {
    QString name;
    name.reserve(title.size());
    for (const QChar c : title) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            name += QLatin1Char('-');
        else if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            name += c;
    }
    // A leading dot would hide the file, a trailing one would stand before the extension the dialog
    // adds; blanks at either end are easily overlooked in a file name.
    const auto isTrimmed = [](QChar c) { return c == QLatin1Char('.') || c.isSpace(); };
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && isTrimmed(name.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(name.at(end - 1)))
        --end;
    name = name.mid(begin, end - begin);
    if (name.isEmpty())
        return title.isEmpty() ? QString() : QString::fromLatin1(kUntitled);
    // The name and the extension the dialog adds fit the file system's 255 bytes.
    constexpr qsizetype kMaxBytes = 255 - 4;
    while (QFile::encodeName(name).size() > kMaxBytes) {
        name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
        while (!name.isEmpty() && isTrimmed(name.back()))
            name.chop(1);
    }
    return name;
}

DocumentCommands::DocumentCommands(SongDocument& doc, Dialogs& dialogs, Hooks hooks)
    : doc_(doc), dialogs_(dialogs), hooks_(std::move(hooks)) {}

void DocumentCommands::FormCreate() {
    doc_.Modified = false;
    NeuClick();
}

bool DocumentCommands::askToSave(bool withCancel) {
    switch (dialogs_.confirm(QString::fromUtf8(kSavePrompt), withCancel)) {
    case MsgButton::Cancel:
        return false;
    case MsgButton::Yes:
        // A Save As dialog cancelled here would throw the changes away: stop instead.
        return SpeichernClick();
    default:
        return true;
    }
}

void DocumentCommands::setFile(const QString& path, const QString& shownName) {
    filePath_ = path;
    // A relative picture path is found beside the file the song now belongs to.
    doc_.path = path;
    doc_.DocumentName = shownName;
    run(hooks_.updateCaption);
}

void DocumentCommands::NeuClick() {
    if (doc_.Modified && !askToSave(true))
        return;
    doc_.ClearTexts();
    doc_.Modified = false;
    setFile(QString(), QString::fromLatin1(kUntitled));
    stamp_.reset();
    doc_.InstallDefaultFonts();
    run(hooks_.updateFieldFonts);
    run(hooks_.focusTitel);
    run(hooks_.songReplaced);
}

void DocumentCommands::OeffnenClick() {
    if (doc_.Modified && !askToSave(false))
        return;
    if (const std::optional<QString> path = dialogs_.openFile(openDialog()))
        openPath(*path);
}

void DocumentCommands::openAsked(const QString& path) {
    if (doc_.Modified && !askToSave(false))
        return;
    openPath(path);
}

void DocumentCommands::openPath(const QString& path) {
    // A save in place that did not finish may have left the file torn, so badly that it does not
    // read at all; its copy is offered then too. Where the copy may be the only whole version it
    // stays, whatever the answer, until the file is saved again (the writer removes it then).
    const std::optional<BackupCopy> copy = AtomicFile::backupCopyOf(path);
    const bool useCopy = copy && dialogs_.askYesNo(restoreQuestion(QFileInfo(path).fileName(), *copy));
    if (copy && !useCopy && copy->fileIsWhole.value_or(false))
        QFile::remove(copy->path); // the file is whole and newer: the copy is only the older version
    // The copy keeps the file's extension, so it is read as the file would be; the song belongs
    // to the file all the same. The file is read whole into a staging document first: a failure
    // leaves everything as it was, the name and caption included. A size or colour that is no
    // number costs only that value: the song opens with the default there, and the report names
    // the line.
    std::optional<OpenedFile> opened;
    try {
        opened = openSongFile(useCopy ? copy->path : path, songFormatOf(path), fontsOf(doc_));
    } catch (const FileError& e) {
        if (useCopy)
            throw FileError(e, " (" + copy->path.toStdString() + ")");
        throw;
    }
    // The editor holds one song: the first of the file; the others are named in the report.
    doc_.copySongFrom(*opened->songs.front().doc);
    QString report = opened->songs.front().report.message;
    if (opened->songs.size() > 1) {
        const QString others = QString::fromUtf8(kOtherSongsOfFile).arg(opened->songs.size());
        report = report.isEmpty() ? others : report + QStringLiteral("\n\n") + others;
    }
    const bool imported = opened->format != SongFormat::Layout;
    if (imported) {
        // A new, unsaved song named like the file: Save asks for a name, so the file read is
        // never overwritten; the song still belongs beside it.
        setFile(QString(), chordpro::layoutNameFor(path));
        doc_.path = QFileInfo(path).absoluteFilePath();
        stamp_.reset();
    } else {
        setFile(QFileInfo(path).absoluteFilePath(), path);
        stamp_ = stampOf(filePath_);
    }
    run(hooks_.focusTitel);
    run(hooks_.updateFieldFonts);
    doc_.Modified = useCopy && !imported;
    run(hooks_.songReplaced);
    if (!report.isEmpty())
        dialogs_.message(report);
}

void DocumentCommands::restore(const RecoveryOffer& offer) {
    std::optional<OpenedFile> opened;
    try {
        opened = openSongFile(offer.copyPath, SongFormat::Layout, fontsOf(doc_));
    } catch (const FileError& e) {
        throw FileError(e, " (" + offer.copyPath.toStdString() + ")");
    }
    doc_.copySongFrom(*opened->songs.front().doc);
    setFile(offer.songPath, offer.shownName.isEmpty() ? QString::fromLatin1(kUntitled) : offer.shownName);
    // An imported song belongs beside the file it came from, which Save does not write.
    if (offer.songPath.isEmpty())
        doc_.path = offer.importedFrom;
    stamp_ = offer.songPath.isEmpty() ? std::nullopt : stampOf(offer.songPath);
    run(hooks_.focusTitel);
    run(hooks_.updateFieldFonts);
    doc_.Modified = true;
    run(hooks_.songReplaced);
}

bool DocumentCommands::mayOverwrite() {
    const std::optional<FileStamp> now = stampOf(filePath_);
    if (now == stamp_)
        return true;
    const char* question = now ? kChangedOutsideQuestion : kRemovedOutsideQuestion;
    return dialogs_.askYesNo(QString::fromUtf8(question).arg(QFileInfo(filePath_).fileName()));
}

void DocumentCommands::writeSong() {
    try {
        WriteLayoutFile(doc_, filePath_);
    } catch (const FileError&) {
        // Whatever the failed write left is Versino's own doing, not a change from outside.
        stamp_ = stampOf(filePath_);
        throw;
    }
    stamp_ = stampOf(filePath_);
    doc_.Modified = false;
}

bool DocumentCommands::SpeichernClick() {
    if (filePath_.isEmpty())
        return SpeichernAlsClick();
    if (!mayOverwrite())
        return false;
    writeSong();
    return true;
}

bool DocumentCommands::SpeichernAlsClick() {
    const QString initial =
        doc_.isUntitled() ? suggestedFileName(cp1252::toUnicode(doc_.TitelEdit().text())) : doc_.DocumentName;
    const std::optional<QString> path = dialogs_.saveFile(layoutDialog(initial));
    if (!path)
        return false;
    const QFileInfo chosen(*path);
    QString name = chosen.fileName();
    if (name == QLatin1String(kUntitled))
        name.prepend(QLatin1Char('_'));
    // The name alone is shown, but the path keeps the folder chosen here, whatever folder another
    // dialog makes current later.
    const QString target = chosen.absoluteDir().filePath(name);
    if (!mayReplace(dialogs_, target))
        return false;
    setFile(target, name);
    writeSong();
    return true;
}

QString DocumentCommands::songFolder() const { return doc_.folder(); }

void DocumentCommands::ExportChordProClick() {
    // A saved song is offered beside its layout file under the same name; an imported one under
    // its title in the folder it came from (never under the name of the file it was read from);
    // an untitled one under its title.
    const QString extension = QString::fromLatin1(chordpro::kExtension);
    QString initial;
    if (!filePath_.isEmpty()) {
        const QFileInfo song(filePath_);
        initial = song.dir().filePath(song.completeBaseName() + QLatin1Char('.') + extension);
    } else if (!doc_.isUntitled()) {
        initial = exportFileName(doc_, extension, doc_.folder());
    } else if (!doc_.TitelEdit().text().empty()) {
        initial = suggestedFileName(cp1252::toUnicode(doc_.TitelEdit().text())) + QLatin1Char('.') + extension;
    }
    const std::optional<QString> path =
        askFileToWrite(dialogs_, {extension, QString::fromLatin1(chordpro::kExportFilter), initial});
    if (!path)
        return;
    chordpro::WriteChordProFile(doc_, *path);
}

bool DocumentCommands::FormCloseQuery() {
    if (!doc_.Modified)
        return true;
    return askToSave(true);
}

} // namespace versino
