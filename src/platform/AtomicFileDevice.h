#pragma once

#include "io/AtomicFile.h"
#include "io/FileError.h"

#include <QIODevice>
#include <optional>

namespace versino {

// A write-only device over an AtomicFile, for Qt writers that take a QIODevice (QPdfWriter,
// QImageWriter). Qt's writers do not pass on why a write failed, so the device keeps the first
// file error and refuses every write after it; commit() then throws that error instead of
// replacing the target. Destroyed without commit(), it leaves the target untouched.
class AtomicFileDevice final : public QIODevice {
public:
    // Throws FileError when the target cannot be written at all.
    explicit AtomicFileDevice(const QString& path, FileOps& ops = FileOps::system());
    ~AtomicFileDevice() override;

    bool isSequential() const override { return true; }
    const std::optional<FileError>& error() const { return error_; }
    void commit();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    AtomicFile file_;
    std::optional<FileError> error_;
};

} // namespace versino
