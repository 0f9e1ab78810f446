// The songbook's commands without a window: the list's rows, its options in the list file, the
// fit column after a song changed, and what the export says.
#include "commands/SongbookCommands.h"
#include "formats/LayoutFile.h"
#include "formats/SongList.h"
#include "io/AtomicFile.h"

#include "support/GuiApp.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::readAll;
using versino::testing::ScriptedDialogs;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

class Book : public ::testing::Test {
protected:
    Book() : commands(dialogs, {[this] { ++changes; }}) {
        versino::testing::guiApp();
        song("berg.vsn", "Berg", 1);
        song("ast.vsn", "\xC4st", 1);
        song("lang.vsn", "Lang", 80);
    }

    void song(const QString& name, const std::string& title, int lines) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        std::string lyrics;
        for (int i = 0; i < lines; ++i)
            lines::add(lyrics, "<C>Zeile");
        doc.TextEdit().setText(lyrics);
        writeAll(dir.str(name), formatLayout(doc));
    }
    QStringList titles() const {
        QStringList t;
        for (const SongbookRow& r : commands.rows())
            t << r.title;
        return t;
    }
    void addAll() { commands.addSongs({dir.path("berg.vsn"), dir.path("ast.vsn"), dir.path("lang.vsn")}); }

    TempDir dir;
    ScriptedDialogs dialogs;
    int changes = 0;
    SongbookCommands commands;
};

TEST_F(Book, rowsMoveReorderSortAndGoWithoutTheWindow) {
    addAll();
    EXPECT_EQ(titles(), (QStringList{"Berg", QString::fromUtf8("Äst"), "Lang"}));
    EXPECT_EQ(commands.rows()[0].fitText(), "ja");
    EXPECT_EQ(commands.rows()[2].fitText(), "nein");

    struct Step {
        std::function<void()> act;
        QStringList after;
    };
    const QString ast = QString::fromUtf8("Äst");
    const Step steps[] = {
        {[&] { EXPECT_EQ(commands.move(0, 1), 1); }, {ast, "Berg", "Lang"}},
        {[&] { EXPECT_EQ(commands.move(2, 1), 2) << "the last row stays"; }, {ast, "Berg", "Lang"}},
        {[&] {
             commands.reorder({2, 0, 1});
         },
         {"Lang", ast, "Berg"}},
        {[&] {
             commands.reorder({0, 0, 1});
         },
         {"Lang", ast, "Berg"}}, // no permutation: ignored
        {[&] { commands.sortByTitle(); }, {ast, "Berg", "Lang"}},
        {[&] {
             commands.remove({2, 0, 2});
         },
         {"Berg"}},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(titles(), s.after);
    }
}

// Every combination of the yes/no options, with each choice of diagrams, comes back from the list
// file as it was saved; the defaults add no line, so such a list is written as before.
TEST_F(Book, everyCombinationOfOptionsSurvivesTheListFile) {
    const std::vector<BookSwitch>& switches = bookSwitches();
    const std::optional<std::string> diagramChoices[] = {std::nullopt, std::string(), std::string("gitarre"),
                                                         std::string("klavier")};
    for (unsigned bits = 0; bits < (1u << switches.size()) * 4; ++bits) {
        SongbookCommands saving(dialogs, {});
        saving.addSongs({dir.path("berg.vsn")});
        BookOptions o;
        o.title = "Buch";
        for (std::size_t i = 0; i < switches.size(); ++i)
            o.*switches[i].member = (bits >> (i + 2)) & 1u;
        o.diagrams = diagramChoices[bits % 4];
        saving.setOptions(o);
        dialogs.saveAnswers = {dir.path("buch.vsl")};
        dialogs.yesNoAnswers = {true};
        ASSERT_TRUE(saving.SpeichernClick());

        SongbookCommands reading(dialogs, {});
        ASSERT_TRUE(reading.openList(dir.path("buch.vsl")));
        for (const BookSwitch& s : switches)
            EXPECT_EQ(reading.options().*s.member, o.*s.member) << s.key << " in combination " << bits;
        EXPECT_EQ(reading.options().diagrams, o.diagrams) << bits;
        EXPECT_EQ(reading.options().title, "Buch");
        EXPECT_FALSE(reading.isModified());
        const bool defaults = bookOptionValues(o).empty();
        if (o.diagrams) {
            EXPECT_FALSE(defaults) << "a chosen instrument is written, also none";
        }
        EXPECT_EQ(readAll(dir.str("buch.vsl")) == "#Titel: Buch\nberg.vsn\n", defaults) << bits;
    }
    // Lines of a later version, or values this one does not know, leave the options as they are.
    writeAll(dir.str("neu.vsl"), "#Option: Inhalt=vielleicht\n#Option: Farbe=blau\n#Option: NurText=ja\n"
                                 "#Option: Griffbilder=banjo\nberg.vsn\n");
    ASSERT_TRUE(commands.openList(dir.path("neu.vsl")));
    EXPECT_TRUE(commands.options().contents);
    EXPECT_TRUE(commands.options().lyricsOnly);
    EXPECT_FALSE(commands.options().diagrams);
    EXPECT_EQ(commands.songFiles(), QStringList{dir.path("berg.vsn")});
}

TEST_F(Book, aSongSavedAgainIsCheckedAgain) {
    addAll();
    const int before = changes;
    song("lang.vsn", "Lang", 3);
    EXPECT_TRUE(commands.refresh(dir.path("lang.vsn")));
    EXPECT_EQ(commands.rows()[2].fitText(), "ja");
    EXPECT_GT(changes, before) << "the window is told";
    EXPECT_FALSE(commands.refresh(dir.path("anders.vsn")));
}

TEST_F(Book, exportSaysWhereTheBookWentAndWhatDoesNotFitAndNeinAsksAgain) {
    addAll();
    writeAll(dir.str("alt.pdf"), "alt");
    dialogs.saveAnswers = {dir.path("alt.pdf"), dir.path("buch.pdf")};
    dialogs.yesNoAnswers = {false};
    commands.ExportPdfClick();
    EXPECT_EQ(readAll(dir.str("alt.pdf")), "alt");
    EXPECT_EQ(dialogs.saveRequests.size(), 2u) << "Nein goes back to the file dialog";
    EXPECT_TRUE(dialogs.saveRequests[0].initialName == QStringLiteral("unbenannt.pdf"));
    ASSERT_TRUE(QFile::exists(dir.path("buch.pdf")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString said = dialogs.messages[0];
    EXPECT_TRUE(
        said.startsWith(QString::fromUtf8("Das Liederbuch steht in „") + dir.path("buch.pdf") + "“ ("))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QString::fromUtf8(kSongbookTooLong) + "\n" + dir.path("lang.vsn") + ":"))
        << said.toStdString();
    EXPECT_FALSE(said.contains("berg.vsn")) << "a song that fits is not named";

    dialogs.saveAnswers = {std::nullopt};
    commands.ExportPdfClick();
    EXPECT_EQ(dialogs.messages.size(), 1u) << "a cancelled dialog writes and says nothing";
}

// A book whose songs have no lyrics is said in the window's words, as an error of its own: no
// file is written and nothing claims that the book was made.
TEST_F(Book, aBookWithoutLyricsIsSaidAndWritesNothing) {
    song("leer.vsn", "Leer", 0);
    commands.addSongs({dir.path("leer.vsn")});
    dialogs.saveAnswers = {dir.path("buch.pdf")};
    commands.ExportPdfClick();
    EXPECT_EQ(dialogs.errors, std::vector<QString>{QString::fromUtf8(kNoSongsForBook)});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(QFile::exists(dir.path("buch.pdf")));
}

// What reading a song changed, and the backup copy a save in place left, are notes of the window:
// said when songs are added, when a list is opened (with its line) and after the export, which
// still takes the song. A torn song that does not read is trouble and a note.
TEST_F(Book, notesOfTheSongsAreShownWhereverTheBookReadsThem) {
    writeAll(dir.str("zahl.vsn"), "[Titel]\r\nZahl\r\n[Text]\r\nla\r\n[Fonts]\r\nArial\r\nzw\xF6lf\r\n255\r\n");
    writeAll(dir.str("riss.vsn"), "Liebe Anna,\r\nanbei\r\n");
    QDir().mkpath(dir.path("cache/versino"));
    QFile::setPermissions(dir.path("cache/versino"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path("cache")));
    const QString copy = dir.path("cache/versino/") + AtomicFile::cacheCopyName(dir.path("riss.vsn"));
    writeAll(copy.toStdString(), "[Titel]\r\nRiss\r\n");
    writeAll(dir.str("buch.vsl"), "zahl.vsn\nriss.vsn\n");
    const QString number = QString::fromUtf8(": Zeile 7, Schriftgröße des Titels: „zwölf“ ist keine Zahl.");
    const QString backup = QString::fromUtf8("„riss.vsn“: eine Sicherungskopie vom ");
    const struct {
        std::function<void()> act;
        QString numberAt, backupAt; // what stands before each note
    } roads[] = {{[&] { commands.addSongs({dir.path("zahl.vsn"), dir.path("riss.vsn")}); }, dir.path("zahl.vsn"), "\n"},
                 {[&] { commands.openList(dir.path("buch.vsl")); }, "buch.vsl:1: " + dir.path("zahl.vsn"), "buch.vsl:2: "},
                 {[&] {
                      dialogs.saveAnswers = {dir.path("buch.pdf")};
                      commands.ExportPdfClick();
                  },
                  dir.path("zahl.vsn"), "\n"}};
    for (const auto& road : roads) {
        dialogs.messages.clear();
        dialogs.errors.clear();
        road.act();
        ASSERT_FALSE(dialogs.messages.empty());
        const QString said = dialogs.messages.back();
        EXPECT_TRUE(said.contains(QString::fromUtf8(kSongbookNotes) + "\n") && said.contains(road.numberAt + number) &&
                    said.contains(road.backupAt + backup) && said.contains(copy))
            << said.toStdString();
        ASSERT_EQ(dialogs.errors.size(), 1u) << "the torn song itself does not read";
        EXPECT_TRUE(dialogs.errors[0].contains(dir.path("riss.vsn"))) << dialogs.errors[0].toStdString();
    }
    EXPECT_EQ(commands.rows()[0].fitText(), "ja") << "the song with the note is read";
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace
