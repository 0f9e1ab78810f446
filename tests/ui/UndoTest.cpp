// Taking back and redoing transposing and fitting from the Edit menu, beside the fields' own undo.
#include "FormFixture.h"

#include "commands/FitToPage.h"
#include "commands/SongHistory.h"
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
    // What the Edit menu shows when it is opened.
    QAction* undoItem() {
        emit child<QMenu>("Bearbeiten1")->aboutToShow();
        return action("Rueckgaengig");
    }
    QAction* redoItem() {
        emit child<QMenu>("Bearbeiten1")->aboutToShow();
        return action("Wiederherstellen");
    }
    void key(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    SongState state() { return SongState::of(doc()); }

    QTemporaryDir dir;
};

constexpr auto kCtrlAlt = Qt::ControlModifier | Qt::AltModifier;

TEST_F(Undo, transposingIsOneStepTakenBackAndRedoneWithModifiedAsSaved) {
    showActive();
    textEdit()->setPlainText(QStringLiteral("<Am>Hallo <H7>Welt\n>>Refrain"));
    child<QPlainTextEdit>("RefrainEdit")->setPlainText(QStringLiteral("<E>Re"));
    dialogs.saveAnswers = {dir.filePath("Lied.vsn")};
    action("SpeichernAls")->trigger();
    const SongState saved = state();
    EXPECT_FALSE(undoItem()->isEnabled());
    EXPECT_EQ(undoItem()->text(), QStringLiteral("&Rückgängig"));

    transpose(2);
    const SongState transposed = state();
    ASSERT_FALSE(transposed == saved);
    EXPECT_EQ(undoItem()->text(), QStringLiteral("&Rückgängig: Transponieren"));
    EXPECT_TRUE(undoItem()->isEnabled());
    textEdit()->setFocus();
    key(Qt::Key_Z, kCtrlAlt);
    EXPECT_TRUE(state() == saved) << "chorus and lyrics come back together";
    EXPECT_FALSE(doc().Modified) << "the song is as saved again";
    EXPECT_EQ(redoItem()->text(), QStringLiteral("&Wiederherstellen: Transponieren"));
    key(Qt::Key_Y, kCtrlAlt);
    EXPECT_TRUE(state() == transposed);
    EXPECT_TRUE(doc().Modified);
    EXPECT_FALSE(redoItem()->isEnabled());
}

TEST_F(Undo, theFieldsOwnUndoSurvivesAndTakesTheTranspositionBackAsOneStep) {
    showActive();
    textEdit()->setPlainText(QStringLiteral("<C>Eins\n<G>Zwei"));
    textEdit()->setFocus();
    key(Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(textEdit(), QStringLiteral("!"));
    transpose(3);
    const QString transposed = textEdit()->toPlainText();
    ASSERT_NE(transposed, QStringLiteral("<C>Eins\n<G>Zwei!"));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<C>Eins\n<G>Zwei!"));
    EXPECT_FALSE(undoItem()->isEnabled()) << "the lyrics differ from what the transposition left";
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(textEdit()->toPlainText(), QStringLiteral("<C>Eins\n<G>Zwei")) << "the typing before it is kept";
    textEdit()->redo();
    textEdit()->redo();
    EXPECT_EQ(textEdit()->toPlainText(), transposed);
    EXPECT_TRUE(undoItem()->isEnabled()) << "redone in the field, the step stands again";
}

TEST_F(Undo, fittingSaysWhatItDidInTheUndoItemAndThePreview) {
    std::string lyrics;
    for (int i = 1; i <= 40; ++i)
        lyrics += "<Am>Zeile " + std::to_string(i) + "\r\n";
    doc().TextEdit().setText(lyrics);
    doc().TextFont.size = 14;
    doc().AkkordFont.size = 11;
    action("Seitenvorschau")->trigger();
    action("Einpassen")->trigger();
    const int text = doc().TextFont.size, chord = doc().AkkordFont.size;
    ASSERT_LT(text, 14);
    const QString did = QStringLiteral("Text 14 \u2192 %1 Punkt, Akkorde 11 \u2192 %2 Punkt").arg(text).arg(chord);
    EXPECT_EQ(undoItem()->text(), QStringLiteral("&Rückgängig: Auf eine Seite einpassen (%1)").arg(did));
    auto* note = form->preview()->findChild<QLabel*>(QStringLiteral("Hinweis"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), QStringLiteral("Auf eine Seite eingepasst: %1").arg(did));

    undoItem()->trigger();
    EXPECT_EQ(doc().TextFont.size, 14);
    EXPECT_EQ(doc().AkkordFont.size, 11);
    EXPECT_FALSE(note->isVisible());
    EXPECT_TRUE(form->preview()->refreshPending()) << "the preview follows the fonts";
    redoItem()->trigger();
    EXPECT_EQ(doc().TextFont.size, text);
    EXPECT_TRUE(note->isVisible());
}

TEST_F(Undo, newAndOpenStartBothHistoriesAfresh) {
    showActive();
    textEdit()->setFocus();
    QTest::keyClicks(textEdit(), QStringLiteral("<C>Eins"));
    transpose(1);
    dialogs.confirmAnswers = {MsgButton::No};
    action("Neu")->trigger();
    EXPECT_FALSE(undoItem()->isEnabled());
    EXPECT_EQ(undoItem()->text(), QStringLiteral("&Rückgängig"));
    EXPECT_FALSE(textEdit()->document()->isUndoAvailable()) << "no line of the old song comes back";
}

TEST_F(Undo, noShortcutOfTheWindowIsAKeyTheFieldsUse) {
    // The keys with which the line edits and text edits edit and move, on this platform.
    std::vector<QKeySequence::StandardKey> editing = {
        QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut, QKeySequence::Copy, QKeySequence::Paste,
        QKeySequence::Delete, QKeySequence::Backspace, QKeySequence::SelectAll, QKeySequence::Deselect,
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteCompleteLine, QKeySequence::InsertParagraphSeparator,
        QKeySequence::InsertLineSeparator};
    for (int k = QKeySequence::MoveToNextChar; k <= QKeySequence::SelectEndOfDocument; ++k)
        editing.push_back(QKeySequence::StandardKey(k));
    QSet<QKeySequence> fieldKeys;
    for (QKeySequence::StandardKey k : editing)
        for (const QKeySequence& s : QKeySequence::keyBindings(k))
            fieldKeys.insert(s);
    ASSERT_TRUE(fieldKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QSet<QKeySequence> seen;
    for (QAction* a : form->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        EXPECT_FALSE(fieldKeys.contains(a->shortcut())) << a->objectName().toStdString();
        EXPECT_FALSE(seen.contains(a->shortcut())) << a->objectName().toStdString();
        seen.insert(a->shortcut());
    }
    EXPECT_TRUE(seen.contains(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)));
}

} // namespace
