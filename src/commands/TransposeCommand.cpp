#include "commands/TransposeCommand.h"

#include "music/SongNotation.h"

#include <array>

namespace versino {
namespace {

// The lyrics first: the song's key is read from its first chord.
constexpr std::array<FieldId, 3> kChordFields = {FieldId::Text, FieldId::Refrain, FieldId::Bridge};

} // namespace

transpose::Options transposePreset(const SongDocument& doc) {
    transpose::Options preset;
    preset.notation = transpose::songNotation(doc);
    preset.spelling = transpose::Spelling::Automatic;
    return preset;
}

transpose::Count unrecognisedChords(const SongDocument& doc) {
    const transpose::Options preset = transposePreset(doc);
    transpose::Count count;
    for (FieldId id : kChordFields)
        transpose::transposeText(doc.field(id).text(), preset, count);
    count.transposed = 0;
    return count;
}

transpose::Count transposeSong(SongDocument& doc, const transpose::Options& options) {
    std::array<std::string, 3> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = doc.field(kChordFields[i]).text();
    transpose::Options resolved = options;
    resolved.spelling = transpose::resolveSpelling({texts[0], texts[1], texts[2]}, options);
    resolved.bassFromChord = options.bassFromChord || options.spelling == transpose::Spelling::Automatic;
    if (!resolved.germanForms)
        resolved.germanForms = transpose::resolveForms({texts[0], texts[1], texts[2]}, options.notation);
    transpose::Count count;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string moved = transpose::transposeText(texts[i], resolved, count);
        if (moved != texts[i])
            doc.field(kChordFields[i]).editText(moved);
    }
    return count;
}

void TransponierenClick(SongDocument& doc, Dialogs& dialogs) {
    const std::optional<transpose::Options> choice =
        dialogs.askTranspose(transposePreset(doc), unrecognisedChords(doc));
    if (!choice || choice->semitones == 0)
        return;
    // The dialog has named the chords it does not know; they stay as they are without a second word.
    transposeSong(doc, *choice);
}

} // namespace versino
