#include "print/ChordLine.h"
#include "print/ComposedPage.h"
#include "support/FakeSurface.h"

#include <gtest/gtest.h>

#include <algorithm>

using versino::ChordLineContext;
using versino::FontSetting;
using versino::PlacedText;
using versino::PrintChordLine;
using versino::testing::FakeSurface;

namespace {

const std::string deg = "\xB0"; // the superscript marker "°"

// Text font: 12 points, so each lyric byte is 12 units wide. Chord font: bold 10 points, so each
// chord byte is 11 units wide. The chord row is 40 high.
class ChordLine : public ::testing::Test {
protected:
    FakeSurface s;
    FontSetting text{"TextFace", 0, 0, 12};
    FontSetting chord{"ChordFace", versino::FontStyle::Bold, 255, 10};
    static constexpr int kLeft = 200;
    static constexpr int kTop = 1000;
    static constexpr int kChordRow = 40;

    // The renderer's precondition: the text font is current on entry.
    ChordLine() {
        s.face = text.name;
        s.size = text.size;
        s.style = text.style;
        s.color = text.color;
    }

    int print(const std::string& line) {
        ChordLineContext ctx{s, chord, text, kChordRow};
        int y = kTop;
        PrintChordLine(ctx, kLeft, y, line);
        return y;
    }
    static std::string draw(int x, int y, const std::string& t) { return FakeSurface::draw(x, y, t); }

    // The non-empty texts of the lyrics on the page of a song whose lyrics are `line`, in the fonts
    // above (the header's capo line, which every page has, left out).
    std::vector<PlacedText> composed(const std::string& line) {
        versino::SongDocument doc;
        doc.TextEdit().setText(line);
        doc.TextFont = text;
        doc.AkkordFont = chord;
        std::vector<PlacedText> runs;
        for (PlacedText& t : versino::composePage(doc, s).texts)
            if (!t.text.empty() && t.text.rfind("Kapo:", 0) != 0)
                runs.push_back(std::move(t));
        return runs;
    }
    static PlacedText run(const std::vector<PlacedText>& runs, const std::string& text) {
        const auto at = std::find_if(runs.begin(), runs.end(), [&](const PlacedText& t) { return t.text == text; });
        EXPECT_NE(at, runs.end()) << "no run '" << text << "'";
        return at == runs.end() ? PlacedText{} : *at;
    }
};

TEST_F(ChordLine, lineWithoutChordIsOneRowAtEntryYAndTouchesNoFont) {
    const std::string line = "Hallo >Welt" + deg + " x";
    EXPECT_EQ(print(line), kTop);
    EXPECT_EQ(s.calls, (std::vector<std::string>{draw(kLeft, kTop, line)}));
}

TEST_F(ChordLine, emptyLinePutsNothingOnThePage) {
    EXPECT_EQ(print(""), kTop);
    EXPECT_TRUE(s.marks().empty());
}

// On the composed page a chord stands over its syllable, one chord row above the lyrics, in the
// chord font; its raised part follows it three points smaller; the lyrics keep the text font.
// Whatever fonts the song has, its page shows them (a font is read where it is used).
TEST_F(ChordLine, composedChordStandsOverItsSyllableInTheSongsFonts) {
    const FontSetting chordFonts[] = {
        chord,
        {"ChordFace", versino::FontStyle::Italic, 0x00FF00, 12}, // raised parts at nine points
        {"Changed", 0, 77, 20},
    };
    for (const FontSetting& c : chordFonts) {
        SCOPED_TRACE(c.size);
        chord = c;
        const std::vector<PlacedText> runs = composed("ab<D" + deg + "7>c");
        ASSERT_EQ(runs.size(), 3u);
        const PlacedText lyric = run(runs, "abc");
        const PlacedText name = run(runs, "D");
        const PlacedText raised = run(runs, "7");
        const int nameWidth = c.size + (c.style & versino::FontStyle::Bold ? 1 : 0);
        EXPECT_EQ(lyric.font, text);
        EXPECT_EQ(name.font, c);
        EXPECT_EQ(raised.font, (FontSetting{c.name, c.style, c.color, c.size - 3}));
        EXPECT_EQ(name.x, lyric.x + 24) << "over the third byte of the lyrics";
        EXPECT_EQ(raised.x, name.x + nameWidth);
        EXPECT_EQ(raised.y, name.y);
        EXPECT_EQ(lyric.y - name.y, 4 * c.size) << "the chord row is the chord font's height";
    }
}

TEST_F(ChordLine, prefixIsMeasuredAsOneStringWithoutEarlierChords) {
    s.widthOverride["Der Tag "] = 77; // a kerned or shaped width that no sum of bytes gives
    print("<G>Der <D>Tag <e>geht");
    EXPECT_EQ(s.draws(), (std::vector<std::string>{draw(kLeft, kTop, "G"), draw(kLeft + 48, kTop, "D"),
                                                   draw(kLeft + 77, kTop, "e"),
                                                   draw(kLeft, kTop + kChordRow, "Der Tag geht")}));
}

struct Case {
    const char* name;
    std::string line;
    std::vector<std::string> draws; // with x relative to left and y relative to the entry y
    int advance;
};

class ChordMarkupCases : public ChordLine, public ::testing::WithParamInterface<Case> {};

TEST_P(ChordMarkupCases, drawsChordsAndLyrics) {
    const Case& c = GetParam();
    EXPECT_EQ(print(c.line), kTop + c.advance);
    std::vector<std::string> relative;
    for (const std::string& d : s.draws()) {
        int x = 0, y = 0;
        char text[256] = {};
        ASSERT_EQ(std::sscanf(d.c_str(), "draw %d,%d '%255[^\n]", &x, &y, text) >= 2, true) << d;
        std::string t = text;
        if (!t.empty())
            t.pop_back(); // the closing quote
        relative.push_back(draw(x - kLeft, y - kTop, t));
    }
    EXPECT_EQ(relative, c.draws);
}

const int C = 40;
INSTANTIATE_TEST_SUITE_P(
    Markup, ChordMarkupCases,
    ::testing::Values(
        Case{"chordAtStart", "<G>Hallo", {"draw 0,0 'G'", "draw 0,40 'Hallo'"}, C},
        Case{"chordAtEnd", "abc<G>", {"draw 36,0 'G'", "draw 0,40 'abc'"}, C},
        // One blank of the chord font (11) after "G" (11 wide): the lyrics from "D" on move with it.
        Case{"adjacentChordsKeepOneBlankApart",
             "x<G><D>y",
             {"draw 12,0 'G'", "draw 34,0 'D'", "draw 0,40 'x'", "draw 34,40 'y'"},
             C},
        Case{"onlyChords", "<G><D>", {"draw 0,0 'G'", "draw 22,0 'D'", "draw 0,40 ''"}, C},
        Case{"emptyChordStillLowersLyrics", "a<>b", {"draw 0,40 'ab'"}, C},
        Case{"markerFirstGivesEmptyChordText",
             "a<" + deg + "7>b",
             {"draw 12,0 ''", "draw 12,0 '7'", "draw 0,40 'ab'"},
             C},
        Case{"emptySuperscript", "<D" + deg + ">x", {"draw 0,0 'D'", "draw 11,0 ''", "draw 0,40 'x'"}, C},
        Case{"secondMarkerIsSuperscriptText",
             "<D" + deg + "7" + deg + "9>x",
             {"draw 0,0 'D'", "draw 11,0 '7" + deg + "9'", "draw 0,40 'x'"},
             C},
        Case{"lessThanInsideChordIsChordText", "<a<b>x", {"draw 0,0 'a<b'", "draw 0,40 'x'"}, C},
        Case{"blanksInChordKept", "<  G >x", {"draw 0,0 '  G '", "draw 0,40 'x'"}, C},
        Case{"closerAndMarkerOutsideChordArePrinted", "a>b" + deg + "c", {"draw 0,0 'a>b" + deg + "c'"}, 0},
        Case{"unclosedChordClosedByEndOfLine", "ab<G7", {"draw 24,0 'G7'", "draw 0,40 'ab'"}, C},
        Case{"unclosedSuperscriptClosedByEndOfLine",
             "ab<G" + deg + "7",
             {"draw 24,0 'G'", "draw 35,0 '7'", "draw 0,40 'ab'"},
             C},
        Case{"lonelyOpenerAtEnd", "ab<", {"draw 0,40 'ab'"}, C}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(ChordLine, textFontIsCurrentAfterChordsWhateverWasCurrentBefore) {
    s.face = "Other";
    s.size = 30;
    s.style = 15;
    s.color = 77;
    print("<G>la");
    EXPECT_EQ(s.face, "TextFace");
    EXPECT_EQ(s.size, 12);
    EXPECT_EQ(s.style, 0);
    EXPECT_EQ(s.color, 0);
}

TEST_F(ChordLine, tinyChordFontStillEnds) {
    chord.size = 2;
    EXPECT_EQ(print("<D" + deg + "7>x"), kTop + kChordRow);
    EXPECT_NE(std::find(s.calls.begin(), s.calls.end(), "size -1"), s.calls.end());
    chord.size = INT32_MIN;
    EXPECT_EQ(print("<D" + deg + "7>x"), kTop + kChordRow);
}

// A chord right of the page cannot show; neither it nor any later chord of the line is measured,
// so a very long line costs its length once, not once per chord. The lyric row is drawn whole and
// the line still takes its chord row.
TEST_F(ChordLine, chordsRightOfThePageAreNeitherMeasuredNorDrawn) {
    s.width = kLeft + 12 * 10 + 1; // room for ten lyric bytes and the first unit of "B"
    EXPECT_EQ(print("<A>0123456789<B>x<C>y"), kTop + kChordRow);
    EXPECT_EQ(s.draws(), (std::vector<std::string>{draw(kLeft, kTop, "A"), draw(kLeft + 120, kTop, "B"),
                                                   draw(kLeft, kTop + kChordRow, "0123456789xy")}));
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "width '0123456789x'"), 1)
        << "the prefix that left the page is measured once";
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), "width '0123456789xy'"), 0);
    EXPECT_EQ(s.face, "TextFace");
}

} // namespace
