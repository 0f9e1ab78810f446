#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace versino {

// The system calls of the atomic writer that tests replace, to make a folder refuse new files, a
// disk fill up or a write fail at byte N without mounting a file system that behaves so. Each
// behaves as its system call (-1 and errno on failure); the defaults are the real calls.
class FileOps {
public:
    virtual ~FileOps() = default;

    virtual int createTemp(char* pattern); // mkostemp with O_CLOEXEC
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
    virtual int fallocate(int fd, off_t offset, off_t length); // mode 0: may grow the file

    static FileOps& system();
};

// A copy of a song that an in-place write kept in the cache folder and that is still there: the
// write did not finish (it failed, or the program was killed), so the song itself may be torn.
struct BackupCopy {
    QString path;
    QDateTime made;
    // Whether the file itself holds the whole new content (the write got that far and was only
    // stopped before it removed the copy): then the copy is the older version. Unknown for a copy
    // that was made without a record of the new content.
    std::optional<bool> fileIsWhole;
};

// Replaces a file's content so that, whatever fails, the file holds either its old content or the
// complete new one. The new content goes into a temporary file beside the target, is flushed and
// synced, gets what the old file had (mode, owner and group as far as the writer may set them, the
// POSIX ACL and the user's extended attributes) and is renamed over the target. A symbolic link
// stays a link: its final target is written, except a link that another user planted in a
// world-writable sticky folder such as /tmp, which is refused as the kernel refuses it.
//
// The temporary file is named after its target (".versino-NAME-XXXXXX") and locked while it is
// written; each new writer first removes the temporary files of its target that are its user's,
// that nobody holds and that are older than a minute, so that a killed save leaves nothing for long.
//
// Some files cannot be replaced by a new one without loss: where the folder allows no new file,
// where the file has other hard links (they would keep the old content), or where the new file
// cannot carry the old one's owner, group, ACL or attributes. Those are written in place. That
// cannot be atomic, so the old file is first copied into the user's private cache folder
// (cacheFolder()) and the room for the new content is reserved; the file is touched only when both
// worked. The copy is removed after success; after a failure the error names it, and after a kill
// it stays, to be offered back by the next Open (backupCopyOf()).
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

    // Where copies of files written in place are kept: $XDG_CACHE_HOME/versino, or
    // ~/.cache/versino when XDG_CACHE_HOME is unset or not an absolute path.
    static QString cacheFolder();
    // The name of the copy of `target` in the cache folder: the song's own name with a short mark
    // of its folder, so that songs of the same name in different folders keep apart. One per song.
    static QString cacheCopyName(const QString& target);
    // Creates `folder` and its missing parents, private to the user; true when it exists and is the
    // user's alone (nobody else may write into it), as the cache folder must be to be used.
    static bool makePrivateFolder(const QString& folder);
    // The copy of the file at `path` left by an in-place write that did not finish, if there is one.
    static std::optional<BackupCopy> backupCopyOf(const QString& path);

private:
    [[noreturn]] void fail(int errnum);
    void discard();
    void flushBuffer();
    bool openTemp(const QByteArray& folder, const QByteArray& prefix);
    bool carryOver();
    void openInPlace();
    void commitInPlace();
    void reserve(off_t oldSize, off_t newSize);
    bool copyToCache(const struct stat& held);
    [[noreturn]] void failReplaced(const char* what);

    FileOps& ops_;
    QString target_;      // `path` with every symbolic link followed
    struct stat old_ {};  // the target's status when it exists
    bool exists_ = false;
    QByteArray temp_;    // empty when writing in place
    std::string buffer_; // written out in large pieces; when in place, the whole content
    int fd_ = -1;
    int lockFd_ = -1; // holds the temporary file's lock until it is renamed or removed
    bool committed_ = false;
};

// Many files written in one run, as a batch conversion writes a library into a folder. While a
// WriteBatch lives, every AtomicFile of the thread takes part in it: a folder is looked through for
// stale temporary files once, at the batch's first write there, instead of at every write, and the
// folder's fsync that makes a rename durable is made once per folder by finish().
//
// Why a file is still whole or untouched after a crash: each file's content is synced before it
// is renamed over its name, so whichever entry the folder holds after a crash names a complete
// file, the old one or the new one. The folder's fsync only makes the renames themselves
// durable; a crash before it may lose a rename, which leaves the old file (or none, for a new
// one), never a torn one. finish() syncs every folder written before the run reports success, so
// what a successful run reported written is on the disk.
class WriteBatch {
public:
    WriteBatch();
    ~WriteBatch(); // syncs the folders that finish() has not synced
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    void finish();

    static WriteBatch* current();

private:
    friend class AtomicFile;
    // The stale temporary files of `prefix` in `folder`, found by one look through the folder.
    void removeStaleTemps(const QByteArray& folder, const QByteArray& prefix);
    void renamedIn(const QByteArray& folder) { unsynced_.insert(folder); }

    WriteBatch* outer_;
    // Per folder: the names that looked like temporary files, by their target's prefix.
    std::map<QByteArray, std::map<QByteArray, std::vector<QByteArray>>> temps_;
    std::set<QByteArray> unsynced_;
};

// Writes `bytes` as the whole content of `path` through an AtomicFile.
void writeFileAtomically(const QString& path, std::string_view bytes, FileOps& ops = FileOps::system());

} // namespace versino
