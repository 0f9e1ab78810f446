// Taking back and redoing whole-song commands over an in-memory song.
#include "commands/SongHistory.h"

#include <gtest/gtest.h>
#include <random>

using namespace versino;

TEST(SongHistory, undoAndRedoRestoreTheWholeSongAndModifiedFollowsTheSavedSong) {
    std::mt19937 rng(20);
    const auto change = [&rng](SongDocument& doc) {
        for (FieldId id : kAllFields)
            if (rng() % 3 == 0)
                doc.field(id).setText("<C>Zeile " + std::to_string(rng() % 1000) + "\r\n<G>noch eine");
        for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont})
            if (rng() % 3 == 0)
                f->size = int(rng() % 30) + 1;
    };
    for (int round = 0; round < 50; ++round) {
        SongDocument doc;
        SongHistory history;
        change(doc);
        const bool saved = round % 2 == 0;
        if (saved)
            history.reset(doc);
        const SongState before = SongState::of(doc);
        change(doc);
        const SongState after = SongState::of(doc);
        history.record(doc, before, QStringLiteral("Transponieren"));
        const bool changed = !(after == before);
        ASSERT_EQ(history.undo(doc) != nullptr, changed) << "a command that changed nothing is no step";
        if (!changed)
            continue;
        EXPECT_TRUE(SongState::of(doc) == before) << round;
        EXPECT_EQ(doc.Modified, !saved) << "back at the saved song, nothing is left to save";
        ASSERT_NE(history.redo(doc), nullptr);
        EXPECT_TRUE(SongState::of(doc) == after && doc.Modified) << round;
    }
}
