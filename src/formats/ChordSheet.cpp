#include "formats/ChordSheet.h"

#include "document/Cp1252.h"
#include "document/Notation.h"
#include "formats/ChordSheetLines.h"
#include "io/RegularFile.h"
#include "music/SongNotation.h"
#include "music/Transpose.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <utility>

namespace versino::chordsheet {
namespace {

constexpr char kDegree = '\xB0'; // "°"

void appendChordName(std::string& out, std::string_view name, Report& report) {
    if (name.find(kDegree) == std::string_view::npos) {
        notation::appendChord(out, name);
        return;
    }
    std::string plain(name);
    for (char& c : plain)
        if (c == kDegree) {
            c = 'o';
            ++report.degreeSigns;
        }
    notation::appendChord(out, plain);
}

void appendText(std::string& out, std::string_view text, Report& report) {
    report.lessThanSigns += int(notation::appendLyricText(out, text));
}

std::vector<Symbol> symbolsOf(std::string_view line) {
    std::vector<Symbol> symbols;
    chordSymbols(line, &symbols);
    return symbols;
}

// The chords of `chords` put into `text`, each in front of the character in its column; those past
// the end of the text after blanks up to their column.
std::string merge(std::string_view chords, std::string_view text, Report& report) {
    const std::vector<Symbol> symbols = symbolsOf(chords);
    std::string out;
    out.reserve(text.size() + chords.size());
    std::size_t next = 0;
    int column = 0;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int end = text[i] == '\t' ? (column / kTabWidth + 1) * kTabWidth : column + 1;
        if (next < symbols.size() && symbols[next].column < end) {
            appendText(out, text.substr(copied, i - copied), report);
            copied = i;
            for (; next < symbols.size() && symbols[next].column < end; ++next)
                appendChordName(out, symbols[next].text, report);
        }
        column = end;
    }
    appendText(out, text.substr(copied), report);
    for (; next < symbols.size(); ++next) {
        out.append(std::size_t(std::max(0, symbols[next].column - column)), ' ');
        column = std::max(column, symbols[next].column);
        appendChordName(out, symbols[next].text, report);
    }
    return out;
}

// A row of chords without text below it keeps its spacing ("G  Em  G  Em"), from the first chord.
std::string chordsAlone(std::string_view chords, Report& report) {
    std::string out;
    int end = -1; // the column after the symbol before
    for (const Symbol& s : symbolsOf(chords)) {
        if (end >= 0)
            out.append(std::size_t(std::max(1, s.column - end)), ' ');
        appendChordName(out, s.text, report);
        end = s.column + int(s.text.size());
    }
    return out;
}

// The length of the web's chord markup at `at` ("[ch]", "[/ch]", "[tab]", "[/tab]"), else 0.
std::size_t markupAt(std::string_view text, std::size_t at) {
    for (std::string_view tag : {"[ch]", "[/ch]", "[tab]", "[/tab]"})
        if (text.substr(at, tag.size()) == tag)
            return tag.size();
    return 0;
}

// Drops control characters but tab from each line, counting them, and the chord markup of sheets
// from the web, whose columns are counted without it.
std::vector<std::string_view> splitLines(std::string& text, Report& report) {
    std::size_t w = 0;
    for (std::size_t r = 0; r < text.size(); ++r) {
        const char c = text[r];
        const auto b = static_cast<unsigned char>(c);
        if ((b < 32 && c != '\t' && c != '\n') || b == 127) {
            ++report.controlCharacters;
        } else if (const std::size_t tag = c == '[' ? markupAt(text, r) : 0) {
            r += tag - 1;
        } else {
            text[w++] = c;
        }
    }
    text.resize(w);
    std::vector<std::string_view> lines;
    const std::string_view all(text);
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        lines.push_back(all.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

struct Converted {
    std::vector<std::string> lines;
    std::vector<Kind> kinds; // of the source line each comes from (Chords for merged lines too)
};

Converted convert(const std::vector<std::string_view>& lines, const std::vector<Kind>& kinds,
                  std::size_t from, Report& report) {
    Converted out;
    out.lines.reserve(lines.size() - from);
    out.kinds.reserve(lines.size() - from);
    bool leftOut = false; // the lines just before were left out
    for (std::size_t i = from; i < lines.size(); ++i) {
        const Kind kind = kinds[i];
        switch (kind) {
        case Kind::Tablature:
            ++report.tablatureLines;
            leftOut = true;
            continue;
        case Kind::Diagram:
            ++report.diagramLines;
            leftOut = true;
            continue;
        case Kind::Underline: // part of the label above
            continue;
        case Kind::Capo: // it is in the capo field
            leftOut = true;
            continue;
        case Kind::Blank:
            // A block left out between blank lines leaves one blank line, not two.
            if (std::exchange(leftOut, false) && !out.lines.empty() && out.lines.back().empty())
                continue;
            out.lines.emplace_back();
            break;
        case Kind::Chords:
            leftOut = false;
            if (i + 1 < lines.size() && kinds[i + 1] == Kind::Text) {
                out.lines.push_back(merge(lines[i], lines[i + 1], report));
                ++i;
            } else {
                out.lines.push_back(chordsAlone(lines[i], report));
            }
            break;
        default: {
            leftOut = false;
            std::string line;
            appendText(line, lines[i], report);
            out.lines.push_back(std::move(line));
        }
        }
        out.kinds.push_back(kind);
    }
    return out;
}

bool isUnderline(std::string_view line) {
    const std::string_view t = ascii::trimSpaces(line);
    return t.size() >= 3 && t.find_first_not_of(t[0]) == std::string_view::npos &&
           (t[0] == '-' || t[0] == '=' || t[0] == '_');
}

std::vector<Kind> classifyAll(const std::vector<std::string_view>& lines) {
    std::vector<Kind> kinds;
    kinds.reserve(lines.size());
    for (std::string_view l : lines) {
        // A label's underline ("Chorus:" over "-------") belongs to the label.
        if (!kinds.empty() && kinds.back() == Kind::Label && isUnderline(l)) {
            kinds.push_back(Kind::Underline);
            continue;
        }
        kinds.push_back(classify(l));
    }
    return kinds;
}

// "Title - Performer" (also with an en or em dash); nothing when the line has no such dash.
std::optional<std::pair<std::string_view, std::string_view>> splitHeader(std::string_view line) {
    for (std::string_view dash : {" - ", " \x96 ", " \x97 "}) {
        const std::size_t at = line.find(dash);
        if (at != std::string_view::npos)
            return std::make_pair(ascii::trimSpaces(line.substr(0, at)),
                                  ascii::trimSpaces(line.substr(at + dash.size())));
    }
    return std::nullopt;
}

// The lines of the chorus block after the label at `label`: up to a blank line, a label or the end.
std::size_t blockEnd(const Converted& c, std::size_t label) {
    std::size_t end = label + 1;
    while (end < c.lines.size() && c.kinds[end] != Kind::Blank && c.kinds[end] != Kind::Label)
        ++end;
    return end;
}

// Takes the chorus out of the lyrics when it is clearly one block: every chorus label is followed
// either by nothing (a call of the chorus) or by the same lines, and at least one by lines. Each
// label becomes ">>Refrain" and the lines go into the chorus field once. In any doubt nothing moves.
void takeChorus(Converted& c, std::string& chorusField) {
    std::vector<std::size_t> labels;
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        bool chorus = false;
        if (c.kinds[i] == Kind::Label && isLabel(ascii::trimSpaces(c.lines[i]), &chorus) && chorus)
            labels.push_back(i);
    }
    std::optional<std::pair<std::size_t, std::size_t>> body;
    for (std::size_t label : labels) {
        const std::size_t end = blockEnd(c, label);
        if (end == label + 1)
            continue;
        if (!body) {
            body = std::make_pair(label + 1, end);
            continue;
        }
        if (end - label - 1 != body->second - body->first ||
            !std::equal(c.lines.begin() + long(label) + 1, c.lines.begin() + long(end),
                        c.lines.begin() + long(body->first)))
            return;
    }
    if (!body)
        return;
    for (std::size_t i = body->first; i < body->second; ++i) {
        chorusField += c.lines[i];
        chorusField += "\r\n";
    }
    std::vector<bool> drop(c.lines.size(), false);
    for (std::size_t label : labels) {
        c.lines[label] = std::string(notation::directiveLine(notation::Directive::Refrain));
        for (std::size_t i = label + 1, end = blockEnd(c, label); i < end; ++i)
            drop[i] = true;
    }
    std::size_t w = 0;
    for (std::size_t i = 0; i < c.lines.size(); ++i)
        if (!drop[i]) {
            if (w != i) {
                c.lines[w] = std::move(c.lines[i]);
                c.kinds[w] = c.kinds[i];
            }
            ++w;
        }
    c.lines.resize(w);
    c.kinds.resize(w);
}

std::string joinLyrics(const std::vector<std::string>& lines) {
    std::size_t first = 0, last = lines.size();
    while (first < last && lines[first].empty())
        ++first;
    while (last > first && lines[last - 1].empty())
        --last;
    std::size_t size = 0;
    for (std::size_t i = first; i < last; ++i)
        size += lines[i].size() + 2;
    std::string out;
    out.reserve(size);
    for (std::size_t i = first; i < last; ++i) {
        out += lines[i];
        out += "\r\n";
    }
    return out;
}

} // namespace

bool Report::empty() const {
    return tablatureLines == 0 && diagramLines == 0 && controlCharacters == 0 && lessThanSigns == 0 &&
           degreeSigns == 0 && replaced.empty() && !assumedNotation;
}

QString Report::message() const {
    if (empty())
        return {};
    QStringList parts;
    if (tablatureLines > 0)
        parts << QStringLiteral("%1 \u00D7 Tabulaturzeile ausgelassen").arg(tablatureLines);
    if (diagramLines > 0)
        parts << QStringLiteral("%1 \u00D7 Griffbild (wie \u201EAm: x02210\u201C) ausgelassen")
                     .arg(diagramLines);
    if (!replaced.empty()) {
        cp1252::ImportedText counted;
        counted.replaced = replaced;
        parts << counted.summary();
    }
    if (lessThanSigns > 0)
        parts << QStringLiteral("%1 \u00D7 \u201E<\u201C als \u201E\u2039\u201C \u00FCbernommen")
                     .arg(lessThanSigns);
    if (degreeSigns > 0)
        parts << QStringLiteral("%1 \u00D7 \u201E\u00B0\u201C in Akkorden als \u201Eo\u201C \u00FCbernommen")
                     .arg(degreeSigns);
    if (controlCharacters > 0)
        parts << QStringLiteral("%1 \u00D7 Steuerzeichen entfernt").arg(controlCharacters);
    if (assumedNotation == transpose::Notation::International)
        parts << QStringLiteral("Akkorde in internationaler Schreibweise gelesen: \u201EB\u201C ist das deutsche "
                                "\u201EH\u201C, \u201EBb\u201C das deutsche \u201EB\u201C");
    else if (assumedNotation == transpose::Notation::German)
        parts << QStringLiteral("Akkorde in deutscher Schreibweise gelesen: \u201EH\u201C ist das internationale "
                                "\u201EB\u201C, \u201EB\u201C das internationale \u201EBb\u201C");
    return QStringLiteral("Der Akkordtext wurde nicht ganz unver\u00E4ndert \u00FCbernommen:\n") +
           parts.join(QLatin1Char('\n'));
}

Import parse(std::string_view bytes, const QString& fileName, const std::array<FontSetting, 4>& fontsBefore) {
    cp1252::ImportedText imported = cp1252::importBytes(bytes);
    Import result;
    result.content.fonts = fontsBefore;
    Report& report = result.report;
    report.replaced = std::move(imported.replaced);
    const std::vector<std::string_view> lines = splitLines(imported.text, report);
    std::vector<Kind> kinds = classifyAll(lines);

    auto& texts = result.content.texts;
    // The first capo line above the first chords gives the capo field.
    for (std::size_t i = 0; i < lines.size() && kinds[i] != Kind::Chords; ++i)
        if (kinds[i] == Kind::Text)
            if (const std::optional<std::string_view> fret = capoOf(ascii::trimSpaces(lines[i]))) {
                texts[std::size_t(FieldId::Kapo)] = std::string(*fret);
                kinds[i] = Kind::Capo;
                break;
            }
    std::string& title = texts[std::size_t(FieldId::Titel)];
    std::size_t first = 0;
    while (first < lines.size() && kinds[first] == Kind::Blank)
        ++first;
    std::size_t from = 0;
    if (first < lines.size() && kinds[first] == Kind::Text) {
        const bool blankFollows = first + 1 < lines.size() && kinds[first + 1] == Kind::Blank;
        if (const auto header = splitHeader(lines[first])) {
            appendText(title, header->first, report);
            appendText(texts[std::size_t(FieldId::Interpret)], header->second, report);
            from = first + 1;
        } else if (blankFollows) {
            appendText(title, ascii::trimSpaces(lines[first]), report);
            from = first + 1;
        }
    }
    if (title.empty())
        title = cp1252::fromUnicode(QFileInfo(fileName).completeBaseName());

    Converted converted = convert(lines, kinds, from, report);
    takeChorus(converted, texts[std::size_t(FieldId::Refrain)]);
    texts[std::size_t(FieldId::Text)] = joinLyrics(converted.lines);
    // Sheets from the web are international unless a chord shows German.
    const std::vector<std::string_view> chordTexts = {texts[std::size_t(FieldId::Text)],
                                                      texts[std::size_t(FieldId::Refrain)]};
    const transpose::Notation notation = transpose::importedNotation(chordTexts);
    transpose::markImportedNotation(result.content.options, notation, chordTexts);
    if (transpose::notationMatters(chordTexts))
        report.assumedNotation = notation;
    return result;
}

std::optional<Pasted> convertPaste(const QString& text) {
    cp1252::ImportedText imported = cp1252::importUnicode(text);
    Pasted pasted;
    pasted.report.replaced = std::move(imported.replaced);
    const bool finalBreak = !imported.text.empty() && imported.text.back() == '\n';
    const std::vector<std::string_view> lines = splitLines(imported.text, pasted.report);
    const std::vector<Kind> kinds = classifyAll(lines);
    bool sheet = false;
    for (std::size_t i = 0; i + 1 < kinds.size() && !sheet; ++i)
        sheet = kinds[i] == Kind::Chords && kinds[i + 1] == Kind::Text;
    if (!sheet)
        return std::nullopt;
    const std::vector<std::string> out = convert(lines, kinds, 0, pasted.report).lines;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i > 0)
            pasted.text += '\n';
        pasted.text += out[i];
    }
    if (finalBreak)
        pasted.text += '\n';
    return pasted;
}

Report ReadChordSheetFile(SongDocument& doc, const QString& path) {
    Import result =
        parse(readRegularFile(path), path, {doc.TitelFont, doc.InterpretFont, doc.TextFont, doc.AkkordFont});
    applyLayoutContent(doc, std::move(result.content));
    return std::move(result.report);
}

} // namespace versino::chordsheet

