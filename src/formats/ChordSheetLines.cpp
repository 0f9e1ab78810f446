#include "formats/ChordSheetLines.h"

#include "music/Transpose.h"

#include <algorithm>

namespace versino::chordsheet {
namespace {

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
    static constexpr std::string_view kWords[] = {"maj", "Maj", "MAJ", "min", "sus", "dim", "aug",
                                                  "add", "moll", "dur", "alt", "mi",  "ma",  "m",
                                                  "M",   "j",    "o",   "b"};
    static constexpr std::string_view kSigns = "#+-()/*^'\xB0\xF8"; // "°" and "ø" too
    std::size_t i = 0;
    while (i < s.size()) {
        // A fret in Roman numerals: "D(II)", "A(VII)".
        if (s[i] == '(') {
            const std::size_t close = s.find(')', i);
            const std::string_view inner = s.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            if (!inner.empty() && inner.find_first_not_of("IVX") == std::string_view::npos) {
                i = close + 1;
                continue;
            }
        }
        if (ascii::isDigit(s[i]) || kSigns.find(s[i]) != std::string_view::npos) {
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
    if (transpose::isNoChord(w))
        return true;
    if (w.empty() || std::string_view("ABCDEFGHabcdefgh").find(w[0]) == std::string_view::npos)
        return false;
    const std::optional<transpose::Chord> chord =
        transpose::parseChord(w, transpose::Notation::International);
    return chord && isStrictSuffix(chord->suffix);
}

bool isBar(std::string_view w) {
    return transpose::isBarSymbol(w);
}

// Chords in parentheses written together, "(F)(F/C)(D/A)": the end of each but the last, or
// nothing when the word is not such a row.
std::vector<std::size_t> gluedChordEnds(std::string_view w) {
    std::vector<std::size_t> ends;
    if (w.size() < 6 || w.front() != '(' || w.back() != ')' || w.find(")(") == std::string_view::npos)
        return ends;
    std::size_t start = 0;
    while (start < w.size()) {
        const std::size_t close = w.find(')', start);
        if (w[start] != '(' || close == std::string_view::npos || !isRealChord(w.substr(start, close - start + 1)))
            return {};
        ends.push_back(close + 1);
        start = close + 1;
    }
    ends.pop_back();
    return ends;
}

// "x2", "2x", "(2x)", "(x3)", "x2)" as written at the end of a line of chords.
bool isRepeatMark(std::string_view w) {
    if (!w.empty() && w.front() == '(')
        w.remove_prefix(1);
    if (!w.empty() && w.back() == ')')
        w.remove_suffix(1);
    if (w.size() < 2 || w.size() > 3) // "x32010" is a fingering, not thirty-two thousand times
        return false;
    std::string_view digits;
    if (w.front() == 'x' || w.front() == 'X')
        digits = w.substr(1);
    else if (w.back() == 'x' || w.back() == 'X')
        digits = w.substr(0, w.size() - 1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), ascii::isDigit);
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

// A fingering word without the sign that joins it to its chord: "-x24432", ":x02210".
std::string_view fingeringOf(std::string_view w) {
    if (w.size() > 4 && (w.front() == '-' || w.front() == ':'))
        w.remove_prefix(1);
    return w;
}

// "Am: x02210", "C x32010  G 320003", "D/F#: 2-x-0-2-3-2", "Bm -x24432".
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
        if (i < w.size() && (w[i] == ":" || w[i] == "-")) // "Am: x02210", "C - x32010"
            ++i;
        int positions = 0;
        for (int p; i < w.size() && (p = fingeringPositions(fingeringOf(w[i]))) > 0; ++i)
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
    bool named = false;  // a string's name before a bar: "e|", "G#|"
    bool barred = false; // and the bar itself written
    if (std::string_view("EADGBHeadgbh").find(t[0]) != std::string_view::npos) {
        i = 1;
        if (i < t.size() && (t[i] == '#' || t[i] == 'b'))
            ++i;
        named = i < t.size() && (t[i] == '|' || t[i] == ':');
        barred = named;
        // "B--/5--5-8--": the string's name joined to a run of dashes names it as well.
        named = named || t.substr(i, 2) == "--";
        while (i < t.size() && ascii::isSpaceOrTab(t[i]))
            ++i;
        if (i >= t.size() || (t[i] != '|' && t[i] != ':' && t[i] != '-'))
            return false;
    } else if (t[0] != '|') {
        return false;
    }
    const std::string_view rest = t.substr(i);
    constexpr std::string_view kMarks = "-|:0123456789hpbrsxXtvo/\\~^()<>.*= \t";
    if (rest.find_first_not_of(kMarks) != std::string_view::npos) {
        // After a string's name and its bar, any letters are playing marks: "D|---2L-|".
        const bool marked = barred && std::count(rest.begin(), rest.end(), '-') >= 3 &&
                            std::all_of(rest.begin(), rest.end(), [&](char c) {
                                return kMarks.find(c) != std::string_view::npos ||
                                       ascii::toLower(c) != ascii::toUpper(c);
                            });
        if (!marked)
            return false;
    }
    // Without a string's name only a run of dashes tells a tablature from "E - - -" beats.
    return named ? std::count(rest.begin(), rest.end(), '-') >= 2
                 : rest.find("---") != std::string_view::npos;
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

constexpr std::string_view kArabic[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

} // namespace

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
        if (const std::vector<std::size_t> ends = gluedChordEnds(core); !ends.empty()) {
            anyChord = true;
            if (out) {
                std::size_t from = 0;
                for (std::size_t end : ends) {
                    out->push_back({column + int(lead + from), core.substr(from, end - from), true});
                    from = end;
                }
                out->push_back({column + int(lead + from), core.substr(from), true});
            }
            return true;
        }
        bool chord = false;
        if (!core.empty()) {
            chord = isRealChord(core);
            // "-" holds a beat, "x" marks a muted one: neither is a chord nor text.
            if (!chord && (core == "x" || core == "X"))
                return true;
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

std::optional<std::string_view> capoOf(std::string_view t) {
    if (t.size() < 5 || t.size() > 30)
        return std::nullopt;
    const std::string head = ascii::lower(t.substr(0, 4));
    if (head != "capo" && head != "kapo")
        return std::nullopt;
    std::size_t i = 4;
    while (i < t.size() && (ascii::isSpaceOrTab(t[i]) || t[i] == ':'))
        ++i;
    if (ascii::lower(t.substr(i, 3)) == "on ")
        i += 3;
    const std::size_t digits = i;
    while (i < t.size() && ascii::isDigit(t[i]))
        ++i;
    if (i == digits) {
        // "Capo IV": the fret in Roman numerals, I to XII.
        static constexpr std::string_view kRoman[] = {"I",   "II",   "III", "IV", "V",  "VI",
                                                      "VII", "VIII", "IX",  "X",  "XI", "XII"};
        std::size_t end = i;
        while (end < t.size() && std::string_view("IVX").find(t[end]) != std::string_view::npos)
            ++end;
        const auto found = std::find(std::begin(kRoman), std::end(kRoman), t.substr(i, end - i));
        if (found == std::end(kRoman) || !ascii::trimSpaces(t.substr(end)).empty())
            return std::nullopt;
        return kArabic[std::size_t(found - std::begin(kRoman))];
    }
    if (i - digits > 2)
        return std::nullopt;
    const std::string rest = ascii::lower(ascii::trimSpaces(t.substr(i)));
    for (const char* tail : {"", ".", "st", "nd", "rd", "th", "fret", "st fret", "nd fret", "rd fret",
                             "th fret", ". bund", ". fret"})
        if (rest == tail)
            return t.substr(digits, i - digits);
    return std::nullopt;
}

bool isLabel(std::string_view t, bool* chorus) {
    if (t.size() > 60)
        return false;
    bool bracketed = false;
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        t = ascii::trimSpaces(t.substr(1, t.size() - 2));
        if (t.empty() || t.find_first_of("[]") != std::string_view::npos)
            return false;
        bracketed = true;
    }
    if (!t.empty() && t.back() == ':')
        t = ascii::trimSpaces(t.substr(0, t.size() - 1));
    const std::vector<std::string_view> w = words(t);
    if (w.empty() || w.size() > 4)
        return bracketed;
    int sections = 0;
    bool onlyChorus = true;
    for (std::string_view word : w) {
        std::string s = ascii::lower(word);
        while (!s.empty() && (s.back() == ':' || s.back() == '.'))
            s.pop_back();
        if (isSectionWord(s)) {
            ++sections;
            onlyChorus = onlyChorus && isChorusWord(s);
        } else if (!(s == "repeat" || s == "wdh" || s == "wiederholung" || isRepeatMark(s) ||
                     (!s.empty() && std::all_of(s.begin(), s.end(), ascii::isDigit)))) {
            return bracketed;
        }
    }
    if (chorus)
        *chorus = sections > 0 && onlyChorus;
    return bracketed || sections > 0;
}

Kind classify(std::string_view line) {
    const std::string_view t = ascii::trimSpaces(line);
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

} // namespace versino::chordsheet
