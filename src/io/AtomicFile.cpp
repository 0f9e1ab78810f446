#include "io/AtomicFile.h"

#include "io/FileError.h"
#include "io/WriterSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/xattr.h>
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

FileOps& FileOps::system() {
    static FileOps ops;
    return ops;
}

namespace writer {

QByteArray shortHash(const QByteArray& bytes, int hexDigits) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(hexDigits);
}

// A cut name gets a hash of the whole one, so that two long names that share their start still differ.
QByteArray fitName(const QByteArray& name, int reserved) {
    const int room = NAME_MAX - reserved;
    if (name.size() <= room)
        return name;
    return name.left(std::max(1, room - 17)) + '~' + shortHash(name, 16);
}

// A chain that does not end (a loop) is refused as the kernel refuses it, rather than replacing one
// of its links. A dangling link at the end yields its missing target, which the save then creates.
// Every part of the path is looked at, folders too, the way the kernel walks it (a ".." after a
// link leaves the link's target): a link planted in a world-writable sticky folder is refused
// wherever it stands, since a link to a folder redirects the write as surely as a link to the file.
// The rule for sticky folders is the kernel's own (protected_symlinks): there a link is followed
// only when it is the user's or the folder owner's.
QString resolveLinks(const QString& path) {
    const QByteArray absolute = native(QFileInfo(path).absoluteFilePath());
    QList<QByteArray> parts = absolute.split('/');
    std::reverse(parts.begin(), parts.end()); // taken from the back
    QByteArray done;                          // the resolved folders so far; empty for "/"
    int hops = 0;
    while (!parts.isEmpty()) {
        const QByteArray part = parts.takeLast();
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            done.truncate(std::max<qsizetype>(0, done.lastIndexOf('/')));
            continue;
        }
        const QByteArray current = done + '/' + part;
        struct stat link {};
        if (::lstat(current.constData(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            done = current;
            continue;
        }
        if (++hops > 40)
            throw FileError::fromErrno(ELOOP, path);
        const QByteArray folder = done.isEmpty() ? QByteArray("/") : done;
        struct stat dir {};
        if (::stat(folder.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH) &&
            link.st_uid != ::geteuid() && link.st_uid != dir.st_uid)
            throw FileError::fromErrno(EACCES, path);
        QByteArray to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.constData(), to.data(), std::size_t(to.size()));
        if (n < 0)
            throw FileError::fromErrno(errno, path);
        to.truncate(n);
        if (to.startsWith('/'))
            done.clear();
        QList<QByteArray> more = to.split('/');
        for (auto it = more.rbegin(); it != more.rend(); ++it)
            parts.append(*it);
    }
    return done.isEmpty() ? QStringLiteral("/") : QFile::decodeName(done);
}

namespace {

bool isRandomPart(const char* p, const char* end) {
    // mkostemp's random part: letters and digits only.
    return std::all_of(p, end, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

bool isTempName(const QByteArray& name, const QByteArray& prefix) {
    return name.size() == prefix.size() + kTempRandom && name.startsWith(prefix) &&
           isRandomPart(name.cbegin() + prefix.size(), name.cend());
}

// The target's prefix of a name that looks like any target's temporary file; empty for other names.
QByteArray prefixOfTempName(const QByteArray& name) {
    const qsizetype fixed = qsizetype(sizeof kTempPrefix - 1) + 1 + kTempRandom;
    if (name.size() <= fixed || !name.startsWith(kTempPrefix) || name.at(name.size() - kTempRandom - 1) != '-' ||
        !isRandomPart(name.cend() - kTempRandom, name.cend()))
        return {};
    return name.chopped(kTempRandom);
}

// Removes the temporary file `name` in the folder `dirFd` when it is stale: the user's, older than
// kStaleAfterSeconds and held by no writer.
void removeIfStale(int dirFd, const char* name, time_t now) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat held {};
    struct stat named {};
    // Checked again after the lock: the name must still be this file, not a newer one.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        now - held.st_mtime > kStaleAfterSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(held, named))
        ::unlinkat(dirFd, name, 0);
    ::close(fd);
}

} // namespace

void removeStaleTemps(const QByteArray& folder, const QByteArray& prefix) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir))
        if (isTempName(QByteArray(entry->d_name), prefix))
            removeIfStale(::dirfd(dir), entry->d_name, now);
    ::closedir(dir);
}

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

bool writeFully(FileOps& ops, int fd, const char* p, std::size_t left, off_t offset) {
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
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace writer

using namespace writer;

namespace {

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The start of every temporary file name of `fileName`; six random characters follow it.
QByteArray tempPrefix(const QByteArray& fileName) {
    const int fixed = int(sizeof kTempPrefix - 1) + 1 + kTempRandom;
    return kTempPrefix + fitName(fileName, fixed) + '-';
}

// The extended attributes that belong to a file's content and rights: the user's own and the
// POSIX ACL. Security labels are the system's to set, trusted ones only root's.
bool carriesOver(const char* name) {
    return std::string_view(name).rfind("user.", 0) == 0 || std::string_view(name) == "system.posix_acl_access";
}

// The names of a file's extended attributes, NUL-separated, from `list` (listxattr or flistxattr).
// False when they cannot be listed; a file system without any gives none.
template <typename List> bool attributeNames(List list, std::string& names) {
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0) {
            names.clear();
            return errno == ENOTSUP || errno == ENOSYS;
        }
        names.assign(std::size_t(size), '\0');
        const ssize_t n = list(names.data(), names.size());
        if (n >= 0) {
            names.resize(std::size_t(n));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

bool hasName(const std::string& names, std::string_view name) {
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1)
        if (name == names.c_str() + at)
            return true;
    return false;
}

// Copies those attributes of the file at `from` onto `to`, and removes those that `to` got from
// elsewhere (a folder's default ACL) but `from` does not have. False when one cannot be carried.
bool copyAttributes(const QByteArray& from, int to) {
    std::string names;
    std::string theirs;
    if (!attributeNames([&](char* b, std::size_t n) { return ::listxattr(from.constData(), b, n); }, names) ||
        !attributeNames([&](char* b, std::size_t n) { return ::flistxattr(to, b, n); }, theirs))
        return false;
    for (std::size_t at = 0; at < theirs.size(); at += std::strlen(theirs.c_str() + at) + 1) {
        const char* name = theirs.c_str() + at;
        if (carriesOver(name) && !hasName(names, name) && ::fremovexattr(to, name) != 0)
            return false;
    }
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        const char* name = names.c_str() + at;
        if (!carriesOver(name))
            continue;
        std::string value;
        ssize_t n = -1;
        do {
            const ssize_t size = ::getxattr(from.constData(), name, nullptr, 0);
            if (size < 0)
                return errno == ENODATA; // removed meanwhile
            value.assign(std::size_t(size), '\0');
            n = ::getxattr(from.constData(), name, value.data(), value.size());
        } while (n < 0 && errno == ERANGE);
        if (n < 0 || ::fsetxattr(to, name, value.data(), std::size_t(n), 0) != 0)
            return false;
    }
    return true;
}

// A file of another user than the writer and the folder's owner, in a sticky folder that others
// may write into: what the kernel's protected_regular guards.
bool isPlantedInSharedFolder(const QByteArray& target, const struct stat& file) {
    struct stat dir {};
    const QByteArray folder = target.left(std::max<qsizetype>(1, target.lastIndexOf('/')));
    return ::stat(folder.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX) &&
           (dir.st_mode & (S_IWGRP | S_IWOTH)) && file.st_uid != ::geteuid() && file.st_uid != dir.st_uid;
}

} // namespace

AtomicFile::AtomicFile(const QString& path, FileOps& ops) : ops_(ops), target_(resolveLinks(path)) {
    const QByteArray target = native(target_);
    exists_ = ::stat(target.constData(), &old_) == 0;
    if (exists_ && S_ISDIR(old_.st_mode))
        throw FileError::fromErrno(EISDIR, target_);
    // A FIFO, socket or device is no song file: renaming over it would replace it (as root, even
    // /dev/null), and writing into it could block. It is refused as reading refuses it.
    if (exists_ && !S_ISREG(old_.st_mode))
        throw FileError::fromErrno(EACCES, target_);

    // In a shared sticky folder (as /tmp) a file that someone else put there is theirs to read: the
    // kernel refuses to open it for writing with O_CREAT, and neither path of the writer may go
    // round that by writing into it or replacing it with a file they could read.
    if (exists_ && isPlantedInSharedFolder(target, old_))
        throw FileError(FileError::fromErrno(EACCES, target_),
                        " (" + target.toStdString() +
                            " belongs to another user, in a folder that everyone may write into)");

    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (exists_ && ::access(target.constData(), W_OK) != 0)
        throw FileError::fromErrno(errno, target_);

    const QFileInfo info(target_);
    const QByteArray folder = native(info.absolutePath());
    const QByteArray prefix = tempPrefix(native(info.fileName()));
    if (WriteBatch* batch = WriteBatch::current())
        batch->removeStaleTemps(folder, prefix);
    else
        removeStaleTemps(folder, prefix);

    // A new file would leave the other names of the file with the old content.
    if (exists_ && old_.st_nlink > 1) {
        openInPlace();
        return;
    }
    if (openTemp(folder, prefix)) {
        if (!exists_ || carryOver())
            return;
        // The new file cannot have what the old one had (its owner, group, ACL or attributes):
        // keep the old file and write into it.
        discard();
        openInPlace();
        return;
    }
    const int err = errno;
    if ((err == EACCES || err == EPERM || err == EROFS) && exists_) {
        openInPlace();
        return;
    }
    throw FileError::fromErrno(err, target_);
}

AtomicFile::~AtomicFile() {
    if (!committed_)
        discard();
}

bool AtomicFile::openTemp(const QByteArray& folder, const QByteArray& prefix) {
    fd_ = createLockedTemp(ops_, folder, prefix, temp_, lockFd_);
    if (fd_ < 0) {
        temp_.clear();
        return false;
    }
    // mkostemp creates 0600; a new file gets what the umask allows.
    if (!exists_ && ::fchmod(fd_, 0666 & ~currentUmask()) != 0)
        fail(errno);
    return true;
}

// Gives the temporary file the old file's owner and group (as far as the writer may: root any,
// others a group they belong to), attributes and mode; true when it has them all.
bool AtomicFile::carryOver() {
    const uid_t owner = ::geteuid() == 0 ? old_.st_uid : uid_t(-1);
    if (::fchown(fd_, owner, old_.st_gid) != 0) {
        // Checked below, with everything else.
    }
    if (!copyAttributes(native(target_), fd_))
        return false;
    // After the ACL, which sets the group bits from its mask; the mode sets the mask back.
    if (::fchmod(fd_, old_.st_mode & 07777) != 0)
        return false;
    struct stat now {};
    return ::fstat(fd_, &now) == 0 && now.st_uid == old_.st_uid && now.st_gid == old_.st_gid &&
           (now.st_mode & 07777) == (old_.st_mode & 07777);
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
    if (::fsync(fd_) != 0 && errno != EINVAL)
        fail(errno);
    // The lock stays with lockFd_ until the rename is done.
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (::rename(temp_.constData(), native(target_).constData()) != 0)
        fail(errno);
    temp_.clear();
    ::close(lockFd_);
    lockFd_ = -1;
    // Make the rename itself durable; a batch does it once per folder, when it finishes.
    const QByteArray folder = native(QFileInfo(target_).absolutePath());
    if (WriteBatch* batch = WriteBatch::current())
        batch->renamedIn(folder);
    else
        syncFolder(folder);
    committed_ = true;
    // A copy left by an earlier in-place write that did not finish is older than what the file
    // now holds.
    removeBackupCopy(target_);
}

namespace {
thread_local WriteBatch* currentBatch = nullptr;
}

WriteBatch::WriteBatch() : outer_(currentBatch) {
    currentBatch = this;
}

WriteBatch::~WriteBatch() {
    finish();
    currentBatch = outer_;
}

WriteBatch* WriteBatch::current() {
    return currentBatch;
}

void WriteBatch::finish() {
    for (const QByteArray& folder : unsynced_)
        syncFolder(folder);
    unsynced_.clear();
}

void WriteBatch::removeStaleTemps(const QByteArray& folder, const QByteArray& prefix) {
    auto seen = temps_.find(folder);
    if (seen == temps_.end()) {
        seen = temps_.emplace(folder, std::map<QByteArray, std::vector<QByteArray>>()).first;
        if (DIR* dir = ::opendir(folder.constData())) {
            while (const dirent* entry = ::readdir(dir)) {
                const QByteArray name(entry->d_name);
                if (const QByteArray of = prefixOfTempName(name); !of.isEmpty())
                    seen->second[of].push_back(name);
            }
            ::closedir(dir);
        }
    }
    // A temporary file made after the look through the folder is left for a later run: it was
    // younger than a minute when this batch began.
    const auto names = seen->second.find(prefix);
    if (names == seen->second.end())
        return;
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        const time_t now = ::time(nullptr);
        for (const QByteArray& name : names->second)
            removeIfStale(dirFd, name.constData(), now);
        ::close(dirFd);
    }
    seen->second.erase(names);
}

void writeFileAtomically(const QString& path, std::string_view bytes, FileOps& ops) {
    AtomicFile file(path, ops);
    file.write(bytes);
    file.commit();
}

} // namespace versino
