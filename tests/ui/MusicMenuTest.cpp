// The transposition and ChordPro menu items, and the transposition dialog itself.

#include "FormFixture.h"

#include "formats/LayoutFile.h"
#include "platform/TransposeDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace versino;
using namespace versino::testing;

namespace {

class MusicMenu : public FormFixture {
protected:
    QTemporaryDir dir;
};

} // namespace

TEST_F(MusicMenu, acceleratorLettersDoNotClashWithinAMenu) {
    for (const char* menu : {"Datei", "Exportieren", "Bearbeiten1", "Hilfe"}) {
        QSet<QChar> seen;
        for (QAction* a : child<QMenu>(menu)->actions()) {
            const QString text = a->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar letter = text.at(amp + 1).toLower();
            EXPECT_FALSE(seen.contains(letter)) << menu << ": " << text.toStdString();
            seen.insert(letter);
        }
    }
}

TEST_F(MusicMenu, transposeTransposesTheShownFieldsAndCancelDoesNothing) {
    textEdit()->setPlainText(QStringLiteral("<Am>Hallo <H7>Welt\n>>Refrain"));
    child<QPlainTextEdit>("RefrainEdit")->setPlainText(QStringLiteral("<E>Re"));
    lineEdit("KapoEdit")->setText(QStringLiteral("3"));
    save();

    dialogs.transposeAnswers = {std::nullopt};
    action("Transponieren")->trigger();
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<Am>Hallo <H7>Welt\n>>Refrain"));
    EXPECT_FALSE(asksToSave());

    dialogs.transposeAnswers = {
        transpose::Options{-2, transpose::Notation::German, transpose::Spelling::Flat}};
    action("Transponieren")->trigger();
    ASSERT_EQ(dialogs.transposeRequests.size(), 2u);
    EXPECT_EQ(dialogs.transposeRequests[0].preset.notation, transpose::Notation::German);
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<Gm>Hallo <A7>Welt\n>>Refrain"));
    EXPECT_EQ(child<QPlainTextEdit>("RefrainEdit")->toPlainText(), QStringLiteral("<D>Re"));
    EXPECT_EQ(lineEdit("KapoEdit")->text(), QStringLiteral("3"));
    EXPECT_TRUE(asksToSave());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MusicMenu, exportWritesChordProWithoutTouchingNameOrModified) {
    lineEdit("TitelEdit")->setText(QStringLiteral("Grüße"));
    textEdit()->setPlainText(QStringLiteral("<C>Eins"));
    const QString caption = form->windowTitle();
    const QString path = dir.filePath("gruss.cho");
    dialogs.saveAnswers = {path};
    action("ExportChordPro")->trigger();
    EXPECT_TRUE(dialogs.errors.empty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("{title: Grüße}"));
    EXPECT_TRUE(asksToSave());
    EXPECT_EQ(form->windowTitle(), caption);
}

TEST_F(MusicMenu, openingAChordProSongFillsTheWindowAndReportsWhatWasLeftOut) {
    const QString path = dir.filePath("Lied.cho");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{title: Lied}\n{tempo: 90}\n{soc}\n[G]Refrain\n{eoc}\n[D]Strophe\n");
    f.close();
    dialogs.openAnswers = {path};
    action("Oeffnen")->trigger();
    EXPECT_EQ(lineEdit("TitelEdit")->text(), QStringLiteral("Lied"));
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral(">>Refrain\n<D>Strophe\n"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Versino " VERSINO_VERSION " - [Lied.vsn]"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("{tempo}")));
    EXPECT_FALSE(asksToSave());
}

TEST(TransposeDialogWidget, acceptsNoZeroStepsAndReturnsWhatIsChosen) {
    uiApp();
    TransposeDialog dialog({0, transpose::Notation::International, transpose::Spelling::Automatic},
                           transpose::Count{0, 3, {"N.C.", "\xB0"}});
    auto* steps = dialog.findChild<QSpinBox*>(QStringLiteral("StepsBox"));
    auto* notation = dialog.findChild<QComboBox*>(QStringLiteral("NotationBox"));
    auto* spelling = dialog.findChild<QComboBox*>(QStringLiteral("SpellingBox"));
    ASSERT_TRUE(steps && notation && spelling);
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(steps->minimum(), -11);
    EXPECT_EQ(steps->maximum(), 11);
    EXPECT_EQ(notation->currentText(), QStringLiteral("international: B und Bb"));
    EXPECT_EQ(spelling->currentText(), QStringLiteral("automatisch"));
    const QLabel* note = dialog.findChild<QLabel*>(QStringLiteral("UnrecognisedLabel"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(),
              QStringLiteral("3 Akkorde werden nicht erkannt und bleiben, wie sie sind: „N.C.“, „°“"));
    // The unit agrees with the number.
    for (const auto& [value, text] : {std::pair{1, "1 Halbton"}, {-1, "-1 Halbton"}, {2, "2 Halbtöne"},
                                      {-11, "-11 Halbtöne"}}) {
        steps->setValue(value);
        EXPECT_EQ(steps->text(), QString::fromUtf8(text));
    }

    steps->setValue(-5);
    notation->setCurrentIndex(0);
    spelling->setCurrentIndex(2);
    EXPECT_TRUE(ok->isEnabled());
    const transpose::Options chosen = dialog.choice();
    EXPECT_EQ(chosen.semitones, -5);
    EXPECT_EQ(chosen.notation, transpose::Notation::German);
    EXPECT_EQ(chosen.spelling, transpose::Spelling::Flat);
    EXPECT_EQ(spelling->itemText(1), QStringLiteral("\u266F"));
}

// Bearbeiten > Griffbilder: the last item of the menu; choosing an instrument is the song's option
// (and a change), "keine" takes it back, and the check follows a song opened with diagrams.
TEST_F(MusicMenu, diagramItemsSetTheSongsOptionAndFollowIt) {
    const QList<QAction*> items = child<QMenu>("Bearbeiten1")->actions();
    QMenu* menu = child<QMenu>("Griffbilder");
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.back(), menu->menuAction());
    EXPECT_EQ(menu->title(), QStringLiteral("&Griffbilder . . ."));
    save();
    const std::pair<const char*, const char*> choices[] = {
        {"GriffbilderUkulele", "ukulele"}, {"GriffbilderGitarre", "gitarre"},
        {"GriffbilderKlavier", "klavier"}, {"GriffbilderKeine", ""}};
    std::unique_ptr<SongDocument> saved;
    for (const auto& [item, value] : choices) {
        action(item)->trigger();
        EXPECT_TRUE(asksToSave()) << item;
        saved = savedSong();
        EXPECT_EQ(saved->options().diagrams, value) << item;
    }
    EXPECT_TRUE(saved->options().isDefault());

    SongOptions options;
    options.diagrams = "ukulele";
    saved->setOptions(options);
    WriteLayoutFile(*saved, dir.filePath("ukulele.vsn"));
    dialogs.openAnswers = {dir.filePath("ukulele.vsn")};
    action("Oeffnen")->trigger();
    QMetaObject::invokeMethod(menu, "aboutToShow");
    for (const auto& [item, value] : choices)
        EXPECT_EQ(action(item)->isChecked(), std::string(value) == "ukulele") << item;
}
