#include "music/Transpose.h"

#include "document/AsciiText.h"
#include "document/Notation.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace versino::transpose {
namespace {

struct Note {
    int pitch = 0;
    int accidental = 0; // -1, 0, +1 as written
    bool lowerCase = false;
    bool germanForms = true;
    std::size_t length = 0;
};

bool startsWith(std::string_view s, std::size_t pos, std::string_view prefix) {
    return s.substr(pos, prefix.size()) == prefix;
}

int mod12(int v) {
    return ((v % 12) + 12) % 12;
}

using ascii::isUpper;
using ascii::toLower;
using ascii::toUpper;

std::optional<Note> parseNote(std::string_view s, Notation notation) {
    if (s.empty())
        return std::nullopt;
    const char up = toUpper(s[0]);
    int pitch = 0;
    switch (up) {
    case 'C': pitch = 0; break;
    case 'D': pitch = 2; break;
    case 'E': pitch = 4; break;
    case 'F': pitch = 5; break;
    case 'G': pitch = 7; break;
    case 'A': pitch = 9; break;
    case 'B': pitch = 11; break;
    case 'H': pitch = 11; break;
    default: return std::nullopt;
    }
    Note note;
    note.lowerCase = !isUpper(s[0]);
    note.germanForms = notation == Notation::German;
    std::size_t pos = 1;
    if (up == 'B' && notation == Notation::German) {
        // German B is the flat of H; "Bb" is a common shorthand for the same note, not a double flat.
        note.accidental = -1;
        if (startsWith(s, pos, "b"))
            ++pos, note.germanForms = false;
    } else if (startsWith(s, pos, "#")) {
        note.accidental = 1, ++pos, note.germanForms = false;
    } else if (startsWith(s, pos, "is")) {
        note.accidental = 1, pos += 2, note.germanForms = true;
    } else if ((up == 'A' || up == 'E') && startsWith(s, pos, "s") && !startsWith(s, pos, "sus")) {
        // "As", "Es": but "Asus4" is A with a suspended fourth.
        note.accidental = -1, ++pos, note.germanForms = true;
    } else if (startsWith(s, pos, "es")) {
        note.accidental = -1, pos += 2, note.germanForms = true;
    } else if (startsWith(s, pos, "b")) {
        note.accidental = -1, ++pos, note.germanForms = false;
    }
    note.pitch = mod12(pitch + note.accidental);
    note.length = pos;
    return note;
}

// A suffix that starts with letters must spell a chord quality ("m", "maj7", "sus4", "madd9"):
// "Coda" or "Bass" are words, not chords.
bool isChordSuffix(std::string_view suffix) {
    std::size_t run = 0;
    while (run < suffix.size() && std::isalpha(static_cast<unsigned char>(suffix[run])))
        ++run;
    // "mi" is the Czech and Slovak minor ("Ami", "Hmi7"), "ma" a short major seventh ("Bbma7").
    static constexpr std::array<std::string_view, 15> kWords = {
        "maj", "Maj", "min", "sus", "dim", "aug", "add", "moll", "dur", "mi", "ma", "m", "M", "o", "j"};
    // Which prefixes of the letters the words can spell, so that "mmaj" and "madd" are found too.
    std::vector<std::size_t> reachable(run + 1, 0);
    reachable[0] = 1;
    for (std::size_t i = 0; i < run; ++i) {
        if (!reachable[i])
            continue;
        for (std::string_view w : kWords)
            if (i + w.size() <= run && suffix.substr(i, w.size()) == w)
                reachable[i + w.size()] = 1;
    }
    return reachable[run] != 0;
}

bool sharpKey(int majorKey, bool fromMinor) {
    switch (mod12(majorKey)) {
    case 1:
    case 3:
    case 5:
    case 8:
    case 10:
        return false;
    case 6:
        // F sharp major, but E flat minor: the names these keys are usually written in.
        return !fromMinor;
    default:
        return true;
    }
}

bool minorSuffix(std::string_view suffix) {
    return !suffix.empty() && suffix[0] == 'm' && suffix.substr(0, 2) != "ma";
}

// The Czech and Slovak minor: "mi", "mi7", but not "min".
bool czechMinor(std::string_view suffix) {
    return suffix.substr(0, 2) == "mi" && suffix.substr(0, 3) != "min";
}

// The letter (0 C .. 6 B) a pitch class is written with: a black key takes the letter below it
// when sharp, the one above when flat.
int letterOf(int pitchClass, bool sharp) {
    static constexpr std::array<int, 12> kNatural = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};
    const int pc = mod12(pitchClass);
    if (kNatural[std::size_t(pc)] >= 0)
        return kNatural[std::size_t(pc)];
    return kNatural[std::size_t(mod12(pc + (sharp ? -1 : 1)))];
}

constexpr std::array<int, 7> kLetterPitch = {0, 2, 4, 5, 7, 9, 11};

// How many letters above its root a tone of the chord is written, for a tone `interval`
// semitones above it; nothing when the tone is not one of the chord's own.
std::optional<int> chordToneSteps(const Chord& chord, int interval) {
    const std::string_view s = chord.suffix;
    const bool minor = chord.lowerCase || minorSuffix(s);
    const bool dim = s.find("dim") != std::string_view::npos || (!s.empty() && (s[0] == 'o' || s[0] == '\xF8'));
    const bool aug = s.find("aug") != std::string_view::npos || s.find('+') != std::string_view::npos;
    const bool seventh = s.find('7') != std::string_view::npos;
    const bool majorSeventh = seventh && (s.find("maj") != std::string_view::npos || s.find("ma") == 0 ||
                                          s.find('M') != std::string_view::npos || s.find('j') != std::string_view::npos);
    switch (interval) {
    case 0: return 0;
    case 3: return minor || dim ? std::optional<int>(2) : std::nullopt;
    case 4: return !minor && !dim ? std::optional<int>(2) : std::nullopt;
    case 6: return dim ? std::optional<int>(4) : std::nullopt;
    case 7: return !dim && !aug ? std::optional<int>(4) : std::nullopt;
    case 8: return aug ? std::optional<int>(4) : std::nullopt;
    case 10: return seventh && !majorSeventh ? std::optional<int>(6) : std::nullopt;
    case 11: return majorSeventh ? std::optional<int>(6) : std::nullopt;
    default: return std::nullopt;
    }
}

// Whether a bass that is a tone of its chord is written with a sharp, spelled from the chord's
// root ("D/F#": the third of D is an F); nothing when it is no chord tone or needs a double
// accidental, and the key decides.
std::optional<bool> bassSharpFromChord(const Chord& chord, int root, bool rootSharp, int bass) {
    const std::optional<int> steps = chordToneSteps(chord, mod12(bass - root));
    if (!steps)
        return std::nullopt;
    const int letter = (letterOf(root, rootSharp) + *steps) % 7;
    int accidental = mod12(bass - kLetterPitch[std::size_t(letter)]);
    if (accidental > 6)
        accidental -= 12;
    const bool black = letterOf(bass, true) != letterOf(bass, false);
    if (!black) // a white key is written the same either way, unless it needs an accidental ("E#")
        return accidental == 0 ? std::optional<bool>(rootSharp) : std::nullopt;
    if (accidental != 1 && accidental != -1)
        return std::nullopt;
    return accidental > 0;
}

bool isMinor(const Chord& chord) { return chord.lowerCase || minorSuffix(chord.suffix); }

bool sharpFor(const Chord& chord, int semitones) {
    return sharpKey((isMinor(chord) ? chord.root + 3 : chord.root) + semitones, isMinor(chord));
}

std::string writeChord(const Chord& chord, const Options& options, bool sharp, bool forms) {
    // A note that keeps an accidental keeps the forms it was written in.
    const auto formsOf = [&](int pitch, int accidental, bool written) {
        const bool black = pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
        return accidental != 0 && black ? written : forms;
    };
    const int root = mod12(chord.root + options.semitones);
    std::string out = noteName(root, options.notation, sharp, formsOf(root, chord.rootAccidental, chord.germanForms),
                               chord.lowerCase);
    out += chord.suffix;
    if (chord.bass) {
        const int bass = mod12(*chord.bass + options.semitones);
        const bool fromChord = options.bassFromChord || options.spelling == Spelling::Automatic;
        const bool bassSharp = fromChord ? bassSharpFromChord(chord, root, sharp, bass).value_or(sharp) : sharp;
        out += '/';
        out += noteName(bass, options.notation, bassSharp,
                        formsOf(bass, chord.bassAccidental, chord.bassGermanForms), chord.bassLowerCase);
    }
    return out;
}

// Calls f(line, lineEnd) for each line of a text whose lines end in LF or CR LF; lineEnd is the
// line break as it is written (empty after the last line).
template <typename F> void forEachLine(std::string_view text, F&& f) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        std::string_view lineEnd = text.substr(end, end < text.size() ? 1 : 0);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            lineEnd = text.substr(end - 1, lineEnd.size() + 1);
        }
        f(line, lineEnd);
        start = end + 1;
    }
}

// Calls f(chordName) for the name of every chord of a text in the song notation, line by line.
template <typename F> void forEachChordName(std::string_view text, F&& f) {
    forEachLine(text, [&](std::string_view line, std::string_view) {
        notation::forEachPiece(line, [&](const notation::Piece& p) {
            if (p.kind == notation::Piece::Kind::Chord && !p.chord.text.empty())
                f(p.chord.text);
        });
    });
}

// A chord with an accidental, or the German B that is one.
std::optional<Note> firstAccidental(std::string_view name, Notation notation) {
    if (!parseChord(name, notation))
        return std::nullopt;
    const std::optional<Note> root = parseNote(name, notation);
    if (root && root->accidental != 0)
        return root;
    return std::nullopt;
}

} // namespace

std::optional<Chord> parseChord(std::string_view text, Notation notation) {
    const std::optional<Note> root = parseNote(text, notation);
    if (!root)
        return std::nullopt;
    Chord chord;
    chord.root = root->pitch;
    chord.rootAccidental = root->accidental;
    chord.lowerCase = root->lowerCase;
    chord.germanForms = root->germanForms;
    std::string_view rest = text.substr(root->length);
    const std::size_t slash = rest.rfind('/');
    if (slash != std::string_view::npos) {
        const std::string_view after = rest.substr(slash + 1);
        const std::optional<Note> bass = parseNote(after, notation);
        if (bass && bass->length == after.size()) {
            chord.bass = bass->pitch;
            chord.bassAccidental = bass->accidental;
            chord.bassLowerCase = bass->lowerCase;
            chord.bassGermanForms = bass->germanForms;
            rest = rest.substr(0, slash);
        }
    }
    if (!isChordSuffix(rest))
        return std::nullopt;
    chord.suffix = std::string(rest);
    return chord;
}

bool isNoChord(std::string_view text) {
    return text == "N.C." || text == "N.C" || text == "NC" || text == "n.c." || text == "N/C";
}

bool isBarSymbol(std::string_view text) {
    return !text.empty() && text.find_first_not_of("|:%/.") == std::string_view::npos && text != "." &&
           text != ":";
}

bool showsGerman(std::string_view name) {
    const std::optional<Chord> chord = parseChord(name, Notation::German);
    if (!chord)
        return false;
    const char root = toUpper(name[0]);
    if (root == 'H' || czechMinor(chord->suffix))
        return true;
    return root != 'B' && chord->rootAccidental != 0 && chord->germanForms;
}

std::string noteName(int pitchClass, Notation notation, bool sharp, bool germanForms, bool lowerCase) {
    static constexpr std::array<const char*, 12> kSharp = {"C",  "C#", "D",  "D#", "E",  "F",
                                                           "F#", "G",  "G#", "A",  "A#", "B"};
    static constexpr std::array<const char*, 12> kFlat = {"C",  "Db", "D",  "Eb", "E",  "F",
                                                          "Gb", "G",  "Ab", "A",  "Bb", "B"};
    static constexpr std::array<const char*, 12> kIs = {"C",   "Cis", "D",   "Dis", "E",   "F",
                                                        "Fis", "G",   "Gis", "A",   "Ais", "H"};
    static constexpr std::array<const char*, 12> kEs = {"C",   "Des", "D",  "Es", "E", "F",
                                                        "Ges", "G",   "As", "A",  "B", "H"};
    const int pc = mod12(pitchClass);
    std::string name;
    if (germanForms)
        name = sharp ? kIs[pc] : kEs[pc];
    else
        name = sharp ? kSharp[pc] : kFlat[pc];
    if (notation == Notation::German) {
        if (pc == 11)
            name = "H";
        else if (pc == 10 && !sharp)
            name = germanForms ? "B" : "Bb";
    } else {
        if (pc == 11)
            name = "B";
        else if (pc == 10 && !sharp)
            name = "Bb";
    }
    if (lowerCase)
        name[0] = toLower(name[0]);
    return name;
}

std::optional<std::string> transposeChord(std::string_view text, const Options& options) {
    const std::optional<Chord> chord = parseChord(text, options.notation);
    if (!chord)
        return std::nullopt;
    bool sharp = options.spelling == Spelling::Sharp;
    if (options.spelling == Spelling::Automatic)
        sharp = sharpFor(*chord, options.semitones);
    return writeChord(*chord, options, sharp, options.germanForms.value_or(chord->germanForms));
}

std::optional<std::string> internationalName(std::string_view text, Notation notation) {
    const std::optional<Chord> chord = parseChord(text, notation);
    if (!chord)
        return std::nullopt;
    static constexpr std::array<char, 12> kLetter = {'C', '?', 'D', '?', 'E', 'F', '?', 'G', '?', 'A', '?', 'B'};
    const auto name = [](int pitch, int accidental) {
        std::string out(1, kLetter[std::size_t(mod12(pitch - accidental))]);
        if (accidental > 0)
            out += '#';
        else if (accidental < 0)
            out += 'b';
        return out;
    };
    std::string out = name(chord->root, chord->rootAccidental);
    // A small root is the German way of writing minor, "mi" the Czech and Slovak one.
    if (chord->lowerCase && !minorSuffix(chord->suffix))
        out += 'm';
    if (czechMinor(chord->suffix))
        out += 'm' + chord->suffix.substr(2);
    else
        out += chord->suffix;
    if (chord->bass)
        out += '/' + name(*chord->bass, chord->bassAccidental);
    return out;
}

std::optional<std::string> germanName(std::string_view text) {
    const std::optional<Chord> chord = parseChord(text, Notation::International);
    if (!chord)
        return std::nullopt;
    static constexpr std::array<const char*, 12> kLetter = {"C", "", "D", "", "E", "F", "", "G", "", "A", "", "H"};
    const auto name = [](int pitch, int accidental, bool lowerCase) {
        const int natural = mod12(pitch - accidental);
        std::string out = kLetter[std::size_t(natural)];
        if (natural == 11 && accidental < 0)
            out = "B";
        else if (accidental > 0)
            out += "is";
        else if (accidental < 0)
            out += natural == 4 || natural == 9 ? "s" : "es";
        if (lowerCase)
            out[0] = toLower(out[0]);
        return out;
    };
    std::string out = name(chord->root, chord->rootAccidental, chord->lowerCase);
    out += chord->suffix;
    if (chord->bass)
        out += '/' + name(*chord->bass, chord->bassAccidental, chord->bassLowerCase);
    return out;
}

std::string transposeText(std::string_view text, const Options& options, Count& count) {
    Options resolved = options;
    if (!resolved.germanForms)
        resolved.germanForms = resolveForms({text}, options.notation);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    forEachLine(text, [&](std::string_view line, std::string_view lineEnd) {
        notation::forEachPiece(line, [&](const notation::Piece& p) {
            const std::string_view written = line.substr(p.offset, p.length);
            if (p.kind == notation::Piece::Kind::Text || p.chord.text.empty() || isNoChord(p.chord.text) ||
                isBarSymbol(p.chord.text)) {
                out += written;
                return;
            }
            const std::optional<std::string> moved = transposeChord(p.chord.text, resolved);
            if (!moved) {
                ++count.unrecognised;
                std::vector<std::string>& names = count.unrecognisedNames;
                if (names.size() < 10 && std::find(names.begin(), names.end(), p.chord.text) == names.end())
                    names.emplace_back(p.chord.text);
                out += written;
                return;
            }
            ++count.transposed;
            notation::appendChord(out, *moved, p.chord.raised, p.chord.hasRaised);
            if (!p.chord.closed)
                out.pop_back(); // the end of the line closed it, and still does
        });
        out += lineEnd;
    });
    return out;
}

Spelling resolveSpelling(const std::vector<std::string_view>& texts, const Options& options) {
    if (options.spelling != Spelling::Automatic)
        return options.spelling;
    for (std::string_view text : texts) {
        std::optional<Chord> first;
        forEachChordName(text, [&](std::string_view name) {
            if (!first)
                first = parseChord(name, options.notation);
        });
        if (first)
            return sharpFor(*first, options.semitones) ? Spelling::Sharp : Spelling::Flat;
    }
    return Spelling::Sharp;
}

bool resolveForms(const std::vector<std::string_view>& texts, Notation notation) {
    for (std::string_view text : texts) {
        std::optional<Note> first;
        forEachChordName(text, [&](std::string_view name) {
            if (!first)
                first = firstAccidental(name, notation);
        });
        if (first)
            return first->germanForms;
    }
    return notation == Notation::German;
}

Notation guessNotation(const std::vector<std::string_view>& texts) {
    bool flat = false, sharp = false, plainB = false;
    for (std::string_view text : texts) {
        bool german = false;
        forEachChordName(text, [&](std::string_view name) {
            if (!parseChord(name, Notation::German))
                return;
            const char root = toUpper(name[0]);
            const char next = name.size() > 1 ? name[1] : '\0';
            german = german || root == 'H';
            flat = flat || next == 'b';
            sharp = sharp || next == '#';
            plainB = plainB || (root == 'B' && next != 'b' && next != '#' && next != 'i' && next != 'e');
        });
        if (german)
            return Notation::German;
    }
    // A B among chords written with "#" is B natural: in German the song would have an H.
    return flat || (sharp && plainB) ? Notation::International : Notation::German;
}

Notation importedNotation(const std::vector<std::string_view>& texts) {
    bool german = false;
    for (std::string_view text : texts)
        forEachChordName(text, [&](std::string_view name) { german = german || showsGerman(name); });
    return german ? Notation::German : Notation::International;
}

bool notationMatters(const std::vector<std::string_view>& texts) {
    bool matters = false;
    for (std::string_view text : texts)
        forEachChordName(text, [&](std::string_view name) {
            const char root = toUpper(name[0]);
            matters = matters || ((root == 'B' || root == 'H') && parseChord(name, Notation::German));
        });
    return matters;
}

} // namespace versino::transpose
