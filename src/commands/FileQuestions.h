#pragma once

#include "platform/Dialogs.h"
#include "platform/YesNoQuestion.h"

#include <QDateTime>
#include <QString>
#include <ctime>
#include <optional>
#include <sys/types.h>

namespace versino {

inline const char* const kReplaceQuestion =
    "Die Datei \u201E%1\u201C existiert bereits. M\u00F6chten Sie sie ersetzen?";
inline const char* const kChangedOutsideQuestion =
    "Die Datei \u201E%1\u201C wurde au\u00DFerhalb von Versino ge\u00E4ndert, seit sie ge\u00F6ffnet oder "
    "gespeichert wurde. M\u00F6chten Sie diese \u00C4nderungen \u00FCberschreiben?";
inline const char* const kRemovedOutsideQuestion =
    "Die Datei \u201E%1\u201C wurde au\u00DFerhalb von Versino ge\u00E4ndert: sie ist gel\u00F6scht oder "
    "verschoben worden. M\u00F6chten Sie sie neu speichern?";
// The backup copy of an in-place save that did not finish, offered at Open. Which question is
// asked depends on whether the file itself is whole; a copy that may be the only whole version is
// kept whatever the answer, until the file is saved again.
inline const char* const kRestoreQuestion =
    "Von \u201E%1\u201C gibt es eine Sicherungskopie vom %2, die nach einem abgebrochenen Speichern "
    "\u00FCbrig blieb. Wiederherstellen?";
inline const char* const kRestoreTornQuestion =
    "Von \u201E%1\u201C gibt es eine Sicherungskopie vom %2, die nach einem abgebrochenen Speichern "
    "\u00FCbrig blieb. Die Datei selbst ist unvollst\u00E4ndig; die Kopie ist die letzte ganze Fassung und "
    "bleibt erhalten, bis die Datei wieder gespeichert ist. Wiederherstellen?";
inline const char* const kRestoreUnknownQuestion =
    "Von \u201E%1\u201C gibt es eine Sicherungskopie vom %2, die nach einem abgebrochenen Speichern "
    "\u00FCbrig blieb. Ob die Datei selbst vollst\u00E4ndig ist, l\u00E4sst sich nicht sagen; die Kopie "
    "bleibt erhalten, bis die Datei wieder gespeichert ist. Wiederherstellen?";
inline const char* const kRestoreOlderQuestion =
    "Von \u201E%1\u201C gibt es eine \u00E4ltere Sicherungskopie vom %2, die nach einem abgebrochenen "
    "Speichern \u00FCbrig blieb; die Datei selbst ist vollst\u00E4ndig und neuer. Die \u00E4ltere Fassung "
    "wiederherstellen? (Mit \u201ENein\u201C wird die Kopie gel\u00F6scht.)";
// A book or a song list that takes a song with such a copy says so: %1 the song, %2 the copy's
// date, %3 the copy, %4 what the file itself is.
inline const char* const kBackupCopyNote =
    "\u201E%1\u201C: eine Sicherungskopie vom %2 liegt in %3; die Datei selbst ist %4.";

// A file chosen in a save dialog may be written: it does not exist yet, or the user agreed to
// replace it.
bool mayReplace(YesNoQuestion& ask, const QString& path);

// The save dialog of an export: shown again after Nein to replacing an existing file, so that the
// user can choose another name. The chosen path, or nothing when the dialog was cancelled.
std::optional<QString> askFileToWrite(Dialogs& dialogs, const FileDialogOptions& options);

// What identifies a file's state: another program that writes or replaces it changes at least one.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

// The file's stamp now (links followed), or nothing when there is no such file.
std::optional<FileStamp> stampOf(const QString& path);

// The date of a backup copy as the restore question shows it.
QString backupDate(const QDateTime& made);

struct BackupCopy;
// The question Open asks about `copy` of the file named `fileName`.
QString restoreQuestion(const QString& fileName, const BackupCopy& copy);
// The note a book or a song list gives about a song at `path` that has such a copy; empty when it has none.
QString backupCopyNote(const QString& path);

} // namespace versino
