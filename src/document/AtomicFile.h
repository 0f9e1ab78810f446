#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace versino {

// Replaces a file's content so that, whatever fails, the file holds either its old content or the
// complete new one. The new content goes into a temporary file beside the target, is flushed and
// synced, gets the target's permission bits and owner, and is renamed over the target. A symbolic
// link stays a link: its final target is written. Where the folder allows no new file but the file
// itself is writable, the file is written in place instead (the only way to save there at all).
//
// Written by hand rather than with QSaveFile because the error report needs the system's error
// number ("I/O error 28"), which QSaveFile does not keep. Throws FileError; an AtomicFile that is
// destroyed without commit() removes its temporary file and leaves the target untouched.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    void commit();

    // The file that is finally written: `path` with every symbolic link followed.
    const QString& target() const { return target_; }

private:
    [[noreturn]] void fail(int errnum);
    void discard();
    void writeOut(std::string_view bytes);

    QString target_;
    QString temp_;        // empty when writing in place
    std::string pending_; // the content, when writing in place: written only once it fits
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace versino
