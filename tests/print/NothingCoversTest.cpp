// On paper nothing covers anything: every text is drawn on an opaque white cell, so two cells that
// overlap would erase text. One property over many random songs, then one test per way in which
// the fixed measures used to make cells meet.

#include "print/BmpFiles.h"
#include "document/Notation.h"
#include "platform/Bitmap.h"
#include "print/ChordLine.h"
#include "print/ComposedPage.h"
#include "print/SelectFont.h"
#include "print/PageComposer.h"
#include "print/PageReport.h"
#include "music/SongDiagrams.h"
#include "support/DefinedPage.h"
#include "support/ComposeOnto.h"
#include "support/FakeSurface.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace versino;
using versino::testing::FakeSurface;
using Cell = FakeSurface::Cell;
using versino::testing::DefinedPage;

namespace {

// Random songs: every directive, chords with and without superscripts side by side, unclosed
// chords, long and empty lines, fonts from below one point to huge, small and large pages.
class SongMaker {
public:
    explicit SongMaker(unsigned seed) : rng_(seed) {}

    int pick(int n) { return int(rng_() % unsigned(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    std::string word() {
        static const char kBytes[] = "aeinrstWMil .,'>\xB0\xE4\xDF";
        std::string w;
        const int n = chance(3) ? 40 + pick(200) : pick(9);
        for (int i = 0; i < n; ++i)
            w += kBytes[pick(int(sizeof kBytes) - 1)];
        return w;
    }
    std::string chord() {
        static const char* const kChords[] = {"G", "Am", "D", "Fis7", "", "Cmaj", "Bbsus4"};
        std::string c = "<" + std::string(kChords[pick(7)]);
        if (chance(30))
            c += "\xB0" + std::string(chance(50) ? "7" : "maj9");
        return c + ">";
    }
    std::string lyricLine(bool directives) {
        if (directives && chance(15)) {
            static const char* const kDirectives[] = {"Refrain", ">>Refrain", ">>Refrain2", ">>Bridge",
                                                      ">>neue Spalte"};
            return kDirectives[pick(5)];
        }
        if (chance(10))
            return "";
        std::string l;
        const int parts = 1 + pick(6);
        for (int i = 0; i < parts; ++i)
            l += chance(45) ? chord() : word();
        if (chance(4))
            l += "<D" + std::string(chance(50) ? "\xB0" : "") + "7";
        return l;
    }
    std::string lines(int most, bool directives) {
        std::string t;
        const int n = pick(most + 1);
        for (int i = 0; i < n; ++i)
            t += lyricLine(directives) + "\r\n";
        return t;
    }
    FontSetting font(const char* face, int typical) {
        static const char* const kFaces[] = {"A", "Face", "Serif"};
        int size = 1 + pick(typical);
        if (chance(5))
            size = -2 + pick(4);
        else if (chance(5))
            size = 100 + pick(300);
        return {std::string(face) + kFaces[pick(3)], std::uint8_t(pick(16)), 0, size};
    }

    void fill(SongDocument& doc, const std::vector<std::string>& pictures) {
        doc.TitelFont = font("T", 60);
        doc.InterpretFont = font("I", 40);
        doc.TextFont = font("X", 30);
        doc.AkkordFont = font("K", 30);
        doc.TitelEdit().setText(chance(80) ? word() + " " + word() : "");
        doc.InterpretEdit().setText(chance(50) ? word() : "");
        doc.VorspielEdit().setText(chance(30) ? word() : "");
        doc.KapoEdit().setText(chance(50) ? word() : "");
        doc.NachspielEdit().setText(chance(50) ? word() + word() : "");
        doc.RefrainEdit().setText(lines(3, false));
        doc.BridgeEdit().setText(lines(3, false));
        doc.TextEdit().setText(lines(14, true));
        doc.GraphikEdit().setText(chance(25) ? pictures[std::size_t(pick(int(pictures.size())))] : "");
    }
    // A page of proportional measures, mostly A4-like, sometimes of any size.
    FakeSurface page() {
        FakeSurface s;
        s.measures = FakeSurface::Measures::Proportional;
        s.recordCalls = false;
        s.width = chance(70) ? 4800 : 400 + pick(6000);
        s.height = chance(70) ? 6800 : 600 + pick(8000);
        return s;
    }

private:
    std::mt19937 rng_;
};

// BMP files of the given sizes in `dir`.
std::vector<std::string> pictureFiles(const QTemporaryDir& dir, std::initializer_list<std::pair<int, int>> sizes) {
    std::vector<std::string> out;
    for (const auto& [w, h] : sizes) {
        const QString path = dir.filePath(QStringLiteral("p%1x%2.bmp").arg(w).arg(h));
        versino::testing::writeBytes(path, versino::testing::bmpBytes(w, h));
        out.push_back(path.toStdString());
    }
    return out;
}

std::string describe(const Cell& c) {
    std::ostringstream o;
    o << "[" << c.left << "," << c.top << " - " << c.right << "," << c.bottom << "] '" << c.text.substr(0, 40)
      << "' at " << c.size << " pt";
    return o.str();
}

// The first two cells that overlap, if any. Cells are swept by their tops.
std::optional<std::pair<Cell, Cell>> firstOverlap(std::vector<Cell> cells) {
    std::sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) { return a.top < b.top; });
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t j = i + 1; j < cells.size() && cells[j].top < cells[i].bottom; ++j)
            if (cells[i].overlaps(cells[j]))
                return std::make_pair(cells[i], cells[j]);
    return std::nullopt;
}

std::string songText(const SongDocument& doc) {
    std::string s;
    for (const FieldId f : kAllFields)
        s += "[" + std::to_string(int(f)) + "] " + doc.field(f).text() + "\n";
    return s;
}

TEST(NothingCovers, noTwoCellsOverlapOnRandomSongs) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = pictureFiles(dir, {{300, 200}, {24, 900}, {900, 24}});
    SongMaker maker(20261208);
    for (int song = 0; song < 10000; ++song) {
        SongDocument doc;
        maker.fill(doc, pictures);
        FakeSurface page = maker.page();
        composeOnto(page, doc);
        if (const auto hit = firstOverlap(page.cells)) {
            ADD_FAILURE() << "song " << song << ": " << describe(hit->first) << " overlaps "
                          << describe(hit->second) << " on a page of " << page.width << " x " << page.height
                          << "\n"
                          << songText(doc);
            return;
        }
        // Composing for the page check measures more but must lay out the very same page (looked
        // at on every fourth song, which is plenty and keeps the test quick under the sanitizers).
        if (song % 4 != 0)
            continue;
        FakeSurface checked = page;
        checked.cells.clear();
        PageReport report;
        report = composeOnto(checked, doc);
        ASSERT_EQ(checked.cells.size(), page.cells.size()) << "song " << song << "\n" << songText(doc);
        for (std::size_t i = 0; i < page.cells.size(); ++i)
            ASSERT_TRUE(checked.cells[i].left == page.cells[i].left &&
                        checked.cells[i].top == page.cells[i].top &&
                        checked.cells[i].text == page.cells[i].text)
                << "song " << song << ": " << describe(checked.cells[i]) << " vs " << describe(page.cells[i]);
    }
}


// Where the page at the defined positions has no collision, the composed page is that page to the
// unit: every text at its place (a text cut at the right edge shows its beginning), the picture in
// its box, nothing else.
TEST(NothingMovesWithoutCause, pagesWithoutCollisionStandAtTheDefinedPositions) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = pictureFiles(dir, {{300, 200}, {24, 900}, {120, 1900}});
    SongMaker maker(417);
    int withoutCollision = 0;
    for (int song = 0; song < 10000; ++song) {
        SongDocument doc;
        maker.fill(doc, pictures);
        FakeSurface s = maker.page();
        DefinedPage defined(s, doc);
        if (defined.collides())
            continue;
        ++withoutCollision;
        const ComposedPage page = composePage(doc, s);
        std::vector<DefinedPage::Box> got;
        for (const PlacedText& t : page.texts)
            got.push_back({t.x, t.y, 0, 0, t.text, 0});
        if (page.picture)
            got.push_back({page.picture->box.left, page.picture->box.top, page.picture->box.right,
                           page.picture->box.bottom, "", 0});
        std::vector<DefinedPage::Box> want = defined.cells;
        const auto byPlace = [](const DefinedPage::Box& a, const DefinedPage::Box& b) {
            return std::tie(a.top, a.left, a.text) < std::tie(b.top, b.left, b.text);
        };
        std::sort(got.begin(), got.end(), byPlace);
        std::sort(want.begin(), want.end(), byPlace);
        std::ostringstream both;
        for (const auto& b : got)
            both << "got '" << b.text.substr(0, 30) << "' " << b.left << "," << b.top << "\n";
        for (const auto& b : want)
            both << "defined '" << b.text.substr(0, 30) << "' " << b.left << "," << b.top << "\n";
        ASSERT_EQ(got.size(), want.size()) << "song " << song << "\n" << both.str() << songText(doc);
        for (std::size_t i = 0; i < got.size(); ++i) {
            const bool samePlace = got[i].left == want[i].left && got[i].top == want[i].top;
            const bool sameText = want[i].text.rfind(got[i].text, 0) == 0 && !(got[i].text.empty() && !want[i].text.empty());
            const bool sameBox = !want[i].text.empty() || (got[i].right == want[i].right && got[i].bottom == want[i].bottom);
            ASSERT_TRUE(samePlace && sameText && sameBox)
                << "song " << song << ": '" << got[i].text.substr(0, 30) << "' at " << got[i].left << ","
                << got[i].top << ", defined '" << want[i].text.substr(0, 30) << "' at " << want[i].left << ","
                << want[i].top << "\n"
                << songText(doc);
        }
    }
    // Enough pages without a collision that the property says something.
    EXPECT_GT(withoutCollision, 1000);
}

// With chord diagrams on, the band covers nothing and moves nothing above it: every text of the
// page without diagrams but the closing remark stands where it stood, each diagram lies on the
// page below those texts, no two cells, diagrams or the picture overlap, and every distinct chord
// is shown, left out for want of room, or named as one without a diagram.
TEST(NothingCovers, diagramBandCoversNothingAndLeavesEverythingAboveInPlace) {
    QTemporaryDir dir;
    const std::vector<std::string> pictures = pictureFiles(dir, {{300, 200}, {24, 900}, {900, 24}});
    SongMaker maker(2812);
    const char* const instruments[] = {"gitarre", "ukulele", "klavier"};
    const char* const extra[] = {"<Cis7sus4>", "<fis>", "<H7>", "<Es/G>", "<Hallo>", "<Dadd9>", "<Gm6>", "<E5>"};
    int shown = 0, leftOut = 0;
    for (int song = 0; song < 1500; ++song) {
        SongDocument doc;
        maker.fill(doc, pictures);
        if (maker.chance(60)) {
            std::string line;
            for (int i = maker.pick(30); i > 0; --i)
                line += std::string(extra[maker.pick(8)]) + "la ";
            doc.TextEdit().setText(line + "\r\n" + doc.TextEdit().text());
        }
        FakeSurface s = maker.page();
        const ComposedPage plain = composePage(doc, s);
        SongOptions options;
        options.diagrams = instruments[song % 3];
        doc.setOptions(options);
        const ComposedPage page = composePage(doc, s);

        std::size_t above = plain.texts.size();
        const std::string& closing = doc.NachspielEdit().text();
        if (above > 0 && !closing.empty() && plain.texts.back().x == 200 &&
            closing.rfind(plain.texts.back().text, 0) == 0)
            --above;
        ASSERT_GE(page.texts.size(), above) << "song " << song << "\n" << songText(doc);
        long long lowest = 0;
        for (std::size_t i = 0; i < above; ++i) {
            const PlacedText& a = plain.texts[i];
            const PlacedText& b = page.texts[i];
            ASSERT_TRUE(a.x == b.x && a.y == b.y && a.text == b.text)
                << "song " << song << ": '" << b.text.substr(0, 30) << "' moved\n" << songText(doc);
            lowest = std::max<long long>(lowest, (long long)a.y + a.height);
        }
        for (const PlacedDiagram& d : page.diagrams) {
            EXPECT_TRUE(d.box.left >= 0 && d.box.right <= page.width && d.box.bottom <= page.height &&
                        d.box.top >= lowest)
                << "song " << song << ": diagram " << d.chord << " at " << d.box.left << "," << d.box.top << " - "
                << d.box.right << "," << d.box.bottom << " on " << page.width << " x " << page.height << " below "
                << lowest;
        }
        // What the band added (diagrams, their names and fret numbers, and what follows them)
        // meets nothing else on the page.
        std::vector<PageBox> added;
        for (const PlacedDiagram& d : page.diagrams)
            added.push_back(d.box);
        for (std::size_t i = above; i < page.texts.size(); ++i)
            added.push_back({page.texts[i].x, page.texts[i].y, page.texts[i].x + page.texts[i].width,
                             page.texts[i].y + page.texts[i].height});
        const std::vector<PageBox> all = page.occupied();
        const auto overlap = [](const PageBox& a, const PageBox& b) {
            return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom &&
                   a.right > a.left && b.right > b.left && a.bottom > a.top && b.bottom > b.top;
        };
        const auto same = [](const PageBox& a, const PageBox& b) {
            return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
        };
        for (const PageBox& a : added)
            for (const PageBox& b : all)
                if (!same(a, b) && overlap(a, b)) {
                    ADD_FAILURE() << "song " << song << ": [" << a.left << "," << a.top << " - " << a.right << ","
                                  << a.bottom << "] overlaps [" << b.left << "," << b.top << " - " << b.right << ","
                                  << b.bottom << "]\n" << songText(doc);
                    return;
                }
        const std::size_t chords =
            music::chordsInPrintOrder(doc.TextEdit().lineList(), doc.RefrainEdit().lineList(),
                                      doc.BridgeEdit().lineList()).size();
        EXPECT_EQ(page.diagrams.size() + page.report.diagramsLeftOut.size() +
                      page.report.chordsWithoutDiagram.size(),
                  chords)
            << "song " << song;
        shown += int(page.diagrams.size());
        leftOut += int(page.report.diagramsLeftOut.size());
    }
    // Both cases occur often enough to say something.
    EXPECT_GT(shown, 2000);
    EXPECT_GT(leftOut, 100);
}

// The measures of the page tests: a lyric byte is 12 wide and a row 48 high (T); a chord byte is
// 10 wide, its blank 10, its row 40 high (C); the page is 4800 x 6800, PageCentreX 2400.
class Collision : public ::testing::Test {
protected:
    static constexpr int T = 48;
    SongDocument doc;
    FakeSurface page;

    Collision() {
        doc.TitelFont = {"Titel", FontStyle::Bold, 0, 24};
        doc.InterpretFont = {"Interpret", 0, 0, 18};
        doc.TextFont = {"Text", 0, 0, 12};
        doc.AkkordFont = {"Akkord", 0, 255, 10};
    }
    std::vector<std::string> marks() {
        composeOnto(page, doc);
        return page.marks();
    }
    bool drawn(int x, int y, const std::string& text) {
        const std::vector<std::string> m = page.marks();
        return std::find(m.begin(), m.end(), FakeSurface::draw(x, y, text)) != m.end();
    }
    const Cell& cell(const std::string& text) {
        const auto it =
            std::find_if(page.cells.begin(), page.cells.end(), [&](const Cell& c) { return c.text == text; });
        EXPECT_NE(it, page.cells.end()) << text;
        return it == page.cells.end() ? page.cells.front() : *it;
    }
};

// "<Am>a<G7>b<C>c" used to print "AGC" on one spot. Each chord now begins one blank after the one
// before, and the lyrics from that chord on move with it, so each stays above its syllable.
TEST_F(Collision, chordsWithoutTextBetweenKeepOneBlankApartAboveTheirSyllables) {
    doc.TextEdit().setText("<Am>a<G7>b<C>c");
    marks();
    EXPECT_TRUE(drawn(200, 250 + T, "Am"));
    EXPECT_TRUE(drawn(230, 250 + T, "G7")); // Am ends at 220, one blank later
    EXPECT_TRUE(drawn(260, 250 + T, "C"));
    EXPECT_TRUE(drawn(200, 250 + T + 40, "a"));
    EXPECT_TRUE(drawn(230, 250 + T + 40, "b"));
    EXPECT_TRUE(drawn(260, 250 + T + 40, "c"));
}

TEST_F(Collision, longFirstColumnRowMovesTheSecondColumnRight) {
    doc.TextEdit().setText(std::string(250, 'x') + "\r\n>>neue Spalte\r\nb");
    marks();
    EXPECT_TRUE(drawn(200 + 250 * 12 + 50, 250 + T, "b"));
}

TEST_F(Collision, shortFirstColumnKeepsTheSecondColumnAtTheCentre) {
    doc.TextEdit().setText("a\r\n>>neue Spalte\r\nb");
    marks();
    EXPECT_TRUE(drawn(2450, 250 + T, "b"));
}

// Column one ends lowest; a second switch records the short middle column as the bottom, so the
// remark's place lies on column one's rows. It moves just below the last row it would cover.
TEST_F(Collision, closingRemarkStandsBelowTheColumnRowsItWouldCover) {
    doc.TextEdit().setText("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\n>>neue Spalte\r\nx\r\n>>neue Spalte\r\ny");
    doc.NachspielEdit().setText("N");
    marks();
    EXPECT_EQ(cell("g").top, 250 + 7 * T);
    EXPECT_EQ(cell("N").top, cell("g").bottom);
}

// A picture scaled to the height left below y used to reach 50 units up into the closing remark.
TEST_F(Collision, tallPictureStandsBetweenTheTextAndTheBottomMargin) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tall.bmp");
    versino::testing::writeBytes(path, versino::testing::bmpBytes(30, 9000));
    doc.TextFont.size = 20; // rows 80 high: the remark's cell reaches below y - 50
    doc.TextEdit().setText("x");
    doc.NachspielEdit().setText(std::string(200, 'N'));
    doc.GraphikEdit().setText(path.toStdString());
    marks();
    const Cell& picture = page.cells.back();
    ASSERT_EQ(picture.text, "");
    EXPECT_EQ(picture.top, cell(std::string(200, 'N')).bottom);
    EXPECT_EQ(picture.bottom, 6800 - 50);
}

TEST_F(Collision, largeTitleFontMovesThePerformerBelowTheTitle) {
    doc.TitelFont.size = 100; // 400 high: past the performer's row at 150 + 50 + 72
    doc.TitelEdit().setText("Ab");
    doc.InterpretEdit().setText("Xy");
    doc.TextEdit().setText("x");
    marks();
    EXPECT_EQ(cell("Xy").top, 550);
    EXPECT_EQ(cell("Kapo: ").top, 550);
}

TEST_F(Collision, longTitleMovesTheCapoLineBelowIt) {
    doc.TitelEdit().setText(std::string(200, 'T')); // 5000 wide: over the capo line's place
    doc.TextEdit().setText("x");
    marks();
    EXPECT_EQ(cell("Kapo: ").top, 150 + 96);
    EXPECT_EQ(cell("x").top, 150 + 96 + 100 + T);
}

// The tall title reaches down to 390, past the first row's place at 298; only a row that reaches
// across to the centred title moves below it.
TEST_F(Collision, firstRowWithoutPerformerStandsBelowTheTitleWhereItMeetsIt) {
    doc.TitelFont.size = 60;
    doc.TitelEdit().setText("Ab");
    doc.TextEdit().setText(std::string(200, 'x'));
    marks();
    EXPECT_EQ(cell("Kapo: ").top, 150); // the short title leaves the capo line's place free
    EXPECT_EQ(cell(std::string(200, 'x')).top, 390);
}

} // namespace
