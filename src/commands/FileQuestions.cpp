#include "commands/FileQuestions.h"

#include "io/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace versino {

bool mayReplace(YesNoQuestion& ask, const QString& path) {
    // Only a file can be replaced. A dangling link counts as no file (writing creates its target);
    // a folder, FIFO or device is refused by the writer, which says why.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    return ask.askYesNo(QString::fromUtf8(kReplaceQuestion).arg(QFileInfo(path).fileName()));
}

std::optional<QString> askFileToWrite(Dialogs& dialogs, const FileDialogOptions& options) {
    for (;;) {
        std::optional<QString> path = dialogs.saveFile(options);
        if (!path || mayReplace(dialogs, *path))
            return path;
    }
}

std::optional<FileStamp> stampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

QString backupDate(const QDateTime& made) {
    return made.toLocalTime().toString(QStringLiteral("dd.MM.yyyy, HH:mm 'Uhr'"));
}

QString restoreQuestion(const QString& fileName, const BackupCopy& copy) {
    const char* text = !copy.fileIsWhole ? kRestoreUnknownQuestion : *copy.fileIsWhole ? kRestoreOlderQuestion
                                                                                       : kRestoreTornQuestion;
    return QString::fromUtf8(text).arg(fileName, backupDate(copy.made));
}

QString backupCopyNote(const QString& path) {
    const std::optional<BackupCopy> copy = AtomicFile::backupCopyOf(path);
    if (!copy)
        return {};
    const char* state = !copy->fileIsWhole ? "vielleicht unvollst\u00E4ndig"
                        : *copy->fileIsWhole ? "vollst\u00E4ndig und neuer"
                                             : "unvollst\u00E4ndig";
    return QString::fromUtf8(kBackupCopyNote)
        .arg(QFileInfo(path).fileName(), backupDate(copy->made), copy->path, QString::fromUtf8(state));
}

} // namespace versino
