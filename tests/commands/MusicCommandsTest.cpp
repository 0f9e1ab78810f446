#include "commands/DocumentCommands.h"
#include "commands/TransposeCommand.h"
#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/TempDir.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace versino;
using versino::testing::readAll;
using versino::testing::ScriptedDialogs;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

class MusicCommands : public ::testing::Test {
protected:
    MusicCommands() : commands(doc, dialogs, {[this] { caption = captionFor(doc.DocumentName); }, {}, {}, {}}) {
        commands.FormCreate();
        for (FieldId id : kAllFields)
            doc.field(id).setChangeHandler([this, id] {
                doc.Modified = true;
                ++changes[static_cast<std::size_t>(id)];
            });
    }

    void openChordPro(const std::string& name, const std::string& bytes) {
        writeAll(dir.str(QString::fromStdString(name)), bytes);
        dialogs.openAnswers = {dir.path(QString::fromStdString(name))};
        commands.OeffnenClick();
    }

    TempDir dir;
    SongDocument doc;
    ScriptedDialogs dialogs;
    QString caption;
    std::array<int, kFieldCount> changes{};
    DocumentCommands commands;
};

const char* const kSong = "{title: Lied}\n{key: D}\n{soc}\n[D]La la\n{eoc}\n[A]Strophe\n{chorus}\n";

} // namespace

TEST_F(MusicCommands, openReadsChordProAndSaysWhatWasLeftOut) {
    openChordPro("lied.cho", kSong);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_TRUE(dialogs.openRequests[0].filter.startsWith("Text Layouts (*.vsn)|*.vsn|ChordPro ("));
    EXPECT_EQ(doc.TitelEdit().text(), "Lied");
    EXPECT_EQ(doc.RefrainEdit().text(), "<D>La la\r\n");
    EXPECT_EQ(doc.TextEdit().text(), ">>Refrain\r\n<A>Strophe\r\n>>Refrain\r\n");
    EXPECT_EQ(doc.DocumentName, "lied.vsn");
    EXPECT_EQ(caption, "Versino " VERSINO_VERSION " - [lied.vsn]");
    EXPECT_FALSE(doc.Modified);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains("1 \u00D7 Angabe {key}"));

    // Nothing left out: no message.
    openChordPro("schlicht.chopro", "{t: Schlicht}\nText\n");
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(doc.DocumentName, "schlicht.vsn");
}

TEST_F(MusicCommands, firstSaveOfAnImportAsksForANameAndNeverTouchesTheChordProFile) {
    openChordPro("lied.cho", kSong);
    doc.KapoEdit().setText("3");
    dialogs.saveAnswers = {std::nullopt};
    EXPECT_FALSE(commands.SpeichernClick());
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QString("lied.vsn"));
    EXPECT_EQ(dialogs.saveRequests[0].defaultExtension, "vsn");
    EXPECT_EQ(readAll(dir.str("lied.cho")), kSong);

    dialogs.saveAnswers = {dir.path("lied.vsn")};
    EXPECT_TRUE(commands.SpeichernClick());
    EXPECT_EQ(readAll(dir.str("lied.cho")), kSong);
    SongDocument saved;
    ReadLayoutFile(saved, dir.path("lied.vsn"));
    EXPECT_EQ(saved.KapoEdit().text(), "3");
    // Now it is a layout file: Save writes without asking.
    EXPECT_TRUE(commands.SpeichernClick());
    EXPECT_EQ(dialogs.saveRequests.size(), 2u);
}

TEST_F(MusicCommands, openReadsAChordSheetAsANewUnsavedSong) {
    const std::string sheet = "Lied - Wir\n\nRefrain:\n D\nLa la\n\ne|--3--|\n";
    openChordPro("lied.TXT", sheet);
    EXPECT_EQ(doc.TitelEdit().text(), "Lied");
    EXPECT_EQ(doc.InterpretEdit().text(), "Wir");
    EXPECT_EQ(doc.RefrainEdit().text(), "L<D>a la\r\n");
    EXPECT_EQ(doc.TextEdit().text(), ">>Refrain\r\n");
    EXPECT_EQ(doc.DocumentName, "lied.vsn");
    EXPECT_FALSE(doc.Modified);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains("1 \u00D7 Tabulaturzeile ausgelassen"));

    dialogs.saveAnswers = {dir.path("lied.vsn")};
    EXPECT_TRUE(commands.SpeichernClick());
    EXPECT_EQ(dialogs.saveRequests.size(), 1u) << "the first Save asks for a name";
    EXPECT_EQ(readAll(dir.str("lied.TXT")), sheet);
}

TEST_F(MusicCommands, aFailedImportLeavesTheSongAsItWas) {
    doc.TitelEdit().setText("Meins");
    doc.Modified = false;
    dialogs.openAnswers = {dir.path("fehlt.cho")};
    EXPECT_THROW(commands.OeffnenClick(), FileError);
    EXPECT_EQ(doc.TitelEdit().text(), "Meins");
    EXPECT_EQ(doc.DocumentName, "unbenannt");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MusicCommands, exportWritesChordProAndChangesNeitherNameNorModified) {
    doc.TitelEdit().setText("Mein Lied");
    doc.TextEdit().setText("<G>Hallo\r\n");
    dialogs.saveAnswers = {dir.path("mein.cho")};
    commands.ExportChordProClick();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QString("Mein Lied.cho"));
    EXPECT_EQ(dialogs.saveRequests[0].filter, "ChordPro (*.cho)|*.cho");
    EXPECT_EQ(dialogs.saveRequests[0].defaultExtension, "cho");
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.DocumentName, "unbenannt");
    EXPECT_NE(readAll(dir.str("mein.cho")).find("{title: Mein Lied}\n"), std::string::npos);
    EXPECT_NE(readAll(dir.str("mein.cho")).find("[G]Hallo\n"), std::string::npos);

    // A failing export is an error of the file layer.
    dialogs.saveAnswers = {dir.path("kein/ordner/x.cho")};
    EXPECT_THROW(commands.ExportChordProClick(), FileError);

    // A saved song is offered beside its layout file.
    dialogs.saveAnswers = {dir.path("lied.vsn"), std::nullopt};
    commands.SpeichernAlsClick();
    commands.ExportChordProClick();
    EXPECT_EQ(dialogs.saveRequests.back().initialName, dir.path("lied.cho"));
}

TEST_F(MusicCommands, transposeChangesEachChordFieldOnceAndLeavesTheCapo) {
    doc.KapoEdit().setText("2");
    doc.RefrainEdit().setText("<H7>Re\r\n<Em>frain\r\n");
    doc.BridgeEdit().setText("ohne Akkorde\r\n");
    doc.TextEdit().setText("<G>Eins <N.C.>zwei <Lala>\r\n>>Refrain\r\n<%>\r\n");
    doc.Modified = false;
    changes = {};

    dialogs.transposeAnswers = {std::nullopt};
    TransponierenClick(doc, dialogs);
    ASSERT_EQ(dialogs.transposeRequests.size(), 1u);
    EXPECT_EQ(dialogs.transposeRequests[0].preset.notation, transpose::Notation::German);
    EXPECT_EQ(dialogs.transposeRequests[0].preset.spelling, transpose::Spelling::Automatic);
    // "N.C." and "%" are marks of the chord row, not chords the transposition does not know.
    EXPECT_EQ(dialogs.transposeRequests[0].unrecognised, 1);
    EXPECT_EQ(dialogs.transposeRequests[0].unrecognisedNames, (std::vector<std::string>{"Lala"}));
    EXPECT_FALSE(doc.Modified);

    dialogs.transposeAnswers = {
        transpose::Options{2, transpose::Notation::German, transpose::Spelling::Automatic}};
    TransponierenClick(doc, dialogs);
    EXPECT_EQ(doc.RefrainEdit().text(), "<Cis7>Re\r\n<Fism>frain\r\n");
    EXPECT_EQ(doc.TextEdit().text(), "<A>Eins <N.C.>zwei <Lala>\r\n>>Refrain\r\n<%>\r\n");
    EXPECT_EQ(doc.KapoEdit().text(), "2");
    EXPECT_TRUE(doc.Modified);
    const std::array<int, kFieldCount> once = {0, 0, 0, 0, 1, 0, 1, 0, 0};
    EXPECT_EQ(changes, once);
    // The dialog has named the unknown chord already: no second box repeats it.
    EXPECT_TRUE(dialogs.messages.empty());
}
