#pragma once

// What the atomic writer's two paths (AtomicFile.cpp and InPlaceWrite.cpp) share. Not for use
// outside src/io.

#include "io/AtomicFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstddef>
#include <sys/stat.h>

namespace versino::writer {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr char kTempPrefix[] = ".versino-";
constexpr int kTempRandom = 6; // the XXXXXX of mkostemp
// A temporary file younger than this may belong to a writer that has not locked it yet, or to one
// on another machine sharing the folder, where the lock may not reach.
constexpr int kStaleAfterSeconds = 60;

inline QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray shortHash(const QByteArray& bytes, int hexDigits);
// A name cut to fit NAME_MAX together with `reserved` more bytes.
QByteArray fitName(const QByteArray& name, int reserved);

inline bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Follows symbolic links (at most 40) to the file that is really written; refuses a link that
// another user planted in a world-writable sticky folder.
QString resolveLinks(const QString& path);

// Removes, in `folder`, the temporary files named `prefix` + six random characters that are the
// user's, that no writer holds locked and that are older than kStaleAfterSeconds.
void removeStaleTemps(const QByteArray& folder, const QByteArray& prefix);

// A new temporary file `folder/prefix` + XXXXXX, locked. Returns its descriptor and sets `name` and
// `lockFd` (a second descriptor of the same open file that keeps the lock until it is closed), or
// returns -1 with errno set.
int createLockedTemp(FileOps& ops, const QByteArray& folder, const QByteArray& prefix, QByteArray& name,
                     int& lockFd);

// Writes all of `p`, at `offset` or (when negative) at the file position. False with errno set.
bool writeFully(FileOps& ops, int fd, const char* p, std::size_t left, off_t offset = -1);

void syncFolder(const QByteArray& folder);

// The path of the copy of `target` (links already followed) in the cache folder.
QByteArray backupCopyPath(const QString& target);
// Beside the copy: the size and hash of the content an in-place write is putting into the file,
// so that a later Open can tell a torn file from a whole one.
inline QByteArray contentRecordPath(const QByteArray& copy) {
    return copy + ".sum";
}
QByteArray contentRecord(std::string_view bytes);
// Removes the copy of `target` and its record.
void removeBackupCopy(const QString& target);

} // namespace versino::writer
