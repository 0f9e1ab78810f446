#include "commands/BookSources.h"
#include "commands/DocumentCommands.h"
#include "commands/SongOpener.h"

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::ScriptedDialogs;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

std::vector<std::string> titlesOf(const OpenedFile& file) {
    std::vector<std::string> titles;
    for (const OpenedSong& song : file.songs)
        titles.push_back(song.doc->TitelEdit().text());
    return titles;
}

// The name picks the reader, in any letter case; each file gives every song it holds.
TEST(SongOpener, picksTheReaderByNameAndReadsEverySong) {
    struct Case {
        const char* name;
        const char* bytes;
        SongFormat format;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {"a.vsn", "[Titel]\r\nA\r\n[Text]\r\nla\r\n", SongFormat::Layout, {"A"}},
        {"a.lied", "[Titel]\r\nA\r\n", SongFormat::Layout, {"A"}},
        {"b.CHO", "{title: B1}\n[C]eins\n{new_song}\n{title: B2}\n[G]zwei\n", SongFormat::ChordPro, {"B1", "B2"}},
        {"b.chordpro", "{t: B}\nx\n", SongFormat::ChordPro, {"B"}},
        // A ChordPro file without a song still opens, as one song without lyrics.
        {"leer.pro", "# nur ein Kommentar\n", SongFormat::ChordPro, {""}},
        // A line "[Refrain]" does not make a chord sheet a layout file.
        {"c.TXT", "Lied C\n\n[Refrain]\nAm     G\nla la la\n", SongFormat::ChordSheet, {"Lied C"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(dir.str(c.name), c.bytes);
        const OpenedFile file = openSongFile(dir.path(c.name));
        EXPECT_EQ(file.format, c.format);
        EXPECT_EQ(titlesOf(file), c.titles);
        for (const OpenedSong& song : file.songs) {
            EXPECT_EQ(song.doc->DocumentName, dir.path(c.name));
            EXPECT_EQ(song.doc->folder(), dir.path());
        }
    }
}

// The extension alone decides, in any letter case; a name that is none of them is a layout file.
TEST(SongOpener, tellsTheFormatByTheLastExtension) {
    const std::pair<const char*, SongFormat> cases[] = {
        {"a.cho", SongFormat::ChordPro},      {"/x/B.CRD", SongFormat::ChordPro},
        {"c.chopro", SongFormat::ChordPro},   {"d.chordpro", SongFormat::ChordPro},
        {"e.pro", SongFormat::ChordPro},      {"a.vsn.cho", SongFormat::ChordPro},
        {"f.txt", SongFormat::ChordSheet},    {"/y/G.TxT", SongFormat::ChordSheet},
        {"a.vsn", SongFormat::Layout},        {"cho", SongFormat::Layout},
        {"a.cho.vsn", SongFormat::Layout},    {"a.txt.bak", SongFormat::Layout},
        {"/lieder.cho/a", SongFormat::Layout}, {"a.choo", SongFormat::Layout},
    };
    for (const auto& [name, format] : cases)
        EXPECT_EQ(songFormatOf(QString::fromLatin1(name)), format) << name;
}

// A song list takes every kind of song file; a file that cannot be read is one problem named with
// the list's line, and what an import changed is a note on one line, never a problem.
TEST(SongOpener, songListReadsEveryKindAndKeepsNotesApartFromProblems) {
    TempDir dir;
    writeAll(dir.str("da.vsn"), "[Titel]\r\nDa\r\n[Text]\r\nla\r\n");
    writeAll(dir.str("zwei.cho"), "{title: Eins}\n[C]eins <3\n{new_song}\n{title: Zwei}\n[G]zwei\n");
    writeAll(dir.str("blatt.txt"), "Blatt\n\nAm\nla\u00A0la\n");
    writeAll(dir.str("buch.vsl"), "fehlt.vsn\nda.vsn\nzwei.cho\nblatt.txt\n");
    const BookSource source = loadBookSources({dir.path("buch.vsl")});
    std::vector<std::string> titles;
    for (const BookSong& song : source.songs)
        titles.push_back(song.doc->TitelEdit().text());
    EXPECT_EQ(titles, (std::vector<std::string>{"Da", "Eins", "Zwei", "Blatt"}));
    EXPECT_EQ(source.songs[2].line, 3);
    ASSERT_EQ(source.problems.size(), 1u);
    EXPECT_EQ(source.problems[0], dir.path("buch.vsl") + ":1: " + dir.path("fehlt.vsn") + ": File not found");
    ASSERT_FALSE(source.notes.empty());
    for (const QString& note : source.notes) {
        EXPECT_FALSE(note.contains('\n')) << note.toStdString();
        EXPECT_TRUE(note.startsWith(dir.path("zwei.cho") + ": ") || note.startsWith(dir.path("blatt.txt") + ": "))
            << note.toStdString();
    }
    EXPECT_TRUE(source.notes.front().contains(QStringLiteral("\u201E<\u201C"))) << source.notes.front().toStdString();
}

// A relative picture path names a file beside the song, whatever folder the process is in; an
// absolute one, or one of a song that belongs to no file, stays as written. The editor's song
// follows its file: opened, saved elsewhere, new.
TEST(SongOpener, pictureIsFoundBesideTheSong) {
    TempDir dir;
    QDir(dir.path()).mkpath("lieder");
    writeAll(dir.str("lieder/lied.vsn"), "[Titel]\r\nL\r\n[Graphik]\r\nbilder/b.bmp\r\n");
    const OpenedFile file = openSongFile(dir.path("lieder/lied.vsn"));
    SongDocument& opened = *file.songs.front().doc;
    EXPECT_EQ(picturePath(opened), dir.str("lieder/bilder/b.bmp"));
    EXPECT_EQ(opened.GraphikEdit().text(), "bilder/b.bmp"); // the song itself is not changed
    opened.GraphikEdit().setText("/abs/b.bmp");
    EXPECT_EQ(picturePath(opened), "/abs/b.bmp");

    QDir(dir.path()).mkpath("a");
    QDir(dir.path()).mkpath("b");
    writeAll(dir.str("a/lied.vsn"), "[Titel]\r\nL\r\n[Graphik]\r\nb.bmp\r\n");
    SongDocument doc;
    ScriptedDialogs dialogs;
    DocumentCommands commands(doc, dialogs, {});
    commands.FormCreate();
    commands.openPath(dir.path("a/lied.vsn"));
    EXPECT_EQ(picturePath(doc), dir.str("a/b.bmp"));
    dialogs.saveAnswers = {dir.path("b/lied.vsn")};
    ASSERT_TRUE(commands.SpeichernAlsClick());
    EXPECT_EQ(picturePath(doc), dir.str("b/b.bmp"));
    commands.NeuClick();
    doc.GraphikEdit().setText("b.bmp");
    EXPECT_EQ(picturePath(doc), "b.bmp");
}

// The system reads a name only up to a NUL byte: a line "da.vsn<NUL>x.vsn" must not open da.vsn.
TEST(SongOpener, lineWithANulByteIsNamedAndLeftOut) {
    QTemporaryDir dir;
    QFile song(dir.filePath("da.vsn"));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.write("[Titel]\r\nDa\r\n[Text]\r\nla\r\n");
    song.close();
    QFile list(dir.filePath("buch.vsl"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QByteArray("da.vsn\0x.vsn\n", 13));
    list.close();
    const BookSource source = loadBookSources({dir.filePath("buch.vsl")});
    EXPECT_TRUE(source.songs.empty());
    ASSERT_EQ(source.problems.size(), 1u);
    EXPECT_EQ(source.problems[0], dir.filePath("buch.vsl") + ":1: " + dir.filePath("da.vsn") + "\\0x.vsn: Die Zeile enthält ein NUL-Byte, "
                                                                       "das in keinem Dateinamen stehen kann.");
}

} // namespace
