// Saves that fail part-way or are killed: the previous file survives byte for byte, no temporary
// file is left, and the song stays marked as changed with the error the user sees.
#include "support/Child.h"

#include "commands/DocumentCommands.h"
#include "formats/LayoutFile.h"
#include "support/TempDir.h"
#include "support/ScriptedDialogs.h"
#include "support/SmallTmpfs.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <thread>

using namespace versino;
using namespace versino::testing;

namespace {

// A song of about `bytes` bytes of lyrics, recognisable by `version`.
void fillSong(SongDocument& doc, std::size_t bytes, int version) {
    doc.TitelEdit().setText("Fassung " + std::to_string(version));
    std::string text;
    text.reserve(bytes + 64);
    for (int i = 0; text.size() < bytes; ++i)
        text += "<Am>Zeile " + std::to_string(i) + " der <G>Fassung " + std::to_string(version) + "\r\n";
    doc.TextEdit().takeText(std::move(text));
    doc.RefrainEdit().setText("<C>Refrain\r\n");
}

std::string songBytes(std::size_t bytes, int version) {
    SongDocument doc;
    fillSong(doc, bytes, version);
    TrimTrailingEmptyLines(doc);
    return formatLayout(doc);
}

// The document commands over a new in-memory song whose first Save goes to `path`, replacing the
// file there.
struct Editor {
    SongDocument doc;
    ScriptedDialogs dialogs;
    DocumentCommands commands{doc, dialogs, {}};

    explicit Editor(const QString& path) {
        commands.FormCreate();
        dialogs.saveAnswers = {path};
        dialogs.yesNoAnswers = {true};
    }

    // What a failed save leaves: its error text, and whether the song still counts as changed.
    std::string save() {
        const std::string error = errorOf([&] { commands.SpeichernClick(); });
        return error + (doc.Modified ? " / modified" : " / saved");
    }
};

// Writes the old song with the real writer and returns its bytes.
std::string writeOldSong(const QString& path) {
    SongDocument old;
    old.TitelEdit().setText("die alte Fassung");
    old.TextEdit().setText("<D>Alte Zeile\r\n");
    WriteLayoutFile(old, path);
    return readAll(path.toStdString());
}

} // namespace

TEST(FailingSave, fileSizeLimitKeepsThePreviousFileAndTheChanges) {
    TempDir dir;
    const QString path = dir.path("song.vsn");
    const std::string before = writeOldSong(path);

    const ChildResult r = runInChild({false, 64 * 1024}, [&] {
        Editor editor(path);
        fillSong(editor.doc, 1 << 20, 1);
        std::string out = editor.save();
        // Closing with the song unsaved asks; Yes saves, the save fails again and refuses the close.
        editor.dialogs.confirmAnswers = {MsgButton::Yes};
        out += " | close: " + errorOf([&] { editor.commands.FormCloseQuery(); });
        out += editor.doc.Modified ? " / modified" : " / saved";
        return out;
    });
    const std::string efbig = "I/O error " + std::to_string(EFBIG);
    EXPECT_EQ(r.output, efbig + " / modified | close: " + efbig + " / modified");
    EXPECT_EQ(readAll(path.toStdString()), before);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"song.vsn"});
}

TEST(FailingSave, fullDiskKeepsThePreviousFileAndTheChanges) {
    if (!isRoot())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    TempDir dir;
    const QString mnt = dir.path("disk");
    SmallTmpfs disk(mnt, "size=256k,mode=0755");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error());

    const QString path = mnt + "/song.vsn";
    const std::string before = writeOldSong(path);
    Editor editor(path);
    fillSong(editor.doc, 1 << 20, 1);
    EXPECT_EQ(editor.save(), "I/O error " + std::to_string(ENOSPC) + " / modified");
    EXPECT_EQ(readAll(path.toStdString()), before);
    EXPECT_EQ(entriesOf(mnt), QStringList{"song.vsn"});

    // Once there is room again, the same song saves.
    fillSong(editor.doc, 16 * 1024, 2);
    EXPECT_EQ(editor.save(), "no error / saved");
    EXPECT_EQ(readAll(path.toStdString()), songBytes(16 * 1024, 2));
}

TEST(FailingSave, noFreeInodeKeepsThePreviousFile) {
    if (!isRoot())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    TempDir dir;
    const QString mnt = dir.path("disk");
    // The root folder takes one inode, the song the second: no temporary file can be created.
    SmallTmpfs disk(mnt, "size=1m,nr_inodes=2,mode=0755");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.error());

    const QString path = mnt + "/song.vsn";
    const std::string before = writeOldSong(path);
    Editor editor(path);
    fillSong(editor.doc, 4096, 1);
    EXPECT_EQ(editor.save(), "I/O error " + std::to_string(ENOSPC) + " / modified");
    EXPECT_EQ(readAll(path.toStdString()), before);
    EXPECT_EQ(entriesOf(mnt), QStringList{"song.vsn"});
}

// A save killed at random moments, from before the temporary file exists to after the rename:
// the file always holds one complete version.
TEST(KilledSave, fileIsAlwaysTheCompleteOldOrNewSong) {
    TempDir dir;
    const QString path = dir.path("song.vsn");
    const std::size_t size = scaled(4u << 20);
    std::string onDisk = songBytes(size, 0);
    writeAll(path.toStdString(), onDisk);

    // How long one save takes here, measured from the moment the song is ready.
    auto killedSave = [&](int version, std::chrono::microseconds delay) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            SongDocument doc;
            fillSong(doc, size, version);
            const char go = 1;
            if (::write(ready[1], &go, 1) != 1)
                ::_exit(2);
            try {
                WriteLayoutFile(doc, path);
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        char go = 0;
        const bool started = ::read(ready[0], &go, 1) == 1;
        ::close(ready[0]);
        const auto t0 = std::chrono::steady_clock::now();
        if (started && delay.count() >= 0) {
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const auto took = std::chrono::steady_clock::now() - t0;
        return std::make_pair(status, std::chrono::duration_cast<std::chrono::microseconds>(took));
    };

    const auto [calibrationStatus, saveTime] = killedSave(1, std::chrono::microseconds(-1));
    ASSERT_TRUE(WIFEXITED(calibrationStatus) && WEXITSTATUS(calibrationStatus) == 0);
    onDisk = songBytes(size, 1);
    ASSERT_EQ(readAll(path.toStdString()), onDisk);

    // Kill moments spread over one save's time. A save that finished before its kill shrinks the
    // spread, so that a busy machine during the calibration does not leave every save unharmed.
    std::mt19937 random(20261208);
    long span = std::max<long>(1, saveTime.count() * 11 / 10);
    int killedWhileSaving = 0;
    int newVersions = 0;
    for (int round = 0; round < 50; ++round) {
        const int version = round + 2;
        const long delay = std::uniform_int_distribution<long>(0, span)(random);
        const int status = killedSave(version, std::chrono::microseconds(delay)).first;
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
            ++killedWhileSaving;
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
            span = std::max<long>(1, span * 3 / 4);
        }

        const std::string now = readAll(path.toStdString());
        const std::string next = songBytes(size, version);
        ASSERT_TRUE(now == onDisk || now == next)
            << "round " << round << ": the file holds " << now.size() << " bytes, neither the old "
            << onDisk.size() << " nor the new " << next.size();
        if (now == next) {
            ++newVersions;
            onDisk = next;
        }
        // A killed save cannot remove its temporary file; only the song itself must be whole.
        for (const QString& name : entriesOf(dir.path()))
            if (name != "song.vsn")
                QFile::remove(dir.path(name));
    }
    // The kills must really have landed inside saves, or the test proved nothing.
    EXPECT_GE(killedWhileSaving, 10) << "one save takes " << saveTime.count() << " us";
    RecordProperty("killed", killedWhileSaving);
    RecordProperty("completed", newVersions);
}

// A folder that allows no new file leaves only writing in place. A save that would not fit must
// still fail before the old song is cut short.
TEST(FailingSave, inPlaceSaveThatDoesNotFitKeepsThePreviousFile) {
    TempDir dir;
    const QString path = dir.path("song.vsn");
    const std::string before = writeOldSong(path);
    ::chmod(path.toLocal8Bit().constData(), 0666);
    ::chmod(dir.str().c_str(), 0555);
    TempDir cacheHome;
    const QString cache = cacheFolderForAnyone(cacheHome.path("cache"));
    const ChildResult r = runInChild({true, 64 * 1024, 60, cache}, [&] {
        Editor editor(path);
        fillSong(editor.doc, 1 << 20, 1);
        return editor.save();
    });
    EXPECT_EQ(r.output, "I/O error " + std::to_string(EFBIG) + " / modified");
    const std::string now = readAll(path.toStdString());
    EXPECT_TRUE(now == before) << "the old song of " << before.size() << " bytes became " << now.size()
                               << " bytes";
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"song.vsn"});
    EXPECT_EQ(entriesOf(cache + "/versino"), QStringList{}) << "a refused save keeps no copy";

    // A shorter song written in place leaves nothing of the longer one behind it.
    const ChildResult shorter = runInChild({true, 0, 60, cache}, [&] {
        Editor editor(path);
        editor.doc.TitelEdit().setText("x");
        return editor.save();
    });
    ::chmod(dir.str().c_str(), 0755);
    EXPECT_EQ(shorter.output, "no error / saved");
    SongDocument expected;
    expected.TitelEdit().setText("x");
    ASSERT_LT(formatLayout(expected).size(), before.size());
    EXPECT_EQ(readAll(path.toStdString()), formatLayout(expected));
}
