#include "formats/ChordPro.h"

#include "document/AsciiText.h"
#include "document/Cp1252.h"
#include "document/Notation.h"
#include "formats/ChordProNames.h"
#include "formats/ChordProText.h"
#include "io/AtomicFile.h"
#include "music/SongDiagrams.h"
#include "music/SongNotation.h"
#include "music/Transpose.h"

#include <algorithm>

// Writing ChordPro: the fields as directives, the lyrics with their chorus and bridge environments.
namespace versino::chordpro {
namespace {

// A line in the song notation as a ChordPro lyric line that reads back as the same text.
void writeLyric(std::string& out, std::string_view line, ChordNames& names) {
    const std::size_t firstNonBlank = line.find_first_not_of(" \t");
    notation::forEachPiece(line, [&](const notation::Piece& p) {
        if (p.kind == notation::Piece::Kind::Text) {
            for (std::size_t i = 0; i < p.text.size(); ++i) {
                const char c = p.text[i];
                const bool lineStart = p.offset + i == firstNonBlank;
                if (c == '[' || c == '\\' || ((c == '{' || c == '#') && lineStart))
                    out += '\\';
                out += c;
            }
            return;
        }
        out += '[';
        if (p.chord.text.empty() && p.chord.hasRaised) {
            // Text on the chord row: a ChordPro annotation.
            out += '*';
            appendEscaped(out, p.chord.raised, "]\\");
        } else {
            if (!p.chord.text.empty() && p.chord.text[0] == '*')
                out += '*'; // "[*x]" would read back as an annotation without its star
            // Other programs know no raised part: it joins its chord.
            appendEscaped(out, names.exported(p.chord.text), "]\\");
            appendEscaped(out, p.chord.raised, "]\\");
        }
        out += ']';
    });
    out += '\n';
}

void writeDirective(std::string& out, std::string_view name, std::string_view value) {
    out += '{';
    out += name;
    out += ": ";
    out += value;
    out += "}\n";
}

void writeEnvironment(std::string& out, std::string_view kind, std::string_view body, ChordNames& names) {
    out += "{start_of_";
    out += kind;
    out += "}\n";
    for (const std::string& l : lines::split(body))
        writeLyric(out, l, names);
    out += "{end_of_";
    out += kind;
    out += "}\n";
}

// The song's diagrams for other programs: the instrument, a definition for every chord the page
// shows a diagram of (the song's own fingering or the one the page draws), then the song's own
// definitions of chords it does not show. Nothing for a song without either.
void writeDiagrams(std::string& out, const SongDocument& doc, bool german) {
    const SongOptions& options = doc.options();
    std::vector<std::string> names;
    if (const std::optional<music::Instrument> instrument = music::instrumentOf(options.diagrams)) {
        writeDirective(out, kDiagrams, options.diagrams);
        for (const music::SongChord& c : music::songDiagrams(doc, *instrument)) {
            if (!c.fingering)
                continue;
            std::string name = c.name;
            if (german)
                name = transpose::internationalName(c.name, transpose::Notation::German).value_or(c.name);
            writeDirective(out, "define", music::formatDefinition(name, *c.fingering));
            names.push_back(std::move(name));
        }
    } else if (!options.fingerings.empty()) {
        // Its own fingerings without diagrams: they would otherwise turn them on when read back.
        writeDirective(out, "diagrams", "off");
    }
    for (const std::string& own : options.fingerings) {
        const std::optional<music::Definition> d = music::parseDefinition(own);
        if (d && std::find(names.begin(), names.end(), d->name) != names.end())
            continue;
        writeDirective(out, "define", own);
    }
}

} // namespace

std::string format(const SongDocument& doc) {
    std::string out;
    const auto put = [&out](std::string_view name, const std::string& value) {
        if (!value.empty())
            writeDirective(out, name, value);
    };
    // The reader takes a backslash before []{}#\ as an escape in text directives too.
    const auto putText = [&out](std::string_view name, const std::string& value) {
        std::string escaped;
        appendEscaped(escaped, value, "\\");
        if (!value.empty())
            writeDirective(out, name, escaped);
    };
    putText("title", doc.TitelEdit().text());
    putText("subtitle", doc.InterpretEdit().text());
    // A blank capo is no capo: "{capo:  }" would be one to other programs.
    if (!ascii::trimSpaces(doc.KapoEdit().text()).empty())
        putText("capo", doc.KapoEdit().text());
    putText("comment", doc.VorspielEdit().text());
    const auto font = [&out](std::string_view kind, const FontSetting& f) {
        writeDirective(out, std::string(kind) + "font", f.name);
        writeDirective(out, std::string(kind) + "size", std::to_string(f.size));
        writeDirective(out, std::string(kind) + "colour", colourText(f.color));
    };
    font("text", doc.TextFont);
    font("chord", doc.AkkordFont);
    put(kClosingRemark, doc.NachspielEdit().text());
    put(kPicture, doc.GraphikEdit().text());

    const std::string chorus = doc.RefrainEdit().text();
    const std::string bridge = doc.BridgeEdit().text();
    const std::string lyrics = doc.TextEdit().text();
    ChordNames names(transpose::songNotation(doc) == transpose::Notation::German);
    std::string body;
    bool chorusWritten = false, bridgeWritten = false;
    // "{chorus}" repeats the chorus written last, so another chorus in between is written again.
    notation::Directive lastChorus = notation::Directive::None;
    const std::vector<std::string> lyricLines = lines::split(lyrics);
    // Blank lines before the first line of a song belong to its header when read; an empty verse
    // first makes them lyrics.
    if (!lyricLines.empty() && lyricLines.front().empty())
        body += "{start_of_verse}\n{end_of_verse}\n";
    for (const std::string& line : lyricLines) {
        switch (notation::directiveOf(line)) {
        case notation::Directive::Refrain:
            if (lastChorus == notation::Directive::Refrain)
                body += "{chorus}\n";
            else
                writeEnvironment(body, "chorus", chorus, names);
            chorusWritten = true;
            lastChorus = notation::Directive::Refrain;
            break;
        case notation::Directive::Refrain2:
            if (lastChorus == notation::Directive::Refrain2) {
                body += "{chorus}\n";
            } else {
                body += "{" + std::string(kSecondChorus) + "}\n";
                writeEnvironment(body, "chorus", bridge, names);
            }
            bridgeWritten = true;
            lastChorus = notation::Directive::Refrain2;
            break;
        case notation::Directive::Bridge:
            writeEnvironment(body, "bridge", bridge, names);
            bridgeWritten = true;
            break;
        case notation::Directive::NewColumn:
            body += "{column_break}\n";
            break;
        case notation::Directive::RefrainWord:
        case notation::Directive::None:
            writeLyric(body, line, names);
            break;
        }
    }
    // A chorus or bridge that no line calls still belongs to the song.
    if (!chorusWritten && !chorus.empty()) {
        body += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(body, "chorus", chorus, names);
    }
    if (!bridgeWritten && !bridge.empty()) {
        body += "{" + std::string(kUnplaced) + "}\n";
        writeEnvironment(body, "bridge", bridge, names);
    }
    writeDiagrams(out, doc, names.german());
    put(kNotation, names.directive());
    out += '\n';
    out += body;
    const QString unicode = cp1252::toUnicode(out);
    const QByteArray utf8 = unicode.toUtf8();
    return std::string(utf8.constData(), std::size_t(utf8.size()));
}

void WriteChordProFile(const SongDocument& doc, const QString& path) {
    const std::string bytes = format(doc);
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
}

} // namespace versino::chordpro
