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

// Every character a file name may hold, and every option, comes back as it was written; a
// relative path may hold odd characters too.
TEST(SetList, pathsWithAnyCharacterAndOptionsReadBack) {
    struct Case {
        const char* path;
        int transpose;
        const char* note;
    };
    const Case cases[] = {
        {"/l/heimweg.vsn", 2, "leise anfangen"},
        {"/l/trailing blank.vsn ", 0, ""},
        {"/l/  two leading.vsn", -11, "Capo 3!"},
        {"/l/line\nbreak.vsn", 11, ""},
        {"/l/tab\there\r.vsn", 0, "nur Note"},
        {"/l/100%25 sicher%.vsn", -1, "#Notiz: nicht verwechseln"},
        {"/l/#Transponieren: +2", 0, ""},
        {"/l/#Pfad: x.vsn", 5, ""},
        {"/l/sub/\xC3\xBC\xE2\x80\xA8\xC2\xA0.vsn\xC2\xA0", 0, "\xE2\x99\xAA"},
        {"/other/\x7F\x01 .cho", 3, "a"},
        {"/l/\xF0\x9F\x8E\xB8 .vsn", 0, ""},
    };
    songlist::SongList list;
    list.title = QStringLiteral("Abend im Hof");
    for (const Case& c : cases)
        list.entries.push_back({QString::fromUtf8(c.path), 0, c.transpose, QString::fromUtf8(c.note)});
    for (const QString folder : {"/l", "/", "/l/sub"}) {
        const std::string bytes = songlist::format(list, folder);
        const songlist::SongList back = songlist::parse(bytes, folder);
        EXPECT_EQ(back.title, list.title);
        ASSERT_EQ(back.entries.size(), list.entries.size()) << bytes;
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            EXPECT_EQ(back.entries[i].path, list.entries[i].path) << bytes;
            EXPECT_EQ(back.entries[i].transpose, list.entries[i].transpose) << bytes;
            EXPECT_EQ(back.entries[i].note, list.entries[i].note) << bytes;
        }
    }
}

TEST(SetList, optionsAreLinesOfTheirOwnThatOldListsLackAndOldReadersSkip) {
    struct Case {
        std::vector<songlist::Entry> entries;
        const char* bytes;
    };
    const Case cases[] = {
        // Without options a list is the plain list it always was.
        {{{"/l/a.vsn", 0}, {"/l/#b.vsn", 0}, {"/x/c.cho", 0}}, "a.vsn\n/l/#b.vsn\n../x/c.cho\n"},
        {{{"/l/a.vsn", 0, 2, "leise"}, {"/l/b.vsn", 0, -3, ""}, {"/l/c.vsn", 0, 0, " Capo 3!\n"}},
         "a.vsn\n#Transponieren: +2\n#Notiz: leise\nb.vsn\n#Transponieren: -3\nc.vsn\n#Notiz: Capo 3!\n"},
        {{{"/l/x \n.vsn ", 0, 1, ""}}, "#Pfad: x %0A.vsn%20\n#Transponieren: +1\n"},
    };
    for (const Case& c : cases) {
        songlist::SongList list;
        list.entries = c.entries;
        EXPECT_EQ(songlist::format(list, "/l"), c.bytes);
    }
}

TEST(SetList, optionLinesOutOfPlaceOrRangeAreComments) {
    const songlist::SongList list = songlist::parse("#Notiz: vor allem\n#Transponieren: +1\na.vsn\n"
                                                    "#Transponieren: 12\n#Transponieren: zwei\n"
                                                    "b.vsn\n# Kommentar\n#Transponieren:-11\n#Pfad: \n",
                                                    "/l");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].line, 3);
    EXPECT_EQ(list.entries[0].transpose, 0);
    EXPECT_TRUE(list.entries[0].note.isEmpty());
    EXPECT_EQ(list.entries[1].transpose, -11);
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
