#include "formats/ChordPro.h"
#include "formats/SongList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;

namespace {

TEST(SongList, readsTitlePathsAndLineNumbers) {
    struct Case {
        const char* bytes;
        const char* title;
        std::vector<std::pair<QString, int>> entries;
    };
    const Case cases[] = {
        {"#Titel: Sommerfest 2026\na.vsn\n", "Sommerfest 2026", {{"/l/a.vsn", 2}}},
        // Only the first line gives the title; later ones are comments.
        {"a.vsn\n#Titel: Nein\n", "", {{"/l/a.vsn", 1}}},
        {"\xEF\xBB\xBF#Titel:  Mit BOM \r\n\r\n  sub/b.cho  \r\n# x\r\n/abs/c.vsn", "Mit BOM",
         {{"/l/sub/b.cho", 3}, {"/abs/c.vsn", 5}}},
        {"../nachbar/d.vsn\n\n\n#\ne f.vsn\n", "", {{"/nachbar/d.vsn", 1}, {"/l/e f.vsn", 5}}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        const songlist::SongList list = songlist::parse(c.bytes, "/l");
        EXPECT_EQ(list.title, QString::fromUtf8(c.title)) << c.bytes;
        ASSERT_EQ(list.entries.size(), c.entries.size()) << c.bytes;
        for (std::size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(list.entries[i].path, c.entries[i].first) << c.bytes;
            EXPECT_EQ(list.entries[i].line, c.entries[i].second) << c.bytes;
        }
    }
}

// Whatever the list holds, writing it and reading it back gives the same title and paths.
TEST(SongList, writtenListReadsBackAsItWas) {
    songlist::SongList list;
    list.title = QString::fromUtf8("Straßenfest – Ä");
    for (const char* p : {"/home/u/lieder/a.vsn", "/home/u/lieder/sub/b.cho", "/home/u/x.vsn", "/opt/y/z.vsn",
                          "/home/u/lieder/#raute.vsn", "/home/u/lieder/ leer.vsn", "/home/u/lieder/ü ß.vsn"})
        list.entries.push_back({QString::fromUtf8(p), 0});
    list.options = {{"Inhalt", "nein"}, {QString::fromUtf8("Liedanfänge"), "ja"}, {"Leer", ""}};
    for (const QString folder : {"/home/u/lieder", "/", "/tmp/other"}) {
        const songlist::SongList back = songlist::parse(songlist::format(list, folder), folder);
        EXPECT_EQ(back.title, list.title);
        EXPECT_EQ(back.options, list.options);
        ASSERT_EQ(back.entries.size(), list.entries.size()) << folder.toStdString();
        for (std::size_t i = 0; i < list.entries.size(); ++i)
            EXPECT_EQ(back.entries[i].path, list.entries[i].path) << folder.toStdString();
    }
}

TEST(SongList, missingSongIsReportedWithItsLineAndLeftOut) {
    QTemporaryDir dir;
    QFile song(dir.filePath("da.vsn"));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.write("[Titel]\r\nDa\r\n[Text]\r\nla\r\n");
    song.close();
    QFile two(dir.filePath("zwei.cho"));
    ASSERT_TRUE(two.open(QIODevice::WriteOnly));
    two.write("{title: Eins}\n[C]eins\n{new_song}\n{title: Zwei}\n[G]zwei\n");
    two.close();
    const songlist::SongList list = songlist::parse("fehlt.vsn\nda.vsn\nzwei.cho\n", dir.path());
    std::vector<QString> problems;
    const std::vector<songlist::LoadedSong> songs = songlist::loadSongs(list.entries, "buch.vsl", problems);
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].doc->TitelEdit().text(), "Da");
    EXPECT_EQ(songs[1].doc->TitelEdit().text(), "Eins");
    EXPECT_EQ(songs[2].doc->TitelEdit().text(), "Zwei");
    EXPECT_EQ(songs[2].line, 3);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "buch.vsl:1: " + dir.filePath("fehlt.vsn") + ": File not found");
}

TEST(ChordProSongs, newSongStartsTheNextSong) {
    struct Case {
        const char* text;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {"{title: A}\nx\n", {"A"}},
        {"{title: A}\nx\n{new_song}\n{title: B}\ny\n{ns}\n{t: C}\n", {"A", "B", "C"}},
        // A start mark before the first song, or a doubled one, makes no empty song.
        {"{new_song}\n{title: A}\nx\n{new_song}\n\n{new_song}\n{title: B}\n", {"A", "B"}},
        {"  {ns}  \r\n[C]ohne Titel\r\n", {""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        const std::vector<chordpro::Import> songs = chordpro::parseSongs(c.text, {});
        ASSERT_EQ(songs.size(), c.titles.size()) << c.text;
        for (std::size_t i = 0; i < songs.size(); ++i)
            EXPECT_EQ(songs[i].content.texts[std::size_t(FieldId::Titel)], c.titles[i]) << c.text;
        for (const chordpro::Import& s : songs)
            EXPECT_TRUE(s.dropped.empty()) << c.text;
    }
}

} // namespace

// The system reads a name only up to a NUL byte: a line "da.vsn<NUL>x.vsn" must not open da.vsn.
TEST(SongList, lineWithANulByteIsNamedAndLeftOut) {
    QTemporaryDir dir;
    QFile song(dir.filePath("da.vsn"));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.write("[Titel]\r\nDa\r\n[Text]\r\nla\r\n");
    song.close();
    const songlist::SongList list = songlist::parse(std::string_view("da.vsn\0x.vsn\n", 13), dir.path());
    std::vector<QString> problems;
    EXPECT_TRUE(songlist::loadSongs(list.entries, "buch.vsl", problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "buch.vsl:1: " + dir.filePath("da.vsn") + "\\0x.vsn: Die Zeile enthält ein NUL-Byte, "
                                                                       "das in keinem Dateinamen stehen kann.");
}
