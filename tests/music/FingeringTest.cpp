#include "music/Fingering.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

using namespace versino::music;
using versino::transpose::Notation;

namespace {

PitchSet pitches(std::initializer_list<int> classes) {
    PitchSet s = 0;
    for (int c : classes)
        s |= pitchBit(c);
    return s;
}

std::string shown(const std::optional<Fingering>& f) {
    if (!f)
        return "(none)";
    std::string out;
    for (int fret : f->frets) {
        if (!out.empty())
            out += ' ';
        out += fret < 0 ? std::string("x") : std::to_string(fret);
    }
    return out;
}

// What a fingering sounds, judged apart from the code under test: the pitch classes and the
// lowest pitch, from the open strings' pitches.
struct Sound {
    PitchSet classes = 0;
    int lowest = INT_MAX;
    int lowFret = INT_MAX, highFret = 0;
};
Sound soundOf(const Fingering& f, const std::vector<int>& strings) {
    Sound s;
    for (std::size_t i = 0; i < f.frets.size(); ++i) {
        if (f.frets[i] < 0)
            continue;
        const int pitch = strings[i] + f.frets[i];
        s.classes |= pitchBit(pitch);
        s.lowest = std::min(s.lowest, pitch);
        if (f.frets[i] > 0)
            s.lowFret = std::min(s.lowFret, f.frets[i]), s.highFret = std::max(s.highFret, f.frets[i]);
    }
    return s;
}

} // namespace

TEST(ChordTones, readsGermanAndInternationalNamesAsTheirPitchClasses) {
    struct Case {
        const char* name;
        Notation notation;
        PitchSet allowed;
        int bass;
    };
    const Case cases[] = {
        {"C", Notation::German, pitches({0, 4, 7}), 0},
        {"H7", Notation::German, pitches({11, 3, 6, 9}), 11},
        {"B", Notation::German, pitches({10, 2, 5}), 10},
        {"B", Notation::International, pitches({11, 3, 6}), 11},
        {"fis", Notation::German, pitches({6, 9, 1}), 6},
        {"Fismi7", Notation::German, pitches({6, 9, 1, 4}), 6},
        {"Esm", Notation::German, pitches({3, 6, 10}), 3},
        {"Ebmaj7", Notation::International, pitches({3, 7, 10, 2}), 3},
        {"G5", Notation::International, pitches({7, 2}), 7},
        {"Dsus4", Notation::German, pitches({2, 7, 9}), 2},
        {"Cadd9", Notation::German, pitches({0, 4, 7, 2}), 0},
        {"Am7b5", Notation::International, pitches({9, 0, 3, 7}), 9},
        {"Hdim7", Notation::German, pitches({11, 2, 5, 8}), 11},
        {"C+", Notation::German, pitches({0, 4, 8}), 0},
        {"C/E", Notation::German, pitches({0, 4, 7}), 4},
        {"D/Fis", Notation::German, pitches({2, 6, 9}), 6},
        {"Am/G", Notation::International, pitches({9, 0, 4, 7}), 7},
        {"C6/9", Notation::International, pitches({0, 4, 7, 9, 2}), 0},
        {"G13", Notation::International, pitches({7, 11, 2, 5, 9, 4}), 7},
    };
    for (const Case& c : cases) {
        const std::optional<ChordTones> t = chordTones(c.name, c.notation);
        ASSERT_TRUE(t) << c.name;
        EXPECT_EQ(t->allowed, c.allowed) << c.name;
        EXPECT_EQ(t->bass, c.bass) << c.name;
        EXPECT_EQ(t->required & ~t->allowed, 0u) << c.name;
        EXPECT_TRUE(t->required & pitchBit(t->root)) << c.name;
    }
    for (const char* word : {"N.C.", "%", "Coda", "Cxyz", "C2", "Hallo", ""})
        EXPECT_FALSE(chordTones(word, Notation::German)) << word;
}

// The open chords every guitarist knows, as the table gives them.
TEST(Fingering, commonOpenGuitarChordsAreTheOnesEveryoneLearns) {
    const std::pair<const char*, const char*> cases[] = {
        {"C", "x 3 2 0 1 0"},   {"G", "3 2 0 0 0 3"},   {"D", "x x 0 2 3 2"},   {"Am", "x 0 2 2 1 0"},
        {"Em", "0 2 2 0 0 0"},  {"E", "0 2 2 1 0 0"},   {"A", "x 0 2 2 2 0"},   {"F", "1 3 3 2 1 1"},
        {"Dm", "x x 0 2 3 1"},  {"H7", "x 2 1 2 0 2"},  {"E7", "0 2 0 1 0 0"},  {"A7", "x 0 2 0 2 0"},
        {"D7", "x x 0 2 1 2"},  {"G7", "3 2 0 0 0 1"},  {"C7", "x 3 2 3 1 0"},  {"Am7", "x 0 2 0 1 0"},
        {"Em7", "0 2 0 0 0 0"}, {"Dm7", "x x 0 2 1 1"}, {"Cmaj7", "x 3 2 0 0 0"}, {"Fmaj7", "x x 3 2 1 0"},
        {"Hm", "x 2 4 4 3 2"},  {"B", "x 1 3 3 3 1"},   {"a", "x 0 2 2 1 0"},   {"e", "0 2 2 0 0 0"},
        {"Dsus4", "x x 0 2 3 3"}, {"Asus2", "x 0 2 2 0 0"},
    };
    for (const auto& [name, frets] : cases)
        EXPECT_EQ(shown(fingeringFor(Instrument::Guitar, name, Notation::German)), frets) << name;
    EXPECT_EQ(shown(fingeringFor(Instrument::Ukulele, "C", Notation::German)), "0 0 0 3");
    EXPECT_EQ(shown(fingeringFor(Instrument::Ukulele, "G", Notation::German)), "0 2 3 2");
    EXPECT_EQ(shown(fingeringFor(Instrument::Ukulele, "Am", Notation::German)), "2 0 0 0");
}

TEST(Fingering, everyShippedTableLinePlaysItsChord) {
    for (Instrument i : {Instrument::Guitar, Instrument::Ukulele}) {
        const TableSummary s = tableSummary(i);
        EXPECT_GT(s.entries, 50);
        EXPECT_TRUE(s.refused.empty()) << s.refused.front();
    }
}

TEST(Fingering, aTableLineThatDoesNotPlayItsChordIsRefused) {
    const TableSummary s = readTable("[gitarre]\nC 0 3 2 0 1 0\nC x 3 2 0 1\nQ x 3 2 0 1 0\nC x 3 2 0 1 99\n"
                                     "Am x 0 2 2 1 0\n[ukulele]\nC 0 0 0 3\n",
                                     Instrument::Guitar);
    EXPECT_EQ(s.entries, 1);
    EXPECT_EQ(s.refused.size(), 4u);
}

// Every fingering, from the table or the search, sounds the chord's tones and no other, has the
// bass lowest, and lies within four frets: over 12 roots, German and international spellings,
// many qualities and slash basses.
TEST(Fingering, everyFingeringSoundsExactlyItsChordWithTheBassLowest) {
    const char* germanRoots[] = {"C", "Cis", "D", "Es", "E", "F", "Fis", "G", "As", "A", "B", "H"};
    const char* intlRoots[] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
    const char* qualities[] = {"",     "m",     "7",   "m7",  "maj7", "sus2", "sus4", "dim", "aug",  "6",   "9",
                               "add9", "5",     "m6",  "7sus4", "mi7", "m9", "dim7", "m7b5", "11", "13", "7b9",
                               "madd9", "maj9", "6/9"};
    std::vector<std::pair<std::string, Notation>> names;
    for (int r = 0; r < 12; ++r)
        for (const char* q : qualities) {
            names.push_back({std::string(germanRoots[r]) + q, Notation::German});
            names.push_back({std::string(intlRoots[r]) + q, Notation::International});
        }
    for (int r = 0; r < 12; ++r) {
        names.push_back({std::string(germanRoots[r]) + "/" + germanRoots[(r + 4) % 12], Notation::German});
        names.push_back({std::string(intlRoots[r]) + "m/" + intlRoots[(r + 10) % 12], Notation::International});
        names.push_back({std::string(germanRoots[r]) + "7/" + germanRoots[(r + 7) % 12], Notation::German});
        std::string lower = germanRoots[r];
        lower[0] = char(lower[0] - 'A' + 'a');
        names.push_back({lower, Notation::German});
        names.push_back({lower + "7", Notation::German});
    }
    ASSERT_GE(names.size(), 500u);
    int found = 0;
    for (Instrument instrument : {Instrument::Guitar, Instrument::Ukulele}) {
        const std::vector<int>& strings = tuning(instrument);
        for (const auto& [name, notation] : names) {
            const std::optional<ChordTones> chord = chordTones(name, notation);
            ASSERT_TRUE(chord) << name;
            const std::optional<Fingering> f = fingeringFor(instrument, name, notation);
            if (!f)
                continue;
            ++found;
            const Sound s = soundOf(*f, strings);
            EXPECT_EQ(s.classes & ~chord->allowed, 0u) << name << ": " << shown(f);
            EXPECT_EQ(chord->required & ~s.classes, 0u) << name << ": " << shown(f);
            if (instrument == Instrument::Guitar || chord->slash) {
                EXPECT_EQ(s.lowest % 12, chord->bass) << name << ": " << shown(f);
            }
            if (s.highFret > 0) {
                EXPECT_LT(s.highFret - s.lowFret, kSpanFrets) << name << ": " << shown(f);
            }
        }
    }
    // A guitar finds a fingering for every one of these chords; a four-string ukulele for all
    // but the chords of more than four required tones.
    EXPECT_GE(found, int(names.size() * 2 * 9 / 10));
}

TEST(Fingering, definitionsReadBackAsWrittenAcrossBaseFrets) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> fret(-1, kHighestFret);
    for (int n = 0; n < 300; ++n) {
        Fingering f;
        for (int s = 0; s < 6; ++s)
            f.frets.push_back(fret(random));
        const std::optional<Definition> d = parseDefinition(formatDefinition("Xy", f));
        ASSERT_TRUE(d);
        EXPECT_EQ(d->name, "Xy");
        EXPECT_EQ(shown(d->fingering), shown(f));
    }
    EXPECT_EQ(shown(parseDefinition("A base-fret 5 frets 1 3 3 2 1 1 fingers 1 3 4 2 1 1")->fingering),
              "5 7 7 6 5 5");
    EXPECT_EQ(shown(parseDefinition("Am base-fret 1 frets x 0 2 2 1 0")->fingering), "x 0 2 2 1 0");
    for (const char* bad : {"", "Am", "Am base-fret 0 frets 1 1 1 1", "Am base-fret 14 frets 5 5 5 5",
                            "Am base-fret", "Am frets q"})
        EXPECT_FALSE(parseDefinition(bad)) << bad;
}

TEST(PianoChord, keysAreTheChordInCloseSpellingWithTheBassLeftOfIt) {
    const PianoChord c = pianoChord(*chordTones("C", Notation::German));
    EXPECT_EQ(c.keys, (std::vector<int>{0, 4, 7}));
    EXPECT_FALSE(c.bassKey);
    const PianoChord a = pianoChord(*chordTones("A7/Cis", Notation::German));
    EXPECT_EQ(a.bassKey, 1);
    EXPECT_EQ(a.keys, (std::vector<int>{9, 13, 16, 19}));
    // Every chord's keys lie on the two octaves and sound its tones.
    for (const char* name : {"H13", "fis", "Es/B", "Cmaj9", "Hm7b5/A"}) {
        const std::optional<ChordTones> t = chordTones(name, Notation::German);
        const PianoChord p = pianoChord(*t);
        PitchSet sounds = p.bassKey ? pitchBit(*p.bassKey) : 0;
        for (int k : p.keys) {
            EXPECT_TRUE(k >= 0 && k < 24) << name;
            sounds |= pitchBit(k);
        }
        EXPECT_EQ(sounds, t->allowed) << name;
    }
}
