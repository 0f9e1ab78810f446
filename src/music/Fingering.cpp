#include "music/Fingering.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace versino::music {
namespace {

int mod12(int v) { return ((v % 12) + 12) % 12; }

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<int> number(std::string_view word) {
    int n = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    if (ec != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return n;
}

// A fret word of a table line or a definition: "x" (muted) or a number; -1 also means muted.
std::optional<int> fretWord(std::string_view word) {
    if (word == "x" || word == "X" || word == "-1" || word == "-")
        return -1;
    const std::optional<int> n = number(word);
    if (!n || *n < 0 || *n > kHighestFret)
        return std::nullopt;
    return n;
}

// What a fingering sounds like and how it lies under the hand.
struct Shape {
    int sounding = 0;
    int open = 0;
    int fretted = 0;
    int lowestFret = INT_MAX;
    int highestFret = 0;
    int lowestPitch = INT_MAX;
    int innerMutes = 0;  // muted strings between sounding ones
    int trebleMutes = 0; // muted strings above the highest sounding one
    int fingers = 0;
    bool barre = false;
    PitchSet sounds = 0;
};

Shape shapeOf(const Fingering& f, const std::vector<int>& strings) {
    Shape s;
    int firstSounding = -1, lastSounding = -1;
    for (std::size_t i = 0; i < f.frets.size() && i < strings.size(); ++i) {
        const int fret = f.frets[i];
        if (fret < 0)
            continue;
        ++s.sounding;
        if (firstSounding < 0)
            firstSounding = int(i);
        lastSounding = int(i);
        const int pitch = strings[i] + fret;
        s.lowestPitch = std::min(s.lowestPitch, pitch);
        s.sounds |= pitchBit(pitch);
        if (fret == 0) {
            ++s.open;
        } else {
            ++s.fretted;
            s.lowestFret = std::min(s.lowestFret, fret);
            s.highestFret = std::max(s.highestFret, fret);
        }
    }
    for (int i = firstSounding + 1; i < lastSounding; ++i)
        s.innerMutes += f.frets[std::size_t(i)] < 0;
    if (lastSounding >= 0)
        s.trebleMutes = int(f.frets.size()) - 1 - lastSounding;
    const std::optional<Barre> barre = barreOf(f);
    s.barre = barre.has_value();
    if (!barre) {
        s.fingers = s.fretted;
    } else {
        s.fingers = 1;
        for (std::size_t i = 0; i < f.frets.size(); ++i)
            if (f.frets[i] > barre->fret || (f.frets[i] > 0 && (int(i) < barre->first || int(i) > barre->last)))
                ++s.fingers;
    }
    return s;
}

bool playable(const Shape& s, Instrument instrument, PitchSet required) {
    if (s.sounding == 0)
        return false;
    if (s.fretted > 0 && s.highestFret - s.lowestFret >= kSpanFrets)
        return false;
    if (s.fingers > 4 || s.innerMutes > 1)
        return false;
    // A guitar chord needs a full enough sound; a chord of one or two tones (a power chord) less.
    const int tones = __builtin_popcount(required);
    const int least = instrument == Instrument::Guitar ? (tones <= 2 ? 3 : 4) : 3;
    return s.sounding >= std::min<int>(least, int(tuning(instrument).size()));
}

// Lower is better: more strings sounding, open and low positions, fewer fingers, no barre, every
// tone of the chord present.
int score(const Shape& s, const ChordTones& chord) {
    const int missing = __builtin_popcount(chord.allowed & ~s.sounds);
    return -12 * s.sounding + 15 * s.innerMutes + 6 * s.trebleMutes + 3 * s.highestFret - 3 * s.open + s.fingers +
           4 * int(s.barre) + 3 * missing;
}

using TableKey = std::tuple<int, int, std::vector<int>>;

TableKey keyOf(const ChordTones& t) { return {t.root, t.bass, t.intervals}; }

struct Table {
    std::map<TableKey, Fingering> entries;
    TableSummary summary;
};

Table parseTable(std::string_view text, Instrument instrument) {
    Table table;
    bool inSection = false;
    const std::size_t strings = tuning(instrument).size();
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::vector<std::string_view> w = words(line);
        if (w.empty() || w[0][0] == '#')
            continue;
        if (w[0].front() == '[') {
            inSection = (w[0] == "[gitarre]" && instrument == Instrument::Guitar) ||
                        (w[0] == "[ukulele]" && instrument == Instrument::Ukulele);
            continue;
        }
        if (!inSection)
            continue;
        const std::optional<ChordTones> chord = chordTones(w[0], transpose::Notation::International);
        Fingering f;
        bool ok = chord.has_value() && w.size() == strings + 1;
        for (std::size_t i = 1; ok && i < w.size(); ++i) {
            const std::optional<int> fret = fretWord(w[i]);
            ok = fret.has_value();
            if (ok)
                f.frets.push_back(*fret);
        }
        if (ok && playsChord(f, instrument, *chord)) {
            table.entries.emplace(keyOf(*chord), f);
            ++table.summary.entries;
        } else {
            table.summary.refused.emplace_back(line);
        }
    }
    return table;
}

std::string shippedTable() {
    QFile file(QStringLiteral(":/versino/fingerings.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

// The shipped table, read once per instrument.
const Table& table(Instrument instrument) {
    static const std::string text = shippedTable();
    static const Table guitar = parseTable(text, Instrument::Guitar);
    static const Table ukulele = parseTable(text, Instrument::Ukulele);
    return instrument == Instrument::Ukulele ? ukulele : guitar;
}

void search(const std::vector<std::vector<int>>& choices, std::size_t string, Fingering& f,
            const std::vector<int>& strings, Instrument instrument, const ChordTones& chord,
            std::optional<Fingering>& best, int& bestScore) {
    if (string == choices.size()) {
        if (!playsChord(f, instrument, chord))
            return;
        const int s = score(shapeOf(f, strings), chord);
        if (!best || s < bestScore)
            best = f, bestScore = s;
        return;
    }
    for (int fret : choices[string]) {
        f.frets[string] = fret;
        search(choices, string + 1, f, strings, instrument, chord, best, bestScore);
    }
}

} // namespace

std::optional<Instrument> instrumentOf(std::string_view option) {
    if (option == "gitarre")
        return Instrument::Guitar;
    if (option == "ukulele")
        return Instrument::Ukulele;
    if (option == "klavier")
        return Instrument::Piano;
    return std::nullopt;
}

const std::vector<int>& tuning(Instrument instrument) {
    static const std::vector<int> guitar{40, 45, 50, 55, 59, 64};
    static const std::vector<int> ukulele{67, 60, 64, 69};
    static const std::vector<int> none;
    switch (instrument) {
    case Instrument::Guitar: return guitar;
    case Instrument::Ukulele: return ukulele;
    case Instrument::Piano: break;
    }
    return none;
}

std::optional<Barre> barreOf(const Fingering& f) {
    int fretted = 0, lowest = INT_MAX;
    for (int fret : f.frets)
        if (fret > 0)
            ++fretted, lowest = std::min(lowest, fret);
    if (fretted <= 4)
        return std::nullopt;
    Barre b{lowest, -1, -1};
    for (std::size_t i = 0; i < f.frets.size(); ++i)
        if (f.frets[i] == lowest) {
            if (b.first < 0)
                b.first = int(i);
            b.last = int(i);
        }
    for (int i = b.first; i <= b.last; ++i)
        if (f.frets[std::size_t(i)] < lowest)
            return std::nullopt; // an open or muted string under the finger: no barre there
    if (b.first == b.last)
        return std::nullopt;
    return b;
}

bool playsChord(const Fingering& f, Instrument instrument, const ChordTones& chord) {
    const std::vector<int>& strings = tuning(instrument);
    if (strings.empty() || f.frets.size() != strings.size())
        return false;
    for (int fret : f.frets)
        if (fret < -1 || fret > kHighestFret)
            return false;
    const Shape s = shapeOf(f, strings);
    if (!playable(s, instrument, chord.required))
        return false;
    if ((s.sounds & ~chord.allowed) != 0 || (chord.required & ~s.sounds) != 0)
        return false;
    const bool bassCounts = instrument == Instrument::Guitar || chord.slash;
    return !bassCounts || mod12(s.lowestPitch) == chord.bass;
}

std::optional<Fingering> searchFingering(Instrument instrument, const ChordTones& chord) {
    const std::vector<int>& strings = tuning(instrument);
    if (strings.empty())
        return std::nullopt;
    std::optional<Fingering> best;
    int bestScore = INT_MAX;
    Fingering f;
    f.frets.assign(strings.size(), -1);
    // Each window of four frets, with the open strings: a string takes only frets that sound a
    // tone of the chord, so the search stays small.
    for (int low = 1; low + kSpanFrets - 1 <= kHighestFret; ++low) {
        std::vector<std::vector<int>> choices(strings.size());
        for (std::size_t i = 0; i < strings.size(); ++i) {
            choices[i].push_back(-1);
            if (chord.allowed & pitchBit(strings[i]))
                choices[i].push_back(0);
            for (int fret = low; fret < low + kSpanFrets; ++fret)
                if (chord.allowed & pitchBit(strings[i] + fret))
                    choices[i].push_back(fret);
        }
        search(choices, 0, f, strings, instrument, chord, best, bestScore);
    }
    return best;
}

std::optional<Fingering> fingeringFor(Instrument instrument, std::string_view name, transpose::Notation notation) {
    if (instrument == Instrument::Piano)
        return std::nullopt;
    static std::mutex mutex;
    static std::unordered_map<std::string, std::optional<Fingering>> known;
    std::string key;
    key.reserve(name.size() + 2);
    key += char('0' + int(instrument));
    key += char('0' + int(notation));
    key += name;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto it = known.find(key);
        if (it != known.end())
            return it->second;
    }
    std::optional<Fingering> result;
    if (const std::optional<ChordTones> chord = chordTones(name, notation)) {
        const Table& t = table(instrument);
        const auto it = t.entries.find(keyOf(*chord));
        result = it != t.entries.end() ? std::optional<Fingering>(it->second) : searchFingering(instrument, *chord);
    }
    const std::lock_guard<std::mutex> lock(mutex);
    known.emplace(std::move(key), result);
    return result;
}

TableSummary tableSummary(Instrument instrument) {
    if (instrument == Instrument::Piano)
        return {};
    return table(instrument).summary;
}

TableSummary readTable(std::string_view text, Instrument instrument) { return parseTable(text, instrument).summary; }

PianoChord pianoChord(const ChordTones& chord) {
    PianoChord p;
    int start = chord.root;
    if (chord.slash && chord.bass != chord.root) {
        p.bassKey = chord.bass;
        if (start <= chord.bass)
            start += 12;
    }
    for (int interval : chord.intervals) {
        int key = start + interval;
        while (key > 23)
            key -= 12;
        if (p.bassKey && key == *p.bassKey)
            continue;
        p.keys.push_back(key);
    }
    std::sort(p.keys.begin(), p.keys.end());
    p.keys.erase(std::unique(p.keys.begin(), p.keys.end()), p.keys.end());
    return p;
}

std::optional<Definition> parseDefinition(std::string_view text) {
    const std::vector<std::string_view> w = words(text);
    if (w.empty())
        return std::nullopt;
    Definition d;
    d.name = std::string(w[0]);
    int base = 1;
    std::vector<int> relative;
    bool inFrets = false;
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "base-fret") {
            inFrets = false;
            const std::optional<int> n = i + 1 < w.size() ? number(w[i + 1]) : std::nullopt;
            if (!n || *n < 1 || *n > kHighestFret)
                return std::nullopt;
            base = *n, ++i;
        } else if (w[i] == "frets") {
            inFrets = true;
        } else if (inFrets) {
            const std::optional<int> fret = fretWord(w[i]);
            if (fret)
                relative.push_back(*fret);
            else
                inFrets = false; // "fingers", "keys", "display", ...: the frets have ended
        }
    }
    if (relative.empty() || relative.size() > 12)
        return std::nullopt;
    for (int r : relative) {
        const int fret = r <= 0 ? r : r + base - 1;
        if (fret > kHighestFret)
            return std::nullopt;
        d.fingering.frets.push_back(fret);
    }
    return d;
}

int baseFret(const Fingering& f, int rows) {
    int lowest = INT_MAX, highest = 0;
    for (int fret : f.frets)
        if (fret > 0)
            lowest = std::min(lowest, fret), highest = std::max(highest, fret);
    return highest <= rows ? 1 : lowest;
}

std::string formatDefinition(std::string_view name, const Fingering& f) {
    const int base = baseFret(f, 5);
    std::string out(name);
    out += " base-fret " + std::to_string(base) + " frets";
    for (int fret : f.frets) {
        out += ' ';
        out += fret < 0 ? std::string("x") : std::to_string(fret == 0 ? 0 : fret - base + 1);
    }
    return out;
}

} // namespace versino::music
