#include "platform/AtomicFileDevice.h"

namespace versino {

AtomicFileDevice::AtomicFileDevice(const QString& path, FileOps& ops) : file_(path, ops) {
    QIODevice::open(QIODevice::WriteOnly);
}

AtomicFileDevice::~AtomicFileDevice() = default;

qint64 AtomicFileDevice::writeData(const char* data, qint64 size) {
    if (error_)
        return -1;
    try {
        file_.write(std::string_view(data, std::size_t(size)));
    } catch (const FileError& e) {
        error_ = e;
        setErrorString(QString::fromStdString(e.what()));
        return -1;
    }
    return size;
}

void AtomicFileDevice::commit() {
    if (error_)
        throw *error_;
    try {
        file_.commit();
    } catch (const FileError& e) {
        error_ = e;
        throw;
    }
    QIODevice::close();
}

} // namespace versino
