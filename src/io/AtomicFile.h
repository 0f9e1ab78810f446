#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace versino {

// The system calls the atomic writer makes that can fail for lack of room or support. Each
// behaves as its system call (-1 and errno on failure). The defaults are the real calls; a test
// overrides one to make fallocate answer EOPNOTSUPP or a write fail at byte N without mounting a
// file system that behaves so.
class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int createTemp(char* pattern); // mkostemp with O_CLOEXEC
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int fallocate(int fd, off_t offset, off_t length); // mode 0: may grow the file
    virtual int ftruncate(int fd, off_t length);
    virtual int fsync(int fd);
    virtual int rename(const char* from, const char* to);

    static FileOps& system();
};

// Replaces a file's content so that, whatever fails, the file holds either its old content or the
// complete new one. The new content goes into a temporary file beside the target, is flushed and
// synced, gets the target's permission bits and owner, and is renamed over the target. A symbolic
// link stays a link: its final target is written. Every file the programs write goes through here.
//
// The temporary file is named after its target (".versino-NAME-XXXXXX") and locked while it is
// written; each new writer first removes the temporary files of its target that nobody holds, so
// that a killed save leaves nothing for long.
//
// Where the folder allows no new file but the file itself is writable, the file is written in
// place, the only way to save there at all. Writing in place cannot be atomic, so the old file is
// first copied into the user's cache folder (cacheFolder()) and the room for the new content is
// reserved; the file is touched only when both worked. The copy is removed after success; after a
// failure the error names it, and after a kill it stays.
//
// Written by hand rather than with QSaveFile because the error report needs the system's error
// number ("I/O error 28"), which QSaveFile does not keep. Throws FileError; an AtomicFile that is
// destroyed without commit() removes its temporary file and leaves the target untouched.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path, FileOps& ops = FileOps::system());
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    void commit();

    // The file that is finally written: `path` with every symbolic link followed.
    const QString& target() const { return target_; }
    // True when the folder allows no new file and the target is written in place.
    bool inPlace() const { return temp_.isEmpty() && fd_ >= 0; }

    // Where copies of files written in place are kept: $XDG_CACHE_HOME/versino, or
    // ~/.cache/versino when XDG_CACHE_HOME is unset or not an absolute path.
    static QString cacheFolder();
    // The name of the copy of `target` in the cache folder: the song's own name with a short mark
    // of its folder, so that songs of the same name in different folders keep apart.
    static QString cacheCopyName(const QString& target);

private:
    [[noreturn]] void fail(int errnum);
    void discard();
    void flushBuffer();
    void commitInPlace();
    void reserve(off_t oldSize, off_t newSize);
    QByteArray copyToCache();

    FileOps& ops_;
    QString target_;
    QByteArray temp_;    // empty when writing in place
    std::string buffer_; // written out in large pieces; when in place, the whole content
    int fd_ = -1;
    int lockFd_ = -1; // holds the temporary file's lock until it is renamed or removed
    bool committed_ = false;
};

// Writes `bytes` as the whole content of `path` through an AtomicFile.
void writeFileAtomically(const QString& path, std::string_view bytes, FileOps& ops = FileOps::system());

} // namespace versino
