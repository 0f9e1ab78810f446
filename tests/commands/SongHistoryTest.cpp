// Taking back and redoing whole-song commands over an in-memory song.
#include "commands/SongHistory.h"

#include <gtest/gtest.h>
#include <random>

using namespace versino;

namespace {

// A random change of some texts and fonts, as a whole-song command might make it.
void changeAtRandom(SongDocument& doc, std::mt19937& rng) {
    for (FieldId id : kAllFields)
        if (rng() % 3 == 0)
            doc.field(id).setText("<C>Zeile " + std::to_string(rng() % 1000) + "\r\n<G>noch eine");
    for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont})
        if (rng() % 3 == 0)
            f->size = int(rng() % 30) + 1;
}

TEST(SongHistory, undoAndRedoRestoreTheWholeSongAndModifiedFollowsTheSavedSong) {
    std::mt19937 rng(20);
    for (int round = 0; round < 50; ++round) {
        SongDocument doc;
        SongHistory history;
        changeAtRandom(doc, rng);
        const bool saved = round % 2 == 0;
        if (saved)
            history.reset(doc);
        doc.Modified = !saved;
        const SongState before = SongState::of(doc);
        changeAtRandom(doc, rng);
        const SongState after = SongState::of(doc);
        history.record(doc, before, QStringLiteral("Transponieren"));
        if (after == before) {
            EXPECT_FALSE(history.canUndo(doc)) << "a command that changed nothing is no step";
            continue;
        }
        EXPECT_EQ(history.undoName(), QStringLiteral("Transponieren"));
        ASSERT_NE(history.undo(doc), nullptr);
        EXPECT_TRUE(SongState::of(doc) == before) << round;
        EXPECT_EQ(doc.Modified, !saved) << "back at the saved song, nothing is left to save";
        EXPECT_FALSE(history.canUndo(doc));
        ASSERT_NE(history.redo(doc), nullptr);
        EXPECT_TRUE(SongState::of(doc) == after) << round;
        EXPECT_TRUE(doc.Modified);
    }
}

TEST(SongHistory, anEditSinceBlocksTheStepOnlyInThePartsItChanged) {
    SongDocument doc;
    SongHistory history;
    doc.TextEdit().setText("<C>Eins");
    history.reset(doc);
    const SongState before = SongState::of(doc);
    doc.TextEdit().setText("<D>Eins");
    history.record(doc, before, QStringLiteral("Transponieren"));

    doc.TitelEdit().setText("Lied");
    EXPECT_TRUE(history.canUndo(doc)) << "the title was not part of the step";
    doc.TextEdit().setText("<D>Eins, getippt");
    EXPECT_FALSE(history.canUndo(doc));
    EXPECT_EQ(history.undo(doc), nullptr);
    EXPECT_EQ(doc.TextEdit().text(), "<D>Eins, getippt") << "the typing is never thrown away";

    doc.TextEdit().setText("<D>Eins");
    ASSERT_NE(history.undo(doc), nullptr);
    EXPECT_EQ(doc.TextEdit().text(), "<C>Eins");
    EXPECT_EQ(doc.TitelEdit().text(), "Lied");
    EXPECT_TRUE(doc.Modified) << "the title differs from the saved song";

    doc.TextEdit().setText("<E>neu");
    EXPECT_FALSE(history.canRedo(doc));
    const SongState typed = SongState::of(doc);
    doc.TextFont.size = 8;
    history.record(doc, typed, QStringLiteral("Einpassen"));
    EXPECT_EQ(history.redoName(), QString()) << "a new step drops what could have been redone";
    history.reset(doc);
    EXPECT_FALSE(history.canUndo(doc));
}

} // namespace
