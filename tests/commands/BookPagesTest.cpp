// The book's own pages: the title page holds a title of any length whole, and the register names
// each song by its first sung line.
#include "commands/BookPages.h"
#include "commands/BookSources.h"
#include "document/Cp1252.h"

#include "support/FakeSurface.h"

#include <gtest/gtest.h>
#include <random>

using namespace versino;
using versino::testing::FakeSurface;

namespace {

// Titles of one to four hundred words on pages of three widths: every word is drawn, in order,
// on lines within the margins, one below the other; nothing is cut.
TEST(TitlePage, aTitleOfAnyLengthIsDrawnWholeWithinTheMargins) {
    std::mt19937 random(29);
    for (const int words : {1, 3, 9, 40, 400})
        for (const int width : {1400, 2600, 4800}) {
            std::string title;
            for (int i = 0; i < words; ++i)
                title += (i ? " " : "") + std::string(std::size_t(1 + random() % 11), char('a' + i % 26));
            FakeSurface s;
            s.width = width;
            book::drawTitlePage(s, QString::fromLatin1(title));
            std::string joined;
            int lastY = -1;
            for (const FakeSurface::Cell& c : s.cells) {
                joined += (joined.empty() ? "" : " ") + c.text;
                EXPECT_GE(c.left, 470) << words << " words on " << width;
                EXPECT_LE(c.right, width - 470) << words << " words on " << width;
                EXPECT_GT(c.top, lastY);
                EXPECT_LE(c.bottom, s.height);
                lastY = int(c.top);
            }
            EXPECT_EQ(joined, title) << words << " words on " << width;
        }
}

TEST(TitlePage, aTitleGetsSmallerOnlyWhenItsLinesDoNotFitThePage) {
    const struct {
        const char* title;
        int width;
        int size;
        std::size_t lines;
    } rows[] = {
        {"Sommerfest 2026 \x96 Die Wanderv\xF6gel", 4800, 32, 1},
        {"Sommerfest 2026 \x96 Die Wanderv\xF6gel", 1400, 32, 3}, // wraps, keeps its size
        {"Donaudampfschifffahrtsgesellschaft", 1400, 12, 1},      // a word wider than the line
    };
    for (const auto& r : rows) {
        FakeSurface s;
        s.width = r.width;
        book::drawTitlePage(s, cp1252::toUnicode(r.title));
        ASSERT_EQ(s.cells.size(), r.lines) << r.title << " on " << r.width;
        EXPECT_EQ(s.cells.front().size, r.size) << r.title << " on " << r.width;
    }
}

// Labels, directives and chord rows are passed by; the first line to sing is the song's entry.
TEST(Register, firstLinesPassLabelsDirectivesAndChordRows) {
    const struct {
        std::vector<const char*> lyrics;
        const char* first;
    } rows[] = {
        {{"[Strophe 1]", "Muss i denn, muss i denn zum St\xE4"
                         "dtele hinaus"},
         "Muss i denn, muss i denn zum St\xE4"
         "dtele hinaus"},
        {{"[Verse 1]", "Strophe 2", "Refrain:", "Chorus", "Intro", "Bridge:", "Erste Zeile"}, "Erste Zeile"},
        {{">>Refrain", "Refrain", ">>neue Spalte", "Erste Zeile"}, "Erste Zeile"},
        {{"<G> <D>", "Am   G   C", "<G>Erste <D>Zeile"}, "Erste Zeile"},
        {{"Refrain la la la"}, "Refrain la la la"}, // words to sing that begin with a label word
        {{"Am Brunnen vor dem Tore"}, "Am Brunnen vor dem Tore"},
        {{"[Intro]"}, nullptr},
    };
    for (const auto& r : rows) {
        SongDocument doc;
        std::string text;
        for (const char* l : r.lyrics)
            lines::add(text, l);
        doc.TextEdit().setText(text);
        const std::vector<std::string> first = firstLines(doc);
        if (!r.first) {
            EXPECT_TRUE(first.empty()) << r.lyrics.front();
            continue;
        }
        ASSERT_FALSE(first.empty()) << r.lyrics.front();
        EXPECT_EQ(first.front(), r.first) << r.lyrics.front();
    }
}

} // namespace
