#pragma once

#include "document/SongDocument.h"

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace versino {

// The song's nine texts and four font settings at one moment.
struct SongState {
    std::array<std::string, kFieldCount> texts;
    std::array<FontSetting, 4> fonts; // TitelFont, InterpretFont, TextFont, AkkordFont

    static SongState of(const SongDocument& doc);
    bool operator==(const SongState& o) const { return texts == o.texts && fonts == o.fonts; }
    bool operator!=(const SongState& o) const { return !(*this == o); }
};

// The whole-song commands (transposing, fitting to one page) as steps that can be taken back and
// redone as a whole. Typing is no step here: each field keeps its own undo for that. A step keeps
// only the parts of the song it changed. It can be taken back while those parts are as it left
// them, and redone while they are as it found them; an edit made since to one of those parts
// blocks it instead of being thrown away.
class SongHistory {
public:
    struct Step {
        QString name; // the command's name, as the undo and redo items show it
        QString note; // what the command did, for the page preview; may be empty
        struct Text {
            FieldId field;
            std::string before, after;
        };
        struct Font {
            int index; // into SongState::fonts
            FontSetting before, after;
        };
        std::vector<Text> texts;
        std::vector<Font> fonts;
    };

    static constexpr std::size_t kMaxSteps = 100;

    // Records the change from `before` to the song as it is now as one step. Nothing is recorded
    // when nothing changed. Whatever could have been redone is dropped.
    void record(const SongDocument& doc, const SongState& before, QString name, QString note = {});

    bool canUndo(const SongDocument& doc) const;
    bool canRedo(const SongDocument& doc) const;
    // The name of the step that undo or redo would take, empty when there is none.
    QString undoName() const;
    QString redoName() const;

    // Take back or redo the step, changing each field as one edit of its own. Modified ends clear
    // exactly when the song is back to the state last saved (or opened). Return the step, or null
    // when it cannot be taken (see above) and nothing changed.
    const Step* undo(SongDocument& doc);
    const Step* redo(SongDocument& doc);

    // A new song (New, Open): no steps, and the song as it is now is the saved one.
    void reset(const SongDocument& doc);
    // The song as it is now has been saved.
    void markSaved(const SongDocument& doc);

private:
    enum class Side { Before, After };
    static bool stands(const SongDocument& doc, const Step& step, Side side);
    void apply(SongDocument& doc, const Step& step, Side side) const;

    std::vector<Step> done_;
    std::vector<Step> undone_; // the last one taken back at the end
    std::optional<SongState> saved_;
};

} // namespace versino
