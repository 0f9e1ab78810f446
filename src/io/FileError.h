#pragma once

#include <QString>
#include <stdexcept>
#include <string>

namespace versino {

// A failed file operation, carrying the English text the user sees ("File not found",
// "I/O error 28", ...). The text has no final full stop; the error report adds it. The one
// exception is NotASong, a file that holds no song at all, which is told in the program's German.
class FileError : public std::runtime_error {
public:
    enum class Kind { NotFound, InvalidFilename, TooManyOpenFiles, AccessDenied, InvalidNumber, NotASong, Io };

    explicit FileError(Kind kind, int errnum = 0);
    // The same error with a remark after its text, e.g. where a copy of the old file is kept.
    FileError(const FileError& cause, const std::string& remark);

    // Maps a system error number from an operation on `path`. A missing file and a missing folder
    // both give ENOENT on Linux: the folder's existence tells them apart.
    static FileError fromErrno(int errnum, const QString& path);

    Kind kind() const { return kind_; }

private:
    Kind kind_;
    int errnum_;
};

std::string fileErrorText(FileError::Kind kind, int errnum);

} // namespace versino
