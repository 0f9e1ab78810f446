// A song on two pages and books on sheets of two pages: the pure imposition for every page count,
// and over random songs that a second page shows each line once, covers nothing and moves nothing
// on the first page.
#include "print/ComposedPage.h"
#include "print/Imposition.h"
#include "print/PageCheck.h"
#include "print/SongPages.h"
#include "support/FakeSurface.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

using namespace versino;
using versino::testing::FakeSurface;

namespace {

TEST(Imposition, bookletSidesHoldEachPageOnceInFoldingOrder) {
    for (int n = 1; n <= 64; ++n) {
        const std::vector<SheetSide> sides = bookletSides(n);
        const int total = (n + 3) / 4 * 4;
        ASSERT_EQ(int(sides.size()), total / 2) << n;
        // Fold the stack: the reader goes through each sheet's right half of the front and left
        // half of the back, from the outer sheet inwards, then back out through the other halves.
        std::vector<int> reading;
        for (std::size_t s = 0; s < sides.size(); s += 2)
            reading.insert(reading.end(), {sides[s].right, sides[s + 1].left});
        for (std::size_t s = sides.size(); s >= 2; s -= 2)
            reading.insert(reading.end(), {sides[s - 1].right, sides[s - 2].left});
        ASSERT_EQ(int(reading.size()), total) << n;
        for (int p = 0; p < total; ++p)
            EXPECT_EQ(reading[std::size_t(p)], p < n ? p : -1) << "n=" << n << " page " << p;
        const std::vector<int> side = sideOfPages(sides, n);
        for (int p = 0; p < n; ++p) {
            const SheetSide& s = sides[std::size_t(side[std::size_t(p)])];
            EXPECT_TRUE(s.left == p || s.right == p) << n << " " << p;
        }
    }
}

TEST(Imposition, twoUpKeepsReadingOrder) {
    for (int n = 1; n <= 64; ++n) {
        std::vector<int> reading;
        for (const SheetSide& s : twoUpSides(n))
            reading.insert(reading.end(), {s.left, s.right});
        ASSERT_EQ(int(reading.size()), (n + 1) / 2 * 2);
        for (std::size_t p = 0; p < reading.size(); ++p)
            EXPECT_EQ(reading[p], int(p) < n ? int(p) : -1) << n;
    }
}

// A song whose every lyric line is one text of its own ("L17 ..."), with blank lines, blocks and
// now and then a second column.
struct LongSong {
    SongDocument doc;
    int lines = 0;
};

void makeSong(LongSong& song, std::mt19937& rng) {
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    std::string text;
    song.lines = 40 + pick(160);
    const int column = pick(3) == 0 ? pick(song.lines) : -1;
    for (int i = 0; i < song.lines; ++i) {
        if (i == column)
            text += ">>neue Spalte\r\n";
        else if (pick(8) == 0)
            text += ">>Refrain\r\n";
        else if (pick(6) == 0)
            text += "\r\n";
        else
            text += "L" + std::to_string(i) + std::string(std::size_t(pick(12)), 'w') + "\r\n";
    }
    song.doc.InstallDefaultFonts();
    song.doc.TextFont.size = 10 + pick(6);
    song.doc.TitelEdit().setText("Lied");
    song.doc.RefrainEdit().setText("Chorus eins\r\nChorus zwei\r\n");
    song.doc.TextEdit().setText(text);
    song.doc.NachspielEdit().setText("Schluss");
    SongOptions options;
    options.pages = 2;
    song.doc.setOptions(options);
}

TEST(SongPages, aSecondPageShowsEveryLineOnceCoversNothingAndMovesNothingOnTheFirst) {
    std::mt19937 rng(27);
    int twoPaged = 0, fitting = 0;
    for (int round = 0; round < 150; ++round) {
        LongSong song;
        makeSong(song, rng);
        FakeSurface s;
        const std::vector<ComposedPage> pages = composeSong(song.doc, s);
        const ComposedPage one = composePage(song.doc, s);
        if (pages.size() == 1) {
            EXPECT_FALSE(leavesSongOff(one.report)) << round;
            continue;
        }
        ASSERT_EQ(pages.size(), 2u);
        ++twoPaged;
        // Nothing on the first page stands elsewhere than on the page of one.
        std::set<std::tuple<int, int, std::string>> alone;
        for (const PlacedText& t : one.texts)
            alone.insert({t.x, t.y, t.text});
        for (const PlacedText& t : pages[0].texts)
            EXPECT_TRUE(alone.count({t.x, t.y, t.text})) << round << " moved: " << t.text;
        // What the second page cannot hold either is the page check's to report.
        const bool fits = !runsOffPage(CheckPages(pages));
        fitting += fits;
        std::map<std::string, int> seen;
        for (const ComposedPage& page : pages) {
            for (std::size_t a = 0; a < page.texts.size(); ++a) {
                const PlacedText& t = page.texts[a];
                if (fits || &page == &pages[0]) {
                    EXPECT_LE(t.y + t.height, page.height) << round << " " << t.text;
                }
                ++seen[t.text];
                for (std::size_t b = a + 1; b < page.texts.size(); ++b) {
                    const PlacedText& o = page.texts[b];
                    EXPECT_FALSE(t.x < o.x + o.width && o.x < t.x + t.width && t.y < o.y + o.height &&
                                 o.y < t.y + t.height)
                        << round << " '" << t.text << "' covers '" << o.text << "'";
                }
            }
        }
        for (int i = 0; i < song.lines; ++i) {
            const std::string prefix = "L" + std::to_string(i);
            int count = 0;
            for (const auto& [text, n] : seen)
                if (text.rfind(prefix, 0) == 0 && text.find_first_not_of('w', prefix.size()) == std::string::npos)
                    count += n;
            const std::string line = song.doc.TextEdit().lineList()[std::size_t(i)];
            if (fits && line.rfind(prefix, 0) == 0) {
                EXPECT_EQ(count, 1) << round << " line " << i;
            }
        }
        EXPECT_EQ(seen["Lied (Fortsetzung)"], 1) << round;
        EXPECT_EQ(pages[0].texts.end(), std::find_if(pages[0].texts.begin(), pages[0].texts.end(),
                                                     [](const PlacedText& t) { return t.text == "Schluss"; }))
            << "the closing remark stands at the end of the song";
    }
    EXPECT_GT(twoPaged, 30) << "the property was tried on songs of two pages";
    EXPECT_GT(fitting, 20) << "and on songs that two pages hold";
}

} // namespace
