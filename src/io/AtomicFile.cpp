#include "io/AtomicFile.h"

#include "io/FileError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace versino {

int FileOps::createTemp(char* pattern) {
    return ::mkostemp(pattern, O_CLOEXEC);
}
ssize_t FileOps::write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
ssize_t FileOps::pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    return ::pwrite(fd, data, size, offset);
}
int FileOps::fallocate(int fd, off_t offset, off_t length) {
    return ::fallocate(fd, 0, offset, length);
}
int FileOps::ftruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}
int FileOps::fsync(int fd) {
    return ::fsync(fd);
}
int FileOps::rename(const char* from, const char* to) {
    return ::rename(from, to);
}

FileOps& FileOps::system() {
    static FileOps ops;
    return ops;
}

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr char kTempPrefix[] = ".versino-";
constexpr int kTempRandom = 6; // the XXXXXX of mkostemp

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

QByteArray shortHash(const QByteArray& bytes, int hexDigits) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(hexDigits);
}

// A name cut to fit NAME_MAX together with `reserved` more bytes. A cut name gets a hash of the
// whole one, so that two long names that share their start still differ.
QByteArray fitName(const QByteArray& name, int reserved) {
    const int room = NAME_MAX - reserved;
    if (name.size() <= room)
        return name;
    return name.left(std::max(1, room - 17)) + '~' + shortHash(name, 16);
}

// The start of every temporary file name of `fileName`; six random characters follow it.
QByteArray tempPrefix(const QByteArray& fileName) {
    const int fixed = int(sizeof kTempPrefix - 1) + 1 + kTempRandom;
    return kTempPrefix + fitName(fileName, fixed) + '-';
}

// Follows symbolic links (at most 40, as the kernel does) to the file that will really be written.
// A dangling link yields its missing target, which the save then creates. A chain that does not
// end (a loop) is refused as the kernel refuses it, rather than replacing one of its links.
QString resolveLinks(const QString& path) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    throw FileError::fromErrno(ELOOP, path);
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes, in `folder`, the temporary files that begin with `prefix` and that no writer holds
// locked: those of writers that were killed. A file someone else owns and we may not open stays.
void removeStaleTemps(const QByteArray& folder, const QByteArray& prefix) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + kTempRandom || !name.startsWith(prefix))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        // Checked again after the lock: the name must still be this file, not a newer one.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(held, named))
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// A new temporary file `folder/prefix` + XXXXXX, locked. Returns its descriptor and sets `name` and
// `lockFd` (a second descriptor of the same open file that keeps the lock until it is closed), or
// returns -1 with errno set.
int createLockedTemp(FileOps& ops, const QByteArray& folder, const QByteArray& prefix, QByteArray& name,
                     int& lockFd) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = folder + '/' + prefix + QByteArray(kTempRandom, 'X');
        const int fd = ops.createTemp(name.data());
        if (fd < 0)
            return -1;
        ::flock(fd, LOCK_EX);
        // Between creating and locking, a writer of the same target may have taken the fresh
        // file for a stale one and removed it; then take another.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && sameFile(held, named)) {
            lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
            if (lockFd >= 0)
                return fd;
            const int err = errno;
            ::unlink(name.constData());
            ::close(fd);
            errno = err;
            return -1;
        }
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Writes all of `bytes`, at `offset` or (when negative) at the file position.
bool writeFully(FileOps& ops, int fd, const char* p, std::size_t left, off_t offset = -1) {
    while (left > 0) {
        const ssize_t n = offset < 0 ? ops.write(fd, p, left) : ops.pwrite(fd, p, left, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

void syncFolder(const QByteArray& folder) {
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

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

} // namespace

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
    // Room for a number against clashes and for the temporary name the copy is made under.
    const int reserved = int(tail.size()) + 4 + int(sizeof kTempPrefix) + kTempRandom;
    return QFile::decodeName(fitName(base, reserved) + tail);
}

AtomicFile::AtomicFile(const QString& path, FileOps& ops) : ops_(ops), target_(resolveLinks(path)) {
    const QByteArray target = native(target_);
    struct stat st {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        throw FileError::fromErrno(EISDIR, target_);
    // A FIFO, socket or device is no song file: renaming over it would replace it (as root, even
    // /dev/null), and writing into it could block. It is refused as reading refuses it.
    if (exists && !S_ISREG(st.st_mode))
        throw FileError::fromErrno(EACCES, target_);

    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (exists && ::access(target.constData(), W_OK) != 0)
        throw FileError::fromErrno(errno, target_);

    const QFileInfo info(target_);
    const QByteArray folder = native(info.absolutePath());
    const QByteArray prefix = tempPrefix(native(info.fileName()));
    removeStaleTemps(folder, prefix);

    fd_ = createLockedTemp(ops_, folder, prefix, temp_, lockFd_);
    if (fd_ >= 0) {
        // mkostemp creates 0600; give the new file what the old one had, or what a new file gets.
        const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~currentUmask());
        if (exists && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Only root may give a file away; anyone else keeps their own ownership.
        }
        if (::fchmod(fd_, mode) != 0)
            fail(errno);
        return;
    }
    temp_.clear();

    const int err = errno;
    if ((err == EACCES || err == EPERM || err == EROFS) && exists &&
        ::access(target.constData(), W_OK) == 0) {
        // Not touched yet: the new content is held back until commit() has kept a copy of the old
        // one and knows the new one fits.
        fd_ = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd_ >= 0)
            return;
        throw FileError::fromErrno(errno, target_);
    }
    throw FileError::fromErrno(err, target_);
}

AtomicFile::~AtomicFile() {
    if (!committed_)
        discard();
}

void AtomicFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    // Removed while still locked, so that no other writer takes it for a stale one meanwhile.
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
    temp_.clear();
    if (lockFd_ >= 0)
        ::close(lockFd_);
    lockFd_ = -1;
    buffer_.clear();
}

void AtomicFile::fail(int errnum) {
    discard();
    committed_ = true; // nothing left to clean up
    throw FileError::fromErrno(errnum, target_);
}

void AtomicFile::write(std::string_view bytes) {
    buffer_.append(bytes);
    if (!temp_.isEmpty() && buffer_.size() >= kBufferSize)
        flushBuffer();
}

void AtomicFile::flushBuffer() {
    if (!writeFully(ops_, fd_, buffer_.data(), buffer_.size()))
        fail(errno);
    buffer_.clear();
}

void AtomicFile::commit() {
    if (temp_.isEmpty()) {
        commitInPlace();
        return;
    }
    flushBuffer();
    if (ops_.fsync(fd_) != 0 && errno != EINVAL)
        fail(errno);
    // The lock stays with lockFd_ until the rename is done.
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (ops_.rename(temp_.constData(), native(target_).constData()) != 0)
        fail(errno);
    temp_.clear();
    ::close(lockFd_);
    lockFd_ = -1;
    // Make the rename itself durable.
    syncFolder(native(QFileInfo(target_).absolutePath()));
    committed_ = true;
}

void AtomicFile::commitInPlace() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        fail(errno);
    const off_t oldSize = st.st_size;
    const auto newSize = static_cast<off_t>(buffer_.size());

    QByteArray copy;
    try {
        copy = copyToCache();
    } catch (const FileError& e) {
        discard();
        committed_ = true;
        // Said apart from a failure of the song itself: the cache folder is what to mend.
        throw FileError(e, " (no copy of the old file could be kept in " + cacheFolder().toStdString() + ")");
    }
    try {
        reserve(oldSize, newSize);
    } catch (const FileError&) {
        ::unlink(copy.constData());
        discard();
        committed_ = true;
        throw;
    }

    // From here on the file is changed; any failure leaves the copy for the user.
    int err = 0;
    if (!writeFully(ops_, fd_, buffer_.data(), buffer_.size(), 0) || ops_.ftruncate(fd_, newSize) != 0 ||
        (ops_.fsync(fd_) != 0 && errno != EINVAL))
        err = errno;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    discard();
    committed_ = true;
    if (err != 0)
        throw FileError(FileError::fromErrno(err, target_),
                        " (the old file is kept as " + QFile::decodeName(copy).toStdString() + ")");
    ::unlink(copy.constData());
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
    while (ops_.ftruncate(fd_, oldSize) != 0 && errno == EINTR) {
    }
    throw FileError::fromErrno(err, target_);
}

// Copies the old file, as it is, into the cache folder under a name of its own, complete and
// synced before this returns its path. Never replaces an older copy: one left by a failed or
// killed save may be the only whole version the user has.
QByteArray AtomicFile::copyToCache() {
    const QByteArray folder = native(cacheFolder());
    if (!makeFolders(folder))
        throw FileError::fromErrno(errno, QFile::decodeName(folder) + QStringLiteral("/x"));
    const QByteArray name = native(cacheCopyName(target_));
    const QByteArray prefix = kTempPrefix + name + '-';
    removeStaleTemps(folder, prefix);

    const int in = ::open(native(target_).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw FileError::fromErrno(errno, target_);
    QByteArray temp;
    int lockFd = -1;
    const int out = createLockedTemp(ops_, folder, prefix, temp, lockFd);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        throw FileError::fromErrno(err, QFile::decodeName(folder) + QStringLiteral("/x"));
    }
    auto giveUp = [&](int err) {
        ::close(in);
        ::close(out);
        ::unlink(temp.constData());
        ::close(lockFd);
        throw FileError::fromErrno(err, target_);
    };

    std::string piece(kBufferSize, '\0');
    for (;;) {
        const ssize_t n = ::read(in, piece.data(), piece.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            giveUp(errno);
        if (n == 0)
            break;
        if (!writeFully(ops_, out, piece.data(), std::size_t(n)))
            giveUp(errno);
    }
    if (ops_.fsync(out) != 0 && errno != EINVAL)
        giveUp(errno);
    if (::close(out) != 0) {
        const int err = errno;
        ::close(in);
        ::unlink(temp.constData());
        ::close(lockFd);
        throw FileError::fromErrno(err, target_);
    }
    ::close(in);

    // link() does not replace an existing name, as rename() would.
    const int dot = name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    const QByteArray suffix = dot > 0 ? name.mid(dot) : QByteArray();
    QByteArray copy;
    int err = EEXIST;
    for (int n = 1; n < 1000 && err == EEXIST; ++n) {
        copy = folder + '/' + (n == 1 ? name : stem + '-' + QByteArray::number(n) + suffix);
        err = ::link(temp.constData(), copy.constData()) == 0 ? 0 : errno;
        if (err == EPERM || err == EOPNOTSUPP) {
            // A file system without hard links: take a free name by rename instead.
            struct stat st {};
            if (::lstat(copy.constData(), &st) == 0)
                err = EEXIST;
            else
                err = ops_.rename(temp.constData(), copy.constData()) == 0 ? 0 : errno;
        }
    }
    ::unlink(temp.constData());
    ::close(lockFd);
    if (err != 0)
        throw FileError::fromErrno(err, QFile::decodeName(copy));
    syncFolder(folder);
    return copy;
}

void writeFileAtomically(const QString& path, std::string_view bytes, FileOps& ops) {
    AtomicFile file(path, ops);
    file.write(bytes);
    file.commit();
}

} // namespace versino
