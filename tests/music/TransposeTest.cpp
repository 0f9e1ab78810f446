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
        {"Bb", by(1, Notation::German), "H"},   // German shorthand for B flat, not a double flat
        {"Bb7", by(2, Notation::German), "C7"},
        {"Ebm", by(2, Notation::German), "Fm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(moved(c.in, c.options), c.out) << c.in << " by " << c.options.semitones;
}

TEST(TransposeChord, leavesWhatIsNoChordAlone) {
    for (const char* text : {"N.C.", "%", "Coda", "Bass", "Intro", "", " Am", "x", "Hallo"})
        EXPECT_FALSE(transposeChord(text, by(3, Notation::German))) << text;
}

// A bass that is a tone of its chord is spelled from the chord whatever the song's key: a song
// in F keeps "D/F#", a song with sharps "Gm/Bb". Other basses follow the key.
TEST(TransposeChord, spellsAChordToneBassFromItsChord) {
    const struct {
        const char* text;
        int semitones;
        Notation notation;
        Spelling spelling;
        const char* fromChord; // with bassFromChord
        const char* byKey;     // without
    } cases[] = {
        {"D/F#", 12, Notation::International, Spelling::Flat, "D/F#", "D/Gb"},
        {"D/Fis", 2, Notation::German, Spelling::Flat, "E/Gis", "E/As"},
        {"B/D#", 12, Notation::International, Spelling::Flat, "B/D#", "B/Eb"},
        {"Gm/Bb", 12, Notation::International, Spelling::Sharp, "Gm/Bb", "Gm/A#"},
        {"Cmaj7/B", 1, Notation::International, Spelling::Flat, "Dbmaj7/C", "Dbmaj7/C"},
        {"C7/Bb", 1, Notation::International, Spelling::Sharp, "C#7/B", "C#7/B"},
        {"C/Bb", 1, Notation::International, Spelling::Sharp, "C#/B", "C#/B"},     // no tone of C
        {"Edim/Bb", 12, Notation::International, Spelling::Sharp, "Edim/Bb", "Edim/A#"},
        {"Ami/C", 1, Notation::German, Spelling::Sharp, "Aismi/Cis", "Aismi/Cis"}, // a Czech minor's third
    };
    for (const auto& c : cases) {
        Options o = by(c.semitones, c.notation, c.spelling);
        EXPECT_EQ(transposeChord(c.text, o).value_or("?"), c.byKey) << c.text;
        o.bassFromChord = true;
        EXPECT_EQ(transposeChord(c.text, o).value_or("?"), c.fromChord) << c.text;
    }
    // Up and down again under automatic spelling gives the chord back.
    const Options up = by(2, Notation::German, Spelling::Automatic), down = by(-2, Notation::German, Spelling::Automatic);
    EXPECT_EQ(transposeChord(transposeChord("D/Fis", up).value_or(""), down).value_or(""), "D/Fis");
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
    EXPECT_EQ(count.unrecognised, 0); // "N.C." is no chord, and no unknown one either
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

TEST(TransposeText, assumesGermanUnlessFlatsAreWrittenTheEnglishWay) {
    const struct {
        std::vector<std::string_view> texts;
        Notation expected;
    } cases[] = {
        {{"<F> <B> <C7>"}, Notation::German}, // a song in F: its B is B flat
        {{"<C> <G>", "<H7>"}, Notation::German},
        {{"<hm> x"}, Notation::German},
        {{"<Hallo> <N.C.>"}, Notation::German},
        {{"<B7> <Bb>"}, Notation::International},
        {{"<Eb> <F>"}, Notation::International},
        {{"<C> <Ab\xB0" "7>"}, Notation::International},
        {{"<Eb>", "<H>"}, Notation::German}, // an H settles it
        {{"<B> <F#> <G#m>"}, Notation::International},
        {{"<F#m> <D>", "<Bm>"}, Notation::International},
        {{"<Fis> <B>"}, Notation::German},
        {{"<F#> <Bb>"}, Notation::International},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guessNotation(c.texts), c.expected) << c.texts[0];
    // The guess in use: a song in F moved up a whole tone reaches G, not G sharp.
    Count count;
    EXPECT_EQ(transposeText("<F> <B> <C7>", by(2, guessNotation({"<F> <B> <C7>"})), count), "<G> <C> <D7>");
}

TEST(TransposeText, namesTheChordsItCannotReadOnceAndSkipsTextOnTheChordRow) {
    Count count;
    std::string text = "<\xB0" "Bis> <N.C.> <%> <N.C.> <Am>";
    for (int i = 0; i < 12; ++i)
        text += " <x" + std::to_string(i) + ">";
    EXPECT_EQ(transposeText(text, by(2, Notation::German), count).substr(0, 29),
              "<\xB0" "Bis> <N.C.> <%> <N.C.> <Hm>");
    EXPECT_EQ(count.transposed, 1);
    EXPECT_EQ(count.unrecognised, 12); // "N.C." and "%" are marks of the chord row, not unknown
    ASSERT_EQ(count.unrecognisedNames.size(), 10u);
    EXPECT_EQ(count.unrecognisedNames[0], "x0");
    EXPECT_EQ(count.unrecognisedNames[1], "x1");
}

TEST(ChordNames, readInternationallyAndBackToGerman) {
    const struct {
        const char* german;
        const char* international;
        const char* back; // germanName of the international name
    } cases[] = {
        {"H7", "B7", "H7"},       {"B", "Bb", "B"},         {"fis", "F#m", "Fism"},  {"e", "Em", "Em"},
        {"es", "Ebm", "Esm"},     {"Es", "Eb", "Es"},       {"As7", "Ab7", "As7"},   {"D/Fis", "D/F#", "D/Fis"},
        {"hm7", "Bm7", "Hm7"},    {"Bbmaj7", "Bbmaj7", "Bmaj7"}, {"Asus4", "Asus4", "Asus4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(internationalName(c.german, Notation::German).value_or("-"), c.international) << c.german;
        if (c.back) {
            EXPECT_EQ(germanName(c.international).value_or("-"), c.back) << c.international;
        }
    }
    EXPECT_FALSE(internationalName("N.C.", Notation::German));
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

namespace {

// A song moved as the menu command moves it: spelling and forms decided once for the text.
std::string moveSong(const std::string& text, int n, Notation notation) {
    Options o = by(n, notation, Spelling::Automatic);
    o.spelling = resolveSpelling({text}, o);
    Count count;
    return transposeText(text, o, count);
}

} // namespace

TEST(TransposeProperties, upAndDownGivesBackTheTextAsTyped) {
    const struct {
        const char* text;
        Notation notation;
    } typed[] = {
        {"<fis> <D/Fis> <h7> <E>", Notation::German},
        {"<D/Fis> <G>", Notation::German},
        {"<Ebm> <Ab> <Bb7>", Notation::International},
        {"<F> <B> <C7/E> <d>", Notation::German},
        {"<F#> <C#m7> <D#m>", Notation::International},
        {"<Es> <B> <As/C> <f>", Notation::German},
    };
    for (const auto& t : typed)
        for (int n = 1; n <= 11; ++n)
            EXPECT_EQ(moveSong(moveSong(t.text, n, t.notation), -n, t.notation), t.text) << t.text << " by " << n;

    // Random songs, first spelled after their key as the command writes them.
    std::mt19937 rng(8122026);
    for (int round = 0; round < 300; ++round) {
        const Notation notation = round % 2 ? Notation::German : Notation::International;
        const std::string song = moveSong(randomSong(rng, notation, round % 4 < 2).text, 0, notation);
        for (int n = 1; n <= 11; ++n)
            ASSERT_EQ(moveSong(moveSong(song, n, notation), -n, notation), song) << song << " by " << n;
    }
}
