#include "commands/SetList.h"

#include "commands/TransposeCommand.h"
#include "document/Cp1252.h"
#include "document/Notation.h"
#include "formats/SongList.h"

namespace versino {

std::string firstChord(const SongDocument& doc) {
    for (const MultiLineField* field : {&doc.TextEdit(), &doc.RefrainEdit(), &doc.BridgeEdit()}) {
        const std::string text = field->text();
        std::string found;
        std::size_t start = 0;
        while (found.empty() && start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string_view line(text.data() + start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            notation::forEachPiece(line, [&found](const notation::Piece& piece) {
                if (found.empty() && piece.kind == notation::Piece::Kind::Chord && !piece.chord.text.empty())
                    found = std::string(piece.chord.text);
            });
            start = end + 1;
        }
        if (!found.empty())
            return found;
    }
    return {};
}

void transposeForEntry(SongDocument& doc, int semitones) {
    if (semitones == 0)
        return;
    transpose::Options options = transposePreset(doc);
    options.semitones = semitones;
    transposeSong(doc, options);
}

QString keyText(const SongDocument& transposed, int semitones) {
    const QString chord = cp1252::toUnicode(firstChord(transposed));
    if (semitones == 0)
        return chord;
    const QString steps = QLatin1Char('(') + songlist::transposeText(semitones) + QLatin1Char(')');
    return chord.isEmpty() ? steps : chord + QLatin1Char(' ') + steps;
}

} // namespace versino
