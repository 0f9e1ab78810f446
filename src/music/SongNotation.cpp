#include "music/SongNotation.h"

namespace versino::transpose {

Notation songNotation(const SongDocument& doc) {
    if (doc.options().international)
        return Notation::International;
    const std::string text = doc.TextEdit().text();
    const std::string chorus = doc.RefrainEdit().text();
    const std::string bridge = doc.BridgeEdit().text();
    return guessNotation({text, chorus, bridge});
}

void markImportedNotation(SongOptions& options, Notation imported, const std::vector<std::string_view>& texts) {
    options.international = imported == Notation::International && guessNotation(texts) == Notation::German;
}

} // namespace versino::transpose
