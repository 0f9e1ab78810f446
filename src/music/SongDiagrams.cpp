#include "music/SongDiagrams.h"

#include "document/Notation.h"

#include <unordered_set>

namespace versino::music {
namespace {

void collect(const std::vector<std::string>& lines, FieldId field, std::vector<SongChord>& out,
             std::unordered_set<std::string>& seen) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        notation::forEachPiece(lines[i], [&](const notation::Piece& p) {
            if (p.kind != notation::Piece::Kind::Chord || p.chord.text.empty())
                return;
            // A raised part belongs to the chord's name: "<D°sus4>" is played as Dsus4.
            std::string name(p.chord.text);
            name += p.chord.raised;
            if (seen.insert(name).second)
                out.push_back({std::move(name), field, int(i) + 1, std::nullopt, std::nullopt});
        });
}

} // namespace

std::vector<SongChord> chordsInPrintOrder(const std::vector<std::string>& lyrics,
                                          const std::vector<std::string>& chorus,
                                          const std::vector<std::string>& bridge) {
    std::vector<SongChord> out;
    std::unordered_set<std::string> seen;
    bool chorusDone = false, bridgeDone = false;
    for (std::size_t i = 0; i < lyrics.size(); ++i) {
        switch (notation::directiveOf(lyrics[i])) {
        case notation::Directive::Refrain:
            if (!chorusDone)
                collect(chorus, FieldId::Refrain, out, seen), chorusDone = true;
            break;
        case notation::Directive::Refrain2:
        case notation::Directive::Bridge:
            if (!bridgeDone)
                collect(bridge, FieldId::Bridge, out, seen), bridgeDone = true;
            break;
        case notation::Directive::None: {
            const std::vector<std::string> one{lyrics[i]};
            const std::size_t before = out.size();
            collect(one, FieldId::Text, out, seen);
            for (std::size_t k = before; k < out.size(); ++k)
                out[k].line = int(i) + 1;
            break;
        }
        default:
            break;
        }
    }
    return out;
}

transpose::Notation songNotation(const std::vector<SongChord>& chords) {
    std::vector<std::string_view> names;
    names.reserve(chords.size());
    for (const SongChord& c : chords)
        names.push_back(c.name);
    return transpose::guessNotation(names);
}

std::vector<SongChord> songDiagrams(const SongDocument& doc, Instrument instrument) {
    return songDiagrams(doc.TextEdit().lineList(), doc.RefrainEdit().lineList(), doc.BridgeEdit().lineList(),
                        doc.options(), instrument);
}

std::vector<SongChord> songDiagrams(const std::vector<std::string>& lyrics, const std::vector<std::string>& chorus,
                                    const std::vector<std::string>& bridge, const SongOptions& options,
                                    Instrument instrument) {
    std::vector<SongChord> chords = chordsInPrintOrder(lyrics, chorus, bridge);
    // A song from elsewhere says it is international; else its chords' spelling decides.
    const transpose::Notation notation = options.international ? transpose::Notation::International : songNotation(chords);
    const std::size_t strings = tuning(instrument).size();
    // A definition is matched by its spelling, else by its tones read in the song's notation or,
    // as ChordPro files write them, in the international one.
    struct Own {
        Definition definition;
        std::optional<ChordTones> tones, international;
    };
    std::vector<Own> own;
    for (const std::string& text : options.fingerings)
        if (std::optional<Definition> d = parseDefinition(text); d && d->fingering.frets.size() == strings) {
            std::optional<ChordTones> t = chordTones(d->name, notation);
            std::optional<ChordTones> i = chordTones(d->name, transpose::Notation::International);
            own.push_back({std::move(*d), std::move(t), std::move(i)});
        }
    const auto same = [](const std::optional<ChordTones>& a, const ChordTones& b) {
        return a && a->root == b.root && a->bass == b.bass && a->intervals == b.intervals;
    };
    for (SongChord& c : chords) {
        c.tones = chordTones(c.name, notation);
        for (int pass = 0; pass < 3 && !c.fingering; ++pass)
            for (const Own& o : own) {
                const bool match = pass == 0   ? o.definition.name == c.name
                                   : !c.tones ? false
                                   : pass == 1 ? same(o.tones, *c.tones)
                                               : same(o.international, *c.tones);
                if (match) {
                    c.fingering = o.definition.fingering;
                    break;
                }
            }
        if (!c.fingering && c.tones && instrument != Instrument::Piano)
            c.fingering = fingeringFor(instrument, c.name, notation);
    }
    return chords;
}

} // namespace versino::music
