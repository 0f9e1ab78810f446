// The atomic writer where the folder allows no new file (written in place, with a copy of the old
// file in the cache folder), on file systems without fallocate or with a full disk (through its
// file operations seam), killed part-way, and its temporary files after killed writers.
#include "support/Child.h"

#include "io/AtomicFile.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <random>
#include <thread>
#include <utility>
#include <vector>

using namespace versino;
using namespace versino::testing;

namespace {

// File operations that behave as a file system with less support or room than the real one: the
// song's folder allows no new file, fallocate may be missing or fail, the disk may be full past a
// given size of the song, and a write to the song may fail at a given byte.
class TightFileSystem : public FileOps {
public:
    QByteArray noNewFilesIn;   // folder where creating a temporary file is refused
    QByteArray song;           // the file the limits below apply to; every file when empty
    int fallocateError = 0;    // fallocate answers this (EOPNOTSUPP: no fallocate at all)
    off_t diskFullAt = -1;     // writes that would grow the song past this fail with ENOSPC
    long long failAtByte = -1; // the song's write of this byte (counted over all) fails...
    int failError = EIO;       // ...with this error
    long long killAtByte = -1; // the process kills itself once the song got this many bytes
    long long writtenToSong = 0;
    std::function<void()> onFirstSongWrite; // runs once, before the song's first write

    int createTemp(char* pattern) override {
        if (!noNewFilesIn.isEmpty() && QByteArray(pattern).startsWith(noNewFilesIn + '/')) {
            errno = EACCES;
            return -1;
        }
        return FileOps::createTemp(pattern);
    }
    int fallocate(int fd, off_t offset, off_t length) override {
        if (fallocateError != 0 && isSong(fd)) {
            errno = fallocateError;
            return -1;
        }
        return FileOps::fallocate(fd, offset, length);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override {
        return pwrite(fd, data, size, ::lseek(fd, 0, SEEK_CUR));
    }
    ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override {
        if (isSong(fd) && onFirstSongWrite)
            std::exchange(onFirstSongWrite, nullptr)();
        if (isSong(fd)) {
            if (diskFullAt >= 0) {
                struct stat st {};
                ::fstat(fd, &st);
                const off_t room = std::max(st.st_size, diskFullAt) - offset;
                if (room <= 0) {
                    errno = ENOSPC;
                    return -1;
                }
                size = std::min<std::size_t>(size, std::size_t(room));
            }
            if (killAtByte >= 0 && writtenToSong >= killAtByte)
                ::raise(SIGKILL);
            if (killAtByte >= 0)
                size = std::min<std::size_t>(size, std::size_t(killAtByte - writtenToSong));
            if (failAtByte >= 0) {
                const long long left = failAtByte - writtenToSong;
                if (left <= 0) {
                    errno = failError;
                    return -1;
                }
                size = std::min<std::size_t>(size, std::size_t(left));
            }
        }
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n > 0) {
            if (isSong(fd))
                writtenToSong += n;
            ::lseek(fd, offset + n, SEEK_SET); // as write() would
        }
        return n;
    }

private:
    bool isSong(int fd) const {
        if (song.isEmpty())
            return true;
        char link[PATH_MAX];
        const std::string proc = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(proc.c_str(), link, sizeof link);
        return n > 0 && QByteArray(link, int(n)) == song;
    }
};

std::string content(char fill, std::size_t size, const std::string& mark) {
    std::string s = mark + "\r\n";
    while (s.size() < size)
        s += std::string(70, fill) + "\r\n";
    return s;
}

// A song in a folder that allows no new file, and a cache folder of the test's own.
class InPlaceSave : public ::testing::Test {
protected:
    void SetUp() override {
        oldCache_ = qgetenv("XDG_CACHE_HOME");
        hadCache_ = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path("cache")));
        QDir().mkpath(dir.path("songs"));
        writeAll(path.toStdString(), before);
        fs.noNewFilesIn = QFile::encodeName(dir.path("songs"));
        fs.song = QFile::encodeName(path);
    }
    void TearDown() override {
        if (hadCache_)
            qputenv("XDG_CACHE_HOME", oldCache_);
        else
            qunsetenv("XDG_CACHE_HOME");
    }

    std::string save(const std::string& bytes) {
        return errorOf([&] { writeFileAtomically(path, bytes, fs); });
    }
    // The copies in the cache folder, and anything else left there, but not the records of what
    // an in-place write was putting into the file, which go and stay with their copy.
    QStringList copies() const {
        QStringList all = entriesOf(dir.path("cache/versino"));
        all.removeIf([&](const QString& name) { return name.endsWith(".sum") && all.contains(name.chopped(4)); });
        return all;
    }
    QString copyPath() const { return dir.path("cache/versino/") + AtomicFile::cacheCopyName(path); }

    TempDir dir;
    const QString path = dir.path("songs/song.vsn");
    const std::string before = content('a', 3000, "old");
    const std::string after = content('b', 9000, "new");
    TightFileSystem fs;

private:
    QByteArray oldCache_;
    bool hadCache_ = false;
};

// Whatever keeps the room from being reserved, the save is refused with that error and the file
// is left exactly as it was, with no copy and no temporary file anywhere.
TEST_F(InPlaceSave, withoutRoomForTheNewSongTheFileIsLeftAsItWas) {
    struct Case {
        const char* what;
        int fallocateError;
        int expected;
    };
    for (const Case& c : {Case{"no fallocate (ext2), full disk", EOPNOTSUPP, ENOSPC},
                          Case{"no fallocate in the kernel, full disk", ENOSYS, ENOSPC},
                          Case{"fallocate finds the disk full", ENOSPC, ENOSPC}}) {
        SCOPED_TRACE(c.what);
        writeAll(path.toStdString(), before);
        fs.fallocateError = c.fallocateError;
        fs.diskFullAt = off_t(before.size() + 1000);
        EXPECT_EQ(save(after), "I/O error " + std::to_string(c.expected));
        EXPECT_EQ(readAll(path.toStdString()), before);
        EXPECT_EQ(copies(), QStringList{});
        EXPECT_EQ(entriesOf(dir.path("songs")), QStringList{"song.vsn"});
    }
}

TEST_F(InPlaceSave, withoutFallocateButWithRoomTheNewSongIsWritten) {
    fs.fallocateError = EOPNOTSUPP;
    fs.diskFullAt = off_t(after.size());
    EXPECT_EQ(save(after), "no error");
    EXPECT_EQ(readAll(path.toStdString()), after);
    EXPECT_EQ(copies(), QStringList{}) << "the copy goes after success";
}

// Once the file is being overwritten, a failure names the copy, which holds the old file whole.
// A later save keeps that copy (the file itself may be torn) until it succeeds; then it goes.
TEST_F(InPlaceSave, failureWhileWritingNamesTheCopyOfTheOldFile) {
    fs.failAtByte = 4000;
    const std::string error = save(after);
    const std::string expected =
        "I/O error " + std::to_string(EIO) + " (the old file is kept as " + copyPath().toStdString() + ")";
    EXPECT_EQ(error, expected);
    EXPECT_NE(readAll(path.toStdString()), before);
    EXPECT_EQ(readAll(copyPath().toStdString()), before);

    fs.failAtByte = 10;
    fs.writtenToSong = 0;
    EXPECT_EQ(save(content('c', 5000, "third")), expected);
    EXPECT_EQ(readAll(copyPath().toStdString()), before) << "the torn file never replaces the whole copy";

    fs.failAtByte = -1;
    EXPECT_EQ(save(after), "no error");
    EXPECT_EQ(readAll(path.toStdString()), after);
    EXPECT_EQ(copies(), QStringList{}) << "no copy outlives a successful write";
}

TEST_F(InPlaceSave, copyThatCannotBeMadeRefusesTheSave) {
    // The cache folder's place is taken by a file.
    writeAll(dir.str("cache"), "not a folder");
    const std::string noCopy = " (no copy of the old file could be kept in " + dir.str("cache/versino") + ")";
    EXPECT_EQ(save(after), "Invalid filename" + noCopy);
    EXPECT_EQ(readAll(path.toStdString()), before);

    // A full disk while copying.
    QFile::remove(dir.path("cache"));
    struct FullCache : TightFileSystem {
        ssize_t write(int, const void*, std::size_t) override {
            errno = ENOSPC;
            return -1;
        }
    } full;
    full.noNewFilesIn = fs.noNewFilesIn;
    EXPECT_EQ(errorOf([&] { writeFileAtomically(path, after, full); }),
              "I/O error " + std::to_string(ENOSPC) + noCopy);
    EXPECT_EQ(readAll(path.toStdString()), before);
    EXPECT_EQ(copies(), QStringList{});
}

// The copy is kept only in a folder of the user's alone, which the writer creates so; any other
// folder refuses the save with the reason, and the song stays as it was.
TEST_F(InPlaceSave, cacheFolderThatIsNotTheUsersAloneIsNotUsed) {
    const QByteArray folder = QFile::encodeName(dir.path("cache/versino"));
    EXPECT_EQ(save(after), "no error");
    struct stat st {};
    ASSERT_EQ(::lstat(folder.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"others may write", [&] { ::chmod(folder.constData(), 0777); }},
        {"the group may write", [&] { ::chmod(folder.constData(), 0730); }},
    };
    if (isRoot())
        cases.push_back({"another user's", [&] {
                             ::chmod(folder.constData(), 0700);
                             ::chown(folder.constData(), 65534, 65534);
                         }});
    for (const auto& [what, spoil] : cases) {
        SCOPED_TRACE(what);
        writeAll(path.toStdString(), before);
        spoil();
        EXPECT_EQ(save(after), "File access denied (the cache folder " + folder.toStdString() +
                                   " must be yours alone, so no copy of the old file could be kept there)");
        EXPECT_EQ(readAll(path.toStdString()), before);
        EXPECT_EQ(copies(), QStringList{});
    }
}

// What another user, or another program, may have done to the target: plant a link to a folder or
// a file of their own in a shared sticky folder, swap a FIFO in, rename the file away before or
// while it is written. The write either reaches the file the name names, or fails, says why and
// leaves every file as it was; the room it reserved is cut back. Each case runs in a child with an
// alarm, so that an open that blocks shows as a failure instead of stalling the suite.
TEST_F(InPlaceSave, plantedOrSwappedTargetsAreNeverWrittenThrough) {
    constexpr uid_t kOther = 65534;
    const QString shared = dir.path("shared");
    QDir().mkpath(shared);
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    const QByteArray song = QFile::encodeName(path);
    struct Case {
        const char* what;
        bool asRoot; // makes files of another user
        QString target;
        std::function<void()> plant;   // before the writer starts
        std::function<void()> between; // after it has opened the target, before it commits
        std::function<void()> during;  // at the first write into the song
        const char* error;             // a part of the error; "" for none
        std::function<std::string()> state;
        std::string expected;
    };
    const auto plainFile = [](const QString& p) {
        struct stat st {};
        return ::lstat(QFile::encodeName(p).constData(), &st) == 0 && S_ISREG(st.st_mode);
    };
    const auto swapIn = [=](const std::function<void()>& make) {
        return [=] {
            ::rename(song.constData(), (song + ".moved").constData());
            make();
        };
    };
    const auto otherFile = [=] { writeAll(path.toStdString(), "another file"); };
    // What a file holds, told short: the old song, the new one, or its bytes.
    const auto holds = [this](const QString& p) {
        const std::string bytes = readAll(p.toStdString());
        return bytes == before ? std::string("old") : bytes == after ? std::string("new") : bytes;
    };
    const std::vector<Case> cases = {
        {"a link to a folder planted in a sticky folder", true, shared + "/buch/x.pdf",
         [&] {
             QDir().mkpath(dir.path("own"));
             ::symlink(QFile::encodeName(dir.path("own")).constData(), QFile::encodeName(shared + "/buch").constData());
             ::lchown(QFile::encodeName(shared + "/buch").constData(), kOther, kOther);
         },
         nullptr, nullptr, "File access denied", [&] { return std::to_string(QFile::exists(dir.path("own/x.pdf"))); },
         "0"},
        {"a sparse 2 GB file of another user in a sticky folder", true, shared + "/lied.pdf",
         [&] {
             const QByteArray planted = QFile::encodeName(shared + "/lied.pdf");
             const int fd = ::open(planted.constData(), O_WRONLY | O_CREAT, 0666);
             (void)!::ftruncate(fd, off_t(2) << 30);
             ::close(fd);
             ::chown(planted.constData(), kOther, kOther);
         },
         nullptr, nullptr, "belongs to another user",
         [&] {
             return std::to_string(QFileInfo(shared + "/lied.pdf").size() >> 30) + " GB, copies: " +
                    copies().join(",").toStdString();
         },
         "2 GB, copies: "},
        {"a FIFO swapped in after the writer opened the file", false, path, nullptr,
         swapIn([=] { ::mkfifo(song.constData(), 0600); }), nullptr, "was replaced by another file",
         [&] { return std::to_string(!plainFile(path)) + holds(path + ".moved"); }, "1old"},
        {"the file renamed away before the commit", false, path, nullptr, swapIn(otherFile), nullptr,
         "nothing was written", [&] { return holds(path) + "|" + holds(path + ".moved"); }, "another file|old"},
        {"the file renamed away while it is written", false, path, nullptr, nullptr, swapIn(otherFile),
         "so the song is not in it", [&] { return holds(path) + "|" + holds(copyPath()); }, "another file|old"},
        {"a write that fails leaves no reserved room behind", false, path, [&] { fs.failAtByte = 1000; }, nullptr,
         nullptr, "I/O error",
         [&] {
             const std::string now = readAll(path.toStdString());
             return std::to_string(now.size()) + (now.find('\0') == std::string::npos ? " no NUL" : " NULs");
         },
         std::to_string(before.size()) + " no NUL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && !isRoot()) {
            std::cout << "[  SKIPPED ] " << c.what << ": files of another user can only be made as root\n";
            continue;
        }
        writeAll(path.toStdString(), before);
        QFile::remove(path + ".moved");
        QFile::remove(copyPath());
        fs = TightFileSystem();
        fs.noNewFilesIn = QFile::encodeName(dir.path("songs"));
        fs.song = song;
        if (c.plant)
            c.plant();
        fs.onFirstSongWrite = c.during;
        ChildOptions options;
        options.timeLimit = 20;
        const ChildResult r = runInChild(options, [&] {
            return errorOf([&] {
                AtomicFile file(c.target, fs);
                if (c.between)
                    c.between();
                file.write(after);
                file.commit();
            });
        });
        EXPECT_FALSE(r.timedOut());
        EXPECT_NE(r.output.find(c.error), std::string::npos) << r.output;
        EXPECT_EQ(c.state(), c.expected);
        QFile::remove(path);
    }
}

TEST(CacheCopyName, keepsTheSongsNameAndTellsFoldersApart) {
    const QString a = AtomicFile::cacheCopyName("/home/anna/Lieder/Abendlied.vsn");
    const QString b = AtomicFile::cacheCopyName("/home/anna/Archiv/Abendlied.vsn");
    EXPECT_NE(a, b);
    for (const QString& name : {a, b}) {
        EXPECT_TRUE(name.startsWith("Abendlied-")) << name.toStdString();
        EXPECT_TRUE(name.endsWith(".vsn")) << name.toStdString();
    }
    // The same song gets the same name, so that the user finds it again.
    EXPECT_EQ(a, AtomicFile::cacheCopyName("/home/anna/Lieder/Abendlied.vsn"));
    // Names near the limit still leave room for the writer's own additions.
    for (const QString& longName : {"/tmp/" + QString(250, 'x') + ".vsn", "/tmp/a." + QString(250, 'x')})
        EXPECT_LE(QFile::encodeName(AtomicFile::cacheCopyName(longName)).size(), NAME_MAX - 20);
    EXPECT_NE(AtomicFile::cacheCopyName("/tmp/" + QString(250, 'x') + ".vsn"),
              AtomicFile::cacheCopyName("/tmp/" + QString(250, 'x') + "y.vsn"));
}

// An in-place save killed part-way, at random bytes of the song and at random moments (which
// also hit the copy and the reservation): the song is always the complete old or new one, or,
// where the kill cut it, the cache holds the whole old song.
TEST_F(InPlaceSave, killedPartWayTheOldSongIsWholeInTheFileOrTheCache) {
    const std::size_t size = scaled(1u << 20);
    const std::string oldSong = content('o', size, "old");
    const std::string newSong = content('n', size + size / 4, "new");

    // Returns how long the save ran.
    auto killedSave = [&](long long atByte, std::chrono::microseconds delay) {
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            fs.killAtByte = atByte;
            try {
                writeFileAtomically(path, newSong, fs);
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
        if (delay.count() >= 0) {
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    };

    writeAll(path.toStdString(), oldSong);
    const auto saveTime = killedSave(-1, std::chrono::microseconds(-1));
    ASSERT_EQ(readAll(path.toStdString()), newSong);

    std::mt19937 random(20261208);
    int cut = 0;
    for (int round = 0; round < 15; ++round) {
        writeAll(path.toStdString(), oldSong);
        for (const QString& name : copies())
            QFile::remove(dir.path("cache/versino/" + name));
        if (round % 3 == 0)
            killedSave(-1, std::chrono::microseconds(
                               std::uniform_int_distribution<long>(0, saveTime.count())(random)));
        else
            killedSave(std::uniform_int_distribution<long long>(0, (long long)newSong.size() - 1)(random),
                       std::chrono::microseconds(-1));

        const std::string now = readAll(path.toStdString());
        if (now == newSong) {
            // Killed after the last byte but before the copy went: the copy is the older version.
            if (const std::optional<BackupCopy> left = AtomicFile::backupCopyOf(path)) {
                EXPECT_EQ(left->fileIsWhole, std::optional<bool>(true)) << "round " << round;
            }
            continue;
        }
        // Before the first byte of the song is written, the song is the old one (perhaps with
        // the room for the new one already added behind it).
        if (now.compare(0, oldSong.size(), oldSong) == 0 &&
            now.find_first_not_of('\0', oldSong.size()) == std::string::npos)
            continue;
        ++cut;
        ASSERT_EQ(copies().size(), 1) << "round " << round << ": the song was cut and no copy kept";
        ASSERT_TRUE(readAll(copyPath().toStdString()) == oldSong)
            << "round " << round << ": the copy is not whole";
        const std::optional<BackupCopy> offered = AtomicFile::backupCopyOf(path);
        ASSERT_TRUE(offered.has_value());
        EXPECT_EQ(offered->fileIsWhole, std::optional<bool>(false)) << "round " << round << ": a cut file said whole";
    }
    EXPECT_GE(cut, 6) << "the kills must have cut the song, or the test proved nothing";
}

// A writer that is killed after writing part of its temporary file.
void killedWriter(const QString& path, const std::string& bytes) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        AtomicFile file(path);
        file.write(bytes);
        file.write(std::string(128 * 1024, 'x')); // past the writer's buffer, onto the disk
        ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Sets a file's modification time `seconds` into the past.
void age(const QString& path, int seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

// Temporary files of killed writers are removed by the next write to the same target once they are
// older than a minute; one that a live writer holds, younger ones, those of other targets, names
// that only look alike and another user's stay. A batch of writes, which looks through the folder
// once, removes exactly the same ones.
TEST(TemporaryFiles, staleOnesOfTheSameTargetGoWithTheNextWrite) {
    for (const bool inBatch : {false, true})
    for (const QString& name : {QString("song.vsn"), QString(120, QChar(0xe4)) + ".vsn"}) {
        SCOPED_TRACE(inBatch ? "in a batch" : "alone");
        TempDir dir;
        const QString path = dir.path(name);
        killedWriter(dir.path("other.vsn"), "killed");
        for (int i = 0; i < 3; ++i)
            killedWriter(path, "killed");
        const QStringList killed = entriesOf(dir.path());
        ASSERT_EQ(killed.size(), 4) << "a killed writer leaves its temporary file";
        for (const QString& temp : killed)
            age(dir.path(temp), 120);
        QStringList own = killed;
        own.removeIf([](const QString& n) { return n.contains("other.vsn"); });
        const QString prefix = own[0].chopped(6);
        const QStringList lookAlikes = {prefix + "abc.de", prefix + "abc-de", prefix + "abcde"};
        for (const QString& other : lookAlikes) {
            writeAll(dir.str(other), "not a temporary file of the writer");
            age(dir.path(other), 120);
        }
        killedWriter(path, "killed a moment ago");
        QStringList kept = entriesOf(dir.path());
        for (const QString& temp : own)
            kept.removeAll(temp);
        QString foreign;
        if (isRoot()) {
            foreign = prefix + "nobody";
            writeAll(dir.str(foreign), "another user's");
            ASSERT_EQ(::chown(QFile::encodeName(dir.path(foreign)).constData(), 65534, 65534), 0);
            age(dir.path(foreign), 120);
            kept << foreign;
        }

        std::optional<WriteBatch> batch;
        if (inBatch) {
            batch.emplace();
            // Other targets of the batch in the same folder take none of this target's files.
            writeFileAtomically(dir.path("third.vsn"), "third");
            kept << "third.vsn";
        }
        AtomicFile live(path);
        live.write("live writer");
        EXPECT_EQ(errorOf([&] { writeFileAtomically(path, "second writer"); }), "no error");
        EXPECT_EQ(readAll(path.toStdString()), "second writer");
        live.commit();
        if (batch)
            batch->finish();
        EXPECT_EQ(readAll(path.toStdString()), "live writer");
        kept << name;
        kept.sort();
        EXPECT_EQ(entriesOf(dir.path()), kept);
    }
}

} // namespace

// A batch of writes into one folder killed at random bytes: every file written before the kill is
// complete and new, the file being written is its old self (or still absent), the later ones are
// untouched, and the one temporary file left behind goes with the next batch once it is stale.
TEST(TemporaryFiles, aBatchKilledPartWayLeavesEveryFileOldOrNew) {
    constexpr int kFiles = 12;
    const auto oldOf = [](int i) { return content('o', 3000 + 100 * std::size_t(i), "old " + std::to_string(i)); };
    const auto newOf = [](int i) { return content('n', 70000 + 100 * std::size_t(i), "new " + std::to_string(i)); };
    long long total = 0;
    for (int i = 0; i < kFiles; ++i)
        total += static_cast<long long>(newOf(i).size());
    std::mt19937 random(20261209);
    for (int round = 0; round < 8; ++round) {
        TempDir dir;
        const auto name = [&](int i) { return dir.path(QString("song%1.cho").arg(i)); };
        for (int i = 0; i < kFiles; i += 2) // the odd ones are new files
            writeAll(name(i).toStdString(), oldOf(i));
        const long long killAt = std::uniform_int_distribution<long long>(0, total - 1)(random);
        const pid_t pid = ::fork();
        if (pid == 0) {
            TightFileSystem ops; // every file counts: the process dies once the batch wrote killAt bytes
            ops.killAtByte = killAt;
            WriteBatch batch;
            for (int i = 0; i < kFiles; ++i)
                writeFileAtomically(name(i), newOf(i), ops);
            batch.finish();
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

        long long before = 0;
        for (int i = 0; i < kFiles; ++i) {
            const bool written = before + static_cast<long long>(newOf(i).size()) <= killAt;
            before += static_cast<long long>(newOf(i).size());
            const std::string expected = written ? newOf(i) : i % 2 == 0 ? oldOf(i) : std::string("(none)");
            const std::string now = QFileInfo::exists(name(i)) ? readAll(name(i).toStdString()) : "(none)";
            EXPECT_TRUE(now == expected) << "round " << round << ", file " << i << " of a kill at byte " << killAt;
        }
        QStringList temps = entriesOf(dir.path());
        temps.removeIf([](const QString& n) { return !n.startsWith(".versino-"); });
        ASSERT_EQ(temps.size(), 1) << "round " << round;
        age(dir.path(temps[0]), 120);

        WriteBatch next;
        for (int i = 0; i < kFiles; ++i)
            writeFileAtomically(name(i), newOf(i));
        next.finish();
        for (const QString& entry : entriesOf(dir.path()))
            EXPECT_FALSE(entry.startsWith(".versino-")) << "round " << round << ": " << entry.toStdString();
    }
}
