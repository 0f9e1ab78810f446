#include "music/Transpose.h"

#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace versino::transpose;

namespace {

Options by(int n, Notation notation, Spelling spelling = Spelling::Sharp) {
    return {n, notation, spelling};
}

std::string moved(const std::string& chord, const Options& o) {
    return transposeChord(chord, o).value_or("(unchanged)");
}

} // namespace

TEST(TransposeChord, movesRootSuffixAndBassInBothNotations) {
    struct Case {
        const char* in;
        Options options;
        const char* out;
    };
    const Case cases[] = {
        {"Am", by(2, Notation::German), "Hm"},
        {"H7", by(1, Notation::German), "C7"},
        {"B", by(1, Notation::German), "H"},        // German B is B flat
        {"B", by(1, Notation::International), "C"}, // international B is German H
        {"Bb", by(1, Notation::International), "B"},
        {"H", by(-1, Notation::German, Spelling::Flat), "B"},
        {"H", by(-1, Notation::International, Spelling::Flat), "Bb"},
        {"Fis", by(1, Notation::German), "G"},
        {"Es", by(2, Notation::German), "F"},
        {"As", by(1, Notation::German), "A"},
        {"Asus4", by(2, Notation::German), "Hsus4"}, // not A flat with "us4"
        {"Esus", by(-1, Notation::German, Spelling::Flat), "Essus"},
        {"fis", by(1, Notation::German), "g"},               // lower-case roots stay lower-case
        {"a", by(1, Notation::German, Spelling::Flat), "b"}, // a minor, written small
        {"Cmaj7", by(1, Notation::German, Spelling::Flat), "Desmaj7"},
        {"Cmaj7", by(1, Notation::International, Spelling::Flat), "Dbmaj7"},
        {"F#m7", by(1, Notation::German), "Gm7"},
        {"F#m7", by(2, Notation::German), "G#m7"}, // "#" written stays "#"
        {"C/E", by(2, Notation::German), "D/Fis"},
        {"D/F#", by(1, Notation::International), "D#/G"},
        {"C6/9", by(2, Notation::International), "D6/9"}, // "/9" is no bass
        {"Gmmaj7", by(5, Notation::International), "Cmmaj7"},
        {"Edim", by(3, Notation::German), "Gdim"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(moved(c.in, c.options), c.out) << c.in << " by " << c.options.semitones;
}

TEST(TransposeChord, leavesWhatIsNoChordAlone) {
    for (const char* text : {"N.C.", "%", "Coda", "Bass", "Intro", "", " Am", "x", "Hallo"})
        EXPECT_FALSE(transposeChord(text, by(3, Notation::German))) << text;
}

TEST(TransposeText, changesOnlyChordLettersAndCountsTheRest) {
    const std::string text = "Das <Am>ist <C\xB0"
                             "7>ein <N.C.>Lied <>mit > und \xB0\r\n"
                             ">>Refrain\r\n"
                             "\r\n"
                             "  <G\xB0/H> offen <D";
    Count count;
    const std::string out = transposeText(text, by(2, Notation::German), count);
    EXPECT_EQ(out, "Das <Hm>ist <D\xB0"
                   "7>ein <N.C.>Lied <>mit > und \xB0\r\n"
                   ">>Refrain\r\n"
                   "\r\n"
                   "  <A\xB0/H> offen <E");
    EXPECT_EQ(count.transposed, 4);
    EXPECT_EQ(count.unrecognised, 1);
}

TEST(TransposeText, automaticSpellingFollowsTheKeyReached) {
    const auto spell = [](const std::string& text, int n) {
        return resolveSpelling({text}, {n, Notation::International, Spelling::Automatic});
    };
    EXPECT_EQ(spell("<G> <C>", 1), Spelling::Flat);   // A flat major
    EXPECT_EQ(spell("<G> <C>", 4), Spelling::Sharp);  // B major
    EXPECT_EQ(spell("<Em> <C>", 2), Spelling::Sharp); // F sharp minor
    EXPECT_EQ(spell("<Dm>", 0), Spelling::Flat);      // D minor has B flat
    EXPECT_EQ(spell("<N.C.> no chords", 1), Spelling::Sharp);
}

TEST(TransposeText, guessesGermanNotationOnlyFromAnH) {
    EXPECT_EQ(guessNotation({"<C> <G>", "<H7>"}), Notation::German);
    EXPECT_EQ(guessNotation({"<hm> x"}), Notation::German);
    EXPECT_EQ(guessNotation({"<B7> <Bb>"}), Notation::International);
    EXPECT_EQ(guessNotation({"<Hallo>"}), Notation::International);
}

namespace {

// A random song line of canonically spelled chords with lyric text between them.
struct RandomSong {
    std::string text;
    std::vector<int> roots; // pitch class of every chord, in order
};

RandomSong randomSong(std::mt19937& rng, Notation notation, bool sharp) {
    static const char* const kSuffixes[] = {"", "m", "7", "maj7", "sus4", "dim", "add9", "m7", "6/9", "+"};
    static const char* const kWords[] = {"",
                                         "la ",
                                         "Herz",
                                         " und ",
                                         "\xE4"
                                         "rger ",
                                         "[x] ",
                                         "> "};
    std::uniform_int_distribution<int> pitch(0, 11), suffix(0, 9), word(0, 6), coin(0, 3), count(0, 8);
    RandomSong song;
    const int chords = count(rng);
    const bool germanForms = notation == Notation::German;
    for (int i = 0; i < chords; ++i) {
        const int root = pitch(rng);
        song.roots.push_back(root);
        song.text += kWords[word(rng)];
        song.text += '<';
        const bool minorLower = coin(rng) == 0;
        song.text += noteName(root, notation, sharp, germanForms, minorLower);
        song.text += kSuffixes[suffix(rng)];
        if (coin(rng) == 0)
            song.text += "/" + noteName(pitch(rng), notation, sharp, germanForms, false);
        if (coin(rng) == 0)
            song.text += "\xB0"
                         "7";
        song.text += '>';
        if (coin(rng) == 0)
            song.text += "<N.C.>";
        if (coin(rng) == 0)
            song.text += "\r\n";
    }
    return song;
}

std::vector<int> rootsOf(const std::string& text, Notation notation) {
    std::vector<int> roots;
    std::size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos) {
        const std::size_t end = text.find_first_of(">\xB0", i);
        if (const auto chord = parseChord(text.substr(i + 1, end - i - 1), notation))
            roots.push_back(chord->root);
        i = end;
    }
    return roots;
}

} // namespace

TEST(TransposeProperties, holdOverRandomChordLists) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 400; ++round) {
        const Notation notation = round % 2 ? Notation::German : Notation::International;
        const bool sharp = round % 4 < 2;
        const Spelling kept = sharp ? Spelling::Sharp : Spelling::Flat;
        const RandomSong song = randomSong(rng, notation, sharp);
        const int n = int(rng() % 23) - 11;
        SCOPED_TRACE(song.text + " by " + std::to_string(n));

        // +n then -n in the spelling the song is written in gives back the text.
        Count count;
        const std::string there = transposeText(song.text, {n, notation, kept}, count);
        EXPECT_EQ(transposeText(there, {-n, notation, kept}, count), song.text);

        // Twelve steps of one semitone come back to the start.
        std::string stepped = song.text;
        for (int step = 0; step < 12; ++step)
            stepped = transposeText(stepped, {1, notation, kept}, count);
        EXPECT_EQ(stepped, song.text);

        // Every chord, in any spelling, means its root moved by n: a German H never becomes a B
        // in meaning, nor the other way round.
        for (Spelling spelling : {Spelling::Automatic, Spelling::Sharp, Spelling::Flat}) {
            const std::vector<int> roots =
                rootsOf(transposeText(song.text, {n, notation, spelling}, count), notation);
            ASSERT_EQ(roots.size(), song.roots.size());
            for (std::size_t i = 0; i < roots.size(); ++i)
                EXPECT_EQ(roots[i], ((song.roots[i] + n) % 12 + 12) % 12);
        }
    }
}
