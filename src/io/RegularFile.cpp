#include "io/RegularFile.h"

#include "io/FileError.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace versino {

RegularFile::RegularFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // The system would read the name only up to a NUL byte, and so open another file.
    if (name.contains('\0')) {
        error_ = ENOENT;
        return;
    }
    fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    if (::fstat(fd_, &status_) != 0)
        error_ = errno;
    else if (!S_ISREG(status_.st_mode))
        error_ = S_ISDIR(status_.st_mode) ? EISDIR : EACCES;
    if (error_ != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RegularFile::~RegularFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

int RegularFile::read(std::string& out, std::size_t limit) {
    if (fd_ < 0)
        return error_ != 0 ? error_ : EBADF;
    // One byte more than the file's size, so that the read that sees the end needs no new buffer.
    out.resize(std::min(static_cast<std::size_t>(status_.st_size) + 1, limit));
    std::size_t have = 0;
    while (have < limit) {
        if (have == out.size()) // the file grew since it was opened
            out.resize(have + std::min<std::size_t>(65536, limit - have));
        const ssize_t n = ::read(fd_, out.data() + have, out.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            out.resize(have);
            return err;
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    out.resize(have);
    return 0;
}

int RegularFile::close() {
    if (fd_ < 0)
        return 0;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
}

std::string readRegularFile(const QString& path) {
    RegularFile file(path);
    if (file.error() != 0)
        throw FileError::fromErrno(file.error(), path);
    std::string data;
    if (const int err = file.read(data))
        throw FileError::fromErrno(err, path);
    if (const int err = file.close())
        throw FileError::fromErrno(err, path);
    return data;
}

} // namespace versino
