#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/TempDir.h"
#include "support/Child.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace versino;
using versino::testing::errorOf;
using versino::testing::readAll;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

// The permission and size tests run their saves in a child process (see support/Child.h).
std::string inChild(const versino::testing::ChildOptions& options,
                    const std::function<std::string()>& action) {
    return versino::testing::runInChild(options, action).output;
}

std::vector<std::string> entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const QString& n :
         QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        names.push_back(n.toStdString());
    return names;
}

SongDocument& bigSong(SongDocument& doc) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "<Am>Eine <G>Zeile mit Akkorden " + std::to_string(i) + "\r\n";
    doc.TextEdit().setText(text);
    return doc;
}

} // namespace

TEST(FileErrors, textsForEachKind) {
    EXPECT_EQ(fileErrorText(FileError::Kind::NotFound, 2), "File not found");
    EXPECT_EQ(fileErrorText(FileError::Kind::Io, 28), "I/O error 28");
    EXPECT_EQ(FileError::fromErrno(EMFILE, "x").what(), std::string("Too many open files"));
    EXPECT_EQ(FileError::fromErrno(ENOSPC, "x").what(), std::string("I/O error 28"));
}

TEST(FileErrors, openingTellsAMissingFileFromAMissingFolder) {
    TempDir dir;
    SongDocument doc;
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path("none.vsn")); }), "File not found");
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path("no/such/folder/x.vsn")); }), "Invalid filename");
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path()); }), "File access denied");
    writeAll(dir.str("plain"), "x");
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path("plain/x.vsn")); }), "Invalid filename");
}

TEST(FileErrors, savingIntoAMissingFolderOrOverAFolderFails) {
    TempDir dir;
    SongDocument doc;
    EXPECT_EQ(errorOf([&] { WriteLayoutFile(doc, dir.path("missing/x.vsn")); }), "Invalid filename");
    QDir(dir.path()).mkdir("sub.vsn");
    EXPECT_EQ(errorOf([&] { WriteLayoutFile(doc, dir.path("sub.vsn")); }), "File access denied");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"sub.vsn"}) << "no temporary file left behind";
}

TEST(FileErrors, pathsToDevicesAndFifosAreRefusedWithoutBlocking) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.str("fifo").c_str(), 0600), 0);
    SongDocument doc;
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path("fifo")); }), "File access denied");
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, "/dev/zero"); }), "File access denied");
}

TEST(FileErrors, permissionsDeniedForReadingAndWriting) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 0777);
    SongDocument doc;
    doc.TitelEdit().setText("old");
    WriteLayoutFile(doc, dir.path("locked.vsn"));
    const std::string before = readAll(dir.str("locked.vsn"));
    ::chmod(dir.str("locked.vsn").c_str(), 0);

    const versino::testing::ChildOptions nobody{true, 0};
    EXPECT_EQ(inChild(nobody,
                      [&] {
                          SongDocument d;
                          ReadLayoutFile(d, dir.path("locked.vsn"));
                          return std::string("read");
                      }),
              "File access denied");

    // A read-only file in a writable folder, and a folder that allows no new file.
    ::chmod(dir.str("locked.vsn").c_str(), 0444);
    EXPECT_EQ(inChild(nobody,
                      [&] {
                          SongDocument d;
                          WriteLayoutFile(d, dir.path("locked.vsn"));
                          return std::string("written");
                      }),
              "File access denied");
    ::chmod(dir.str().c_str(), 0555);
    EXPECT_EQ(inChild(nobody,
                      [&] {
                          SongDocument d;
                          WriteLayoutFile(d, dir.path("new.vsn"));
                          return std::string("written");
                      }),
              "File access denied");
    ::chmod(dir.str().c_str(), 0777);
    EXPECT_EQ(readAll(dir.str("locked.vsn")), before);
}

TEST(AtomicSave, writesInPlaceWhereTheFolderAllowsNoNewFile) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 0555);
    writeAll(dir.str("open.vsn"), "old");
    ::chmod(dir.str("open.vsn").c_str(), 0666);
    TempDir cacheHome;
    const QString cache = versino::testing::cacheFolderForAnyone(cacheHome.path("cache"));
    const std::string result = inChild({true, 0, 60, cache}, [&] {
        SongDocument d;
        d.TitelEdit().setText("new");
        WriteLayoutFile(d, dir.path("open.vsn"));
        return std::string("written");
    });
    ::chmod(dir.str().c_str(), 0700);
    EXPECT_EQ(result, "written");
    EXPECT_EQ(readAll(dir.str("open.vsn")).substr(0, 12), "[Titel]\r\nnew");
}

TEST(AtomicSave, fullDiskKeepsThePreviousFileByteForByte) {
    TempDir dir;
    SongDocument old;
    old.TitelEdit().setText("the old song");
    WriteLayoutFile(old, dir.path("song.vsn"));
    const std::string before = readAll(dir.str("song.vsn"));

    const std::string result = inChild({false, 64 * 1024, 60}, [&] {
        SongDocument doc;
        WriteLayoutFile(bigSong(doc), dir.path("song.vsn"));
        return std::string("written");
    });
    EXPECT_EQ(result, "I/O error " + std::to_string(EFBIG));
    EXPECT_EQ(readAll(dir.str("song.vsn")), before);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"song.vsn"});
}

TEST(AtomicSave, keepsPermissionsAndWritesThroughASymbolicLink) {
    TempDir dir;
    QDir(dir.path()).mkdir("real");
    SongDocument doc;
    WriteLayoutFile(doc, dir.path("real/song.vsn"));
    ::chmod(dir.str("real/song.vsn").c_str(), 0640);
    ASSERT_EQ(::symlink("real/song.vsn", dir.str("link.vsn").c_str()), 0);

    doc.TitelEdit().setText("through the link");
    WriteLayoutFile(doc, dir.path("link.vsn"));

    EXPECT_TRUE(QFileInfo(dir.path("link.vsn")).isSymLink()) << "the link stays a link";
    EXPECT_EQ(readAll(dir.str("real/song.vsn")), formatLayout(doc));
    struct stat st {};
    ASSERT_EQ(::stat(dir.str("real/song.vsn").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"link.vsn", "real"}));
}

TEST(AtomicSave, newFileGetsTheUsualPermissions) {
    TempDir dir;
    const mode_t old = ::umask(022);
    SongDocument doc;
    WriteLayoutFile(doc, dir.path("fresh.vsn"));
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(dir.str("fresh.vsn").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(AtomicSave, creationFailureTrimsNothing) {
    TempDir dir;
    SongDocument doc;
    doc.TextEdit().setText("a\r\n\r\n\r\n");
    EXPECT_EQ(errorOf([&] { WriteLayoutFile(doc, dir.path("missing/x.vsn")); }), "Invalid filename");
    EXPECT_EQ(doc.TextEdit().text(), "a\r\n\r\n\r\n");
}

TEST(OpenAllOrNothing, aBadNumberLeavesTheDocumentAsItWas) {
    TempDir dir;
    writeAll(dir.str("bad.vsn"), "[Titel]\r\nNeu\r\n[Fonts]\r\nX\r\nabc\r\n0\r\n");
    SongDocument doc;
    doc.TitelEdit().setText("Alt");
    doc.TextEdit().setText("Zeile\r\n\r\n\r\n");
    doc.TitelFont.name = "Mine";
    doc.Modified = false;
    EXPECT_EQ(errorOf([&] { ReadLayoutFile(doc, dir.path("bad.vsn")); }), "Invalid numeric input");
    EXPECT_EQ(doc.TitelEdit().text(), "Alt");
    EXPECT_EQ(doc.TextEdit().text(), "Zeile\r\n\r\n\r\n");
    EXPECT_EQ(doc.TitelFont.name, "Mine");
    EXPECT_FALSE(doc.Modified);
}
