#include "music/ChordTones.h"

#include <algorithm>
#include <cctype>

namespace versino::music {
namespace {

// What a suffix says, step by step; turned into intervals at the end.
struct Quality {
    int third = 4; // semitones above the root; -1: no third (sus, power chord)
    bool thirdRequired = true;
    int fifth = 7;
    bool fifthRequired = false;
    int seventh = -1;
    bool majorSeventh = false; // "maj", "M", "j": a seventh in this chord is the major one
    std::vector<int> required;
    std::vector<int> optional;
};

class SuffixReader {
public:
    explicit SuffixReader(std::string_view s) : s_(s) {}

    bool take(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }
    bool atEnd() const { return pos_ >= s_.size(); }
    bool digitNext() const { return !atEnd() && std::isdigit(static_cast<unsigned char>(s_[pos_])); }
    // A number of one or two digits ("7", "13"); -1 when none follows.
    int number() {
        if (!digitNext())
            return -1;
        int n = s_[pos_++] - '0';
        if (digitNext() && n == 1) // 11, 13; "69" is read by the caller
            n = 10 + (s_[pos_++] - '0');
        return n;
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

bool readQuality(SuffixReader& r, Quality& q, bool minor) {
    if (minor)
        q.third = 3;
    if (r.take("mmaj") || r.take("mMaj") || r.take("mM") || r.take("minmaj")) {
        q.third = 3, q.majorSeventh = true;
    } else if (r.take("maj") || r.take("Maj") || r.take("j")) {
        q.majorSeventh = true;
    } else if (r.take("M")) {
        q.majorSeventh = r.digitNext();
    } else if (r.take("moll") || r.take("min") || r.take("mi") || r.take("m") || r.take("-")) {
        q.third = 3;
        if (r.take("maj") || r.take("Maj") || r.take("M") || r.take("j"))
            q.majorSeventh = true;
    } else if (r.take("dur")) {
    } else if (r.take("dim") || r.take("o") || r.take("\xB0")) {
        q.third = 3, q.fifth = 6, q.fifthRequired = true;
        if (r.take("7"))
            q.seventh = 9;
    } else if (r.take("\xF8")) { // half-diminished
        q.third = 3, q.fifth = 6, q.fifthRequired = true, q.seventh = 10;
        r.take("7");
    } else if (r.take("aug") || r.take("+")) {
        q.fifth = 8, q.fifthRequired = true;
    }
    return true;
}

void seventhOf(Quality& q) {
    if (q.seventh < 0)
        q.seventh = q.majorSeventh ? 11 : 10;
}

bool readNumber(SuffixReader& r, Quality& q, bool afterQualityWord) {
    if (r.take("6/9") || r.take("69")) {
        q.required.push_back(9), q.required.push_back(14);
        return true;
    }
    const int n = r.number();
    switch (n) {
    case -1:
        if (q.majorSeventh && afterQualityWord)
            seventhOf(q); // "Cmaj" is Cmaj7
        return true;
    case 5: // the power chord: root and fifth
        q.third = -1, q.fifthRequired = true;
        return true;
    case 6:
        q.required.push_back(9);
        return true;
    case 7:
        seventhOf(q);
        return true;
    case 9:
        seventhOf(q), q.required.push_back(14);
        return true;
    case 11:
        seventhOf(q), q.optional.push_back(14), q.required.push_back(17), q.thirdRequired = false;
        return true;
    case 13:
        seventhOf(q), q.optional.push_back(14), q.required.push_back(21);
        return true;
    default:
        return false;
    }
}

// Suspensions, additions and alterations, in any order, optionally in parentheses.
bool readModifiers(SuffixReader& r, Quality& q) {
    while (!r.atEnd()) {
        if (r.take("(") || r.take(")") || r.take(",") || r.take(" ")) {
        } else if (r.take("sus2")) {
            q.third = -1, q.required.push_back(2);
        } else if (r.take("sus4") || r.take("sus")) {
            q.third = -1, q.required.push_back(5);
        } else if (r.take("add9") || r.take("add2")) {
            q.required.push_back(14);
        } else if (r.take("add11") || r.take("add4")) {
            q.required.push_back(17);
        } else if (r.take("add13") || r.take("add6")) {
            q.required.push_back(21);
        } else if (r.take("b5") || r.take("-5")) {
            q.fifth = 6, q.fifthRequired = true;
        } else if (r.take("#5") || r.take("+5")) {
            q.fifth = 8, q.fifthRequired = true;
        } else if (r.take("b9") || r.take("-9")) {
            q.required.push_back(13);
        } else if (r.take("#9") || r.take("+9")) {
            q.required.push_back(15);
        } else if (r.take("#11") || r.take("+11")) {
            q.required.push_back(18);
        } else if (r.take("b13") || r.take("-13")) {
            q.required.push_back(20);
        } else if (r.take("maj7") || r.take("j7")) {
            q.seventh = 11;
        } else if (r.take("7")) { // "C7sus4" read as "Csus47" is rare; "Csus4 7" and "Cadd9 7" are not
            seventhOf(q);
        } else if (r.take("9")) {
            seventhOf(q), q.required.push_back(14);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<ChordTones> chordTones(std::string_view name, transpose::Notation notation) {
    const std::optional<transpose::Chord> chord = transpose::parseChord(name, notation);
    if (!chord)
        return std::nullopt;
    Quality q;
    SuffixReader r(chord->suffix);
    readQuality(r, q, chord->lowerCase);
    const bool qualityWord = q.majorSeventh;
    if (!readNumber(r, q, qualityWord) || !readModifiers(r, q))
        return std::nullopt;

    ChordTones t;
    t.root = chord->root;
    t.bass = chord->bass.value_or(chord->root);
    t.slash = chord->bass.has_value();
    std::vector<std::pair<int, bool>> tones{{0, true}, {q.fifth, q.fifthRequired}};
    if (q.third >= 0)
        tones.push_back({q.third, q.thirdRequired});
    if (q.seventh >= 0)
        tones.push_back({q.seventh, true});
    for (int i : q.required)
        tones.push_back({i, true});
    for (int i : q.optional)
        tones.push_back({i, false});
    for (const auto& [interval, required] : tones) {
        t.intervals.push_back(interval);
        t.allowed |= pitchBit(t.root + interval);
        if (required)
            t.required |= pitchBit(t.root + interval);
    }
    std::sort(t.intervals.begin(), t.intervals.end());
    t.intervals.erase(std::unique(t.intervals.begin(), t.intervals.end()), t.intervals.end());
    t.allowed |= pitchBit(t.bass);
    t.required |= pitchBit(t.bass);
    return t;
}

} // namespace versino::music
