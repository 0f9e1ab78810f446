#include "commands/DocumentCommands.h"

#include "formats/ChordPro.h"
#include "document/Cp1252.h"
#include "formats/LayoutFile.h"

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

// Open offers layout files first and ChordPro songs as the second filter.
FileDialogOptions openDialog() {
    FileDialogOptions options = layoutDialog();
    options.filter += QLatin1Char('|') + QString::fromLatin1(chordpro::kOpenFilter);
    return options;
}

} // namespace

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

void DocumentCommands::NeuClick() {
    if (doc_.Modified && !askToSave(true))
        return;
    doc_.ClearTexts();
    doc_.Modified = false;
    doc_.DocumentName = QString::fromLatin1(kUntitled);
    imported_ = false;
    run(hooks_.updateCaption);
    doc_.InstallDefaultFonts();
    run(hooks_.updateFieldFonts);
    run(hooks_.focusTitel);
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
    if (chordpro::isChordProFile(path)) {
        openChordPro(path);
        return;
    }
    // The file is read whole into a staging document first: a failure leaves everything as it was,
    // the name and caption included.
    ReadLayoutFile(doc_, path);
    doc_.DocumentName = path;
    imported_ = false;
    run(hooks_.updateCaption);
    run(hooks_.focusTitel);
    run(hooks_.updateFieldFonts);
    doc_.Modified = false;
}

void DocumentCommands::openChordPro(const QString& path) {
    // All or nothing, as for layout files: a failed read leaves the song as it was.
    const chordpro::Dropped dropped = chordpro::ReadChordProFile(doc_, path);
    doc_.DocumentName = chordpro::layoutNameFor(path);
    imported_ = true;
    saveFolder_.clear();
    run(hooks_.updateCaption);
    run(hooks_.focusTitel);
    run(hooks_.updateFieldFonts);
    doc_.Modified = false;
    if (!dropped.empty())
        dialogs_.message(chordpro::droppedMessage(dropped));
}

bool DocumentCommands::SpeichernClick() {
    if (doc_.isUntitled() || imported_)
        return SpeichernAlsClick();
    WriteLayoutFile(doc_, saveTarget());
    doc_.Modified = false;
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
    // The name alone is shown, but later saves must still land in the folder chosen here, whatever
    // folder another dialog makes current in between.
    saveFolder_ = chosen.absolutePath();
    doc_.DocumentName = name;
    imported_ = false;
    run(hooks_.updateCaption);
    return SpeichernClick();
}

void DocumentCommands::ExportChordProClick() {
    // A saved song is offered beside its layout file under the same name; an untitled one under
    // its title.
    const QString extension = QString::fromLatin1(chordpro::kExtension);
    QString initial;
    if (!doc_.isUntitled()) {
        const QFileInfo song(saveTarget());
        initial = song.dir().filePath(song.completeBaseName() + QLatin1Char('.') + extension);
    } else if (!doc_.TitelEdit().text().empty()) {
        initial = suggestedFileName(cp1252::toUnicode(doc_.TitelEdit().text())) + QLatin1Char('.') + extension;
    }
    const std::optional<QString> path =
        dialogs_.saveFile({extension, QString::fromLatin1(chordpro::kExportFilter), initial});
    if (!path)
        return;
    chordpro::WriteChordProFile(doc_, *path);
}

bool DocumentCommands::FormCloseQuery() {
    if (!doc_.Modified)
        return true;
    return askToSave(true);
}

QString DocumentCommands::saveTarget() const {
    const QString& name = doc_.DocumentName;
    if (QFileInfo(name).isAbsolute() || name.contains(QLatin1Char('/')))
        return name;
    return QDir(saveFolder_.isEmpty() ? QDir::currentPath() : saveFolder_).filePath(name);
}

} // namespace versino
