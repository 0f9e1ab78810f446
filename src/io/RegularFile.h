#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace versino {

// A regular file opened for reading; the one way the programs read a file they are given (songs,
// ChordPro files, pictures). It is opened without blocking, so that a FIFO without a writer cannot
// hold anything up, and only a regular file is accepted, so that a device such as /dev/zero is
// never read without end.
class RegularFile {
public:
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // 0 when the file is open for reading; otherwise the system's error number, with EISDIR for a
    // folder and EACCES for anything else that is not a regular file.
    int error() const { return error_; }
    // The file's status when it was opened: its size, identity and modification time.
    const struct stat& status() const { return status_; }

    // Reads from the current position to the end of the file, but no more than `limit` bytes, into
    // `out`; a read interrupted by a signal is repeated. Returns 0, or the error number of the read
    // that failed (`out` then holds what was read before).
    int read(std::string& out, std::size_t limit = SIZE_MAX);
    // Returns 0, or close's error number.
    int close();

private:
    int fd_ = -1;
    int error_ = 0;
    struct stat status_ {};
};

// The whole content of the regular file at `path`. Throws FileError in the file layer's words.
std::string readRegularFile(const QString& path);

} // namespace versino
