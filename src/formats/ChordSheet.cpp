#include "formats/ChordSheet.h"

#include "document/Cp1252.h"
#include "document/Notation.h"
#include "io/RegularFile.h"
#include "music/Transpose.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <utility>

namespace versino::chordsheet {
namespace {

constexpr int kTabWidth = 8;
constexpr char kDegree = '\xB0'; // "°"

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Calls fn(word, column) for each blank-separated word, with the column it starts in (tab stops
// every eight columns; one byte is one character of Windows-1252).
template <typename Fn> void forEachWord(std::string_view line, Fn&& fn) {
    int column = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == '\t') {
            column = (column / kTabWidth + 1) * kTabWidth;
            ++i;
        } else if (line[i] == ' ') {
            ++column, ++i;
        } else {
            const std::size_t start = i;
            while (i < line.size() && !isBlank(line[i]))
                ++i;
            if (!fn(line.substr(start, i - start), column))
                return;
            column += int(i - start);
        }
    }
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    forEachWord(line, [&](std::string_view w, int) {
        out.push_back(w);
        return true;
    });
    return out;
}

// What may follow a chord's root: quality words, alterations, extensions, and the signs chord
// charts use around them. Anything else ("Am," or "Bass") makes the word lyric text.
bool isStrictSuffix(std::string_view s) {
    static constexpr std::string_view kWords[] = {"maj",  "Maj", "MAJ", "min", "sus", "dim", "aug", "add",
                                                  "moll", "dur", "alt", "m",   "M",   "j",   "o",   "b"};
    static constexpr std::string_view kSigns = "#+-()/*^'\xB0\xF8"; // "°" and "ø" too
    std::size_t i = 0;
    while (i < s.size()) {
        if (isDigit(s[i]) || kSigns.find(s[i]) != std::string_view::npos) {
            ++i;
            continue;
        }
        std::size_t matched = 0;
        for (std::string_view w : kWords)
            if (s.substr(i, w.size()) == w) {
                matched = w.size();
                break;
            }
        if (matched == 0)
            return false;
        i += matched;
    }
    return true;
}

bool isRealChord(std::string_view w) {
    // An optional chord in parentheses, "(Am)", is a chord written so.
    if (w.size() > 2 && w.front() == '(' && w.back() == ')')
        w = w.substr(1, w.size() - 2);
    if (w == "N.C." || w == "N.C" || w == "NC" || w == "n.c." || w == "N/C")
        return true;
    if (w.empty() || std::string_view("ABCDEFGHabcdefgh").find(w[0]) == std::string_view::npos)
        return false;
    const std::optional<transpose::Chord> chord =
        transpose::parseChord(w, transpose::Notation::International);
    return chord && isStrictSuffix(chord->suffix);
}

bool isBar(std::string_view w) {
    return !w.empty() && w.find_first_not_of("|:%/.") == std::string_view::npos && w != "." && w != ":";
}

// "x2", "2x", "(2x)", "(x3)", "x2)" as written at the end of a line of chords.
bool isRepeatMark(std::string_view w) {
    if (!w.empty() && w.front() == '(')
        w.remove_prefix(1);
    if (!w.empty() && w.back() == ')')
        w.remove_suffix(1);
    if (w.size() < 2)
        return false;
    std::string_view digits;
    if (w.front() == 'x' || w.front() == 'X')
        digits = w.substr(1);
    else if (w.back() == 'x' || w.back() == 'X')
        digits = w.substr(0, w.size() - 1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), isDigit);
}

// One symbol of a chord line at its column. Bars glued to a chord ("|Am", "G|") stand apart.
struct Symbol {
    int column = 0;
    std::string_view text;
    bool chord = false;
};

// The symbols of a line when it is a chord line; false (and `out` unspecified) when it is not.
bool chordSymbols(std::string_view line, std::vector<Symbol>* out) {
    bool anyChord = false;
    bool ok = true;
    forEachWord(line, [&](std::string_view w, int column) {
        // "|", "||", "|:" before a chord and "|", ":|" after it
        std::size_t lead = 0;
        while (lead < w.size() && (w[lead] == '|' || (lead > 0 && w[lead] == ':')))
            ++lead;
        std::size_t tail = w.size();
        while (tail > lead && (w[tail - 1] == '|' || (tail < w.size() && w[tail - 1] == ':')))
            --tail;
        const std::string_view core = w.substr(lead, tail - lead);
        bool chord = false;
        if (!core.empty()) {
            chord = isRealChord(core);
            if (!chord && !isBar(w) && !isRepeatMark(core) && core != "-") {
                ok = false;
                return false;
            }
            if (!chord && isBar(w)) { // "|:" and ":|" are one bar sign
                if (out)
                    out->push_back({column, w, false});
                return true;
            }
        }
        anyChord = anyChord || chord;
        if (out) {
            if (lead > 0)
                out->push_back({column, w.substr(0, lead), false});
            if (!core.empty() && core != "-")
                out->push_back({column + int(lead), core, chord});
            if (tail < w.size())
                out->push_back({column + int(tail), w.substr(tail), false});
        }
        return true;
    });
    return ok && anyChord;
}

// A fingering of a chord diagram: frets or "x"/"o" for each string, written together ("x02210")
// or apart ("x-0-2-2-1-0", "x 0 2 2 1 0"). Returns how many strings the word gives, 0 for none.
int fingeringPositions(std::string_view w) {
    if (w.empty() || w.find_first_not_of("0123456789xXoO-,") != std::string_view::npos ||
        w.find_first_not_of("-,") == std::string_view::npos)
        return 0;
    if (w.find_first_of("-,") == std::string_view::npos)
        return int(w.size());
    int parts = 0;
    bool inPart = false;
    for (char c : w) {
        const bool sep = c == '-' || c == ',';
        if (!sep && !inPart)
            ++parts;
        inPart = !sep;
    }
    return parts;
}

// "Am: x02210", "C x32010  G 320003", "D/F#: 2-x-0-2-3-2".
bool isDiagramLine(std::string_view line) {
    // Most lines are lyrics: their first word settles it without splitting the line.
    std::string_view first = line.substr(0, std::min(line.find_first_of(" \t"), line.size()));
    if (!first.empty() && first.back() == ':')
        first.remove_suffix(1);
    if (!isRealChord(first))
        return false;
    const std::vector<std::string_view> w = words(line);
    std::size_t i = 0;
    bool any = false;
    while (i < w.size()) {
        std::string_view name = w[i++];
        if (!name.empty() && name.back() == ':')
            name.remove_suffix(1);
        if (!isRealChord(name))
            return false;
        if (i < w.size() && w[i] == ":")
            ++i;
        int positions = 0;
        for (int p; i < w.size() && (p = fingeringPositions(w[i])) > 0; ++i)
            positions += p;
        if (positions < 4)
            return false;
        any = true;
    }
    return any;
}

// "e|---3---|", "B|-1h3-|", "|--0--|", "E ----0----".
bool isTablatureLine(std::string_view t) {
    std::size_t i = 0;
    bool named = false; // a string's name before a bar: "e|", "G#|"
    if (std::string_view("EADGBHeadgbh").find(t[0]) != std::string_view::npos) {
        i = 1;
        if (i < t.size() && (t[i] == '#' || t[i] == 'b'))
            ++i;
        named = i < t.size() && (t[i] == '|' || t[i] == ':');
        while (i < t.size() && isBlank(t[i]))
            ++i;
        if (i >= t.size() || (t[i] != '|' && t[i] != ':' && t[i] != '-'))
            return false;
    } else if (t[0] != '|') {
        return false;
    }
    const std::string_view rest = t.substr(i);
    if (rest.find_first_not_of("-|:0123456789hpbrsxXtvo/\\~^()<>.*= \t") != std::string_view::npos)
        return false;
    // Without a string's name only a run of dashes tells a tablature from "E - - -" beats.
    return named ? std::count(rest.begin(), rest.end(), '-') >= 2
                 : rest.find("---") != std::string_view::npos;
}

enum class Kind { Blank, Tablature, Diagram, Chords, Label, Text, Capo };

// "Capo 2", "Kapo: 3", "Capo on 2", "capo 2nd fret", "Capo 3. Bund": the fret, or nothing.
std::optional<std::string_view> capoOf(std::string_view t) {
    if (t.size() < 5 || t.size() > 30)
        return std::nullopt;
    const std::string head = lower(t.substr(0, 4));
    if (head != "capo" && head != "kapo")
        return std::nullopt;
    std::size_t i = 4;
    while (i < t.size() && (isBlank(t[i]) || t[i] == ':'))
        ++i;
    if (lower(t.substr(i, 3)) == "on ")
        i += 3;
    const std::size_t digits = i;
    while (i < t.size() && isDigit(t[i]))
        ++i;
    if (i == digits || i - digits > 2)
        return std::nullopt;
    const std::string rest = lower(trim(t.substr(i)));
    for (const char* tail : {"", ".", "st", "nd", "rd", "th", "fret", "st fret", "nd fret", "rd fret",
                             "th fret", ". bund", ". fret"})
        if (rest == tail)
            return t.substr(digits, i - digits);
    return std::nullopt;
}

bool isSectionWord(const std::string& w) {
    static const char* const kWords[] = {
        "verse",        "vers",  "strophe",    "chorus",        "refrain",     "ref",       "bridge",
        "intro",        "outro", "pre-chorus", "prechorus",     "post-chorus", "interlude", "solo",
        "instrumental", "coda",  "ending",     "zwischenspiel", "vorspiel",    "nachspiel", "schluss",
        "schlu\xDF",    "hook",  "break",      "zwischenteil"};
    return std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords);
}

bool isChorusWord(const std::string& w) {
    return w == "chorus" || w == "refrain" || w == "ref";
}

// A section label: "[Verse 1]", "Chorus:", "Refrain", "Strophe 2", "2. Strophe", "Chorus (x2)".
// Returns the label's section words through `chorus`: true when it names the chorus alone.
bool isLabel(std::string_view t, bool* chorus = nullptr) {
    if (t.size() > 60)
        return false;
    bool bracketed = false;
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        t = trim(t.substr(1, t.size() - 2));
        if (t.empty() || t.find_first_of("[]") != std::string_view::npos)
            return false;
        bracketed = true;
    }
    if (!t.empty() && t.back() == ':')
        t = trim(t.substr(0, t.size() - 1));
    const std::vector<std::string_view> w = words(t);
    if (w.empty() || w.size() > 4)
        return bracketed;
    int sections = 0;
    bool onlyChorus = true;
    for (std::string_view word : w) {
        std::string s = lower(word);
        while (!s.empty() && (s.back() == ':' || s.back() == '.'))
            s.pop_back();
        if (isSectionWord(s)) {
            ++sections;
            onlyChorus = onlyChorus && isChorusWord(s);
        } else if (!(s == "repeat" || s == "wdh" || s == "wiederholung" || isRepeatMark(s) ||
                     (!s.empty() && std::all_of(s.begin(), s.end(), isDigit)))) {
            return bracketed;
        }
    }
    if (chorus)
        *chorus = sections > 0 && onlyChorus;
    return bracketed || sections > 0;
}

Kind classify(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty())
        return Kind::Blank;
    if (isTablatureLine(t))
        return Kind::Tablature;
    if (isDiagramLine(t))
        return Kind::Diagram;
    if (chordSymbols(t, nullptr))
        return Kind::Chords;
    if (isLabel(t))
        return Kind::Label;
    return Kind::Text;
}

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

std::string chordsAlone(std::string_view chords, Report& report) {
    std::string out;
    for (const Symbol& s : symbolsOf(chords)) {
        if (!out.empty())
            out += ' ';
        appendChordName(out, s.text, report);
    }
    return out;
}

// Drops control characters but tab from each line, counting them.
std::vector<std::string_view> splitLines(std::string& text, Report& report) {
    std::size_t w = 0;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 32 && c != '\t' && c != '\n') || b == 127)
            ++report.controlCharacters;
        else
            text[w++] = c;
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

std::vector<Kind> classifyAll(const std::vector<std::string_view>& lines) {
    std::vector<Kind> kinds;
    kinds.reserve(lines.size());
    for (std::string_view l : lines)
        kinds.push_back(classify(l));
    return kinds;
}

// "Title - Performer" (also with an en or em dash); nothing when the line has no such dash.
std::optional<std::pair<std::string_view, std::string_view>> splitHeader(std::string_view line) {
    for (std::string_view dash : {" - ", " \x96 ", " \x97 "}) {
        const std::size_t at = line.find(dash);
        if (at != std::string_view::npos)
            return std::make_pair(trim(line.substr(0, at)), trim(line.substr(at + dash.size())));
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
        if (c.kinds[i] == Kind::Label && isLabel(trim(c.lines[i]), &chorus) && chorus)
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

bool isChordSheetFile(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
}

bool Report::empty() const {
    return tablatureLines == 0 && diagramLines == 0 && controlCharacters == 0 && lessThanSigns == 0 &&
           degreeSigns == 0 && replaced.empty();
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
    return QStringLiteral("Der Akkordtext wurde nicht ganz unver\u00E4ndert \u00FCbernommen:\n") +
           parts.join(QLatin1Char('\n'));
}

bool isChordLine(std::string_view line) {
    return classify(line) == Kind::Chords;
}

std::vector<std::string> convertLines(const std::vector<std::string_view>& lines, Report& report) {
    return convert(lines, classifyAll(lines), 0, report).lines;
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
            if (const std::optional<std::string_view> fret = capoOf(trim(lines[i]))) {
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
            appendText(title, trim(lines[first]), report);
            from = first + 1;
        }
    }
    if (title.empty())
        title = cp1252::fromUnicode(QFileInfo(fileName).completeBaseName());

    Converted converted = convert(lines, kinds, from, report);
    takeChorus(converted, texts[std::size_t(FieldId::Refrain)]);
    texts[std::size_t(FieldId::Text)] = joinLyrics(converted.lines);
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
