#include "commands/DocumentCommands.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/TempDir.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <random>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::readAll;
using versino::testing::ScriptedDialogs;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

class Commands : public ::testing::Test {
protected:
    Commands() : commands(doc, dialogs, hooks()) { commands.FormCreate(); }

    DocumentCommands::Hooks hooks() {
        return {[this] { caption = captionFor(doc.DocumentName); }, [this] { ++fontUpdates; }, [this] { ++focusCalls; }, {}};
    }

    void type(const std::string& title) { doc.TitelEdit().setText(title); }

    std::string fileError(const std::function<void()>& action) {
        try {
            action();
        } catch (const FileError& e) {
            return e.what();
        }
        return "no error";
    }

    TempDir dir;
    SongDocument doc;
    ScriptedDialogs dialogs;
    QString caption;
    int fontUpdates = 0;
    int focusCalls = 0;
    DocumentCommands commands;
};

} // namespace

TEST_F(Commands, creationStartsAnUntitledSongWithoutAsking) {
    EXPECT_TRUE(dialogs.confirms.empty());
    EXPECT_EQ(caption, "Versino " VERSINO_VERSION " - [unbenannt]");
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.KapoEdit().text(), "");
    EXPECT_EQ(fontUpdates, 1);
    EXPECT_EQ(focusCalls, 1);
}

TEST_F(Commands, newAsksOnlyWithChangesAndCancelKeepsEverything) {
    commands.NeuClick();
    EXPECT_TRUE(dialogs.confirms.empty());

    type("Lied");
    doc.TitelFont.size = 30;
    dialogs.confirmAnswers = {MsgButton::Cancel};
    commands.NeuClick();
    ASSERT_EQ(dialogs.confirms.size(), 1u);
    EXPECT_EQ(dialogs.confirms[0].text, QString::fromUtf8("Wollen Sie die Datei vor dem Schließen speichern?"));
    EXPECT_TRUE(dialogs.confirms[0].withCancel);
    EXPECT_EQ(doc.TitelEdit().text(), "Lied");
    EXPECT_EQ(doc.TitelFont.size, 30);
    EXPECT_TRUE(doc.Modified);

    dialogs.confirmAnswers = {MsgButton::No};
    commands.NeuClick();
    EXPECT_EQ(doc.TitelEdit().text(), "");
    EXPECT_EQ(doc.TitelFont, defaultTitelFont());
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, yesOnAnUntitledSongSavesThroughSaveAsThenGoesOn) {
    type("Mein Lied");
    dialogs.confirmAnswers = {MsgButton::Yes};
    dialogs.saveAnswers = {dir.path("mein.vsn")};
    commands.NeuClick();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QString("Mein Lied"));
    EXPECT_NE(readAll(dir.str("mein.vsn")).find("[Titel]\r\nMein Lied\r\n"), std::string::npos);
    EXPECT_EQ(doc.TitelEdit().text(), "") << "New went on after the save";
    EXPECT_TRUE(doc.isUntitled());
}

TEST_F(Commands, cancellingTheSaveDialogOfThePromptStopsTheAskingCommand) {
    type("Nicht verlieren");
    dialogs.confirmAnswers = {MsgButton::Yes, MsgButton::Yes, MsgButton::Yes};
    dialogs.saveAnswers = {std::nullopt, std::nullopt, std::nullopt};
    commands.NeuClick();
    commands.OeffnenClick();
    EXPECT_FALSE(commands.FormCloseQuery());
    EXPECT_EQ(doc.TitelEdit().text(), "Nicht verlieren");
    EXPECT_TRUE(doc.Modified);
    EXPECT_TRUE(dialogs.openRequests.empty()) << "Open stopped before its dialog";
}

TEST_F(Commands, openPromptHasNoCancelAndNoGoesOnToTheDialog) {
    type("x");
    dialogs.confirmAnswers = {MsgButton::No};
    dialogs.openAnswers = {std::nullopt};
    commands.OeffnenClick();
    ASSERT_EQ(dialogs.confirms.size(), 1u);
    EXPECT_FALSE(dialogs.confirms[0].withCancel);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].defaultExtension, "vsn");
    EXPECT_EQ(dialogs.openRequests[0].filter, "Text Layouts (*.vsn)|*.vsn|ChordPro (*.cho *.crd *.chopro "
                                              "*.chordpro *.pro)|*.cho;*.crd;*.chopro;*.chordpro;*.pro|"
                                              "Akkordtext (*.txt)|*.txt");
    EXPECT_FALSE(dialogs.openRequests[0].initialName.has_value()) << "the dialog shows its last name";
    EXPECT_EQ(doc.TitelEdit().text(), "x") << "a cancelled dialog changes nothing";
}

TEST_F(Commands, openShowsTheWholePathAndKeepsStyles) {
    SongDocument song;
    song.TitelEdit().setText("Geladen");
    song.TitelFont = {"Serif", 0, 255, 40};
    WriteLayoutFile(song, dir.path("song.vsn"));
    doc.TitelFont.style = FontStyle::Italic;
    doc.Modified = false;
    const int updatesBefore = fontUpdates;

    dialogs.openAnswers = {dir.path("song.vsn")};
    commands.OeffnenClick();
    EXPECT_EQ(doc.TitelEdit().text(), "Geladen");
    EXPECT_EQ(doc.TitelFont, (FontSetting{"Serif", FontStyle::Italic, 255, 40}));
    EXPECT_EQ(doc.DocumentName, dir.path("song.vsn"));
    EXPECT_EQ(caption, "Versino " VERSINO_VERSION " - [" + dir.path("song.vsn") + "]");
    EXPECT_EQ(fontUpdates, updatesBefore + 1);
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.KapoEdit().text(), "");
}

// A size or colour in "[Fonts]" that is no number costs only that value: the song opens with the
// default there, and one message names each such line and value.
TEST_F(Commands, aBadNumberInTheFontsOpensTheSongWithThatDefaultAndNamesTheLine) {
    const std::string fonts = "[Titel]\r\nAnders\r\n[Text]\r\nZeile\r\n[Fonts]\r\n";
    struct Case {
        std::string fontLines;
        const char* message;
        int titelSize;
        int akkordColor;
    };
    const SongDocument defaults;
    for (const Case& c :
         {Case{"A\r\nzwölf\r\n255\r\nB\r\n10\r\n0\r\nC\r\n10\r\n0\r\nD\r\n10\r\n0\r\n",
               "Zeile 7, Schriftgröße des Titels: „zwölf“ ist keine Zahl. Es gilt die Vorgabe %1.",
               defaults.TitelFont.size, 0},
          Case{"A\r\n30\r\n255\r\nB\r\n10\r\n0\r\nC\r\n10\r\n0\r\nD\r\n10\r\nrot%1\r\n",
               "Zeile 17, Farbe der Akkorde: „rot%1“ ist keine Zahl. Es gilt die Vorgabe %2.", 30,
               defaults.AkkordFont.color}}) {
        writeAll(dir.str("lied.vsn"), cp1252::fromUnicode(QString::fromStdString(fonts + c.fontLines)));
        dialogs.messages.clear();
        EXPECT_EQ(fileError([&] { commands.openPath(dir.path("lied.vsn")); }), "no error");
        EXPECT_EQ(doc.TitelEdit().text(), "Anders");
        EXPECT_EQ(doc.TitelFont.size, c.titelSize);
        EXPECT_EQ(doc.AkkordFont.color, c.akkordColor);
        const int fallback = c.akkordColor == 0 ? defaults.TitelFont.size : defaults.AkkordFont.color;
        const QString expected = QString::fromUtf8(c.message).contains("%2")
                                     ? QString::fromUtf8(c.message).replace("%2", QString::number(fallback))
                                     : QString::fromUtf8(c.message).arg(fallback);
        EXPECT_EQ(dialogs.messages, std::vector<QString>{expected});
    }
}

TEST_F(Commands, openingAMissingOrBrokenFileLeavesTheSongUntouched) {
    type("Bleibt");
    doc.Modified = false;
    dialogs.openAnswers = {dir.path("fehlt.vsn")};
    EXPECT_EQ(fileError([&] { commands.OeffnenClick(); }), "File not found");

    // A bad number no longer fails the whole Open (below); a file that cannot be read still does.
    QDir().mkpath(dir.path("kaputt.vsn"));
    dialogs.openAnswers = {dir.path("kaputt.vsn")};
    EXPECT_EQ(fileError([&] { commands.OeffnenClick(); }), "File access denied");

    // A picture chosen by mistake is refused, so that the next Save cannot overwrite it.
    writeAll(dir.str("bild.vsn"), std::string("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0", 14) + "pixels\r\n");
    dialogs.openAnswers = {dir.path("bild.vsn")};
    EXPECT_EQ(fileError([&] { commands.OeffnenClick(); }), "Die Datei ist keine Versino-Songdatei.");

    EXPECT_EQ(doc.TitelEdit().text(), "Bleibt");
    EXPECT_TRUE(doc.isUntitled());
    EXPECT_EQ(caption, "Versino " VERSINO_VERSION " - [unbenannt]");
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, saveAsSuggestsTheTitleOrTheNameAndShowsTheFileNameOnly) {
    dialogs.saveAnswers = {dir.path("leer.vsn")};
    commands.SpeichernClick(); // untitled: behaves as Save As
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QString(""));
    EXPECT_EQ(dialogs.saveRequests[0].defaultExtension, "vsn");
    EXPECT_EQ(doc.DocumentName, "leer.vsn");
    EXPECT_EQ(caption, "Versino " VERSINO_VERSION " - [leer.vsn]");

    dialogs.saveAnswers = {std::nullopt};
    commands.SpeichernAlsClick();
    EXPECT_EQ(dialogs.saveRequests[1].initialName, QString("leer.vsn"));
}

TEST_F(Commands, aFileNamedExactlyUnbenanntIsSavedWithAnUnderscore) {
    dialogs.saveAnswers = {dir.path("unbenannt")};
    commands.SpeichernAlsClick();
    EXPECT_EQ(doc.DocumentName, "_unbenannt");
    EXPECT_FALSE(doc.isUntitled());
    EXPECT_TRUE(QFile::exists(dir.path("_unbenannt")));
    EXPECT_FALSE(QFile::exists(dir.path("unbenannt")));
}

TEST_F(Commands, saveGoesToTheSaveAsFolderWhateverFolderIsCurrentLater) {
    QDir(dir.path()).mkdir("chosen");
    QDir(dir.path()).mkdir("elsewhere");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path("chosen"));
    dialogs.saveAnswers = {dir.path("chosen/lied.vsn")};
    commands.SpeichernAlsClick();

    QDir::setCurrent(dir.path("elsewhere")); // as a picture chosen in another folder would do
    type("zweite Fassung");
    EXPECT_TRUE(commands.SpeichernClick());
    QDir::setCurrent(before);

    EXPECT_NE(readAll(dir.str("chosen/lied.vsn")).find("zweite Fassung"), std::string::npos);
    EXPECT_FALSE(QFile::exists(dir.path("elsewhere/lied.vsn")));
    EXPECT_FALSE(doc.Modified);
}

TEST_F(Commands, saveWritesAlsoWithoutChanges) {
    dialogs.saveAnswers = {dir.path("a.vsn")};
    commands.SpeichernAlsClick();
    QFile::remove(dir.path("a.vsn"));
    EXPECT_FALSE(doc.Modified);
    dialogs.yesNoAnswers = {true}; // the file went away behind Versino's back: save it anew
    commands.SpeichernClick();
    EXPECT_TRUE(QFile::exists(dir.path("a.vsn")));
}

TEST_F(Commands, aFailingSaveKeepsTheChangesAndTheWindowOpen) {
    dialogs.saveAnswers = {dir.path("missing/folder/a.vsn")};
    type("wichtig");
    EXPECT_EQ(fileError([&] { commands.SpeichernAlsClick(); }), "Invalid filename");
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.DocumentName, "a.vsn") << "the new name is already in place";

    dialogs.confirmAnswers = {MsgButton::Yes};
    EXPECT_EQ(fileError([&] { commands.FormCloseQuery(); }), "Invalid filename");
    EXPECT_TRUE(doc.Modified);

    dialogs.confirmAnswers = {MsgButton::Yes};
    EXPECT_EQ(fileError([&] { commands.NeuClick(); }), "Invalid filename");
    EXPECT_EQ(doc.TitelEdit().text(), "wichtig") << "New did nothing further";
}

TEST_F(Commands, closeQueryFollowsTheAnswer) {
    EXPECT_TRUE(commands.FormCloseQuery());
    EXPECT_TRUE(dialogs.confirms.empty());
    type("x");
    dialogs.confirmAnswers = {MsgButton::Cancel, MsgButton::No};
    EXPECT_FALSE(commands.FormCloseQuery());
    EXPECT_TRUE(commands.FormCloseQuery());
    dialogs.confirmAnswers = {MsgButton::Yes};
    dialogs.saveAnswers = {dir.path("zu.vsn")};
    EXPECT_TRUE(commands.FormCloseQuery());
    EXPECT_TRUE(QFile::exists(dir.path("zu.vsn")));
    EXPECT_FALSE(doc.Modified);
}

TEST(SuggestedFileName, turnsTitlesIntoPlainNames) {
    const struct {
        const char* title;
        const char* name;
    } table[] = {
        {"AC/DC Live", "AC-DC Live"},
        {"Back\\Slash", "Back-Slash"},
        {"Über den Wolken", "Über den Wolken"},
        {"", ""},
        {".", "unbenannt"},
        {"..", "unbenannt"},
        {" . .. ", "unbenannt"},
        {"/", "-"},
        {"../../etc/passwd", "-..-etc-passwd"},
        {".versteckt", "versteckt"},
        {"Ende.", "Ende"},
        {"  Lied  ", "Lied"},
        {"Tab\tund\nZeile\x01\x7f", "TabundZeile"},
    };
    for (const auto& row : table)
        EXPECT_EQ(suggestedFileName(QString::fromUtf8(row.title)), QString::fromUtf8(row.name)) << row.title;
    EXPECT_EQ(suggestedFileName(QStringLiteral("a") + QChar(0) + QStringLiteral("b")), "ab");
}

// Whatever the title, the suggestion is one file name in the dialog's own folder.
TEST(SuggestedFileName, isAlwaysOneNameTheFileSystemTakes) {
    const QString alphabet = QStringLiteral("aZ .-/\\\t\r\n\x01\x1f\x7f\u0081\u00dc\u00e4\u20ac~:*?");
    std::mt19937 rng(12);
    for (int round = 0; round < 3000; ++round) {
        QString title;
        const int length = std::uniform_int_distribution<int>(1, round % 10 == 0 ? 400 : 12)(rng);
        while (title.size() < length)
            title += alphabet.mid(std::uniform_int_distribution<int>(0, int(alphabet.size()) - 1)(rng), 1);
        const QString name = suggestedFileName(title);
        SCOPED_TRACE(title.toStdString());
        ASSERT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.contains(QLatin1Char('/')));
        EXPECT_FALSE(name.startsWith(QLatin1Char('.')));
        EXPECT_FALSE(name.endsWith(QLatin1Char('.')));
        for (const QChar c : name)
            EXPECT_NE(c.category(), QChar::Other_Control) << int(c.unicode());
        EXPECT_LE(QFile::encodeName(name + QStringLiteral(".vsn")).size(), 255);
        EXPECT_EQ(QFileInfo(name).fileName(), name);
        EXPECT_EQ(suggestedFileName(name), name) << "a suggestion is kept as it is";
    }
}

TEST_F(Commands, saveAsOffersTheTitleAsANameInTheCurrentFolder) {
    type("AC/DC Live");
    dialogs.saveAnswers = {std::nullopt};
    commands.SpeichernAlsClick();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QString("AC-DC Live"));
}

TEST_F(Commands, openPathReadsTheSongWithoutAskingAndKeepsItOnError) {
    type("ungespeichert");
    EXPECT_EQ(fileError([&] { commands.openPath(dir.path("fehlt.vsn")); }), "File not found");
    EXPECT_EQ(doc.TitelEdit().text(), "ungespeichert");
    EXPECT_TRUE(doc.isUntitled());

    writeAll(dir.str("lied.vsn"), "[Titel]\r\nVom Band\r\n[Text]\r\nla la\r\n");
    commands.openPath(dir.path("lied.vsn"));
    EXPECT_TRUE(dialogs.confirms.empty());
    EXPECT_TRUE(dialogs.openRequests.empty());
    EXPECT_EQ(doc.TitelEdit().text(), "Vom Band");
    EXPECT_EQ(doc.DocumentName, dir.path("lied.vsn"));
    EXPECT_EQ(caption, captionFor(dir.path("lied.vsn")));
    EXPECT_FALSE(doc.Modified);
}

// Every kind of song file opens as versino-print reads it. An imported song is new and unsaved,
// named like its file and belonging beside it; of several songs the editor holds the first and
// says so after the import's own notes.
TEST_F(Commands, importOpensTheFirstSongUnderTheFilesNameBesideTheFile) {
    struct Case {
        const char* name;
        const char* bytes;
        const char* title;
        const char* shown;
        std::vector<const char*> said; // each is in the one message; none: no message
    };
    const Case cases[] = {
        {"zwei.cho", "{title: Eins}\n[C]eins <3\n{new_song}\n{title: Zwei}\n[G]zwei\n", "Eins", "zwei.vsn",
         {"\u201E<\u201C", "Die Datei enth\u00E4lt 2 Songs; ge\u00F6ffnet ist der erste."}},
        {"drei.pro", "{t: A}\nx\n{new_song}\n{t: B}\ny\n{new_song}\n{t: C}\nz\n", "A", "drei.vsn",
         {"Die Datei enth\u00E4lt 3 Songs"}},
        {"eins.CHO", "{t: Nur}\n[D]da\n", "Nur", "eins.vsn", {}},
        {"blatt.txt", "Blatt\n\nAm\nla la\n", "Blatt", "blatt.vsn", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(dir.str(c.name), c.bytes);
        dialogs.messages.clear();
        commands.openPath(dir.path(c.name));
        EXPECT_EQ(doc.TitelEdit().text(), c.title);
        EXPECT_EQ(doc.DocumentName, QString::fromLatin1(c.shown));
        EXPECT_EQ(caption, captionFor(QString::fromLatin1(c.shown)));
        EXPECT_FALSE(doc.isUntitled());
        EXPECT_FALSE(doc.Modified);
        EXPECT_TRUE(commands.filePath().isEmpty()) << "Save asks for a name";
        EXPECT_EQ(commands.songFolder(), dir.path());
        ASSERT_EQ(dialogs.messages.size(), c.said.empty() ? 0u : 1u);
        for (const char* part : c.said)
            EXPECT_TRUE(dialogs.messages[0].contains(QString::fromUtf8(part))) << dialogs.messages[0].toStdString();
        dialogs.saveAnswers = {std::nullopt};
        EXPECT_FALSE(commands.SpeichernClick());
        EXPECT_EQ(dialogs.saveRequests.back().initialName, QString::fromLatin1(c.shown));
    }
}
