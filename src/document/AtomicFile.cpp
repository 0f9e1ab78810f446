#include "document/AtomicFile.h"

#include "document/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace versino {
namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

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

} // namespace

AtomicFile::AtomicFile(const QString& path) : target_(resolveLinks(path)) {
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

    const QByteArray pattern = native(QFileInfo(target_).absolutePath() + QStringLiteral("/.versino-XXXXXX"));
    QByteArray tempName = pattern;
    fd_ = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd_ >= 0) {
        temp_ = QFile::decodeName(tempName);
        // mkostemp creates 0600; give the new file what the old one had, or what a new file gets.
        const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~currentUmask());
        if (exists && ::fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Only root may give a file away; anyone else keeps their own ownership.
        }
        if (::fchmod(fd_, mode) != 0)
            fail(errno);
        return;
    }

    const int err = errno;
    if ((err == EACCES || err == EPERM || err == EROFS) && exists && ::access(target.constData(), W_OK) == 0) {
        // Not truncated yet: the new content is held back until commit() knows it fits.
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
    if (!temp_.isEmpty())
        ::unlink(native(temp_).constData());
    temp_.clear();
}

void AtomicFile::fail(int errnum) {
    discard();
    committed_ = true; // nothing left to clean up
    throw FileError::fromErrno(errnum, target_);
}

void AtomicFile::write(std::string_view bytes) {
    if (temp_.isEmpty())
        pending_.append(bytes);
    else
        writeOut(bytes);
}

void AtomicFile::writeOut(std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void AtomicFile::commit() {
    if (temp_.isEmpty()) {
        // Written in place: first make room for the whole new content, so that a full disk or a
        // file size limit fails here while the old content is still whole.
        const auto size = static_cast<off_t>(pending_.size());
        if (size > 0 && ::fallocate(fd_, 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            fail(errno);
        writeOut(pending_);
        if (::ftruncate(fd_, size) != 0)
            fail(errno);
    }
    if (::fsync(fd_) != 0 && errno != EINVAL)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        fail(err);
    }
    if (!temp_.isEmpty()) {
        if (::rename(native(temp_).constData(), native(target_).constData()) != 0)
            fail(errno);
        temp_.clear();
        // Make the rename itself durable.
        const int dir = ::open(native(QFileInfo(target_).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    committed_ = true;
}

} // namespace versino
