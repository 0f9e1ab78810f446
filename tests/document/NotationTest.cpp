#include "document/Notation.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace notation = versino::notation;
using notation::Piece;

namespace {

// A scanned line written back as text: "T(...)" for lyric runs, "C(text|raised)" for chords, with
// "!" after a chord that the end of the line closed and "°" where a raised part was written.
std::string describe(std::string_view line) {
    std::string out;
    notation::forEachPiece(line, [&](const Piece& p) {
        if (p.kind == Piece::Kind::Text) {
            out += "T(" + std::string(p.text) + ")";
            return;
        }
        out += "C(" + std::string(p.chord.text);
        if (p.chord.hasRaised)
            out += "|" + std::string(p.chord.raised);
        out += p.chord.closed ? ")" : ")!";
    });
    return out;
}

struct ScanCase {
    const char* line;
    const char* pieces;
};

} // namespace

TEST(Notation, scansTextChordsAndRaisedParts) {
    const ScanCase cases[] = {
        {"", ""},
        {"la la", "T(la la)"},
        {"<Am>Wenn der <G7>Abend", "C(Am)T(Wenn der )C(G7)T(Abend)"},
        {"<D\xB0sus4>x", "C(D|sus4)T(x)"},
        {"<\xB0>", "C(|)"},
        {"<>so", "C()T(so)"},
        {"a<b<c>d", "T(a)C(b<c)T(d)"},       // chords do not nest
        {"<C\xB0" "7\xB0x>", "C(C|7\xB0x)"}, // only the first "°" raises
        {"a > b \xB0 c", "T(a > b \xB0 c)"},  // ">" and "°" outside a chord are text
        {"la <Am", "T(la )C(Am)!"},           // the line end closes a chord
        {"<", "C()!"},
    };
    for (const ScanCase& c : cases)
        EXPECT_EQ(describe(c.line), c.pieces) << c.line;
}

// Whatever the bytes, the pieces tile the line: each begins where the last ended, and together
// they cover it exactly, so no scan reads past a line or skips a byte.
TEST(Notation, piecesTileEveryLine) {
    std::mt19937 rng(7);
    const char alphabet[] = {'<', '>', '\xB0', 'a', ' ', 'C'};
    for (int round = 0; round < 2000; ++round) {
        std::string line(rng() % 24, ' ');
        for (char& ch : line)
            ch = alphabet[rng() % sizeof alphabet];
        std::size_t at = 0;
        std::string lyric;
        notation::forEachPiece(line, [&](const Piece& p) {
            ASSERT_EQ(p.offset, at) << line;
            ASSERT_GT(p.length, 0u) << line;
            if (p.kind == Piece::Kind::Text)
                lyric += p.text;
            at += p.length;
        });
        EXPECT_EQ(at, line.size()) << line;
        EXPECT_EQ(notation::lyricText(line), lyric);
    }
}

TEST(Notation, writtenChordsAndTextReadBack) {
    std::string line;
    EXPECT_EQ(notation::appendLyricText(line, "I <3 you "), 1u);
    notation::appendChord(line, "C#", "7", true);
    notation::appendChord(line, "Am");
    EXPECT_EQ(line, "I \x8B" "3 you <C#\xB0" "7><Am>");
    EXPECT_EQ(describe(line), "T(I \x8B" "3 you )C(C#|7)C(Am)");
    EXPECT_FALSE(notation::hasOpenChord(line));
    EXPECT_TRUE(notation::hasOpenChord("x <Am> <G"));
}

TEST(Notation, directivesAreExactLinesOnly) {
    using D = notation::Directive;
    for (D d : {D::RefrainWord, D::Refrain, D::Refrain2, D::Bridge, D::NewColumn})
        EXPECT_EQ(notation::directiveOf(notation::directiveLine(d)), d);
    for (const char* text : {"refrain", ">>Refrain ", " >>Bridge", ">>neue spalte", ">>", "R", ""})
        EXPECT_EQ(notation::directiveOf(text), D::None) << text;
}
