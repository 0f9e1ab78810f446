#pragma once

#include <QDir>
#include <QString>
#include <cerrno>
#include <sys/mount.h>

namespace versino::testing {

// A small tmpfs mounted in a temporary folder for the lifetime of the object.
class SmallTmpfs {
public:
    SmallTmpfs(const QString& where, const char* options) : path_(where) {
        QDir().mkpath(where);
        mounted_ = ::mount("tmpfs", where.toLocal8Bit().constData(), "tmpfs", 0, options) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~SmallTmpfs() {
        if (mounted_ && ::umount(path_.toLocal8Bit().constData()) != 0)
            ::umount2(path_.toLocal8Bit().constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    int error() const { return error_; }

private:
    QString path_;
    bool mounted_ = false;
    int error_ = 0;
};

} // namespace versino::testing
