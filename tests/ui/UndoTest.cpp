// Taking back and redoing transposing and fitting from the Edit menu, beside the fields' own undo.
#include "FormFixture.h"

#include "ui/PagePreview.h"

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

using namespace versino;
using namespace versino::testing;

namespace {

class Undo : public FormFixture {
protected:
    void transpose(int steps) {
        dialogs.transposeAnswers = {transpose::Options{steps, transpose::Notation::German, transpose::Spelling::Sharp}};
        action("Transponieren")->trigger();
    }
    // The item as the Edit menu shows it when it is opened.
    QAction* item(const char* name) {
        emit child<QMenu>("Bearbeiten1")->aboutToShow();
        return action(name);
    }
    void key(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    // The song's nine texts and four fonts, as the fields and the font dialogs show them.
    std::pair<QStringList, std::vector<FontSetting>> state() {
        QStringList texts;
        for (const char* field : {"TitelEdit", "InterpretEdit", "VorspielEdit", "KapoEdit", "RefrainEdit",
                                  "BridgeEdit", "TextEdit", "NachspielEdit", "GraphikEdit"})
            texts << text(field);
        return {texts,
                {fontOf("TitelFont"), fontOf("InterpretFont"), fontOf("TextFont"), fontOf("AkkordFont")}};
    }
};

constexpr auto kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

TEST_F(Undo, transposingIsOneStepTakenBackAndRedoneWithModifiedAsSaved) {
    showActive();
    textEdit()->setPlainText(QStringLiteral("<Am>Hallo <H7>Welt\n>>Refrain"));
    child<QPlainTextEdit>("RefrainEdit")->setPlainText(QStringLiteral("<E>Re"));
    QTemporaryDir dir;
    dialogs.saveAnswers = {dir.filePath("Lied.vsn")};
    action("SpeichernAls")->trigger();
    const auto saved = state();
    EXPECT_FALSE(item("Rueckgaengig")->isEnabled());

    transpose(2);
    const auto transposed = state();
    EXPECT_EQ(item("Rueckgaengig")->text(), QStringLiteral("&Rückgängig: Transponieren"));
    textEdit()->setFocus();
    key(Qt::Key_Z, kCtrlAlt);
    EXPECT_TRUE(state() == saved) << "chorus and lyrics come back together";
    EXPECT_FALSE(asksToSave()) << "the song is as saved again";
    EXPECT_EQ(item("Wiederherstellen")->text(), QStringLiteral("&Wiederherstellen: Transponieren"));
    key(Qt::Key_Y, kCtrlAlt);
    EXPECT_TRUE(state() == transposed && !(transposed == saved));
    EXPECT_TRUE(asksToSave());

    lineEdit("KapoEdit")->setFocus();
    QTest::keyClicks(lineEdit("KapoEdit"), QStringLiteral("3\b")); // "" again, but with something to take back
    dialogs.confirmAnswers = {MsgButton::No};
    action("Neu")->trigger();
    EXPECT_EQ(item("Rueckgaengig")->text(), QStringLiteral("&Rückgängig")) << "New starts afresh";
    EXPECT_FALSE(lineEdit("KapoEdit")->isUndoAvailable() || textEdit()->document()->isUndoAvailable());
}

TEST_F(Undo, theFieldsOwnUndoSurvivesAndTakesTheTranspositionBackAsOneStep) {
    showActive();
    textEdit()->setPlainText(QStringLiteral("<C>Eins\n<G>Zwei"));
    textEdit()->setFocus();
    key(Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(textEdit(), QStringLiteral("!"));
    transpose(3);
    const QString transposed = textEdit()->toPlainText();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<C>Eins\n<G>Zwei!"));
    EXPECT_FALSE(item("Rueckgaengig")->isEnabled()) << "the lyrics differ from what the transposition left";
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<C>Eins\n<G>Zwei")) << "the typing before it is kept";
    textEdit()->redo();
    textEdit()->redo();
    EXPECT_EQ(textEdit()->toPlainText(), transposed);
    EXPECT_TRUE(item("Rueckgaengig")->isEnabled()) << "redone in the field, the step stands again";
}

TEST_F(Undo, fittingSaysWhatItDidInTheUndoItemAndThePreview) {
    QString lyrics;
    for (int i = 1; i <= 40; ++i)
        lyrics += QStringLiteral("<Am>Zeile %1\n").arg(i);
    textEdit()->setPlainText(lyrics);
    FontSetting textFont = fontOf("TextFont"), chordFont = fontOf("AkkordFont");
    textFont.size = 14;
    chordFont.size = 11;
    chooseFont("TextFont", textFont);
    chooseFont("AkkordFont", chordFont);
    action("Seitenvorschau")->trigger();
    action("Einpassen")->trigger();
    const int text = fontOf("TextFont").size;
    const QString did = QStringLiteral("Text 14 \u2192 %1 Punkt, Akkorde 11 \u2192 %2 Punkt").arg(text).arg(text - 3);
    EXPECT_EQ(item("Rueckgaengig")->text(), QStringLiteral("&Rückgängig: Auf eine Seite einpassen (%1)").arg(did));
    auto* note = form->findChild<ui::PagePreview*>()->findChild<QLabel*>(QStringLiteral("Hinweis"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QStringLiteral("Auf eine Seite eingepasst: %1").arg(did));

    item("Rueckgaengig")->trigger();
    EXPECT_EQ(fontOf("TextFont").size, 14);
    EXPECT_EQ(fontOf("AkkordFont").size, 11);
    EXPECT_FALSE(note->isVisible());
    item("Wiederherstellen")->trigger();
    EXPECT_EQ(fontOf("TextFont").size, text);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(dialogs.messages.empty()) << "the preview shows it";

    // With the preview closed, a message says the same.
    form->findChild<ui::PagePreview*>()->close();
    item("Rueckgaengig")->trigger();
    action("Einpassen")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("Auf eine Seite eingepasst: %1").arg(did));
}

TEST_F(Undo, noShortcutOfTheWindowIsAKeyTheFieldsEditOrMoveWith) {
    QSet<QKeySequence> fieldKeys;
    for (const auto& [first, last] : {std::pair{QKeySequence::Delete, QKeySequence::Redo},
                                      std::pair{QKeySequence::SelectAll, QKeySequence::SelectAll},
                                      std::pair{QKeySequence::MoveToNextChar, QKeySequence::InsertLineSeparator},
                                      std::pair{QKeySequence::Deselect, QKeySequence::Backspace}})
        for (int k = first; k <= last; ++k)
            for (const QKeySequence& s : QKeySequence::keyBindings(QKeySequence::StandardKey(k)))
                fieldKeys.insert(s);
    QSet<QKeySequence> seen;
    for (QAction* a : form->findChildren<QAction*>()) {
        EXPECT_FALSE(fieldKeys.contains(a->shortcut()) || seen.contains(a->shortcut())) << a->objectName().toStdString();
        if (!a->shortcut().isEmpty())
            seen.insert(a->shortcut());
    }
    EXPECT_TRUE(seen.contains(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)));
}

} // namespace
