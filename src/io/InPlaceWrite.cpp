// The atomic writer's other path: a file that cannot be replaced by a new one is written in place,
// with a copy of the old file kept in the user's private cache folder until the write is done.
#include "io/AtomicFile.h"

#include "io/FileError.h"
#include "io/WriterSupport.h"

#include "io/RegularFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QList>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace versino {

using namespace writer;

namespace {

// Creates each missing folder of `path`, private to the user.
bool makeFolders(const QByteArray& path) {
    for (int slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

// A copy that another user could read, replace or plant would defeat it: the folder must be the
// user's own, and no one else may write into it.
bool isPrivateFolder(const QByteArray& folder) {
    struct stat st {};
    return ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string noCopyRemark(const QByteArray& folder) {
    return " (no copy of the old file could be kept in " + QFile::decodeName(folder).toStdString() + ")";
}

} // namespace

QByteArray writer::backupCopyPath(const QString& target) {
    return native(AtomicFile::cacheFolder() + QLatin1Char('/') + AtomicFile::cacheCopyName(target));
}

QString AtomicFile::cacheFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(base)) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            if (const passwd* pw = ::getpwuid(::getuid()))
                home = QFile::decodeName(pw->pw_dir);
        base = home + QStringLiteral("/.cache");
    }
    return QDir::cleanPath(base + QStringLiteral("/versino"));
}

QString AtomicFile::cacheCopyName(const QString& target) {
    const QFileInfo info(target);
    const QByteArray folderMark = shortHash(native(info.absolutePath()), 8);
    // An extension as long as a name is kept as part of the name, where it may be shortened.
    QByteArray suffix = native(info.suffix());
    QByteArray base = native(info.completeBaseName());
    if (suffix.size() > 16) {
        base = native(info.fileName());
        suffix.clear();
    }
    const QByteArray tail = "-" + folderMark + (suffix.isEmpty() ? QByteArray() : "." + suffix);
    // Room for the temporary name the copy is made under.
    const int reserved = int(tail.size()) + 4 + int(sizeof kTempPrefix) + kTempRandom;
    return QFile::decodeName(fitName(base, reserved) + tail);
}

QByteArray writer::contentRecord(std::string_view bytes) {
    return QByteArray::number(qulonglong(bytes.size())) + ' ' +
           QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha1)
               .toHex() +
           '\n';
}

void writer::removeBackupCopy(const QString& target) {
    const QByteArray copy = backupCopyPath(target);
    ::unlink(copy.constData());
    ::unlink(contentRecordPath(copy).constData());
}

namespace {

// Whether the file at `path` holds exactly the content that `record` describes.
std::optional<bool> matchesRecord(const QString& path, const QByteArray& record) {
    std::string recorded;
    RegularFile in(QFile::decodeName(record));
    if (in.error() != 0 || in.read(recorded, 256) != 0)
        return std::nullopt;
    const QList<QByteArray> parts = QByteArray::fromStdString(recorded).trimmed().split(' ');
    bool ok = false;
    const qulonglong size = parts.value(0).toULongLong(&ok);
    if (parts.size() != 2 || !ok)
        return std::nullopt;
    RegularFile file(path);
    if (file.error() != 0)
        return false;
    if (qulonglong(file.status().st_size) != size)
        return false;
    std::string content;
    if (file.read(content, std::size_t(size) + 1) != 0)
        return std::nullopt;
    return contentRecord(content).trimmed() == QByteArray::fromStdString(recorded).trimmed();
}

} // namespace

bool AtomicFile::makePrivateFolder(const QString& folder) {
    const QByteArray name = native(QDir::cleanPath(folder));
    return makeFolders(name) && isPrivateFolder(name);
}

std::optional<BackupCopy> AtomicFile::backupCopyOf(const QString& path) {
    // Without the private folder there is no copy; asked first, because following the path's links
    // takes a look at each of its folders, for every song a book or a conversion reads.
    if (!isPrivateFolder(native(cacheFolder())))
        return std::nullopt;
    QString target;
    try {
        target = resolveLinks(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
    const QByteArray copy = backupCopyPath(target);
    struct stat st {};
    if (::lstat(copy.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return std::nullopt;
    return BackupCopy{QFile::decodeName(copy), QFileInfo(QFile::decodeName(copy)).lastModified(),
                      matchesRecord(target, contentRecordPath(copy))};
}

namespace {

// Opens `path` without following a link and without blocking (a FIFO or device swapped in for the
// file would otherwise hold the open, or every read, for good), and accepts only a regular file
// that is `expected`. Returns the descriptor, in blocking mode again, or -1 with errno set.
int openSameRegular(const QByteArray& path, int flags, const struct stat& expected) {
    const int fd = ::open(path.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = EACCES;
    else if (!sameFile(st, expected))
        err = EBUSY;
    else if (const int fl = ::fcntl(fd, F_GETFL); fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0)
        err = errno;
    if (err == 0)
        return fd;
    ::close(fd);
    errno = err;
    return -1;
}

// True when the name still names the file open at `fd`.
bool stillNamed(const QByteArray& path, int fd) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && sameFile(held, named);
}

} // namespace

void AtomicFile::openInPlace() {
    // Not touched yet: the new content is held back until commit() has kept a copy of the old one
    // and knows the new one fits. The file must be the one judged when the writer began.
    fd_ = openSameRegular(native(target_), O_WRONLY, old_);
    if (fd_ < 0 && errno == EBUSY)
        failReplaced("nothing was written");
    if (fd_ < 0)
        throw FileError::fromErrno(errno, target_);
}

// Another file now stands under the target's name (it was renamed away, or replaced by something
// else): writing on into the old one would put the song where the name no longer leads.
void AtomicFile::failReplaced(const char* what) {
    discard();
    committed_ = true;
    throw FileError(FileError::fromErrno(EBUSY, target_),
                    " (" + target_.toStdString() + " was replaced by another file while it was written; " + what +
                        ")");
}

void AtomicFile::commitInPlace() {
    const QByteArray target = native(target_);
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        fail(errno);
    if (!stillNamed(target, fd_))
        failReplaced("nothing was written");
    const off_t oldSize = st.st_size;
    const auto newSize = static_cast<off_t>(buffer_.size());

    const QByteArray copy = backupCopyPath(target_);
    bool hadCopy = false;
    try {
        hadCopy = copyToCache(st);
        reserve(oldSize, newSize);
    } catch (const FileError&) {
        if (!hadCopy)
            removeBackupCopy(target_);
        discard();
        committed_ = true;
        throw;
    }

    // What the file will hold, recorded beside the copy: a write stopped after the last byte
    // leaves a whole file, and the copy is then the older version. Without the record the file
    // is only ever said to be possibly torn.
    try {
        writeFileAtomically(QFile::decodeName(contentRecordPath(copy)), contentRecord(buffer_).toStdString());
        // Durable before the file is touched, also inside a batch, which syncs its folders later.
        if (WriteBatch::current())
            syncFolder(copy.left(copy.lastIndexOf('/')));
    } catch (const FileError&) {
        ::unlink(contentRecordPath(copy).constData());
    }

    // From here on the file is changed; any failure leaves the copy for the user.
    int err = 0;
    off_t written = 0;
    while (err == 0 && written < newSize) {
        const auto piece = static_cast<std::size_t>(std::min<off_t>(newSize - written, off_t(kBufferSize)));
        if (!writeFully(ops_, fd_, buffer_.data() + written, piece, written))
            err = errno;
        else
            written += off_t(piece);
    }
    if (err != 0) {
        // The room reserved past the old end holds nothing of either version: cut it back.
        while (::ftruncate(fd_, std::max(oldSize, written)) != 0 && errno == EINTR) {
        }
    } else if (::ftruncate(fd_, newSize) != 0 || (::fsync(fd_) != 0 && errno != EINVAL)) {
        err = errno;
    }
    const bool named = stillNamed(target, fd_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    discard();
    committed_ = true;
    const std::string kept = "the old file is kept as " + QFile::decodeName(copy).toStdString();
    if (err != 0)
        throw FileError(FileError::fromErrno(err, target_), " (" + kept + ")");
    if (!named)
        throw FileError(FileError::fromErrno(EBUSY, target_),
                        " (" + target_.toStdString() +
                            " was replaced by another file while it was written, so the song is not in it; " +
                            kept + ")");
    removeBackupCopy(target_);
}

// Makes room for `newSize` bytes before anything of the file is overwritten. Where the file system
// cannot reserve room (ext2, some network file systems), the file is grown with zeros past its old
// end instead; either way a full disk or a size limit shows here, and the file is cut back to its
// old size.
void AtomicFile::reserve(off_t oldSize, off_t newSize) {
    if (newSize <= oldSize)
        return;
    int err = 0;
    if (ops_.fallocate(fd_, oldSize, newSize - oldSize) != 0) {
        err = errno;
        if (err == EOPNOTSUPP || err == ENOSYS) {
            err = 0;
            const std::string zeros(kBufferSize, '\0');
            for (off_t at = oldSize; at < newSize && err == 0;) {
                const auto piece =
                    static_cast<std::size_t>(std::min<off_t>(newSize - at, off_t(kBufferSize)));
                if (!writeFully(ops_, fd_, zeros.data(), piece, at))
                    err = errno;
                at += off_t(piece);
            }
        }
    }
    if (err == 0)
        return;
    // Cut back to the old size; the old content itself was never touched.
    while (::ftruncate(fd_, oldSize) != 0 && errno == EINTR) {
    }
    throw FileError::fromErrno(err, target_);
}

// Copies the old file, as it is, into the cache folder, complete and synced before this returns.
// A copy that is already there was left by a write that did not finish: it, not the file, is the
// last whole version, so it is kept as it is and true returned. Throws FileError with the reason
// why no copy could be kept.
bool AtomicFile::copyToCache(const struct stat& held) {
    const QByteArray folder = native(cacheFolder());
    const QString folderFile = QFile::decodeName(folder) + QStringLiteral("/x");
    if (!makeFolders(folder)) {
        const int err = errno;
        throw FileError(FileError::fromErrno(err, folderFile), noCopyRemark(folder));
    }
    if (!isPrivateFolder(folder))
        throw FileError(FileError::fromErrno(EACCES, folderFile),
                        " (the cache folder " + QFile::decodeName(folder).toStdString() +
                            " must be yours alone, so no copy of the old file could be kept there)");
    const QByteArray copy = backupCopyPath(target_);
    struct stat kept {};
    if (::lstat(copy.constData(), &kept) == 0 && S_ISREG(kept.st_mode) && kept.st_uid == ::geteuid())
        return true;
    const QByteArray prefix = kTempPrefix + copy.mid(copy.lastIndexOf('/') + 1) + '-';
    removeStaleTemps(folder, prefix);

    // The copy is of the file being written, read through its name without blocking.
    const int in = openSameRegular(native(target_), O_RDONLY, held);
    if (in < 0 && errno == EBUSY)
        failReplaced("nothing was written");
    if (in < 0) {
        const int err = errno;
        throw FileError(FileError::fromErrno(err, target_), noCopyRemark(folder));
    }
    QByteArray temp;
    int lockFd = -1;
    const int out = createLockedTemp(ops_, folder, prefix, temp, lockFd);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        throw FileError(FileError::fromErrno(err, folderFile), noCopyRemark(folder));
    }
    int err = 0;
    std::string piece(kBufferSize, '\0');
    for (;;) {
        const ssize_t n = ::read(in, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : 0;
            break;
        }
        if (!writeFully(ops_, out, piece.data(), std::size_t(n))) {
            err = errno;
            break;
        }
    }
    if (err == 0 && ::fsync(out) != 0 && errno != EINVAL)
        err = errno;
    if (::close(out) != 0 && err == 0)
        err = errno;
    ::close(in);
    if (err == 0 && ::rename(temp.constData(), copy.constData()) != 0)
        err = errno;
    if (err != 0)
        ::unlink(temp.constData());
    ::close(lockFd);
    if (err != 0)
        throw FileError(FileError::fromErrno(err, target_), noCopyRemark(folder));
    syncFolder(folder);
    return false;
}

} // namespace versino
