#include "io/FileError.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

namespace versino {

std::string fileErrorText(FileError::Kind kind, int errnum) {
    switch (kind) {
    case FileError::Kind::NotFound: return "File not found";
    case FileError::Kind::InvalidFilename: return "Invalid filename";
    case FileError::Kind::TooManyOpenFiles: return "Too many open files";
    case FileError::Kind::AccessDenied: return "File access denied";
    case FileError::Kind::InvalidNumber: return "Invalid numeric input";
    case FileError::Kind::NotASong: return "Die Datei ist keine Versino-Songdatei.";
    case FileError::Kind::Io: break;
    }
    return "I/O error " + std::to_string(errnum);
}

FileError::FileError(Kind kind, int errnum) : std::runtime_error(fileErrorText(kind, errnum)), kind_(kind), errnum_(errnum) {}

FileError::FileError(const FileError& cause, const std::string& remark)
    : std::runtime_error(cause.what() + remark), kind_(cause.kind_), errnum_(cause.errnum_) {}

FileError FileError::fromErrno(int errnum, const QString& path) {
    switch (errnum) {
    case ENOENT: {
        const QFileInfo info(path);
        const bool folderExists = QFileInfo(info.absolutePath()).isDir();
        return FileError(folderExists && !info.fileName().isEmpty() ? Kind::NotFound : Kind::InvalidFilename, errnum);
    }
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return FileError(Kind::InvalidFilename, errnum);
    case EMFILE:
    case ENFILE:
        return FileError(Kind::TooManyOpenFiles, errnum);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return FileError(Kind::AccessDenied, errnum);
    default:
        return FileError(Kind::Io, errnum);
    }
}

} // namespace versino
