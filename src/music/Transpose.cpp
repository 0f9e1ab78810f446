#include "music/Transpose.h"

#include <array>
#include <cctype>

namespace versino::transpose {
namespace {

constexpr char kSuperscript = '\xB0';

struct Note {
    int pitch = 0;
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

std::optional<Note> parseNote(std::string_view s, Notation notation) {
    if (s.empty())
        return std::nullopt;
    const char c = s[0];
    const bool lower = std::islower(static_cast<unsigned char>(c)) != 0;
    int pitch = 0;
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'C':
        pitch = 0;
        break;
    case 'D':
        pitch = 2;
        break;
    case 'E':
        pitch = 4;
        break;
    case 'F':
        pitch = 5;
        break;
    case 'G':
        pitch = 7;
        break;
    case 'A':
        pitch = 9;
        break;
    case 'B':
        pitch = notation == Notation::German ? 10 : 11;
        break;
    case 'H':
        pitch = 11;
        break;
    default:
        return std::nullopt;
    }
    Note note;
    note.lowerCase = lower;
    note.germanForms = notation == Notation::German;
    std::size_t pos = 1;
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (startsWith(s, pos, "#")) {
        ++pitch, ++pos, note.germanForms = false;
    } else if (startsWith(s, pos, "is")) {
        ++pitch, pos += 2, note.germanForms = true;
    } else if ((up == 'A' || up == 'E') && startsWith(s, pos, "s") && !startsWith(s, pos, "sus")) {
        // "As", "Es": but "Asus4" is A with a suspended fourth.
        --pitch, ++pos, note.germanForms = true;
    } else if (startsWith(s, pos, "es")) {
        --pitch, pos += 2, note.germanForms = true;
    } else if (startsWith(s, pos, "b")) {
        --pitch, ++pos, note.germanForms = false;
    }
    note.pitch = mod12(pitch);
    note.length = pos;
    return note;
}

// A suffix that starts with letters must spell a chord quality ("m", "maj7", "sus4", "madd9"):
// "Coda" or "Bass" are words, not chords.
bool isChordSuffix(std::string_view suffix) {
    std::size_t run = 0;
    while (run < suffix.size() && std::isalpha(static_cast<unsigned char>(suffix[run])))
        ++run;
    static constexpr std::array<std::string_view, 13> kWords = {
        "maj", "Maj", "min", "sus", "dim", "aug", "add", "moll", "dur", "m", "M", "o", "j"};
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

} // namespace

std::optional<Chord> parseChord(std::string_view text, Notation notation) {
    const std::optional<Note> root = parseNote(text, notation);
    if (!root)
        return std::nullopt;
    Chord chord;
    chord.root = root->pitch;
    chord.lowerCase = root->lowerCase;
    chord.germanForms = root->germanForms;
    std::string_view rest = text.substr(root->length);
    const std::size_t slash = rest.rfind('/');
    if (slash != std::string_view::npos) {
        const std::string_view after = rest.substr(slash + 1);
        const std::optional<Note> bass = parseNote(after, notation);
        if (bass && bass->length == after.size()) {
            chord.bass = bass->pitch;
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
            name = "B";
    } else {
        if (pc == 11)
            name = "B";
        else if (pc == 10 && !sharp)
            name = "Bb";
    }
    if (lowerCase)
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

namespace {

bool sharpKey(int majorKey) {
    switch (mod12(majorKey)) {
    case 1:
    case 3:
    case 5:
    case 8:
    case 10:
        return false;
    default:
        return true;
    }
}

int majorKeyOf(const Chord& chord) {
    const bool minor = chord.lowerCase || (!chord.suffix.empty() && chord.suffix[0] == 'm' &&
                                           chord.suffix.compare(0, 3, "maj") != 0);
    return minor ? chord.root + 3 : chord.root;
}

std::string writeChord(const Chord& chord, const Options& options, bool sharp) {
    std::string out =
        noteName(chord.root + options.semitones, options.notation, sharp, chord.germanForms, chord.lowerCase);
    out += chord.suffix;
    if (chord.bass) {
        out += '/';
        out += noteName(*chord.bass + options.semitones, options.notation, sharp, chord.bassGermanForms,
                        chord.bassLowerCase);
    }
    return out;
}

bool sharpFor(const Chord& chord, const Options& options) {
    switch (options.spelling) {
    case Spelling::Sharp:
        return true;
    case Spelling::Flat:
        return false;
    case Spelling::Automatic:
        break;
    }
    return sharpKey(majorKeyOf(chord) + options.semitones);
}

// Calls f(chordText) for every chord of the text, where chordText is the part before "°".
template <typename F> void forEachChord(std::string_view text, F&& f) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const std::size_t open = text.find('<', i);
        if (open == std::string_view::npos)
            return;
        std::size_t end = open + 1;
        while (end < n && text[end] != '>' && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::size_t chordEnd = open + 1;
        while (chordEnd < end && text[chordEnd] != kSuperscript)
            ++chordEnd;
        f(open + 1, chordEnd, end);
        i = end < n && text[end] == '>' ? end + 1 : end;
    }
}

} // namespace

std::optional<std::string> transposeChord(std::string_view text, const Options& options) {
    const std::optional<Chord> chord = parseChord(text, options.notation);
    if (!chord)
        return std::nullopt;
    return writeChord(*chord, options, sharpFor(*chord, options));
}

std::string transposeText(std::string_view text, const Options& options, Count& count) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t copied = 0;
    forEachChord(text, [&](std::size_t begin, std::size_t chordEnd, std::size_t) {
        if (begin == chordEnd)
            return;
        const std::optional<std::string> moved =
            transposeChord(text.substr(begin, chordEnd - begin), options);
        if (!moved) {
            ++count.unrecognised;
            return;
        }
        ++count.transposed;
        out.append(text.substr(copied, begin - copied));
        out += *moved;
        copied = chordEnd;
    });
    out.append(text.substr(copied));
    return out;
}

Spelling resolveSpelling(const std::vector<std::string_view>& texts, const Options& options) {
    if (options.spelling != Spelling::Automatic)
        return options.spelling;
    for (std::string_view text : texts) {
        std::optional<Chord> first;
        forEachChord(text, [&](std::size_t begin, std::size_t chordEnd, std::size_t) {
            if (!first)
                first = parseChord(text.substr(begin, chordEnd - begin), options.notation);
        });
        if (first)
            return sharpKey(majorKeyOf(*first) + options.semitones) ? Spelling::Sharp : Spelling::Flat;
    }
    return Spelling::Sharp;
}

Notation guessNotation(const std::vector<std::string_view>& texts) {
    for (std::string_view text : texts) {
        bool german = false;
        forEachChord(text, [&](std::size_t begin, std::size_t chordEnd, std::size_t) {
            const std::string_view chord = text.substr(begin, chordEnd - begin);
            if (!german && !chord.empty() && (chord[0] == 'H' || chord[0] == 'h') &&
                parseChord(chord, Notation::German))
                german = true;
        });
        if (german)
            return Notation::German;
    }
    return Notation::International;
}

} // namespace versino::transpose
