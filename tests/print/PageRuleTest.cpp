// A cell moves only where, at its defined place, it would meet a cell already placed: songs whose
// cells stand near each other without meeting keep the defined page, and those that do meet are
// mended without covering anything.

#include "print/BmpFiles.h"
#include "print/ComposedPage.h"
#include "print/PageCheck.h"
#include "support/FakeSurface.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::FakeSurface;

namespace {

// The measures of the page tests: a lyric byte is 12 wide and a row 48 high (T); a chord byte is
// 10 wide and its row 40 high (C); a heading byte is 13 wide; the page is 4800 x 6800.
void fonts(SongDocument& doc) {
    doc.TitelFont = {"Titel", FontStyle::Bold, 0, 24};
    doc.InterpretFont = {"Interpret", 0, 0, 18};
    doc.TextFont = {"Text", 0, 0, 12};
    doc.AkkordFont = {"Akkord", 0, 255, 10};
}

// The first placed text that equals `text` from the `nth` on, or null.
const PlacedText* find(const ComposedPage& page, const std::string& text, int nth = 0) {
    for (const PlacedText& t : page.texts)
        if (t.text == text && nth-- == 0)
            return &t;
    return nullptr;
}

// A song of the page tests' fonts; a narrow title at 60 points is 240 high (150 to 390, x 2370 to
// 2431) and stands above the body's first rows.
struct Unmoved {
    const char* name;
    const char* title;
    const char* remark;
    const char* chorus;
    std::string lyrics;
    const char* closing;
    const char* text; // the text looked at, and its defined place
    int x, y;
};

class NothingMeets : public ::testing::TestWithParam<Unmoved> {};

TEST_P(NothingMeets, cellStaysAtItsDefinedPlace) {
    const Unmoved& c = GetParam();
    SongDocument doc;
    fonts(doc);
    doc.TitelFont.size = 60;
    doc.TitelEdit().setText(c.title);
    doc.VorspielEdit().setText(c.remark);
    doc.RefrainEdit().setText(c.chorus);
    doc.TextEdit().setText(c.lyrics);
    doc.NachspielEdit().setText(c.closing);
    FakeSurface measures;
    const ComposedPage page = composePage(doc, measures);
    const PlacedText* t = find(page, c.text);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::make_pair(t->x, t->y), std::make_pair(c.x, c.y));
}

INSTANTIATE_TEST_SUITE_P(
    Page, NothingMeets,
    ::testing::Values(
        Unmoved{"lyricRowBesideTallTitle", "A", "", "", "la la", "", "la la", 200, 298},
        Unmoved{"remarkBesideTallTitle", "A", "Intro", "", "la", "", "Intro", 200, 298},
        Unmoved{"secondColumnHeadingBesideTallTitle", "A", "", "x", ">>neue Spalte\r\n>>Refrain", "", "Refrain:",
                2450, 250 + 48 + 48 + 40},
        Unmoved{"lyricsAfterAnEmptyChord", "", "", "", "<Am>I <>so", "", "I so", 200, 298 + 40},
        Unmoved{"secondColumnBesideShortRowsOfTheFirst", "", "", "",
                "la\r\n" + std::string(250, 'D') + "\r\n>>neue Spalte\r\nx", "", "x", 2450, 298},
        Unmoved{"closingRemarkBelowTheHeadingOfAnEmptyBlock", "", "", "", "la\r\n>>Refrain", "Ende", "Ende", 200,
                394 + 2 * 48 + 100}),
    [](const auto& info) { return std::string(info.param.name); });

// The performer's row is defined 50 units and its own height below the title's top, whatever the
// title's height: a title font more than 50 units taller than the performer's reaches into that
// row (Times New Roman 16 over a 10-point performer by one unit at 600 dots per inch). The
// performer then moves down by exactly that much, and the rows after it keep their distance.
TEST(PageRule, aTallTitleMovesThePerformerRowByWhatItReachesIntoIt) {
    const struct {
        int titleSize; // the title's cell is four times this high
        int reach;     // how far it reaches below the performer's defined top (272)
    } rows[] = {{29, 0}, {30, 0}, {31, 2}, {32, 6}, {45, 58}};
    for (const auto& r : rows) {
        SongDocument doc;
        fonts(doc);
        doc.TitelFont.size = r.titleSize;
        doc.TitelEdit().setText("wir");
        doc.InterpretEdit().setText("Sonne");
        doc.TextEdit().setText("la");
        FakeSurface measures;
        const ComposedPage page = composePage(doc, measures);
        const PlacedText* performer = find(page, "Sonne");
        const PlacedText* la = find(page, "la");
        ASSERT_TRUE(performer && la) << r.titleSize;
        EXPECT_EQ(performer->y, 150 + 50 + 72 + r.reach) << r.titleSize;
        EXPECT_EQ(la->y, performer->y + 100 + 48) << r.titleSize;
    }
}

// The picture's defined box reaches up beside the last row (x 200 to 240, down to 970) without
// meeting it, so it keeps the height left below y.
TEST(PageRule, pictureKeepsItsSizeBesideTheLastRow) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tall.bmp");
    versino::testing::writeBytes(path, versino::testing::bmpBytes(1200, 6000));
    SongDocument doc;
    fonts(doc);
    doc.TextFont.size = 20; // rows 80 high
    std::string lyrics;
    for (int i = 0; i < 8; ++i)
        lyrics += "la\r\n";
    doc.TextEdit().setText(lyrics);
    doc.GraphikEdit().setText(path.toStdString());
    FakeSurface measures;
    const ComposedPage page = composePage(doc, measures);
    ASSERT_TRUE(page.picture.has_value());
    // y ends at 250 + 8 * 80 + 100 = 990: 5810 units high, 1162 wide, centred on 2400.
    EXPECT_EQ(page.picture->box.top, 6750 - 5810);
    EXPECT_EQ(page.picture->box.left, 2400 - 581);
}

// A third column starts where the second did; its rows beside the second column's heading keep the
// column gap to it, the row above it stays.
TEST(PageRule, laterColumnKeepsClearOfAnEarlierColumnsHeading) {
    SongDocument doc;
    fonts(doc);
    doc.TextEdit().setText(">>neue Spalte\r\n>>Refrain\r\n>>neue Spalte\r\nla\r\nla\r\nla");
    FakeSurface measures;
    const ComposedPage page = composePage(doc, measures);
    const PlacedText* heading = find(page, "Refrain:");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->x + heading->width, 2450 + 8 * 13);
    const int clear = heading->x + heading->width + 50;
    const int want[3][2] = {{2450, 298}, {clear, 346}, {clear, 394}};
    for (int i = 0; i < 3; ++i) {
        const PlacedText* la = find(page, "la", i);
        ASSERT_NE(la, nullptr);
        EXPECT_EQ(std::make_pair(la->x, la->y), std::make_pair(want[i][0], want[i][1])) << "row " << i;
    }
}

// Its chord row would fit above the page's foot, its lyric row would not: neither is drawn, and
// the check names the line.
TEST(PageRule, chordLineAtThePageFootIsDrawnWholeOrNotAtAll) {
    SongDocument doc;
    fonts(doc);
    doc.TextEdit().setText("a\r\n<G>la");
    FakeSurface measures;
    measures.height = 380; // the chord row stands at 346, the lyric row would at 386
    const ComposedPage page = composePage(doc, measures);
    EXPECT_EQ(find(page, "G"), nullptr);
    EXPECT_EQ(find(page, "la"), nullptr);
    const std::vector<PageFinding> findings = CheckPage(page);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, PageFindingKind::BelowPage);
    EXPECT_EQ(findings[0].line, 2);
}

// Text that a mend pushes past the right edge is reported like any other text off the page.
TEST(PageRule, textPushedPastTheRightEdgeIsReported) {
    struct Case {
        const char* lyrics;
        int pageWidth;
        int line;
    };
    const Case cases[] = {
        {"<Am>a<G7>b", 240, 1}, // "b" widened from 212 to 230 ends at 242
        {"la la la la la la la la la\r\n>>neue Spalte\r\nx", 400, 3}, // "x" moved from 250 to 562
        {"a\r\nla la la la la la la la la\r\n>>neue Spalte\r\n>>Refrain", 400, 4}, // the heading, too
    };
    for (const Case& c : cases) {
        SongDocument doc;
        fonts(doc);
        doc.RefrainEdit().setText("x");
        doc.TextEdit().setText(c.lyrics);
        FakeSurface measures;
        measures.width = c.pageWidth;
        const std::vector<PageFinding> findings = CheckPage(composePage(doc, measures));
        const bool reported = std::any_of(findings.begin(), findings.end(), [&](const PageFinding& f) {
            return f.kind == PageFindingKind::PastRightEdge && f.field == FieldId::Text && f.line == c.line;
        });
        EXPECT_TRUE(reported) << c.lyrics;
    }
}

} // namespace
